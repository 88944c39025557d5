// qhtool export / import: the generated content through glTF and back (and
// through the Khronos validator), a glTF written by hand imported and drawn
// from loose files, and what the program's formats can't hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "geometry/em7.h"
#include "geometry/model.h"
#include "storage/bytes.h"
#include "support/content_archive.h"
#include "support/test_support.h"

namespace {
const char* const kClips[] = {"stand", "stand_s", "hwalk", "jump_air", "jump_airf", "jump_land",
                              "run",   "Rturn",   "Lturn", "fly",      "ffly"};

// A model file loaded and placed, posed by one clip at a time.
struct Body {
  Mesh mesh;
  Model model;
  CAnim clip;
  CAnim* anims[1] = {&clip};
  bool loaded;
  explicit Body(const std::string& file) {
    mesh.Init();
    model.Reset();
    loaded = LoadEM7(mesh, file.c_str());
    if (loaded) model.Assign(&mesh);
  }
  ~Body() {
    model.anims = nullptr;  // not the model's to free
    model.Release();
    clip.Clear();
    mesh.Clear();
  }
  // The skinned vertices at frame t of the clip.
  const vec3* Pose(float t) {
    model.anims = anims;
    model.animCount = 1;
    clip.weight = 1;
    clip.time = t;
    model.UpdateSkin(0);
    return model.verts;
  }
};

// qhtool run in folder `where`, its output and errors together.
std::string Qhtool(const std::string& arguments, int* status, const std::string& where = ".") {
  std::string out;
  *status =
      RunCommand("cd " + where + " && " + BinaryPath("qhtool") + " " + arguments + " 2>&1", &out);
  return out;
}

// The Khronos validator's report on the files (status 0: no errors).
std::string Validate(const std::string& files, int* status) {
  std::string report;
  *status =
      RunCommand("node " + std::string(QH_SOURCE_DIR) + "/scripts/validate-gltf.js --validator " +
                     QH_BINARY_DIR + "/gltf-validator" + files + " 2>&1",
                 &report);
  return report;
}

// A red two-bone strip 1 x 2 up glTF's +Y facing +Z, under an "armature" scaled 2: joints "root"
// at its foot and "neck2" at mid-height (inverse binds in accessor 0), which "bend" turns 45
// degrees about +Z at 0.5 s and back at `end` s. `extra` vertices more are claimed than stored.
void WriteStrip(const std::string& file, float end, int extra) {
  ByteWriter bin;
  std::string views, accessors;
  size_t from = 0;
  int view = 0;
  auto accessor = [&](int componentType, const char* type, int count, const std::string& more) {
    char text[256];
    std::snprintf(text, sizeof text, "%s{\"buffer\":0,\"byteOffset\":%zu,\"byteLength\":%zu}",
                  views.empty() ? "" : ",", from, bin.bytes.size() - from);
    views += text;
    std::snprintf(text, sizeof text,
                  "%s{\"bufferView\":%d,\"componentType\":%d,\"type\":\"%s\",\"count\":%d%s}",
                  accessors.empty() ? "" : ",", view++, componentType, type, count, more.c_str());
    accessors += text;
    from = bin.bytes.size();
  };
  for (float y : {0.0f, -1.0f})
    for (float m : {1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, y, 0.f, 1.f})
      bin.F32(m);
  accessor(5126, "MAT4", 2, "");
  for (int v = 0; v < 6; ++v) bin.Vec(vec3(v % 2 - 0.5f, static_cast<float>(v / 2), 0));
  accessor(5126, "VEC3", 6 + extra, ",\"min\":[-0.5,0,0],\"max\":[0.5,2,0]");
  for (int i : {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}) bin.U16(i);
  accessor(5123, "SCALAR", 12, "");
  for (int i : {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}) bin.U8(i);
  accessor(5121, "VEC4", 6, "");
  for (int v = 0; v < 6; ++v)
    for (float w : {v / 2 == 1 ? 0.5f : 1.0f, v / 2 == 1 ? 0.5f : 0.0f, 0.0f, 0.0f}) bin.F32(w);
  accessor(5126, "VEC4", 6, "");
  for (float t : {0.0f, 0.5f, end}) bin.F32(t);
  accessor(5126, "SCALAR", 3, ",\"min\":[0],\"max\":[" + std::to_string(end) + "]");
  const float s = std::sin(0.3926991f), c = std::cos(0.3926991f);
  for (float q : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, s, c, 0.f, 0.f, 0.f, 1.f}) bin.F32(q);
  accessor(5126, "VEC4", 3, "");
  ASSERT_TRUE(WriteWholeFile(file + ".bin", bin.bytes));
  const std::string json =
      R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[2,3]}],)"
      R"("nodes":[{"name":"root","children":[1]},{"name":"neck2","translation":[0,1,0]},)"
      R"({"name":"strip","mesh":0,"skin":0},{"name":"armature","scale":[2,2,2],"children":[0]}],)"
      R"("meshes":[{"primitives":[{"attributes":)"
      R"({"POSITION":1,"JOINTS_0":3,"WEIGHTS_0":4},"indices":2,"material":0}]}],)"
      R"("materials":[{"pbrMetallicRoughness":{"baseColorFactor":[1,0,0,1]}}],)"
      R"("skins":[{"joints":[0,1],"inverseBindMatrices":0}],"animations":[{"name":"bend",)"
      R"("samplers":[{"input":5,"output":6}],"channels":[{"sampler":0,"target":{"node":1,)"
      R"("path":"rotation"}}]}],"buffers":[{"uri":")" +
      file + ".bin\",\"byteLength\":" + std::to_string(bin.bytes.size()) + "}],\"bufferViews\":[" +
      views + "],\"accessors\":[" + accessors + "]}";
  std::vector<uint8_t> bytes(json.begin(), json.end());
  ASSERT_TRUE(WriteWholeFile(file + ".gltf", bytes));
}

