// A character's strands: short polylines hung on bones of its body, each with
// its own colour, read from and written to a Line file.
//
// Line file (little-endian, no padding):
//   offset 0  3 bytes  magic "SH3" (no terminating zero)
//   offset 3  u16      strand count N
//   then N records:  u16 point count P, 3 x f32 colour (r, g, b),
//                    u8 bone + 1 (0: no bone), P x 3 x f32 points in the
//                    space of the strand's bone
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/mat4.h"

class Model;

class CSpline {
 public:
  uint16_t count = 0;
  uint16_t* pointCount = nullptr;
  vec3** local = nullptr;  // per strand: points in bone space, the saved data
  vec3** world = nullptr;  // per strand: points in the world (simulation state)
  vec3** aux1 = nullptr;   // per strand: simulation scratch
  vec3** aux2 = nullptr;
  float** segLen = nullptr;   // per strand: rest length from point k to k + 1
  vec3* color = nullptr;      // per strand, components 0..1
  uint8_t** flags = nullptr;  // per strand: the last point's flag marks the strand selected
  bool style = false;
  Model* owner = nullptr;   // the body whose bones the strands follow (not owned)
  int32_t* bone = nullptr;  // per strand: bone index in the owner, -1..254

  CSpline() = default;
  ~CSpline() { Clear(); }
  CSpline(const CSpline&) = delete;
  CSpline& operator=(const CSpline&) = delete;

  // a > count: grows the set to a strands (b ignored). a < count: sets strand
  // a's point count to b, growing its point arrays when b is larger (new
  // points zeroed). a == count: nothing. False after a failed growth (the
  // growth message is logged), and with a warning for a or b above 65535,
  // which the 16-bit counts can't hold: then nothing changes.
  bool Resize(int a, int b);

  // Frees every array; the set is then empty (count 0). `style` and `owner`
  // are kept.
  void Clear();

  // Exchanges strands i and j in every per-strand array.
  void Swap(int i, int j);

  // Removes strand s (0 <= s < count, else nothing): it trades places with
  // the last strand, whose arrays are then freed, and count drops by one.
  void Remove(int s);

  // Reads a Line file through the archive lookup into this set (cleared
  // first). A missing file logs "Spline::(%s) file not found", a foreign or
  // damaged one "Spline::(%s) bad file"; both leave the set empty and
  // return false.
  bool Load(const char* name);

  // Writes the set as a plain Line file. The previous file is replaced only
  // once the new one is completely on disk (written beside it, flushed,
  // synced, renamed over it). Returns false, with a warning naming the
  // file and the reason (also given in *reason), when that fails.
  bool Save(const char* name, std::string* reason = nullptr) const;

  // The set as a Line file image, and back: Decode clears the set first and
  // reads exactly the bytes given; a foreign, damaged or cut-short image
  // leaves the set empty and returns false. Neither logs nor constrains.
  std::vector<uint8_t> Encode() const;
  bool Decode(const uint8_t* data, size_t size);

  // Appends a strand of n points one unit apart along `normal` from the
  // surface `point`, on the bone under the owner's last ray hit.
  void AddStrand(const vec3& point, const vec3& normal, int n);

  // Re-imposes the rest segment lengths on strand s, or on every strand for
  // s = -1; the root point never moves.
  void Constrain(int s);

  // A point of the smooth curve through strand s's world points, between
  // point k - 1 and k (open) or k and k + 1 (closed): mode 0 Catmull-Rom,
  // mode 1 uniform cubic B-spline; any other mode leaves `out` unchanged.
  void Evaluate(int s, int k, float t, vec3& out, int mode, bool closed) const;

  // One simulation step of every strand (the strand drawing's physics): the
  // two root points follow their bone rigidly, the rest are springs pulled
  // toward the animated rest shape, damped, and held at their segment
  // lengths. `pullDown` adds the downward force of the "g" key.
  void Simulate(float dt, bool pullDown);

  // Draws every strand as a camera-facing strip along its B-spline, tapering
  // from root to tip unless `style` is set; `withNormals` gives the strips
  // normals for lit drawing.
  void DrawStrands(const vec3& eye, bool withNormals) const;

  // The owner's bone-world matrix of a strand: the body's placement times
  // the bone's skinning matrix (the placement alone for no bone).
  mat4 BoneWorld(int s) const;
};
