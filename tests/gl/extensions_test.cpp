#include "gl/extensions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/scramble.h"
#include "gl/shader.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
int g_dummy;
const char* g_missing = "";  // the one entry point the fake driver lacks; "*" for all
void* Loader(const char* name) {
  return *g_missing == '*' || !std::strcmp(name, g_missing) ? nullptr : &g_dummy;
}

// Fakes the driver's strings and entry points; null strings bring the real driver back.
void Fake(const char* extensions, const char* version, const char* missing = "") {
  SetGlStringsForTesting(extensions, version);
  SetProcLoader(extensions ? Loader : nullptr);
  g_missing = missing;
}

// Known names without entry points that Mesa does not advertise (the real
// driver's string below loads the others).
const char* kAccepted =
    "GL_ARB_matrix_palette GL_ARB_shadow_ambient GL_EXT_depth_bounds_test GL_EXT_paletted_texture "
    "GL_EXT_shared_texture_palette GL_EXT_vertex_weighting GL_HP_occlusion_test GL_NV_fence "
    "GL_NV_float_buffer GL_NV_fragment_program GL_NV_fragment_program2 GL_NV_pixel_data_range "
    "GL_NV_multisample_filter_hint GL_NV_occlusion_query GL_NV_point_sprite GL_SGIX_shadow "
    "GL_NV_register_combiners GL_NV_register_combiners2 GL_NV_texture_compression_vtc "
    "GL_NV_texture_expand_normal GL_NV_texture_shader GL_NV_texture_shader2 GL_NV_texture_shader3 "
    "GL_NV_vertex_array_range GL_NV_vertex_array_range2 GL_NV_vertex_program GL_SGIX_depth_texture "
    "GL_NV_vertex_program1_1 GL_NV_vertex_program2 GL_NV_vertex_program2_option "
    "GL_NV_vertex_program3 WGL_ARB_buffer_region WGL_ARB_extensions_string WGL_ARB_pbuffer "
    "WGL_ARB_pixel_format WGL_ARB_render_texture WGL_ATI_pixel_format_float "
    "WGL_EXT_extensions_string WGL_EXT_swap_control WGL_NV_float_buffer";
}  // namespace

TEST(Extensions, VersionNamesFollowTheVersionStringAndNamesMatchFollowedByASpace) {
  // Which of GL_VERSION_1_2 ... GL_VERSION_1_5 each version string supports.
  const char* kVersions[][2] = {{"1.5.0", "1111"}, {"2.1.2", "1111"}, {"1.3 Mesa", "1100"}};
  for (const auto& c : kVersions) {
    Fake("", c[0]);
    for (int v = 0; v < 4; ++v)
      EXPECT_EQ(ExtensionSupported(("GL_VERSION_1_" + std::to_string(v + 2)).c_str(), ""),
                c[1][v] == '1')
          << c[0];
  }
  Fake("WGL_ARB_multisample GL_EXT_bgra", "2.0");
  ASSERT_TRUE(InitExtensions(nullptr));
  EXPECT_EQ(std::string(g_extSupported), "WGL_ARB_multisample GL_EXT_bgra  ");
  // The tail of a longer name counts, and the last name needs no space of its own.
  EXPECT_TRUE(ExtensionSupported("GL_ARB_multisample", g_extSupported));
  EXPECT_TRUE(ExtensionSupported("GL_EXT_bgra", g_extSupported));
  EXPECT_FALSE(ExtensionSupported("GL_EXT_bgr", g_extSupported));
  EXPECT_FALSE(ExtensionSupported("", g_extSupported));
  Fake(nullptr, nullptr);
}

TEST(Extensions, LoaderTableAndTheUnsupportedList) {
  Fake(kAccepted, "2.0", "*");
  EXPECT_TRUE(InitExtensions(kAccepted));  // nothing to fetch
  EXPECT_EQ(std::string(g_extUnsupported), "");
  Fake("GL_ARB_multisample GL_ARB_shader_objects GL_NV_fence", "2.0", "glUniform1fARB");
  for (const char* name : {"GL_NOT_KNOWN", "", static_cast<const char*>(nullptr)})
    EXPECT_FALSE(LoadExtension(name));
  // The shader objects stop at the first missing function.
  glext::glUseProgramObjectARB = nullptr;
  EXPECT_FALSE(InitExtensions("GL_ARB_multisample GL_ARB_shader_objects\tGL_EXT_missing"));
  EXPECT_EQ(std::string(g_extUnsupported), "GL_ARB_shader_objects GL_EXT_missing ");
  EXPECT_NE(glext::glUseProgramObjectARB, nullptr);  // fetched before the failure
  Fake("GL_ARB_shader_objects GL_NV_fence", "2.0");
  EXPECT_TRUE(InitExtensions("GL_ARB_shader_objects GL_NV_fence"));
  EXPECT_EQ(std::string(g_extUnsupported), "");
  EXPECT_EQ(reinterpret_cast<void*>(glext::glUniformMatrix4fvARB), &g_dummy);
  Fake(nullptr, nullptr);
}

