#include "geometry/em7.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/growth.h"
#include "storage/core.h"
#include "support/mesh_reference.h"
#include "support/test_support.h"

namespace {
// Little-endian byte builder for hand-made files.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U8(uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  Bytes& F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return U32(bits);
  }
  Bytes& Vec(float x, float y, float z) { return F32(x).F32(y).F32(z); }
  Bytes& Text(const char* s, size_t n) {
    b.insert(b.end(), s, s + n);
    return *this;
  }
  Bytes& Header(uint32_t V, uint32_t P, uint32_t B, uint32_t G, uint32_t S) {
    return Text("EM7", 3).U32(V).U32(P).U8(B).U16(G).U16(S);
  }
  Bytes& Uvs(uint32_t V) {
    for (uint32_t v = 0; v < V; ++v) F32(v * 0.5f).F32(1 - v * 0.25f);
    return *this;
  }
};

// Loose files in a scratch directory, with an empty archive so a missing
// name is just missing.
class EM7Test : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/em7testXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    Write("empty.core", {});
    CoreSetArchivePath("empty.core");
  }
  void TearDown() override {
    CoreSetArchivePath("brookfield.core");
    ASSERT_EQ(chdir(cwd_), 0);
    std::system(("rm -rf " + dir_).c_str());
  }
  void Write(const char* name, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  std::string dir_;
  char cwd_[4096];
};

Bytes OneTriangle() {
  Bytes f;
  f.Header(3, 1, 0, 1, 0).U8(0x80).U16(0);
  f.Vec(0, 0, 0).Vec(1, 0, 0).Vec(0, 1, 0);
  f.U32(0).Uvs(3).U8(5).Text("a.jpg", 5);
  return f;
}

int SameBytes(const void* a, const void* b, size_t n) {
  return n == 0 ? 0 : std::memcmp(a, b, n);
}

// Every field LoadEM7 fills.
void ExpectSameMesh(const Mesh& a, const Mesh& b) {
  ASSERT_EQ(a.vertCount, b.vertCount);
  ASSERT_EQ(a.triCount, b.triCount);
  ASSERT_EQ(a.polyCount, b.polyCount);
  EXPECT_EQ(SameBytes(a.pos, b.pos, 12 * a.vertCount), 0);
  EXPECT_EQ(SameBytes(a.uv, b.uv, 8 * a.vertCount), 0);
  EXPECT_EQ(SameBytes(a.tris, b.tris, 12 * a.triCount), 0);
  EXPECT_EQ(SameBytes(a.polys, b.polys, 16 * a.polyCount), 0);
  ASSERT_EQ(a.boneCount, b.boneCount);
  for (uint8_t i = 0; i < a.boneCount; ++i) {
    EXPECT_EQ(a.boneName[i].length, b.boneName[i].length);
    EXPECT_STREQ(a.boneName[i].c_str(), b.boneName[i].c_str());
    EXPECT_EQ(a.bonePos[i], b.bonePos[i]);
    EXPECT_EQ(a.boneRot[i], b.boneRot[i]);
    EXPECT_EQ(a.boneParent[i], b.boneParent[i]);
  }
  if (a.boneCount)
    for (uint32_t v = 0; v < a.vertCount; ++v) {
      ASSERT_EQ(a.weightCount[v], b.weightCount[v]);
      for (uint8_t k = 0; k < a.weightCount[v]; ++k) {
        EXPECT_EQ(a.boneIdx[v][k], b.boneIdx[v][k]);
        EXPECT_EQ(a.weights[v][k], b.weights[v][k]);
      }
    }
  ASSERT_EQ(a.groupCount, b.groupCount);
  for (uint16_t g = 0; g < a.groupCount; ++g) {
    EXPECT_EQ(a.groupTris[g], b.groupTris[g]);
    EXPECT_EQ(a.groupTex[g], b.groupTex[g]);
    EXPECT_STREQ(a.texName[g].c_str(), b.texName[g].c_str());
  }
  ASSERT_EQ(a.setCount, b.setCount);
  for (uint16_t s = 0; s < a.setCount; ++s) {
    ASSERT_EQ(a.setSize[s], b.setSize[s]);
    EXPECT_EQ(SameBytes(a.sets[s], b.sets[s], 4 * a.setSize[s]), 0);
  }
}
}  // namespace

