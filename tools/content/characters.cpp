#include "characters.h"

namespace {
constexpr float k = 0.003921569f;  // 1/255
#define RGB(r, g, b) vec3((r)*k, (g)*k, (b)*k)
const CharacterLook kLooks[kCharacterCount] = {
    {"ZL",
     "zl",
     true,
     {RGB(160, 220, 248), RGB(32, 152, 212), RGB(188, 29, 119), RGB(110, 169, 211),
      RGB(32, 152, 212)}},
    {"WN",
     "wn",
     true,
     {RGB(252, 245, 175), RGB(242, 182, 208), RGB(35, 175, 166), RGB(233, 207, 110),
      RGB(219, 131, 169)}},
    {"MV",
     "mv",
     false,
     {RGB(254, 193, 102), RGB(254, 247, 167), RGB(106, 204, 85), RGB(255, 124, 68),
      RGB(243, 223, 102)}},
    {"KT",
     "kt",
     false,
     {RGB(242, 184, 206), RGB(248, 113, 171), RGB(153, 220, 247), RGB(226, 129, 170),
      RGB(218, 80, 155)}},
};
#undef RGB
}  // namespace

const CharacterLook& Character(int index) {
  return kLooks[index];
}
