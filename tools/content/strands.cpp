#include "strands.h"

#include <cmath>
#include <cstring>

#include "bodies.h"
#include "game/spline.h"
#include "noise.h"
#include "rig.h"
#include "storage/bytes.h"

namespace {
struct VectorReader {
  const std::vector<uint8_t>& data;
  size_t at = 0;
  bool ok = true;
  uint32_t Uint(int size) {
    if (at + size > data.size()) {
      ok = false;
      return 0;
    }
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) v |= static_cast<uint32_t>(data[at + i]) << (8 * i);
    at += size;
    return v;
  }
  vec3 Vec() {
    vec3 v;
    for (int i = 0; i < 3; ++i) {
      const uint32_t bits = Uint(4);
      std::memcpy(&v[i], &bits, 4);
    }
    return v;
  }
};

// A strand growing from `root` along `dir`, bending by `bend` per segment
// (added to the direction, then renormalised).
LineStrand Grow(const vec3& root, vec3 dir, const vec3& bend, float step, int points,
                const vec3& colour, int bone) {
  LineStrand s;
  s.colour = colour;
  s.bone = bone;
  vec3 p = root;
  for (int i = 0; i < points; ++i) {
    s.points.push_back(p);
    p += normalize(dir) * step;
    dir = normalize(dir) + bend;
  }
  return s;
}

// Per character: how long the locks are, how much they curl, how many.
struct HairStyle {
  float length;
  float curl;
  int maneCount;
};
const HairStyle kStyles[kCharacterCount] = {
    {1.0f, 0.10f, 12}, {1.35f, 0.22f, 14}, {1.15f, 0.35f, 12}, {1.3f, 0.05f, 14}};
}  // namespace

std::vector<uint8_t> EncodeLine(const std::vector<LineStrand>& strands) {
  CSpline set;
  if (!set.Resize(static_cast<int>(strands.size()), -1)) return {};
  for (int i = 0; i < set.count; ++i) {
    const LineStrand& s = strands[i];
    if (!set.Resize(i, static_cast<int>(s.points.size()))) return {};
    set.color[i] = s.colour;
    set.bone[i] = s.bone;
    for (size_t k = 0; k < s.points.size(); ++k) set.local[i][k] = s.points[k];
  }
  return set.Encode();
}

bool DecodeLine(const std::vector<uint8_t>& data, std::vector<LineStrand>* strands,
                std::string* error) {
  strands->clear();
  CSpline set;
  if (!set.Decode(data.data(), data.size())) {
    const bool foreign = data.size() < 3 || std::memcmp(data.data(), "SH3", 3) != 0;
    *error = foreign ? "bad magic" : "data ends inside a strand";
    return false;
  }
  for (int i = 0; i < set.count; ++i) {
    LineStrand s;
    s.colour = set.color[i];
    s.bone = set.bone[i];
    s.points.assign(set.local[i], set.local[i] + set.pointCount[i]);
    strands->push_back(s);
  }
  return true;
}

std::vector<uint8_t> EncodeSphereCol(const std::vector<CollisionEllipsoid>& shapes) {
  ByteWriter w;
  w.U32(static_cast<uint32_t>(shapes.size()));
  for (const CollisionEllipsoid& e : shapes) {
    w.Vec(e.position);
    w.Vec(e.rotation);
    w.Vec(e.scale);
    w.U16(static_cast<uint32_t>(e.bone + 1));
  }
  return w.bytes;
}

bool DecodeSphereCol(const std::vector<uint8_t>& data, std::vector<CollisionEllipsoid>* shapes,
                     std::string* error) {
  shapes->clear();
  VectorReader r{data};
  const uint32_t count = r.Uint(4);
  for (uint32_t i = 0; i < count && r.ok; ++i) {
    CollisionEllipsoid e;
    e.position = r.Vec();
    e.rotation = r.Vec();
    e.scale = r.Vec();
    e.bone = static_cast<int>(r.Uint(2)) - 1;
    if (r.ok) shapes->push_back(e);
  }
  if (!r.ok) *error = "data ends inside a record";
  return r.ok;
}

std::vector<LineStrand> BuildStrands(int character) {
  const CharacterLook& look = Character(character);
  const HairStyle& style = kStyles[character];
  ContentRandom random(1000u + static_cast<uint32_t>(character));
  const vec3 shades[3] = {look.colour[1], look.colour[4], look.colour[1] * 0.8f};
  std::vector<LineStrand> out;
  // Mane: roots along the crest of the neck, from behind the ears down to
  // the withers, falling over the left side.
  const vec3 left(0, 1, 0);
  for (int i = 0; i < style.maneCount; ++i) {
    const float t = static_cast<float>(i) / (style.maneCount - 1);
    const int bone = t < 0.5f ? kNeck2 : kNeck1;
    const float along = t < 0.5f ? 1.7f * (1 - t * 2) : 1.8f * (2 - t * 2) - 0.3f;
    const float radius = t < 0.5f ? 1.15f : 1.35f;
    // The crest is the back of the neck: the bone's +Z side.
    const vec3 root = BindPoint(bone, vec3(along, 0.1f * (i % 2), radius));
    const vec3 back = normalize(BindPoint(bone, vec3(along, 0, radius + 1)) - root);
    const vec3 dir = normalize(back * 0.8f + left * 0.6f);
    const vec3 bend = vec3(-0.05f, 0.05f, -0.28f) + vec3(0, 0, style.curl * random.Range(-1, 1));
    const int points = 5 + static_cast<int>(3 * (1 - std::fabs(t - 0.35f)));
    out.push_back(Grow(root, dir, bend, 1.0f * style.length * kRigScale, points > 8 ? 8 : points,
                       shades[i % 3], bone));
  }
  // Forelock: between the ears, over the forehead.
  for (int i = 0; i < 3; ++i) {
    const float y = (i - 1) * 0.45f;
    const vec3 root = BindPoint(kHead, vec3(0.7f, y, 3.5f));
    const vec3 dir = normalize(GetRig().bind[kHead].rotateVector(vec3(1.0f, y * 0.6f, 0.4f)));
    out.push_back(Grow(root, dir, vec3(0.0f, 0, -0.35f), 0.9f * style.length * kRigScale, 4,
                       shades[(i + 1) % 3], kHead));
  }
  // Tail: a full brush from the tail stub, arcing back and down.
  for (int i = 0; i < 9; ++i) {
    const float a = kTwoPi * i / 9;
    const vec3 root = BindPoint(kTail, vec3(0.9f, 0.3f * std::cos(a), 0.3f * std::sin(a)));
    const vec3 dir = normalize(vec3(-1, 0.25f * std::cos(a), 0.3f + 0.2f * std::sin(a)));
    const vec3 bend = vec3(0.02f, 0.02f * std::cos(a), -0.2f - style.curl * 0.3f);
    out.push_back(
        Grow(root, dir, bend, 1.25f * style.length * kRigScale, 7 + (i % 2), shades[i % 3], kTail));
  }
  return out;
}

std::vector<CollisionEllipsoid> BuildCollisionShapes() {
  std::vector<CollisionEllipsoid> out;
  for (const BodyEllipsoid& part : kBodyEllipsoids) {
    CollisionEllipsoid e;
    e.bone = part.bone;
    e.position = BindPoint(part.bone, part.centre);
    e.rotation = GetRig().bind[part.bone].toEuler();
    e.scale = part.radii * (kRigScale / 1.3f);
    out.push_back(e);
  }
  return out;
}
