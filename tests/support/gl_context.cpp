#include "support/gl_context.h"

#include <GL/gl.h>

#include "gl/extensions.h"
#include "platform/window.h"

bool EnsureGlContext() {
  static const bool ready =
      PlatformInitVideo() && PlatformCreateWindow("qh tests", 64, 64, false, false);
  return ready;
}

bool EnsureGlslContext() {
  if (!EnsureGlContext()) return false;
  InitExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  return InitGLSL();
}
