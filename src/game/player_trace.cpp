// The characters' fields of each --trace line.
#include <string>

#include "core/notice.h"
#include "core/trace.h"
#include "game/player.h"

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

// The controlled character's strands, as the editor sees them: bone, colour,
// selection mark and the points in bone space.
void TraceStrands(std::string* out) {
  *out += ",\"strands\":[";
  const CSpline* set =
      g_players && g_current < g_characterCount ? &g_players[g_current].line : nullptr;
  for (int s = 0; set && s < set->count; ++s) {
    const int n = set->pointCount[s];
    if (s) *out += ",";
    *out += "{\"bone\":" + std::to_string(set->bone[s]) + ",\"color\":";
    TraceVec3(out, &set->color[s].x);
    *out += ",\"selected\":";
    *out += n > 0 && set->flags[s][n - 1] ? "true" : "false";
    *out += ",\"points\":[";
    for (int k = 0; k < n; ++k) {
      if (k) *out += ",";
      TraceVec3(out, &set->local[s][k].x);
    }
    *out += "]}";
  }
  *out += "]";
}

void TraceNotices(std::string* out) {
  *out += ",\"notices\":[";
  for (int i = 0; i < NoticeCount(); ++i) {
    if (i) *out += ",";
    TraceString(out, NoticeAt(i).text);
  }
  *out += "]";
}
}  // namespace

void RegisterPlayerTrace() {
  RegisterTraceWriter(TracePlayers);
  RegisterTraceWriter(TraceStrands);
  RegisterTraceWriter(TraceNotices);
}
