// QuietHarbour: four characters under a computed sky, steered from behind.
#include <cstdio>
#include <string>

#include "core/log.h"
#include "core/notice.h"
#include "core/timer.h"
#include "core/write_folder.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "shell/app.h"
#include "shell/extras.h"
#include "shell/harness.h"
#include "shell/window.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
  HarnessOptions options;
  std::string error;
  if (!ParseHarnessOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "quietharbour: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    PrintHarnessHelp(stdout);
    return 0;
  }
  if (options.version) {
    std::printf("QuietHarbour %s\n", QH_VERSION);
    return 0;
  }
  if (options.writeSettings) return WriteSettingsOption();
  if (options.fixedDt > 0) PlatformSetVirtualClock(options.fixedDt);
  g_windowOptions.windowed = options.windowed;
  g_windowOptions.width = options.width;
  g_windowOptions.height = options.height;
  g_windowOptions.keepActiveWithoutFocus =
      options.frames > 0 || !options.script.empty() || options.fixedDt > 0;

  // The global objects in their fixed order: the log, then the timer.
  g_writeFolder = ChooseWriteFolder();
  g_log.Open((g_writeFolder + "dump.mem").c_str());
  g_timer.Init();
  if (!g_writeFolder.empty()) {
    Log(LOG_WARNING, "the working directory can't be written: the log and saves go to [%s]",
        g_writeFolder.c_str());
    PostNotice("the working directory can't be written: the log and saves go to %s",
               g_writeFolder.c_str());
  }
  UseSettings(options.windowed, options.width > 0);
  UseDataFolder(options.dataFolder);

  if (!g_harness.Begin(options, &error)) {
    std::fprintf(stderr, "quietharbour: %s\n", error.c_str());
    return 2;
  }
  if (!PlatformInitVideo()) return 1;
  const int code = RunProgram();
#if defined(__SANITIZE_ADDRESS__)
  // Everything of ours is released by now. The leak check runs here rather
  // than at exit because closing the display unloads the GL driver, and a
  // report from an unloaded library carries no name to suppress it by.
  __lsan_do_leak_check();
#endif
  PlatformShutdown();
  return code;
}
