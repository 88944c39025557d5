// Drawing of a character's trail ribbon.
#pragma once
#include "game/trail.h"

// Draws the ribbon as a camera-facing, additively blended strip facing `eye`,
// half a body radius wide each side, its opacity fading along the ribbon;
// segments with a negative fade are skipped.
void DrawTrailRibbon(const Trail& trail, const vec3& eye);
