// The four characters' codes and palettes (the program's character table):
// colour 0 coat, 1 mane and paint, 2 eyes, 3 outline and hooves, 4 second
// mane shade.
#pragma once
#include "math/vec3.h"

struct CharacterLook {
  const char* code;   // "ZL", "WN", "MV", "KT"
  const char* lower;  // "zl", ...
  bool winged;
  vec3 colour[5];  // 0..1
};

constexpr int kCharacterCount = 4;
const CharacterLook& Character(int index);