TEST_F(EM7Test, MissingFileAndBadMagicLeaveTheMeshAlone) {
  Mesh mesh;
  mesh.GenBox(0, 0, 0);
  LogCapture log;
  EXPECT_FALSE(LoadEM7(mesh, "bin\\nope.Model"));
  EXPECT_TRUE(log.Contains("ERROR::EM7:file not found [bin\\nope.Model]"));
  Bytes bad = OneTriangle();
  bad.b[2] = '8';
  Write("bad.Model", bad.b);
  EXPECT_FALSE(LoadEM7(mesh, "bad.Model"));
  EXPECT_TRUE(log.Contains("ERROR::EM7:file [bad.Model] bad header [EM8]"));
  Write("short.Model", {'E', 'M'});
  EXPECT_FALSE(LoadEM7(mesh, "short.Model"));
  EXPECT_TRUE(log.Contains("bad header [EM]"));
  EXPECT_EQ(mesh.vertCount, 24u);
  EXPECT_EQ(mesh.triCount, 12u);
  mesh.Clear();
}

TEST_F(EM7Test, OneTriangleStartingAGroup) {
  Write("one.Model", OneTriangle().b);
  Mesh mesh;
  mesh.slot = 3;
  LogCapture log;
  ASSERT_TRUE(LoadEM7(mesh, "one.Model"));
  EXPECT_TRUE(log.Contains("EM7::1 triangles 1 quads"));
  EXPECT_TRUE(log.Contains("Loaded Model [one.Model] :: (v:3 f:1 b:0 t:1)"));
  EXPECT_EQ(mesh.vertCount, 3u);
  EXPECT_EQ(mesh.triCount, 1u);
  EXPECT_EQ(mesh.groupTris[0], 1u);
  EXPECT_EQ(mesh.pos[1], vec3(1, 0, 0));
  EXPECT_EQ(mesh.uv[5], 0.5f);
  EXPECT_STREQ(mesh.texName[0].c_str(), "a.jpg");
  EXPECT_EQ(mesh.texName[0].length, 6);
  EXPECT_EQ(mesh.slot, 3u);
  mesh.Clear();
}

