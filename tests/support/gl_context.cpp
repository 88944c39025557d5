#include "support/gl_context.h"

#include "platform/window.h"

bool EnsureGlContext() {
  static const bool ready =
      PlatformInitVideo() && PlatformCreateWindow("qh tests", 64, 64, false, false);
  return ready;
}
