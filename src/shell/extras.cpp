#include "shell/extras.h"

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>

#include "core/controls.h"
#include "core/input_tables.h"
#include "core/log.h"
#include "core/notice.h"
#include "core/timer.h"
#include "core/window_state.h"
#include "game/player.h"
#include "image/png_writer.h"
#include "platform/audio.h"
#include "platform/gamepad.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "render/overlay.h"
#include "shell/data_paths.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/window.h"
#include "storage/core.h"

Settings g_settings;

namespace {
std::string g_dataFolder;
bool g_shotWanted = false;
bool g_padStarted = false;
PadMapper g_padMapper;

bool Playing() {
  return g_players && g_current < g_characterCount && g_players[g_current].mode == kModePlayer;
}

void ToggleFullscreen() {
  if (!PlatformSetFullscreen(!g_fullscreen)) {
    Log(LOG_WARNING, "can't switch the window to %s", g_fullscreen ? "a window" : "full screen");
    PostNotice("can't switch to %s", g_fullscreen ? "a window" : "full screen");
    return;
  }
  g_fullscreen = !g_fullscreen;
  g_settings.fullscreen = g_fullscreen;
  Log(LOG_INFO, "Window is %s", g_fullscreen ? "fullscreen" : "windowed");
}

void SaveSettingsNow() {
  const std::string path = SettingsPath();
  g_settings.swapInterval = g_vsync;
  g_settings.fps = g_overlay.fps;
  std::string error = "no folder for it (neither XDG_CONFIG_HOME nor HOME is set)";
  if (!path.empty() && WriteSettings(path, g_settings, &error)) {
    Log(LOG_INFO, "Settings::written [%s]", path.c_str());
    PostNotice("Settings written to %s", path.c_str());
  } else {
    Log(LOG_ERROR, "Settings::can't write [%s]: %s", path.c_str(), error.c_str());
    PostNotice("can't write the settings %s: %s", path.c_str(), error.c_str());
  }
}

void TakeScreenshot() {
  std::vector<uint8_t> rgb;
  int w = 0, h = 0;
  const std::string path = NextScreenshotPath(PicturesFolder());
  std::error_code error;
  const std::string shown = std::filesystem::absolute(path, error).string();
  if (CaptureBackBuffer(&rgb, &w, &h) && WriteCapture(path, rgb, w, h)) {
    Log(LOG_INFO, "Screenshot [%s]", shown.c_str());
    PostNotice("Screenshot saved to %s", shown.c_str());
  } else {
    Log(LOG_ERROR, "can't write the screenshot [%s]", shown.c_str());
    PostNotice("can't save the screenshot %s", shown.c_str());
  }
}
}  // namespace

