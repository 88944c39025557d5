#include "geometry/em7.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "storage/archive_writer.h"
#include "support/byte_builder.h"
#include "support/mesh_reference.h"
#include "support/test_support.h"

namespace {
ByteBuilder& Vec(ByteBuilder& b, float x, float y, float z) {
  return b.F32(x).F32(y).F32(z);
}
ByteBuilder Header(uint32_t V, uint32_t P, uint32_t B, uint32_t G, uint32_t S) {
  return ByteBuilder().Text("EM7").U32(V).U32(P).U8(B).U16(G).U16(S);
}
ByteBuilder& Uvs(ByteBuilder& b, uint32_t V) {
  for (uint32_t v = 0; v < V; ++v) b.F32(v * 0.5f).F32(1 - v * 0.25f);
  return b;
}
ByteBuilder& Name(ByteBuilder& b, const char* s) {
  return b.U8(static_cast<uint32_t>(std::strlen(s) + 1)).Raw(s, std::strlen(s) + 1);
}
ByteBuilder OneTriangle() {
  ByteBuilder f = Header(3, 1, 0, 1, 0).U8(0x80).U16(0);
  Vec(Vec(Vec(f, 0, 0, 0), 1, 0, 0), 0, 1, 0).U32(0);
  return Uvs(f, 3).U8(5).Text("a.jpg");
}

template <typename T>
std::vector<T> Span(const T* p, size_t n) {
  return n ? std::vector<T>(p, p + n) : std::vector<T>();
}

// Saves the mesh, loads the file and saves what was loaded: both files must
// hold the same bytes. Leaves the loaded mesh in `loaded`.
void ExpectRoundTrip(const Mesh& mesh, Mesh& loaded) {
  std::vector<uint8_t> first, second;
  ASSERT_TRUE(SaveEM7(mesh, "first.Model") && LoadEM7(loaded, "first.Model") &&
              SaveEM7(loaded, "second.Model"));
  ASSERT_TRUE(ReadWholeFile("first.Model", &first) && ReadWholeFile("second.Model", &second));
  EXPECT_EQ(first, second);
  ASSERT_EQ(loaded.vertCount, mesh.vertCount);
  EXPECT_EQ(Span(loaded.pos, loaded.vertCount), Span(mesh.pos, mesh.vertCount));
  EXPECT_EQ(Span(loaded.tris, 3 * loaded.triCount), Span(mesh.tris, 3 * mesh.triCount));
}
}  // namespace

