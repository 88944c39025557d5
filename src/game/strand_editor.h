// The strand editor's operations on one strand set, apart from the input
// and the drawing that SPlayer::EditStrands adds around them. Positions are
// world space unless named local; strand indices must be below set.count.
#pragma once
#include "game/spline.h"

// The mouse ray: the segment from `origin` to `origin + dir`.
struct MouseRay {
  vec3 origin, dir;
};

// The point of the ray's segment nearest to p.
vec3 NearestOnRay(const MouseRay& ray, const vec3& p);

// A strand's selection mark is the flag of its last point; a strand without
// points is never selected.
bool StrandSelected(const CSpline& set, int s);
void SetStrandSelected(CSpline& set, int s, bool selected);
void ClearSelection(CSpline& set);

struct StrandPick {
  int strand = -1;  // -1: nothing picked
  int point = -1;   // a point of `strand`, -1 when it has none
};

// The picked strand: the first selected one, else the strand whose point
// (bone-carried rest position) lies nearest the ray, below 999 units, which
// then becomes selected. The picked point is always the strand's own point
// nearest the ray; ties go to the first strand and the first point.
StrandPick PickStrand(CSpline& set, const MouseRay& ray);

// Keeps points 0..point of strand s. Only a point the strand has counts, so
// it never gains points.
void CutStrand(CSpline& set, int s, int point);

// Drags the end of strand s (at least two points) toward the ray: the end
// segment takes the fraction of the distance D from the second-to-last
// point to the ray's point nearest the end. For 0.2 <= D <= 10 whole units
// become new points one unit apart, the remainder the last segment (3.4
// gives 1, 1, 1, 0.4), and the strand is re-constrained. Returns false when
// D is out of that range (only the end segment changed).
bool ExtendStrand(CSpline& set, int s, const MouseRay& ray);

// Combs strand s: every point but the root within 3 units of the ray moves
// by `drag` (the cursor's movement as a world direction at unit depth)
// scaled by its depth along the ray, less the farther it lies from the ray.
// The caller re-constrains.
void CombStrand(CSpline& set, int s, const MouseRay& ray, const vec3& drag);

// Moves strand s so its root lies on `to`, every point by the same offset,
// then re-constrains it.
void MoveStrand(CSpline& set, int s, const vec3& to);

// The paint colour of key '1'..'7' (0..1 components); false for other keys.
bool PaintPreset(int key, vec3* colour);
