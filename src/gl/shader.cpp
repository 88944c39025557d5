#include "gl/shader.h"

#include <cstdio>
#include <vector>

#include "core/log.h"
#include "gl/extensions.h"
#include "platform/dialog.h"
#include "storage/core.h"

namespace {
// The driver's info log of a shader or program object.
std::vector<char> InfoLog(GLhandleARB object, int* length) {
  GLint n = 0;
  glsl::glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &n);
  std::vector<char> log(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
  if (n > 0) glsl::glGetInfoLogARB(object, n, nullptr, log.data());
  *length = n;
  return log;
}

// Compiles one stage and attaches it; false (after the report) on failure.
bool CompileStage(uint32_t program, const char* name, const char* extension, GLenum type,
                  uint32_t* object) {
  char file[256];
  std::snprintf(file, sizeof file, "%s%s", name, extension);
  char* text = CoreReadText(file);
  if (!text) return false;
  *object = glsl::glCreateShaderObjectARB(type);
  const GLcharARB* source = text;
  glsl::glShaderSourceARB(*object, 1, &source, nullptr);
  glsl::glCompileShaderARB(*object);
  GLint status = 0;
  glsl::glGetObjectParameterivARB(*object, GL_OBJECT_COMPILE_STATUS_ARB, &status);
  delete[] text;
  if (!status) {
    int length = 0;
    const std::vector<char> log = InfoLog(*object, &length);
    Log(LOG_ERROR, "GL::sh[%s] err[%s]%i", file, log.data(), length);
    PlatformMessageBox(log.data(), "Seriously");
    return false;
  }
  glsl::glAttachObjectARB(program, *object);
  return true;
}
}  // namespace

bool Shader::Load(const char* name) {
  active = 0;
  if (!g_hasGLSL) return false;
  program = glsl::glCreateProgramObjectARB();
  if (!CompileStage(program, name, ".vs", GL_VERTEX_SHADER_ARB, &vertexShader)) return false;
  if (!CompileStage(program, name, ".ps", GL_FRAGMENT_SHADER_ARB, &fragmentShader)) return false;
  glsl::glLinkProgramARB(program);
  GLint status = 0;
  glsl::glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
  if (!status) {
    int length = 0;
    const std::vector<char> log = InfoLog(program, &length);
    Log(LOG_ERROR, "Shader::linking [%s] err[%s]%i", name, log.data(), length);
    PlatformMessageBox(log.data(), "Seriously");
    return false;
  }
  Log(LOG_INFO, "GLSL::Loaded [%s].ps/vs", name);
  active = program;
  return true;
}

void Shader::Release() {
  if (!g_hasGLSL) return;
  glsl::glDeleteObjectARB(vertexShader);
  glsl::glDeleteObjectARB(fragmentShader);
  glsl::glDeleteObjectARB(program);
}

void LoadShaderOrExit(Shader* shader, const char* name) {
  if (!shader->Load(name))
    PlatformFatalBox("Video card(or driver) can't compile program", "Seriously");
}