TEST(EM7, OneTriangleBadFilesQuadsReferencesAndWeightsRoundTrip) {
  ScratchDir dir;
  ASSERT_TRUE(dir.Write("one.Model", OneTriangle().bytes));
  Mesh mesh;
  mesh.slot = 3;
  LogCapture log;
  ASSERT_TRUE(LoadEM7(mesh, "one.Model"));
  EXPECT_TRUE(mesh.triCount == 1 && mesh.groupTris[0] == 1 && mesh.slot == 3);
  EXPECT_TRUE(mesh.pos[1] == vec3(1, 0, 0) && mesh.uv[5] == 0.5f);
  EXPECT_STREQ(mesh.texName[0].c_str(), "a.jpg");
  EXPECT_EQ(mesh.texName[0].length, 6);
  ByteBuilder bad = OneTriangle();
  bad.bytes[2] = '8';
  ASSERT_TRUE(dir.Write("bad.Model", bad.bytes) && dir.Write("short.Model", "EM", 2));
  EXPECT_FALSE(LoadEM7(mesh, "bin\\nope.Model") || LoadEM7(mesh, "bad.Model") ||
               LoadEM7(mesh, "short.Model"));
  EXPECT_TRUE(log.Contains("ERROR::EM7:file not found [bin\\nope.Model]"));
  EXPECT_TRUE(log.Contains("ERROR::EM7:file [bad.Model] bad header [EM8]"));
  EXPECT_EQ(mesh.vertCount, 3u);
  // Quads, references of both widths and weights; they round-trip.
  ByteBuilder f = Header(6, 3, 2, 2, 1);
  // Quad starting group 0 with texture 1, all four corners inline, weights.
  f.U8(0xC0).U16(1);
  for (int k = 0; k < 4; ++k) Vec(f, float(k), 0, 0).U8(1).U8(2).U16(k == 0 ? 65535 : 0);
  // Triangle: corners 0 and 1 are u32 references, corner 2 inline.
  Vec(f.U8(0x13).U32(3).U32(0), 9, 9, 9).U8(0);
  // Triangle starting group 1 (texture 0): corners u16 references.
  f.U8(0x87).U16(0).U16(0).U16(4).U16(5);
  Vec(f.U32(1), 5, 5, 5).U8(2).U8(1).U16(32768).U8(2).U16(32767);  // extra vertex 5
  Uvs(f, 6);
  Vec(Vec(Name(f, "root"), 1, 2, 3), 0.1f, 0.2f, 0.3f).U8(0);
  Vec(Vec(Name(f, "arm"), 0, 1, 0), 0, 0, 0).U8(1);
  f.U8(3).Text("ski").U8(5).Text("b.jpg").U16(2).U32(7).U32(0xFFFFFFFF);
  ASSERT_TRUE(dir.Write("mix.Model", f.bytes));
  ASSERT_TRUE(LoadEM7(mesh, "mix.Model"));
  EXPECT_TRUE(log.Contains("EM7::4 triangles 3 quads"));
  EXPECT_EQ(Span(mesh.tris, 12), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 3, 0, 4, 0, 4, 5}));
  EXPECT_EQ(Span(mesh.polys, 8), (std::vector<uint32_t>{0, 1, 2, 3, 3, 0, 4, 0}));
  EXPECT_TRUE(mesh.groupTris[0] == 3 && mesh.groupTris[1] == 1 && mesh.groupTex[0] == 1);
  EXPECT_TRUE(mesh.pos[4] == vec3(9, 9, 9) && mesh.pos[5] == vec3(5, 5, 5));
  EXPECT_TRUE(mesh.weights[0][0] == 1 && mesh.weights[1][0] == 0);
  ASSERT_TRUE(mesh.weightCount[5] == 2 && mesh.weightCount[4] == 0);
  EXPECT_TRUE(mesh.boneIdx[0][0] == 1 && mesh.boneIdx[5][0] == 0);  // bone bytes 2 and 1
  EXPECT_TRUE(mesh.boneParent[0] == -1 && mesh.boneParent[1] == 0);
  EXPECT_TRUE(mesh.boneName[0].length == 5 && mesh.bonePos[0] == vec3(1, 2, 3));
  EXPECT_STREQ(mesh.boneName[1].c_str(), "arm");
  EXPECT_STREQ(mesh.texName[0].c_str(), "ski");
  EXPECT_EQ(Span(mesh.sets[0], mesh.setSize[0]), (std::vector<uint32_t>{7, 0xFFFFFFFF}));
  Mesh again;
  ExpectRoundTrip(mesh, again);
  EXPECT_EQ(Span(again.polys, 8), Span(mesh.polys, 8));
  EXPECT_EQ(again.weights[5][1], mesh.weights[5][1]);
  mesh.boneParent[0] = 1;  // not an earlier bone: can't be written
  EXPECT_FALSE(SaveEM7(mesh, "never.Model"));
  EXPECT_TRUE(log.Contains("EM7:can't write [never.Model]: a parent isn't an earlier bone"));
  mesh.boneParent[0] = -1;  // texture names: 255 characters at most
  mesh.texName[1].assign(std::string(255, 'n').c_str());
  EXPECT_TRUE(SaveEM7(mesh, "long.Model"));
  mesh.texName[1].assign(std::string(256, 'n').c_str());
  EXPECT_FALSE(SaveEM7(mesh, "never.Model"));
  mesh.Clear();
  again.Clear();
}

