// The procedural textures (all power-of-two sizes, tiling where repeated).
#pragma once
#include "characters.h"
#include "image.h"

// Body: three vertical bands (muzzle, coat, hooves; see blob.h) with a soft
// fur grain, lighter on the back than on the belly.
Picture BodyTexture(const CharacterLook& look);
// Eyeball in the generated sphere's coordinates (u = polar angle / pi,
// v = azimuth / 2 pi): white with the iris and pupil centred on the +X axis.
Picture EyeTexture(const CharacterLook& look);
// Eyelid skin in the coat colour, darker toward the rim.
Picture LidTexture(const CharacterLook& look);
// Trail ribbon: bright along the middle of its width (u = 0.5), black
// (invisible under additive blending) at the edges.
Picture TrailTexture(const CharacterLook& look);