TEST(QhtoolGltf, GeneratedContentRoundTripsAndValidates) {
  TempDir dir(true);
  std::string files;
  for (const char* model : {"pegasus", "earthling", "tree", "map2", "tree_map"}) {
    SCOPED_TRACE(model);
    const bool body = model[0] == 'p' || model[0] == 'e';  // the bodies play every clip
    std::string arguments = std::string("export 'bin\\") + model + ".Model' --archive " +
                            BuiltArchivePath() + " --out " + model + ".glb";
    for (const char* clip : kClips)
      if (body) arguments += std::string(" --clip 'bin\\") + clip + ".Anim'";
    int status;
    std::string out = Qhtool(arguments, &status);
    ASSERT_EQ(status, 0) << out;
    files += std::string(" ") + model + ".glb";
    out = Qhtool(std::string("import ") + model + ".glb --out out", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("missing"), std::string::npos) << out;

    BuiltArchiveScope archive;
    Body original(std::string("bin\\") + model + ".Model");
    Body back(dir.File("out/bin/") + model + ".Model");
    ASSERT_TRUE(original.loaded && back.loaded);
    const Mesh &a = original.mesh, &b = back.mesh;
    ASSERT_EQ(b.vertCount, a.vertCount);
    ASSERT_EQ(b.triCount, a.triCount);
    ASSERT_EQ(b.groupCount, a.groupCount);
    ASSERT_EQ(b.boneCount, a.boneCount);
    const float radius = original.model.radius;
    float worst = 0, worstUv = 0;
    for (uint32_t v = 0; v < a.vertCount; ++v) {
      worst = std::max(worst, length(a.pos[v] - b.pos[v]));
      for (int k : {0, 1})
        worstUv = std::max(worstUv, std::fabs(a.uv[2 * v + k] - b.uv[2 * v + k]));
    }
    EXPECT_LE(worst, 1e-4f * radius);
    EXPECT_LE(worstUv, 1e-6f);
    EXPECT_TRUE(std::equal(a.tris, a.tris + 3 * a.triCount, b.tris));
    for (int bone = 0; bone < a.boneCount; ++bone) {
      EXPECT_STREQ(b.boneName[bone].c_str(), a.boneName[bone].c_str());
      EXPECT_EQ(b.boneParent[bone], a.boneParent[bone]);
    }
    // JPEG textures travel byte for byte.
    for (uint16_t g = 0; g < a.groupCount; ++g) {
      std::vector<uint8_t> jpeg;
      ASSERT_TRUE(ReadWholeFile(dir.File("out/") + b.texName[g].c_str(), &jpeg));
      bool same = false;
      for (const ArchiveEntry& e : BuiltEntries())
        same |= e.name == a.texName[g].c_str() && e.data == jpeg;
      EXPECT_TRUE(same) << a.texName[g].c_str();
    }
    for (const char* clip : kClips) {
      if (!body) break;
      SCOPED_TRACE(clip);
      ASSERT_TRUE(LoadClip(original.clip, (std::string("bin\\") + clip + ".Anim").c_str()));
      ASSERT_TRUE(LoadClip(back.clip, (dir.File("out/bin/") + clip + ".Anim").c_str()));
      ASSERT_EQ(back.clip.frames, original.clip.frames);
      worst = 0;
      for (float t = 1; t <= original.clip.frames; t += 0.35f) {
        const vec3* p = original.Pose(t);
        const vec3* q = back.Pose(t);
        for (uint32_t v = 0; v < a.vertCount; ++v) worst = std::max(worst, length(p[v] - q[v]));
      }
      EXPECT_LE(worst, 1e-3f * radius);
    }
  }
  int status;
  const std::string report = Validate(files, &status);
  EXPECT_EQ(status, 0) << report;
}