TEST(Extensions, InitGlslReportsEachMissingEntryPoint) {
  g_hasGLSL = false;
  Fake("GL_ARB_shader_objects", "1.10");
  EXPECT_FALSE(InitGLSL() || g_hasGLSL);  // GL_ARB_shading_language_100 is missing
  Fake("GL_ARB_shading_language_100 GL_ARB_shader_objects", "1.10", "glUniformBufferEXT");
  InitExtensions("GL_ARB_shader_objects");  // the drawing entry points
  LogCapture capture;
  EXPECT_TRUE(InitGLSL() && !g_hasGLSL);
  EXPECT_EQ(capture.lines,
            (std::vector<std::string>{"GLSL:1.10", "WARNING::GLSL::no glUniformBufferEXT"}));
  Fake(nullptr, nullptr);
}

TEST(Shader, TheRealDriverLoadsAPairAndTheFileOrProgramThatFailsIsNamed) {
  setenv("QH_NONINTERACTIVE", "1", 1);
  ASSERT_TRUE(EnsureGlContext());
  // Mesa advertises names outside the known table (false); GLSL loads all the same.
  InitExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  ASSERT_TRUE(InitGLSL() && g_hasGLSL);
  EXPECT_NE(glext::glUniform4fARB, nullptr);
  TempDir dir(true);
  dir.Write("brookfield.core", "");
  const char* vs = "varying vec3 n;\nvoid main() { n = gl_Normal; gl_Position = ftransform(); }\n";
  const char* ps = "varying vec3 n;\nvoid main() { gl_FragColor = vec4(n, 1.0); }\n";
  // Vertex and fragment source, and the start of a line the load logs.
  const char* kCases[][3] = {
      {vs, "", "WARNING::file not found [sky.ps]"},
      {vs, ps, "GLSL::Loaded [sky].ps/vs"},
      {vs, "void main() { gl_FragColor = nonsense; }\n", "ERROR::GL::sh[sky.ps] err["},
      // The fragment stage reads a varying the vertex stage never writes.
      {"void main() { gl_Position = ftransform(); }\n", ps, "ERROR::Shader::linking [sky] err["}};
  for (const auto& c : kCases) {
    for (int stage = 0; stage < 2; ++stage) {
      std::string text = c[stage];  // loose sources are scrambled too
      Scramble(&text[0], static_cast<int32_t>(text.size()));
      if (!text.empty()) dir.Write(stage ? "sky.ps" : "sky.vs", text);
    }
    LogCapture capture;
    Shader s;
    const bool loads = &c == &kCases[1];
    EXPECT_EQ(s.Load("sky"), loads) << c[2];
    EXPECT_EQ(s.active, loads ? s.program : 0u);
    s.Release();
    bool logged = false;
    for (const std::string& l : capture.lines) logged |= l.rfind(c[2], 0) == 0;
    EXPECT_TRUE(logged) << c[2];
  }
}

TEST(Extensions, GlslNeedsTheLoaderPointersThatDrawingCalls) {
  Fake("GL_ARB_shading_language_100 GL_ARB_shader_objects", "1.10", "glGetHandleARB");
  glext::glUseProgramObjectARB = nullptr;
  glext::glUniform1fARB = nullptr;
  glext::glUniform4fARB = nullptr;
  glext::glUniformMatrix4fvARB = nullptr;
  // The table stops at glGetHandleARB, before any drawing function.
  EXPECT_FALSE(InitExtensions("GL_ARB_shader_objects"));
  LogCapture capture;
  EXPECT_TRUE(InitGLSL() && !g_hasGLSL);
  ASSERT_EQ(capture.lines.size(), 5u);
  EXPECT_EQ(capture.lines[4], "WARNING::GLSL::loader has no glUniformMatrix4fvARB");
  Fake("GL_ARB_shading_language_100 GL_ARB_shader_objects", "1.10");
  EXPECT_TRUE(InitExtensions("GL_ARB_shader_objects"));
  EXPECT_TRUE(InitGLSL() && g_hasGLSL);
  Fake(nullptr, nullptr);
}
