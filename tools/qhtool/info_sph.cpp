// `qhtool info` for the body's collision ellipsoids ("bin\sph.col"): the
// placement count, then each placement as the characters read it.
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "core/log.h"
#include "game/player.h"

namespace {
bool Sniff(const char* path, const uint8_t* head, size_t headSize) {
  const size_t n = std::strlen(path);
  return n >= 4 && !std::strcmp(path + n - 4, ".col");
}

bool Print(const char* path, char* reason, size_t reasonSize) {
  SPlayer player;
  {
    ReasonCapture keep(LOG_WARNING, reason, reasonSize);
    player.LoadSpheres(path);
    if (keep.captured()) return false;
  }
  std::printf("SPH count=%u\n", player.sphereCount);
  for (int i = 0; i < player.sphereCount; ++i) {
    const SpherePlacement& p = player.spheres[i];
    std::printf("sphere %d bone=%d position=%g,%g,%g rotation=%g,%g,%g scale=%g,%g,%g\n", i,
                static_cast<int32_t>(p.bone), p.position.x, p.position.y, p.position.z,
                p.rotation.x, p.rotation.y, p.rotation.z, p.scale.x, p.scale.y, p.scale.z);
  }
  return true;
}

InfoRegistration g_sph({"SPH", Sniff, Print});
}  // namespace