TEST(QhtoolGltf, HandWrittenStripImportsAndIsDrawnFromLooseFiles) {
  TempDir dir(true);
  WriteStrip("strip", 1.0f, 0);
  int status;
  std::string out = Qhtool("import strip.gltf --out run --scale 2 --name ribbon", &status);
  ASSERT_EQ(status, 0) << out;
  for (const char* bone : {"Reye", "Leye", "neck1", "head"})
    EXPECT_NE(out.find(std::string("missing bone ") + bone + " "), std::string::npos) << out;
  for (const char* bone : {"root", "neck2"})
    EXPECT_EQ(out.find(std::string("missing bone ") + bone + " "), std::string::npos) << out;
  for (const char* clip : kClips)
    EXPECT_NE(out.find(std::string("missing clip ") + clip + " "), std::string::npos) << out;

  Body body(dir.File("run/bin/ribbon.Model"));
  ASSERT_TRUE(body.loaded);
  const Mesh& m = body.mesh;
  ASSERT_EQ(m.vertCount, 6u);
  ASSERT_EQ(m.triCount, 4u);
  ASSERT_EQ(m.boneCount, 2);
  EXPECT_STREQ(m.boneName[1].c_str(), "neck2");
  EXPECT_EQ(m.boneParent[1], 0);
  EXPECT_EQ(length(m.bonePos[1] - vec3(0, 0, 4)), 0.0f);  // glTF +Y is up, times 2 times 2
  EXPECT_LT(length(m.pos[5] - vec3(0, 2, 8)), 1e-5f);
  ASSERT_TRUE(LoadClip(body.clip, dir.File("run/bin/bend.Anim").c_str()));
  EXPECT_EQ(body.clip.frames, 11u);  // 1 s at 10 frames a second, from frame 1
  // Half a second in, the upper row has turned 45 degrees about neck2, toward -Y.
  EXPECT_EQ(body.clip.tracks[1].rotCount, 2);  // the last key, equal to the first, is the wrap's
  EXPECT_LT(length(body.Pose(6)[5] - vec3(0, -1.4142135f, 8.2426407f)), 1e-4f);
  EXPECT_LT(length(body.Pose(11)[5] - vec3(0, 2, 8)), 1e-4f);

  // Exported again from loose files alone, with a TGA for its texture.
  body.mesh.texName[0].assign("red.tga");
  ASSERT_TRUE(SaveEM7(body.mesh, "run/bin/tga.Model"));
  std::vector<uint8_t> tga(30, 0);
  tga[2] = tga[12] = tga[14] = 2;
  tga[16] = 24;
  for (int i = 20; i < 30; i += 3) tga[i] = 255;  // blue, green, red
  ASSERT_TRUE(WriteWholeFile("run/red.tga", tga));
  out = Qhtool("export 'bin\\tga.Model' --clip 'bin\\bend.Anim' --out ../tga.glb", &status, "run");
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(out.find("can't be read"), std::string::npos) << out;  // the image went in as PNG
  out = Validate(" tga.glb", &status);
  EXPECT_EQ(status, 0) << out;

  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (run under xvfb-run)";
  // No archive in the folder: qhtool view reads the loose files alone.
  out = Qhtool("view 'bin\\ribbon.Model' --clip 'bin\\bend.Anim' --time 6 --size 128 --out v.png",
               &status, "run");
  ASSERT_EQ(status, 0) << out;
  const std::vector<uint8_t> rgb = ReadPngRgb("run/v.png", 128, 128);
  int red = 0;
  for (size_t i = 0; i < rgb.size(); i += 3)
    red += rgb[i] > 140 && rgb[i + 1] < 90 && rgb[i + 2] < 90;
  EXPECT_GT(red, 1000);  // the strip's front, textured with its material's colour
}

TEST(QhtoolGltf, RefusesWhatTheFormatsCantHoldAndWritesNothing) {
  TempDir dir(true);
  std::string joints = R"({"asset":{"version":"2.0"},"nodes":[{})", list = "0";
  for (int i = 1; i < 256; ++i) joints += ",{}", list += "," + std::to_string(i);
  dir.Write("joints.gltf", joints + R"(],"skins":[{"joints":[)" + list + "]}]}");
  WriteStrip("long", 7000.0f, 0);
  WriteStrip("past", 1.0f, 1);
  const std::string archive = " --archive " + BuiltArchivePath();
  const struct {
    std::string arguments;
    const char* reason;
  } cases[] = {
      {"import joints.gltf --out o", "256 joints: a model numbers its bones in one byte"},
      {"import long.gltf --out o", "bend: it lasts 70001 frames at 10 a second; a clip holds"},
      {"import past.gltf --out o", "accessor 1 runs past its buffer"},
      {"import long.gltf --out o --scale -1", "usage: qhtool import"},
      {"export 'bin\\tree.Model' --clip 'bin\\hwalk.Anim' --out t.glb" + archive,
       "a model without bones plays no clips"},
      {"export 'bin\\pegasus.Model' --out t.gltf" + archive, "the output must end in .glb"},
      {"export 'bin\\pegasus.Model' --out t.glb", "EM7:file not found [bin\\pegasus.Model]"},
  };
  for (const auto& c : cases) {
    int status;
    const std::string out = Qhtool(c.arguments, &status);
    EXPECT_EQ(status, 1) << c.arguments;
    EXPECT_NE(out.find(c.reason), std::string::npos) << c.arguments << ": " << out;
  }
  EXPECT_FALSE(std::filesystem::exists("o") || std::filesystem::exists("t.glb"));
}
}  // namespace
