// The characters' fields of each --trace line.
#include <string>

#include "game/player.h"
#include "shell/harness.h"

namespace {
void TracePlayers(std::string* out) {
  *out += ",\"current\":" + std::to_string(g_current) + ",\"players\":[";
  for (int i = 0; i < g_characterCount && g_players; ++i) {
    const SPlayer& p = g_players[i];
    if (i) *out += ",";
    *out += "{\"position\":";
    TraceVec3(out, &p.body.position.x);
    *out += ",\"velocity\":";
    TraceVec3(out, &p.velocity.x);
    *out += ",\"angles\":";
    TraceVec3(out, &p.body.angles.x);
    *out += ",\"up\":";
    TraceVec3(out, &p.up.x);
    *out += ",\"clip\":\"";
    *out += p.ClipName();
    *out += "\",\"grounded\":";
    *out += p.grounded ? "true" : "false";
    *out += ",\"mode\":" + std::to_string(p.mode) + "}";
  }
  *out += "]";
}
}  // namespace

void RegisterPlayerTrace() {
  RegisterTraceWriter(TracePlayers);
}
