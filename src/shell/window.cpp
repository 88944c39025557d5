#include "shell/window.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "core/log.h"
#include "core/sizetext.h"
#include "game/camera_setup.h"
#include "gl/extensions.h"
#include "platform/sysinfo.h"
#include "platform/window.h"
#include "shell/input.h"

WindowOptions g_windowOptions;

namespace {
bool g_swapControl = false;

void LogMachine() {
  Log(LOG_INFO, "CPU:(%s)%iMHz ", CpuVendor(), CpuMHz());

  OsVersion os;
  if (!GetOsVersion(&os)) {
    Log(LOG_WARNING, "can't get os version");
  } else {
    Log(LOG_INFO, "OS:Linux %s build[%i] Ver[%i/%i] SP[%i/%i]", os.name, os.build, os.major,
        os.minor, os.servicePackMajor, os.servicePackMinor);
  }

  uint64_t total = 0, available = 0;
  long freePercent = 0;
  if (GetMemoryStatus(&total, &available, &freePercent)) {
    char totalText[256];
    std::snprintf(totalText, sizeof totalText, "%s", SizeToText64(&total));
    Log(LOG_INFO, "RAM: %s total / %s free - [%ld] free", totalText, SizeToText64(&available),
        freePercent);
  }

  char name[256];
  if (GetComputerName(name, sizeof name)) Log(LOG_INFO, "Computer name: %s", name);
  if (GetUserName(name, sizeof name)) Log(LOG_INFO, "User name: %s", name);

  ProcessorInfo cpu;
  GetProcessorInfo(&cpu);
  Log(LOG_INFO, "OEM ID: %u, %u processors, Page size: %u, Processor type: %u", cpu.oemId,
      cpu.processors, cpu.pageSize, cpu.processorType);
}

const char* GlString(GLenum name) {
  const GLubyte* s = glGetString(name);
  return s ? reinterpret_cast<const char*>(s) : "";
}
}  // namespace

bool CreateGLWindow(const char* title, int, int, bool fullscreen, void (*afterContext)()) {
  LogMachine();

  PlatformDesktopSize(&g_width, &g_height);
  if (g_windowOptions.width > 0) g_width = g_windowOptions.width;
  if (g_windowOptions.height > 0) g_height = g_windowOptions.height;
  if (g_width < 1 || g_width > 9000) g_width = 1024;
  if (g_height < 1 || g_height > 9000) g_height = 768;
  Log(LOG_INFO, "Create OpenGL Window [%ix%i] %s", g_width, g_height,
      g_fullscreen ? "fullscreen" : "windowed");

  // Windowed at the desktop size is shown maximised, as the design has it;
  // an explicit size is kept as asked.
  const bool maximise = g_windowOptions.width <= 0;
  if (!PlatformCreateWindow(title, g_width, g_height, fullscreen, maximise)) {
    Log(LOG_FATAL, "can't create the window");
    std::fprintf(stderr, "QuietHarbour: can't create the window\n");
    std::exit(1);
  }
  PlatformWindowSize(&g_width, &g_height);

  InitExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  g_swapControl = PlatformSetSwapInterval(g_vsync ? 1 : 0);
  if (!g_swapControl) {
    Log(LOG_WARNING, "WGL:we got a problem with wgl (wglSwapIntervalEXT)");
    g_vsync = true;
  }
  Log(LOG_INFO, "OpenGl %s", GlString(GL_VERSION));
  Log(LOG_INFO, "Vendor %s", GlString(GL_VENDOR));
  Log(LOG_INFO, "Render %s", GlString(GL_RENDERER));
  Log(LOG_INFO, "Vsync is %s", g_vsync ? "on" : "off");

  if (afterContext) afterContext();
  return false;
}

void PumpWindowMessages() {
  WindowEvents events;
  PlatformPumpEvents(&events);
  // A minimised window may report 0 x 0: the last size stays. A report of
  // the size we have (the first mapping) is no resize.
  if (events.resized && events.width > 0 && events.height > 0 &&
      (events.width != g_width || events.height != g_height)) {
    g_width = events.width;
    g_height = events.height;
    // Mouse look measures from the centre: a cursor left where the old
    // centre was would turn the view on the next frame.
    CentreCursor();
  }
  FitCameraToWindow(g_width, g_height);
  if (events.activeChanged && !(events.focusOnly && g_windowOptions.keepActiveWithoutFocus))
    g_active = events.active;
  if (events.closeRequested) g_closeRequested = true;
  if (events.wheel) g_wheel = events.wheel;
}

void CentreCursor() {
  PlatformSetCursorPos(g_width / 2, g_height / 2);
}

void ToggleVsync() {
  if (!g_swapControl) return;
  g_vsync = !g_vsync;
  PlatformSetSwapInterval(g_vsync ? 1 : 0);
  Log(LOG_INFO, "Vsync is %s", g_vsync ? "on" : "off");
}