TEST_F(EM7Test, QuadsReferencesOfBothWidthsAndWeights) {
  Bytes f;
  f.Header(6, 3, 2, 2, 1);
  // Quad starting group 0 with texture 1, all four corners inline, weights.
  f.U8(0xC0).U16(1);
  for (int k = 0; k < 4; ++k) f.Vec(float(k), 0, 0).U8(1).U8(2).U16(k == 0 ? 65535 : 0);
  // Triangle: corners 0 and 1 are u32 references, corner 2 inline.
  f.U8(0x13).U32(3).U32(0).Vec(9, 9, 9).U8(0);
  // Triangle starting group 1 (texture 0): corners u16 references.
  f.U8(0x87).U16(0).U16(0).U16(4).U16(5);
  f.U32(1).Vec(5, 5, 5).U8(2).U8(1).U16(32768).U8(2).U16(32767);  // extra vertex 5
  f.Uvs(6);
  f.U8(5).Text("root", 5).Vec(1, 2, 3).Vec(0.1f, 0.2f, 0.3f).U8(0);
  f.U8(4).Text("arm", 4).Vec(0, 1, 0).Vec(0, 0, 0).U8(1);
  f.U8(3).Text("skin.tga", 3).U8(5).Text("b.jpg", 5);
  f.U16(2).U32(7).U32(0xFFFFFFFF);
  Write("mix.Model", f.b);
  Mesh mesh;
  LogCapture log;
  ASSERT_TRUE(LoadEM7(mesh, "mix.Model"));
  EXPECT_TRUE(log.Contains("EM7::4 triangles 3 quads"));
  const uint32_t tris[12] = {0, 1, 2, 0, 2, 3, 3, 0, 4, 0, 4, 5};
  EXPECT_EQ(std::memcmp(mesh.tris, tris, sizeof tris), 0);
  const uint32_t quad[4] = {0, 1, 2, 3}, tri[4] = {3, 0, 4, 0};
  EXPECT_EQ(std::memcmp(mesh.polys, quad, 16), 0);
  EXPECT_EQ(std::memcmp(mesh.polys + 4, tri, 16), 0);
  EXPECT_EQ(mesh.groupTris[0], 3u);
  EXPECT_EQ(mesh.groupTris[1], 1u);
  EXPECT_EQ(mesh.groupTex[0], 1);
  EXPECT_EQ(mesh.pos[4], vec3(9, 9, 9));
  EXPECT_EQ(mesh.pos[5], vec3(5, 5, 5));
  EXPECT_EQ(mesh.weights[0][0], 1.0f);
  EXPECT_EQ(mesh.weights[1][0], 0.0f);
  EXPECT_EQ(mesh.boneIdx[0][0], 1u);  // bone byte 2
  ASSERT_EQ(mesh.weightCount[5], 2);
  EXPECT_EQ(mesh.boneIdx[5][0], 0u);  // bone byte 1
  EXPECT_EQ(mesh.weightCount[4], 0);
  EXPECT_EQ(mesh.boneParent[0], -1);
  EXPECT_EQ(mesh.boneParent[1], 0);
  EXPECT_EQ(mesh.boneName[0].length, 5);
  EXPECT_STREQ(mesh.boneName[1].c_str(), "arm");
  EXPECT_EQ(mesh.bonePos[0], vec3(1, 2, 3));
  EXPECT_STREQ(mesh.texName[0].c_str(), "ski");
  EXPECT_EQ(mesh.setSize[0], 2);
  EXPECT_EQ(mesh.sets[0][1], 0xFFFFFFFFu);

  // And the writer gives the same mesh back.
  ASSERT_TRUE(SaveEM7(mesh, "again.Model"));
  Mesh again;
  ASSERT_TRUE(LoadEM7(again, "again.Model"));
  ExpectSameMesh(mesh, again);
  mesh.Clear();
  again.Clear();
}

