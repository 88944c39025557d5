// Strand sets ("*.Line") and the body's collision ellipsoids ("bin\sph.col"):
// their file layouts, and the manes, forelocks and tails we give each
// character. Points and ellipsoids are in bind-pose model space (the space
// a bone's skinning matrix maps from).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "characters.h"

struct LineStrand {
  vec3 colour;    // 0..1
  int bone = -1;  // -1 for none, else 0..254
  std::vector<vec3> points;
};

// "SH3", u16 strand count, then per strand: u16 point count, 3 x f32
// colour, u8 bone + 1, point count x 3 x f32.
std::vector<uint8_t> EncodeLine(const std::vector<LineStrand>& strands);
// Reads a Line file image. False with a reason when the magic is wrong or
// the data ends early; trailing bytes are ignored.
bool DecodeLine(const std::vector<uint8_t>& data, std::vector<LineStrand>* strands,
                std::string* error);

struct CollisionEllipsoid {
  vec3 position;  // model space
  vec3 rotation;  // Euler radians
  vec3 scale;     // radii
  int bone = 0;   // stored as bone + 1
};

// u32 count, then 38-byte records: position, rotation, scale (3 x f32 each),
// u16 bone + 1.
std::vector<uint8_t> EncodeSphereCol(const std::vector<CollisionEllipsoid>& shapes);
bool DecodeSphereCol(const std::vector<uint8_t>& data, std::vector<CollisionEllipsoid>* shapes,
                     std::string* error);

// The character's mane along the neck, forelock and tail.
std::vector<LineStrand> BuildStrands(int character);
// Ellipsoids on the torso, neck and head that the strands rest on: a strand
// point is pushed out to 1.3 times an ellipsoid, so each is the body part
// shrunk by that factor.
std::vector<CollisionEllipsoid> BuildCollisionShapes();
