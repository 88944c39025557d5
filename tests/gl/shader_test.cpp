#include "gl/shader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/scramble.h"
#include "gl/extensions.h"
#include "support/gl_context.h"
#include "support/test_support.h"

namespace {
const char* kVertex =
    "varying vec3 n;\nvoid main() { n = gl_Normal; gl_Position = ftransform(); }\n";
const char* kFragment = "varying vec3 n;\nvoid main() { gl_FragColor = vec4(n, 1.0); }\n";

class ShaderTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("QH_NONINTERACTIVE", "1", 1);
    ASSERT_TRUE(EnsureGlslContext());
    ASSERT_TRUE(g_hasGLSL);
    dir_.Write("brookfield.core", "");
  }
  // Shader sources are stored scrambled, loose files too.
  void Source(const std::string& name, std::string text) {
    Scramble(&text[0], static_cast<int32_t>(text.size()));
    dir_.Write(name, text);
  }
  TempDir dir_{true};
};
}  // namespace

TEST_F(ShaderTest, LoadsAPairAndReleases) {
  Source("sky.vs", kVertex);
  Source("sky.ps", kFragment);
  LogCapture capture;
  Shader s;
  ASSERT_TRUE(s.Load("sky"));
  EXPECT_NE(s.active, 0u);
  EXPECT_EQ(s.active, s.program);
  EXPECT_NE(s.vertexShader, 0u);
  EXPECT_TRUE(capture.Contains("GLSL::Loaded [sky].ps/vs"));
  s.Release();
}

TEST_F(ShaderTest, MissingFragmentStage) {
  Source("sky.vs", kVertex);
  LogCapture capture;
  Shader s;
  EXPECT_FALSE(s.Load("sky"));
  EXPECT_EQ(s.active, 0u);
  EXPECT_NE(s.vertexShader, 0u);  // compiled and attached before the failure
  EXPECT_TRUE(capture.Contains("WARNING::file not found [sky.ps]"));
  s.Release();
}

TEST_F(ShaderTest, CompileAndLinkErrorsNameTheFileOrTheProgram) {
  Source("eye.vs", kVertex);
  Source("eye.ps", "void main() { gl_FragColor = nonsense; }\n");
  {
    LogCapture capture;
    Shader s;
    EXPECT_FALSE(s.Load("eye"));
    EXPECT_EQ(s.active, 0u);
    bool reported = false;
    for (const std::string& l : capture.lines)
      reported |= l.rfind("ERROR::GL::sh[eye.ps] err[", 0) == 0;
    EXPECT_TRUE(reported);
    s.Release();
  }
  // The fragment stage reads a varying the vertex stage never writes.
  Source("eye.vs", "void main() { gl_Position = ftransform(); }\n");
  Source("eye.ps", kFragment);
  {
    LogCapture capture;
    Shader s;
    EXPECT_FALSE(s.Load("eye"));
    bool reported = false;
    for (const std::string& l : capture.lines)
      reported |= l.rfind("ERROR::Shader::linking [eye] err[", 0) == 0;
    EXPECT_TRUE(reported);
    s.Release();
  }
}

TEST_F(ShaderTest, WithoutGlslNothingIsTouched) {
  g_hasGLSL = false;
  Shader s;
  EXPECT_FALSE(s.Load("sky"));
  EXPECT_EQ(s.program, 0u);
  g_hasGLSL = true;
}