TEST_F(EM7Test, BrokenLimitsAreRejectedWithTheReasonAndTheMeshKept) {
  struct Case {
    const char* what;
    Bytes file;
  };
  std::vector<Case> cases;
  {
    Bytes f = OneTriangle();
    f.b[3] = 4;  // V = 4, but only 3 vertices come
    cases.push_back({"inline and", f});
  }
  {
    Bytes f;
    f.Header(3, 1, 0, 0, 0).U8(0x80).U16(0);  // group start with G = 0
    cases.push_back({"starts group 1 of 0", f});
  }
  {
    Bytes f;
    f.Header(3, 1, 0, 1, 0).U8(0x00).Vec(0, 0, 0).Vec(0, 0, 0).Vec(0, 0, 0).U32(0).Uvs(3).U8(0);
    cases.push_back({"first polygon starts no group", f});
  }
  {
    Bytes f;
    f.Header(3, 1, 0, 1, 0).U8(0x80).U16(1).Vec(0, 0, 0).Vec(0, 0, 0).Vec(0, 0, 0);
    f.U32(0).Uvs(3).U8(0);
    cases.push_back({"names texture 1 of 1", f});
  }
  {
    Bytes f;
    f.Header(3, 1, 0, 0, 0).U8(0x04).Vec(0, 0, 0).Vec(0, 0, 0).U16(3).U32(1).Vec(0, 0, 0);
    f.Uvs(3);
    cases.push_back({"refers to vertex 3 of 3", f});
  }
  {
    Bytes f;
    f.Header(1, 0, 1, 0, 0).U32(1).Vec(0, 0, 0).U8(1).U8(2).U16(1).Uvs(1);
    f.U8(2).Text("a", 2).Vec(0, 0, 0).Vec(0, 0, 0).U8(0);
    cases.push_back({"names bone 2 of 1", f});
  }
  {
    Bytes f;
    f.Header(1, 0, 1, 0, 0).U32(1).Vec(0, 0, 0).U8(1).U8(0).U16(1).Uvs(1);
    cases.push_back({"names bone 0 of 1", f});
  }
  {
    Bytes f;
    f.Header(0, 0, 2, 0, 0).U32(0);
    f.U8(2).Text("a", 2).Vec(0, 0, 0).Vec(0, 0, 0).U8(2);  // its own child
    f.U8(2).Text("b", 2).Vec(0, 0, 0).Vec(0, 0, 0).U8(0);
    cases.push_back({"bone 0 has parent byte 2", f});
  }
  {
    Bytes f;
    f.Header(0x10000000, 0x10000000, 0, 0, 0).U32(0);
    cases.push_back({"don't fit", f});
  }
  {
    Bytes f;
    f.Header(0, 0, 0, 0, 1).U32(0).U16(60000).U32(1);
    cases.push_back({"set 0 of 60000 entries is cut short", f});
  }
  Mesh mesh;
  mesh.GenSphere(5, 5);
  const uint32_t verts = mesh.vertCount;
  for (Case& c : cases) {
    // Trailing bytes are allowed (archive entries are followed by others), so
    // the size check doesn't hide the fault under test.
    c.file.b.resize(c.file.b.size() + 300, 0);
    Write("broken.Model", c.file.b);
    LogCapture log;
    EXPECT_FALSE(LoadEM7(mesh, "broken.Model")) << c.what;
    EXPECT_TRUE(log.Contains("ERROR::EM7:file [broken.Model] rejected: ")) << c.what;
    EXPECT_TRUE(log.Contains(c.what))
        << c.what << ": " << (log.lines.empty() ? "" : log.lines.back());
    EXPECT_EQ(mesh.vertCount, verts);
    EXPECT_STREQ(mesh.texName[0].c_str(), "empty");
  }
  mesh.Clear();
}

