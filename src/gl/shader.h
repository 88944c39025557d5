// A GLSL program built from "NAME.vs" and "NAME.ps", read (scrambled) through
// the archive. Compile and link errors are logged and shown to the user.
#pragma once
#include <cstdint>

struct Shader {
  uint32_t active = 0;  // the program once linked; 0 before and after any failure
  uint32_t program = 0;
  uint32_t vertexShader = 0;
  uint32_t fragmentShader = 0;

  // True when both stages compiled and the program linked. Objects made
  // before a failure stay in the record until Release().
  bool Load(const char* name);

  // Deletes the three objects (when GLSL is available).
  void Release();
};

// The owners' pattern for a program that must load: on failure, the message
// "Video card(or driver) can't compile program" and the end of the process.
void LoadShaderOrExit(Shader* shader, const char* name);
