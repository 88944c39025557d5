// qhtool run as a user would: pack / list / extract / log / info / decode; the generated content
// through glTF and back (and the Khronos validator), a hand-written glTF imported and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/scramble.h"
#include "game/spline.h"
#include "geometry/em7.h"
#include "geometry/model.h"
#include "storage/archive_writer.h"
#include "storage/bytes.h"
#include "storage/core.h"
#include "support/byte_builder.h"
#include "support/content_archive.h"
#include "support/libjpeg_codec.h"
#include "support/test_support.h"

namespace {
const char* const kClips[] = {"stand", "stand_s", "hwalk", "jump_air", "jump_airf", "jump_land",
                              "run",   "Rturn",   "Lturn", "fly",      "ffly"};
struct Body {  // a model file loaded and placed, posed by one clip at a time
  Mesh mesh;
  Model model;
  CAnim clip;
  CAnim* anims[1] = {&clip};
  bool loaded;
  explicit Body(const std::string& file) {
    mesh.Init(), model.Reset();
    if ((loaded = LoadEM7(mesh, file.c_str()))) model.Assign(&mesh);
  }
  ~Body() {
    model.anims = nullptr;  // not the model's to free
    model.Release(), clip.Clear(), mesh.Clear();
  }
  const vec3* Pose(float t) {  // the skinned vertices at frame t
    model.anims = anims, model.animCount = 1, clip.weight = 1, clip.time = t;
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
bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != text.npos;
}
const std::string kValidate =  // the Khronos validator on the files that follow (0: no errors)
    "node " QH_SOURCE_DIR "/scripts/validate-gltf.js --validator " QH_BINARY_DIR "/gltf-validator";
// A red two-bone strip 1 x 2 up glTF's +Y facing +Z, under an "armature" scaled 2: joints "root"
// at its foot and "neck2" at mid-height (inverse binds in accessor 0), which "bend" turns 45
// degrees about +Z at 0.5 s and back at `end` s. `extra` vertices more are claimed than stored.
void WriteStrip(const std::string& file, float end, int extra) {
  ByteWriter bin;
  std::string views, accessors;
  size_t from = 0;
  int view = 0;
  auto accessor = [&](int componentType, const char* type, int count, const std::string& more) {
    const std::string comma = view ? "," : "", n = std::to_string(bin.bytes.size() - from);
    views += comma + R"({"buffer":0,"byteOffset":)" + std::to_string(from) +
             ",\"byteLength\":" + n + "}";
    accessors += comma + R"({"bufferView":)" + std::to_string(view++) +
                 ",\"componentType\":" + std::to_string(componentType) + ",\"type\":\"" + type +
                 "\",\"count\":" + std::to_string(count) + more + "}";
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
      R"("meshes":[{"primitives":[{"attributes":{"POSITION":1,"JOINTS_0":3,"WEIGHTS_0":4},)"
      R"("indices":2,"material":0}]}],"materials":[{"pbrMetallicRoughness":{"baseColorFactor":)"
      R"([1,0,0,1]}}],"skins":[{"joints":[0,1],"inverseBindMatrices":0}],"animations":[{)"
      R"("name":"bend","samplers":[{"input":5,"output":6}],"channels":[{"sampler":0,"target":)"
      R"({"node":1,"path":"rotation"}}]}],"buffers":[{"uri":")" +
      file + ".bin\",\"byteLength\":" + std::to_string(bin.bytes.size()) + "}],\"bufferViews\":[" +
      views + "],\"accessors\":[" + accessors + "]}";
  ASSERT_TRUE(WriteWholeFile(file + ".gltf", std::vector<uint8_t>(json.begin(), json.end())));
}

std::vector<uint8_t> Tga(int type, int width, int height, int bits, std::vector<uint8_t> pixels) {
  pixels.insert(pixels.begin(), 18, 0);
  pixels[2] = type, pixels[12] = width, pixels[14] = height, pixels[16] = bits;
  return pixels;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> file, size_t n) {
  file.resize(file.size() - n);
  return file;
}
TEST(QhtoolArchive, PackListExtractRoundTrip) {
  TempDir dir(true);
  const std::string files[][2] = {{"sky.vs", "void main(){}"},
                                  {"ZL.Line", "SH3"},
                                  {"snd/kt_jump.mp3", "ID3"},
                                  {"bin/tree.Model", std::string("\0\1\2", 3)}};
  for (const auto& [name, data] : files) dir.Write("content/" + name, data);
  int status;
  ASSERT_EQ(Qhtool("pack brookfield.core content", &status), "");
  EXPECT_EQ(Qhtool("list brookfield.core", &status),
            "ZL.Line\t3\nbin\\tree.Model\t3\nsky.vs\t13\nsnd\\kt_jump.mp3\t3\n");
  // The program's reader finds the entries, the shader stored scrambled and read plain.
  const std::unique_ptr<char[]> text(CoreReadText("sky.vs"));
  EXPECT_STREQ(text.get(), "void main(){}");
  EXPECT_EQ(CWsize("snd\\kt_jump.mp3", "rb", true), 3);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile("brookfield.core", &bytes));
  EXPECT_FALSE(Has(std::string(bytes.begin(), bytes.end()), "void main"));
  ASSERT_EQ(Qhtool("extract brookfield.core out", &status), "");
  for (const auto& [name, data] : files)
    EXPECT_TRUE(ReadWholeFile("out/" + name, &bytes) &&
                std::string(bytes.begin(), bytes.end()) == data)
        << name;
}

// Lines scrambled by hand, some of which hold CR LF once scrambled, each followed by CR LF.
TEST(QhtoolLog, DecodesEveryLineEvenWithScrambledLineBreaks) {
  TempDir dir(true);
  std::string file, expected;
  uint32_t seed = 12345, breaks = 0;
  for (int i = 0; breaks < 5 && i < 1000000; ++i) {
    char text[64];  // printable noise, so that any key byte can make a pair CR LF
    int n = std::snprintf(text, sizeof text, "%3i:%3i::line ", i / 1000 % 1000, i % 1000);
    for (int k = 0; k < 1 + i % 20; ++k, ++n)
      text[n] = static_cast<char>(' ' + ((seed = seed * 1103515245u + 12345u) >> 16) % 95);
    std::string line(text, n);
    Scramble(&line[0], static_cast<int32_t>(line.size()));
    const bool hasBreak = Has(line, "\r\n");
    if ((breaks += hasBreak, !hasBreak) && i % 500) continue;
    expected += std::string(text, n) + "\n", file += line + "\r\n";
  }
  ASSERT_EQ(breaks, 5u);
  dir.Write("dump.mem", file);
  int status;
  EXPECT_EQ(Qhtool("log dump.mem", &status), expected);
  EXPECT_EQ(status, 0);
}

TEST(QhtoolInfo, SummarisesEachKindOfFileGivesTheReasonForDamageAndDecodesImages) {
  TempDir dir(true);
  int status;
  // A clip of 12 frames, one track with position keys at frames 1 and 6.
  ByteBuilder clip;
  clip.Text("A2").U32(12).U8(1).U8(5).Raw("root", 5).U16(2);
  clip.U32(1).U8(0).F32(0).F32(0).F32(0).U32(6).U8(0).F32(1).F32(0).F32(0).U16(0).U16(0);
  std::vector<uint8_t> late = clip.bytes, flipped = clip.bytes;
  late[2 + 4 + 1 + 1 + 5 + 2] = 6, flipped[1] ^= 0x40;  // the first key moved onto the second
  CSpline set;
  ASSERT_TRUE(set.Resize(2, -1) && set.Resize(0, 3) && set.Resize(1, 5));
  set.bone[0] = 7, set.color[0] = vec3(1, 0.5f, 0);
  ByteBuilder sph;
  sph.U32(2).F32(1).F32(2).F32(3).F32(0).F32(0.5f).F32(0).F32(1).F32(0.75f).F32(2).U16(4);
  sph.F32(0).F32(0).F32(-1).F32(0).F32(0).F32(0.25f).F32(3).F32(3).F32(3).U16(0);
  const std::vector<uint8_t> jpeg = EncodeJpeg(TestPicture(40, 30, 3), 40, 30, {3, 2});  // 2 x 1
  // {name, file, status, all of the output when the file is read, else part of the reason}
  const std::tuple<const char*, std::vector<uint8_t>, int, std::string> cases[] = {
      {"a.Anim", clip.bytes, 0,
       "ANIM version=2 frames=12 tracks=1\ntrack 0 root pos=2 rot=0 scale=0\n"},
      {"late.Anim", late, 1, "position keys: key times don't increase"},
      {"flip.Anim", flipped, 1, "flip.Anim: bad header"},
      {"MV.Line", set.Encode(), 0,
       "LINE strands=2\nstrand 0 points=3 bone=7 color=1,0.5,0\n"
       "strand 1 points=5 bone=-1 color=0,0,0\n"},
      {"cut.Line", Cut(set.Encode(), 5), 1, "Spline::(cut.Line) bad file"},
      {"sph.col", sph.bytes, 0,
       "SPH count=2\nsphere 0 bone=3 position=1,2,3 rotation=0,0.5,0 scale=1,0.75,2\n"
       "sphere 1 bone=-1 position=0,0,-1 rotation=0,0,0.25 scale=3,3,3\n"},
      {"cut.col", Cut(sph.bytes, 1), 1, "[cut.col] lists [2] placements but holds [1]"},
      {"none.col", ByteBuilder().U32(0).bytes, 0, "SPH count=0\n"},
      {"a.jpg", jpeg, 0, "JPEG width=40 height=30 components=3 sampling=2x1\n"},
      {"cut.jpg", Cut(jpeg, 40), 1, "qhtool: cut.jpg: scan data ends early or is damaged\n"},
      {"g.TGA", Tga(3, 4, 2, 8, std::vector<uint8_t>(8, 9)), 0, "TGA width=4 height=2 bits=8\n"},
      {"bad.tga", Tga(3, 4, 2, 16, std::vector<uint8_t>(16, 9)), 1, "bad.tga: TGA_BAD_BITS"},
  };
  for (const auto& [name, file, want, text] : cases) {
    ASSERT_TRUE(WriteWholeFile(name, file));
    const std::string out = Qhtool(std::string("info ") + name, &status);
    EXPECT_EQ(status, want) << name;
    EXPECT_TRUE(want ? Has(out, text) : out == text) << name << out;
  }
  for (size_t n = 1; n <= clip.bytes.size(); ++n) {  // every truncation of the clip
    ASSERT_TRUE(WriteWholeFile("cut.Anim", Cut(clip.bytes, n)));
    const std::string out = Qhtool("info cut.Anim", &status);
    EXPECT_TRUE(status == 1 && Has(out, "cut.Anim: ")) << n << ": " << out;
  }
  // decode writes rows top first: a TGA's stored rows are bottom first, its last row on top.
  ASSERT_TRUE(WriteWholeFile("t.tga", Tga(2, 2, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
  ASSERT_EQ(Qhtool("decode t.tga t.ppm", &status), "");
  std::vector<uint8_t> ppm, rgb = {9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};
  ASSERT_TRUE(ReadWholeFile("t.ppm", &ppm));
  EXPECT_EQ(std::string(ppm.begin(), ppm.end()),
            "P6\n2 2\n255\n" + std::string(rgb.begin(), rgb.end()));
  ASSERT_EQ(Qhtool("decode t.tga t.png", &status), "");
  EXPECT_EQ(ReadPngRgb("t.png", 2, 2), rgb);
  ASSERT_EQ(Qhtool("decode a.jpg a.ppm", &status), "");  // its pixels: the JPEG decoder's tests
  EXPECT_TRUE(ReadWholeFile("a.ppm", &ppm) && ppm.size() == 13 + 40 * 30 * 3) << ppm.size();
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
    ASSERT_TRUE(status == 0 && !Has(out, "missing")) << out;
    BuiltArchiveScope archive;
    Body original(std::string("bin\\") + model + ".Model");
    Body back(dir.File("out/bin/") + model + ".Model");
    const Mesh &a = original.mesh, &b = back.mesh;
    ASSERT_TRUE(original.loaded && back.loaded && b.vertCount == a.vertCount &&
                b.triCount == a.triCount);
    ASSERT_TRUE(b.groupCount == a.groupCount && b.boneCount == a.boneCount);
    float worst = 0, worstUv = 0;
    for (uint32_t v = 0; v < a.vertCount; ++v) worst = std::max(worst, length(a.pos[v] - b.pos[v]));
    for (uint32_t i = 0; i < 2 * a.vertCount; ++i)
      worstUv = std::max(worstUv, std::fabs(a.uv[i] - b.uv[i]));
    const float radius = original.model.radius;
    EXPECT_TRUE(worst <= 1e-4f * radius && worstUv <= 1e-6f) << worst << " " << worstUv;
    EXPECT_TRUE(std::equal(a.tris, a.tris + 3 * a.triCount, b.tris));
    for (int bone = 0; bone < a.boneCount; ++bone)
      EXPECT_TRUE(!std::strcmp(b.boneName[bone].c_str(), a.boneName[bone].c_str()) &&
                  b.boneParent[bone] == a.boneParent[bone]);
    for (uint16_t g = 0; g < a.groupCount; ++g) {  // JPEG textures travel byte for byte
      std::vector<uint8_t> jpeg;
      ReadWholeFile(dir.File("out/") + b.texName[g].c_str(), &jpeg);  // none: matches no entry
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
        const vec3 *p = original.Pose(t), *q = back.Pose(t);
        for (uint32_t v = 0; v < a.vertCount; ++v) worst = std::max(worst, length(p[v] - q[v]));
      }
      EXPECT_LE(worst, 1e-3f * radius);
    }
  }
  std::string report;
  EXPECT_EQ(RunCommand(kValidate + files + " 2>&1", &report), 0) << report;
}

TEST(QhtoolGltf, HandWrittenStripImportsAndIsDrawnFromLooseFiles) {
  TempDir dir(true);
  WriteStrip("strip", 1.0f, 0);
  int status;
  std::string out = Qhtool("import strip.gltf --out run --scale 2 --name ribbon", &status);
  ASSERT_EQ(status, 0) << out;
  for (const char* bone : {"Reye", "Leye", "neck1", "head"})  // not root and neck2
    EXPECT_TRUE(Has(out, std::string("missing bone ") + bone + " ")) << out;
  EXPECT_FALSE(Has(out, "missing bone root ") || Has(out, "missing bone neck2 ")) << out;
  for (const char* clip : kClips) EXPECT_TRUE(Has(out, std::string("missing clip ") + clip + " "));
  Body body(dir.File("run/bin/ribbon.Model"));
  const Mesh& m = body.mesh;
  ASSERT_TRUE(body.loaded && m.vertCount == 6u && m.triCount == 4u && m.boneCount == 2);
  EXPECT_TRUE(!std::strcmp(m.boneName[1].c_str(), "neck2") && m.boneParent[1] == 0);
  EXPECT_EQ(m.bonePos[1], vec3(0, 0, 4));  // glTF +Y is up, times 2 times 2
  EXPECT_LT(length(m.pos[5] - vec3(0, 2, 8)), 1e-5f);
  ASSERT_TRUE(LoadClip(body.clip, dir.File("run/bin/bend.Anim").c_str()));
  // 1 s at 10 frames a second; the last key, equal to the first, is the wrap's. At 0.5 s the top
  // has turned 45 degrees to -Y.
  EXPECT_TRUE(body.clip.frames == 11u && body.clip.tracks[1].rotCount == 2);
  EXPECT_LT(length(body.Pose(6)[5] - vec3(0, -1.4142135f, 8.2426407f)), 1e-4f);
  EXPECT_LT(length(body.Pose(11)[5] - vec3(0, 2, 8)), 1e-4f);
  // Exported again from loose files alone, with a red TGA for its texture (it goes in as PNG).
  body.mesh.texName[0].assign("red.tga");
  ASSERT_TRUE(SaveEM7(body.mesh, "run/bin/tga.Model"));
  const std::vector<uint8_t> bgr = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};  // all red
  ASSERT_TRUE(WriteWholeFile("run/red.tga", Tga(2, 2, 2, 24, bgr)));
  out = Qhtool("export 'bin\\tga.Model' --clip 'bin\\bend.Anim' --out ../tga.glb", &status, "run");
  EXPECT_TRUE(status == 0 && !Has(out, "can't be read")) << out;
  EXPECT_EQ(RunCommand(kValidate + " tga.glb 2>&1", &out), 0) << out;
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

// Each refusal exits with 1 and a reason, and writes nothing.
TEST(Qhtool, RefusesWhatItCantReadOrWriteAndWritesNothing) {
  TempDir dir(true);
  std::string joints = R"({"asset":{"version":"2.0"},"nodes":[{})", list = "0";
  for (int i = 1; i < 256; ++i) joints += ",{}", list += "," + std::to_string(i);
  dir.Write("joints.gltf", joints + R"(],"skins":[{"joints":[)" + list + "]}]}");
  WriteStrip("long", 7000.0f, 0), WriteStrip("past", 1.0f, 1);
  ASSERT_TRUE(WriteWholeFile("bad.core", {1, 200, 0, 0, 0, 'x'}));
  ASSERT_TRUE(WriteWholeFile("evil.core", BuildArchive({{"..\\..\\evil", {'x'}}})));
  const std::string archive = " --archive " + BuiltArchivePath();
  const std::pair<std::string, const char*> cases[] = {
      // {arguments, reason}
      {"import joints.gltf --out o", "256 joints: a model numbers its bones in one byte"},
      {"import long.gltf --out o", "bend: it lasts 70001 frames at 10 a second; a clip holds"},
      {"import past.gltf --out o", "accessor 1 runs past its buffer"},
      {"import long.gltf --out o --scale -1", "usage: qhtool import"},
      {"export 'bin\\tree.Model' --clip 'bin\\hwalk.Anim' --out t.glb" + archive,
       "a model without bones plays no clips"},
      {"export 'bin\\pegasus.Model' --out t.gltf" + archive, "the output must end in .glb"},
      {"export 'bin\\pegasus.Model' --out t.glb", "EM7:file not found [bin\\pegasus.Model]"},
      {"list bad.core", "qhtool: bad.core: damaged name field"},
      {"extract evil.core o", "refusing entry name"},
      {"view --out t.png", "usage"},
      {"view m --archive none.core --out t.png", "can't open none.core"},
      {"view 'bin\\nothing.Model' --out t.png" + archive, "nothing.Model"},
      {"nosuchcommand", "unknown command 'nosuchcommand'"},
      {"pack", "usage: qhtool pack"},
      {"decode t.tga t.bmp", "t.bmp: the output must end in"},
      {"decode missing.jpg t.ppm", "missing.jpg: "},
  };
  for (const auto& [arguments, reason] : cases) {
    int status;
    const std::string out = Qhtool(arguments, &status);
    EXPECT_TRUE(status == 1 && Has(out, reason)) << arguments << ": " << out;
  }
  for (const char* name : {"o", "t.glb", "t.gltf", "t.png"})
    EXPECT_FALSE(std::filesystem::exists(name));
}
}  // namespace