TEST_F(EM7Test, EveryTruncationIsRejected) {
  Mesh source;
  reference::ClusteredMesh(source, 40, 30, 3);
  source.resizeT(1, true);
  source.groupTris[0] = source.triCount;
  source.texName[0].assign("t.jpg");
  ASSERT_TRUE(SaveEM7(source, "full.Model"));
  FILE* f = std::fopen("full.Model", "rb");
  std::vector<uint8_t> bytes(100000);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  Mesh mesh;
  mesh.GenBox(0, 0, 0);
  for (size_t n = 3; n < bytes.size(); ++n) {
    Write("cut.Model", std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    ASSERT_FALSE(LoadEM7(mesh, "cut.Model")) << n;
    ASSERT_EQ(mesh.vertCount, 24u);
  }
  ASSERT_TRUE(LoadEM7(mesh, "full.Model"));
  EXPECT_EQ(mesh.vertCount, 40u);
  source.Clear();
  mesh.Clear();
}

TEST_F(EM7Test, WriterRoundTripsGeneratedAndWideMeshes) {
  Mesh sphere;
  sphere.GenSphere(10, 8);
  ASSERT_TRUE(SaveEM7(sphere, "sphere.Model"));
  Mesh loaded;
  ASSERT_TRUE(LoadEM7(loaded, "sphere.Model"));
  ASSERT_EQ(loaded.polyCount, sphere.triCount);  // every triangle its own polygon
  sphere.polyCount = loaded.polyCount;
  ASSERT_TRUE(sphere.resizeF(sphere.triCount, false));
  std::memcpy(sphere.polys, loaded.polys, 16 * loaded.polyCount);
  ExpectSameMesh(sphere, loaded);
  loaded.Clear();

  // Indices above 65535 need u32 references; skinned, with sets.
  Mesh wide;
  reference::ClusteredMesh(wide, 70000, 500, 9);
  for (uint32_t t = 0; t < 50; ++t) wide.tris[3 * t] = 69990 + t % 10;
  wide.resizeB(3, true);
  for (uint8_t b = 0; b < 3; ++b) {
    wide.boneName[b].format("bone%u", b);
    wide.bonePos[b] = vec3(b, 0, 0);
    wide.boneRot[b] = vec3(0, 0, b * 0.5f);
    wide.boneParent[b] = b - 1;
  }
  for (uint32_t v = 0; v < wide.vertCount; v += 7) {
    wide.weightCount[v] = 2;
    ResizeArray(wide.boneIdx[v], 2, "test", 0, "test");
    ResizeArray(wide.weights[v], 2, "test", 0, "test");
    wide.boneIdx[v][0] = v % 3;
    wide.boneIdx[v][1] = 2;
    wide.weights[v][0] = static_cast<float>(v % 65536) * (1.0f / 65535.0f);
    wide.weights[v][1] = 1.0f;
  }
  wide.resizeS(2, 0);
  wide.resizeS(1, 3);
  wide.sets[1][2] = 123456;
  ASSERT_TRUE(SaveEM7(wide, "wide.Model"));
  ASSERT_TRUE(LoadEM7(loaded, "wide.Model"));
  wide.polyCount = loaded.polyCount;
  wide.resizeF(wide.triCount, false);
  std::memcpy(wide.polys, loaded.polys, 16 * loaded.polyCount);
  ExpectSameMesh(wide, loaded);
  wide.boneParent[0] = 1;  // not an earlier bone: can't be written
  LogCapture log;
  EXPECT_FALSE(SaveEM7(wide, "never.Model"));
  EXPECT_TRUE(log.Contains("EM7:can't write [never.Model]: a parent isn't an earlier bone"));
  wide.Clear();
  loaded.Clear();
  sphere.Clear();
}

TEST_F(EM7Test, QhtoolInfoPrintsFactsAndSurvivesDamage) {
  Bytes f = OneTriangle();
  Write("one.Model", f.b);
  const std::string tool = QH_BINARY_DIR "/qhtool info ";
  FILE* out = popen((tool + "one.Model").c_str(), "r");
  ASSERT_NE(out, nullptr);
  char text[512] = {};
  const size_t got = std::fread(text, 1, sizeof text - 1, out);
  EXPECT_EQ(pclose(out), 0);
  EXPECT_EQ(std::string(text, got),
            "EM7 vertices=3 triangles=1 polys=1 bones=0 groups=1 sets=0\n"
            "group 0 texture=a.jpg triangles=1\n");

  // Truncations and byte flips of a skinned file: a verdict, never a crash.
  Mesh source;
  reference::ClusteredMesh(source, 30, 20, 5);
  source.resizeB(2, true);
  source.boneName[0].assign("hip");
  source.boneName[1].assign("leg");
  source.boneParent[0] = -1;
  source.boneParent[1] = 0;
  ASSERT_TRUE(SaveEM7(source, "skin.Model"));
  source.Clear();
  out = popen((tool + "skin.Model").c_str(), "r");
  const size_t n = std::fread(text, 1, sizeof text - 1, out);
  EXPECT_EQ(pclose(out), 0);
  EXPECT_NE(std::string(text, n).find("bone 1 leg parent=0\n"), std::string::npos);

  FILE* in = std::fopen("skin.Model", "rb");
  std::vector<uint8_t> bytes(1 << 16);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  std::fclose(in);
  std::mt19937 rng(8);
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<uint8_t> damaged = bytes;
    if (trial % 2) {
      damaged.resize(3 + rng() % (bytes.size() - 3));
    } else {
      for (int k = 0; k < 3; ++k) damaged[3 + rng() % (bytes.size() - 3)] ^= 1 << (rng() % 8);
    }
    Write("damaged.Model", damaged);
    const int status = std::system((tool + "damaged.Model >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << trial;
    ASSERT_LE(WEXITSTATUS(status), 1) << trial;
    if (trial % 2) {
      EXPECT_EQ(WEXITSTATUS(status), 1) << trial;
    }
  }
}