int WriteSettingsOption() {
  const std::string path = SettingsPath();
  std::vector<std::string> problems;
  ReadSettings(path, &g_settings, &problems);
  for (const std::string& p : problems) std::fprintf(stderr, "quietharbour: %s\n", p.c_str());
  std::string error = "neither XDG_CONFIG_HOME nor HOME is set";
  if (path.empty() || !WriteSettings(path, g_settings, &error)) {
    std::fprintf(stderr, "quietharbour: can't write %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

void UseSettings(bool windowedOption, bool sizeOption) {
  const std::string path = SettingsPath();
  std::vector<std::string> problems;
  if (ReadSettings(path, &g_settings, &problems))
    Log(LOG_INFO, "Settings::read [%s]", path.c_str());
  for (const std::string& p : problems) {
    Log(LOG_WARNING, "Settings::%s", p.c_str());
    PostNotice("%s", p.c_str());
  }
  const Settings& s = g_settings;
  if (!windowedOption && !sizeOption) {
    g_windowOptions.windowed = !s.fullscreen;
    if (!s.fullscreen && s.width > 0 && s.height > 0) {
      g_windowOptions.width = s.width;
      g_windowOptions.height = s.height;
    }
  }
  g_vsync = s.swapInterval;
  g_lookSensitivity = s.sensitivity;
  g_lookInvertY = s.invertY;
  g_overlay.messages = s.messages;
  g_overlay.badge = s.badge;
  g_overlay.fps = s.fps;
  RebindMovement(s.movement);
}

void UseDataFolder(const std::string& option) {
  std::string searched;
  g_dataFolder = FindDataFolder(DataFolders(option, PlatformExecutableFolder()), &searched);
  if (!g_dataFolder.empty()) CoreSetArchivePath((g_dataFolder + "brookfield.core").c_str());
  CoreSetSearchedFolders(searched.c_str());
}

const char* DataFolder() {
  return g_dataFolder.c_str();
}

uint8_t MapKey(int vk, bool shiftHeld) {
  if (!g_settings.fkeyAliases) {
    if (vk >= 96 && vk <= 105)
      vk = '0' + (vk - 96);  // keypad digits: the digits
    else if (vk >= 106 && vk <= 123)
      return 255;  // keypad signs, F1..F12: nothing
  }
  const uint8_t code = TranslateKey(vk, shiftHeld && g_settings.shiftCase);
  return Playing() && code < 255 ? g_playKeyMap[code] : code;
}

void StartExtras(bool background) {
  const Settings& s = g_settings;
  if (s.musicVolume != 100 || s.soundVolume != 100)
    PlatformAudioSetVolume(s.musicVolume / 100.0f, s.soundVolume / 100.0f);
  if (!s.gamepad) return;
  const std::string mappings = GamepadMappingsPath();
  const int added = PlatformInitGamepads(mappings.c_str(), background);
  if (added > 0) Log(LOG_INFO, "Gamepad::%i mappings from [%s]", added, mappings.c_str());
  g_padStarted = true;
}

void HandleProgramKeys() {
  if (KeyPressed(kKeyTab)) g_overlay.help = !g_overlay.help;
  if (KeyPressed(kKeyHome)) g_overlay.fps = !g_overlay.fps;
  if (KeyPressed(kKeyEnd) || (g_keys[kKeyAlt] && KeyPressed(kKeyEnter))) ToggleFullscreen();
  if (KeyPressed(kKeyInsert)) g_shotWanted = true;
  if (KeyPressed(kKeyPageDown)) SaveSettingsNow();
}

void AfterRenderExtras() {
  if (!g_shotWanted) return;
  g_shotWanted = false;
  TakeScreenshot();
}

void SampleGamepad() {
  if (!g_padStarted) return;
  PadState pad;
  const char* name = "";
  const int change = PlatformReadGamepad(&pad, &name);
  if (change) {
    Log(LOG_INFO, "Gamepad::%s [%s]", change > 0 ? "connected" : "disconnected", name);
    PostNotice("Gamepad %s: %s", change > 0 ? "connected" : "disconnected", name);
  }
  const PadOptions options{g_settings.deadZone, g_settings.runAt, g_settings.lookSpeed};
  const PadInput in = g_padMapper.Map(pad, options, g_timer.frameTime, Playing());
  const bool held[] = {in.forward, in.back, in.left, in.right, in.jump};
  for (int i = 0; i < kRebindableCount; ++i)
    if (held[i]) g_keys[FindAction(kRebindable[i])->code] = 1;
  if (in.nextCharacter) g_keys['c'] = 1;
  if (in.freeView) g_keys['h'] = 1;
  if (in.run) g_mouseLeft = true;
  g_padLookX = in.lookX;
  g_padLookY = g_lookInvertY ? -in.lookY : in.lookY;
  if (in.wheel) g_wheel = in.wheel;
}

bool CaptureBackBuffer(std::vector<uint8_t>* rgb, int* width, int* height) {
  *width = g_width;
  *height = g_height;
  if (*width <= 0 || *height <= 0) return false;
  rgb->resize(static_cast<size_t>(*width) * *height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, *width, *height, GL_RGB, GL_UNSIGNED_BYTE, rgb->data());
  return true;
}

bool WriteCapture(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  // GL rows run bottom up; PNG rows top down.
  const int stride = width * 3;
  return !rgb.empty() && WritePng(path.c_str(), width, height, 3,
                                  rgb.data() + static_cast<size_t>(height - 1) * stride, -stride);
}