TEST(EM7, BrokenLimitsAndTruncationsAreRejectedWithTheMeshKept) {
  ScratchDir dir;
  auto zeros = [](ByteBuilder b, int n) {
    for (int i = 0; i < n; ++i) Vec(b, 0, 0, 0);
    return b;
  };
  ByteBuilder longer = OneTriangle();
  longer.bytes[3] = 4;  // V = 4, but only 3 vertices come
  const std::pair<const char*, ByteBuilder> cases[] = {
      {"inline and", longer},
      {"starts group 1 of 0", Header(3, 1, 0, 0, 0).U8(0x80).U16(0)},
      {"first polygon starts no group", Uvs(zeros(Header(3, 1, 0, 1, 0).U8(0), 3).U32(0), 3)},
      {"names texture 1 of 1", Uvs(zeros(Header(3, 1, 0, 1, 0).U8(0x80).U16(1), 3).U32(0), 3)},
      {"refers to vertex 3 of 3",
       Uvs(Vec(zeros(Header(3, 1, 0, 0, 0).U8(0x04), 2).U16(3).U32(1), 0, 0, 0), 3)},
      {"names bone 2 of 1",
       zeros(Name(Uvs(zeros(Header(1, 0, 1, 0, 0).U32(1), 1).U8(1).U8(2).U16(1), 1), "a"), 2)},
      {"names bone 0 of 1", Uvs(zeros(Header(1, 0, 1, 0, 0).U32(1), 1).U8(1).U8(0).U16(1), 1)},
      {"bone 0 has parent byte 2",  // its own child
       zeros(Name(zeros(Name(Header(0, 0, 2, 0, 0).U32(0), "a"), 2).U8(2), "b"), 2)},
      {"don't fit", Header(0x10000000, 0x10000000, 0, 0, 0).U32(0)},
      {"set 0 of 60000 entries is cut short", Header(0, 0, 0, 0, 1).U32(0).U16(60000).U32(1)},
  };
  Mesh mesh;
  mesh.GenSphere(5, 5);
  const uint32_t verts = mesh.vertCount;
  for (const auto& [what, file] : cases) {
    // Trailing bytes are allowed (archive entries are followed by others), so
    // the size check doesn't hide the fault under test.
    std::vector<uint8_t> bytes = file.bytes;
    bytes.resize(bytes.size() + 300, 0);
    ASSERT_TRUE(dir.Write("broken.Model", bytes));
    LogCapture log;
    EXPECT_FALSE(LoadEM7(mesh, "broken.Model")) << what;
    EXPECT_TRUE(log.Contains("ERROR::EM7:file [broken.Model] rejected: ") && log.Contains(what))
        << what;
    EXPECT_EQ(mesh.vertCount, verts);
  }
  Mesh source;
  reference::ClusteredMesh(source, 40, 30, 3);
  source.resizeT(1, true);
  source.groupTris[0] = source.triCount;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveEM7(source, "full.Model") && ReadWholeFile("full.Model", &bytes));
  for (size_t n = 3; n < bytes.size(); ++n) {
    ASSERT_TRUE(dir.Write("cut.Model", bytes.data(), n));
    ASSERT_FALSE(LoadEM7(mesh, "cut.Model")) << n;
    ASSERT_EQ(mesh.vertCount, verts);
  }
  ASSERT_TRUE(LoadEM7(mesh, "full.Model"));
  EXPECT_EQ(mesh.vertCount, 40u);
  source.Clear();
  mesh.Clear();
}

TEST(EM7, WriterRoundTripsGeneratedAndWideMeshes) {
  ScratchDir dir;
  Mesh sphere, loaded;
  sphere.GenSphere(10, 8);
  ExpectRoundTrip(sphere, loaded);
  std::vector<uint32_t> polys;  // every triangle its own polygon
  for (uint32_t t = 0; t < 3 * sphere.triCount; t += 3)
    polys.insert(polys.end(), {sphere.tris[t], sphere.tris[t + 1], sphere.tris[t + 2], 0});
  EXPECT_EQ(Span(loaded.polys, 4 * loaded.polyCount), polys);
  loaded.Clear();
  sphere.Clear();
  // Indices above 65535 need u32 references.
  Mesh wide;
  reference::ClusteredMesh(wide, 70000, 500, 9);
  for (uint32_t t = 0; t < 50; ++t) wide.tris[3 * t] = 69990 + t % 10;
  ExpectRoundTrip(wide, loaded);
  wide.Clear();
  loaded.Clear();
}
