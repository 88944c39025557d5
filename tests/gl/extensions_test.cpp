#include "gl/extensions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
// Restores the real strings and loader after a test that replaced them.
struct FakeDriver {
  FakeDriver(const char* extensions, const char* version, ProcLoader loader) {
    SetGlStringsForTesting(extensions, version);
    SetProcLoader(loader);
  }
  ~FakeDriver() {
    SetGlStringsForTesting(nullptr, nullptr);
    SetProcLoader(nullptr);
  }
};

int g_dummy;
void* Everything(const char*) {
  return &g_dummy;
}
void* NoUniformBuffer(const char* name) {
  return std::strcmp(name, "glUniformBufferEXT") ? &g_dummy : nullptr;
}
void* NoUniform1f(const char* name) {
  return std::strcmp(name, "glUniform1fARB") ? &g_dummy : nullptr;
}
}  // namespace

TEST(Extensions, VersionNamesFollowTheVersionString) {
  {
    FakeDriver d("", "1.5.0", Everything);
    EXPECT_TRUE(ExtensionSupported("GL_VERSION_1_2", ""));
    EXPECT_TRUE(ExtensionSupported("GL_VERSION_1_5", ""));
  }
  {
    FakeDriver d("", "2.1.2", Everything);
    EXPECT_TRUE(ExtensionSupported("GL_VERSION_1_5", ""));
  }
  {
    FakeDriver d("", "1.3 Mesa", Everything);
    EXPECT_TRUE(ExtensionSupported("GL_VERSION_1_3", ""));
    EXPECT_FALSE(ExtensionSupported("GL_VERSION_1_4", ""));
    EXPECT_FALSE(ExtensionSupported("GL_VERSION_1_5", ""));
  }
}

TEST(Extensions, NamesMatchAsSubstringsFollowedByASpace) {
  FakeDriver d("WGL_ARB_multisample GL_EXT_bgra", "2.0", Everything);
  ASSERT_TRUE(InitExtensions(nullptr));
  EXPECT_EQ(std::string(g_extSupported), "WGL_ARB_multisample GL_EXT_bgra  ");
  // The tail of a longer name counts, and the last name needs no space of its own.
  EXPECT_TRUE(ExtensionSupported("GL_ARB_multisample", g_extSupported));
  EXPECT_TRUE(ExtensionSupported("GL_EXT_bgra", g_extSupported));
  EXPECT_FALSE(ExtensionSupported("GL_EXT_bgr", g_extSupported));
  EXPECT_FALSE(ExtensionSupported("", g_extSupported));
}

TEST(Extensions, LoaderTableAndTheUnsupportedList) {
  FakeDriver d("GL_ARB_multisample GL_ARB_shader_objects GL_NV_fence", "2.0", NoUniform1f);
  EXPECT_TRUE(LoadExtension("GL_ARB_multisample"));  // nothing to fetch
  EXPECT_FALSE(LoadExtension("GL_NOT_KNOWN"));
  EXPECT_FALSE(LoadExtension(nullptr));
  EXPECT_FALSE(LoadExtension(""));
  // The shader objects stop at the first missing function.
  EXPECT_FALSE(InitExtensions("GL_ARB_multisample GL_ARB_shader_objects\tGL_EXT_missing"));
  EXPECT_EQ(std::string(g_extUnsupported), "GL_ARB_shader_objects GL_EXT_missing ");
  EXPECT_NE(glext::glUseProgramObjectARB, nullptr);  // fetched before the failure
  SetProcLoader(Everything);
  EXPECT_TRUE(InitExtensions("GL_ARB_shader_objects GL_NV_fence"));
  EXPECT_EQ(std::string(g_extUnsupported), "");
  EXPECT_NE(glext::glUniformMatrix4fvARB, nullptr);
}

TEST(Extensions, InitGlslReportsEachMissingEntryPoint) {
  {
    FakeDriver d("GL_ARB_shader_objects", "1.10", Everything);
    g_hasGLSL = false;
    EXPECT_FALSE(InitGLSL());  // GL_ARB_shading_language_100 is missing
    EXPECT_FALSE(g_hasGLSL);
  }
  {
    FakeDriver d("GL_ARB_shading_language_100 GL_ARB_shader_objects", "1.10", NoUniformBuffer);
    InitExtensions("GL_ARB_shader_objects");
    LogCapture capture;
    EXPECT_TRUE(InitGLSL());
    EXPECT_FALSE(g_hasGLSL);
    EXPECT_EQ(capture.lines,
              (std::vector<std::string>{"GLSL:1.10", "WARNING::GLSL::no glUniformBufferEXT"}));
  }
}

TEST(Extensions, TheRealDriverOffersGlsl) {
  ASSERT_TRUE(EnsureGlContext());
  // Mesa advertises many names outside the known table, so the overall
  // result is false; the shader objects load all the same.
  InitExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  EXPECT_TRUE(InitGLSL());
  EXPECT_TRUE(g_hasGLSL);
  EXPECT_NE(glsl::glCreateProgramObjectARB, nullptr);
  EXPECT_NE(glext::glUniform4fARB, nullptr);
}

namespace {
void* NoGetHandle(const char* name) {
  return std::strcmp(name, "glGetHandleARB") ? &g_dummy : nullptr;
}
}  // namespace

TEST(Extensions, GlslNeedsTheLoaderPointersThatDrawingCalls) {
  FakeDriver d("GL_ARB_shading_language_100 GL_ARB_shader_objects", "1.10", NoGetHandle);
  glext::glUseProgramObjectARB = nullptr;
  glext::glUniform1fARB = nullptr;
  glext::glUniform4fARB = nullptr;
  glext::glUniformMatrix4fvARB = nullptr;
  // The table stops at glGetHandleARB, before any drawing function.
  EXPECT_FALSE(InitExtensions("GL_ARB_shader_objects"));
  LogCapture capture;
  EXPECT_TRUE(InitGLSL());
  EXPECT_FALSE(g_hasGLSL);
  EXPECT_EQ(capture.lines.size(), 5u);
  EXPECT_EQ(capture.lines[4], "WARNING::GLSL::loader has no glUniformMatrix4fvARB");
  SetProcLoader(Everything);
  EXPECT_TRUE(InitExtensions("GL_ARB_shader_objects"));
  EXPECT_TRUE(InitGLSL());
  EXPECT_TRUE(g_hasGLSL);
}
