// The arithmetic of the characters' eyes, apart from the drawing: where an
// eye sits on its bone, how far it may turn toward a target, the blink clock
// and the lid opening, and the matrices of the eyeball and the lid.
#pragma once
#include "geometry/model.h"
#include "math/mat4.h"

// Gaze limits, radians. Yaw is measured toward the outside of the face
// (each eye's frame is mirrored so that both eyes share them), so an eye
// turns far outward but only a little toward the nose.
constexpr float kGazeYawMin = -0.31415927f;
constexpr float kGazeYawMax = 1.8849556f;
constexpr float kGazePitchMin = -0.9424778f;
constexpr float kGazePitchMax = 1.5707964f;

// The eye's frame in the world: the body's placement (from its angles and
// position) times the bone's animated global matrix, mirrored across the
// face (y negated) for side 0. `bone` must be below body.boneCount.
mat4 EyeFrame(const Model& body, int bone, int side);

// (0, pitch, yaw) in radians turning the eye's x axis toward `target`
// (world), within the gaze limits.
vec3 GazeAngles(const mat4& eyeFrame, const vec3& target);

// Advances the blink clock by dt seconds (5 units a second). Past 2 the
// blink is over and a pause of 0.6 to 4.6 s starts: one draw from
// g_randState sets the clock to -(3 + 20 |r|) with r in [-1, 1).
void AdvanceBlink(float* timer, float dt);

// How far the lid is closed, 0..1: 0 while the clock is at or below 0,
// rising to 1 at 1 and falling back to 0 at 2.
float BlinkClosure(float timer);

// Lid opening in degrees: 20 above the gaze pitch and 160 more when closed;
// sleepy (Shift held) drops it 60 lower and closes only by 80.
float LidAngle(float pitchRadians, float closure, bool sleepy);

// The eyeball's matrix: the eye frame, the ball's stretch (wider and tilted
// while `wide`, the "u" key) and the gaze rotation `angles` of GazeAngles.
// `gaze` receives the gaze rotation alone (its x column is the ball's axis).
mat4 EyeballMatrix(const mat4& eyeFrame, const vec3& angles, bool wide, mat4* gaze);

// The lid's matrix: the eye frame, the lid's stretch (slightly larger than
// the ball), the opening `lidAngle` (degrees, used within [20, 180]) and the
// tilt of character `index` (0..3).
mat4 LidMatrix(const mat4& eyeFrame, float lidAngle, int index, bool wide);

// The lid's edge: a half circle of kLidEdgePoints points in the lid's frame
// (y = 0, from -z round through -x to +z).
constexpr int kLidEdgePoints = 30;
void LidEdge(vec3 out[kLidEdgePoints]);

// Three lashes of two segments each, as six line segments (twelve points)
// in the lid's frame, starting on the lid's edge.
constexpr int kLashPoints = 12;
void Lashes(vec3 out[kLashPoints]);
