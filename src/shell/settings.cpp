#include "shell/settings.h"

#include <ini.h>
#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
enum class Kind { kBool, kInt, kFloat, kKey };

// One key of the file; reading and writing both go by this table.
struct Field {
  const char* section;
  const char* name;
  Kind kind;
  size_t offset;
  float low, high;
  const char* comment;
};

#define QH_AT(member) offsetof(Settings, member)
const Field kFields[] = {
    {"window", "width", Kind::kInt, QH_AT(width), 0, 9000,
     "window size when not full screen; 0: the desktop's"},
    {"window", "height", Kind::kInt, QH_AT(height), 0, 9000, nullptr},
    {"window", "fullscreen", Kind::kBool, QH_AT(fullscreen), 0, 0,
     "full screen on the desktop (End, Alt+Enter)"},
    {"window", "swap_interval", Kind::kBool, QH_AT(swapInterval), 0, 0,
     "synchronise the swap with the display at start (v)"},
    {"mouse", "sensitivity", Kind::kFloat, QH_AT(sensitivity), 0.001f, 10,
     "degrees of turn per pixel of mouse movement"},
    {"mouse", "invert_y", Kind::kBool, QH_AT(invertY), 0, 0, "moving the mouse up looks down"},
    {"audio", "music_volume", Kind::kInt, QH_AT(musicVolume), 0, 100, "percent"},
    {"audio", "sound_volume", Kind::kInt, QH_AT(soundVolume), 0, 100, nullptr},
    {"overlay", "messages", Kind::kBool, QH_AT(messages), 0, 0,
     "timed messages (saved, can't save, ...)"},
    {"overlay", "badge", Kind::kBool, QH_AT(badge), 0, 0,
     "the mode badge: free view, which character"},
    {"overlay", "fps", Kind::kBool, QH_AT(fps), 0, 0, "frame rate at start (Home)"},
    {"keys", "forward", Kind::kKey, QH_AT(movement) + 0 * sizeof(int), 0, 0,
     "movement keys: a letter, a digit, space, up, down, left, right, ..."},
    {"keys", "back", Kind::kKey, QH_AT(movement) + 1 * sizeof(int), 0, 0, nullptr},
    {"keys", "left", Kind::kKey, QH_AT(movement) + 2 * sizeof(int), 0, 0, nullptr},
    {"keys", "right", Kind::kKey, QH_AT(movement) + 3 * sizeof(int), 0, 0, nullptr},
    {"keys", "jump", Kind::kKey, QH_AT(movement) + 4 * sizeof(int), 0, 0, nullptr},
    {"keys", "shift_case", Kind::kBool, QH_AT(shiftCase), 0, 0,
     "Shift makes letters upper case, so w a s d don't act while it is held"},
    {"keys", "fkey_aliases", Kind::kBool, QH_AT(fkeyAliases), 0, 0,
     "F1..F12 and the keypad act as letters (F1 is p, keypad 8 is h)"},
    {"gamepad", "enabled", Kind::kBool, QH_AT(gamepad), 0, 0, nullptr},
    {"gamepad", "dead_zone", Kind::kFloat, QH_AT(deadZone), 0, 0.95f,
     "stick deflection ignored, 0..1"},
    {"gamepad", "run_at", Kind::kFloat, QH_AT(runAt), 0.05f, 1,
     "left-stick deflection from which the character runs"},
    {"gamepad", "look_speed", Kind::kFloat, QH_AT(lookSpeed), 1, 2000,
     "degrees per second at full right-stick deflection"},
};
#undef QH_AT

template <typename T>
T& At(Settings* s, const Field& f) {
  return *reinterpret_cast<T*>(reinterpret_cast<char*>(s) + f.offset);
}

bool ParseBool(const char* v, bool* out) {
  for (const char* yes : {"true", "yes", "on", "1"})
    if (!strcasecmp(v, yes)) return *out = true, true;
  for (const char* no : {"false", "no", "off", "0"})
    if (!strcasecmp(v, no)) return *out = false, true;
  return false;
}

// Parses one value into its field; the reason when it doesn't fit.
std::string Apply(Settings* s, const Field& f, const char* v) {
  char* end = nullptr;
  switch (f.kind) {
    case Kind::kBool:
      if (!ParseBool(v, &At<bool>(s, f))) return "expected true or false";
      return "";
    case Kind::kInt: {
      const long n = std::strtol(v, &end, 10);
      if (!*v || *end || n < f.low || n > f.high)
        return "expected a whole number from " + std::to_string(static_cast<int>(f.low)) + " to " +
               std::to_string(static_cast<int>(f.high));
      At<int>(s, f) = static_cast<int>(n);
      return "";
    }
    case Kind::kFloat: {
      const float x = std::strtof(v, &end);
      if (!*v || *end || !std::isfinite(x) || x < f.low || x > f.high) {
        std::ostringstream why;
        why << "expected a number from " << f.low << " to " << f.high;
        return why.str();
      }
      At<float>(s, f) = x;
      return "";
    }
    case Kind::kKey: {
      const int code = KeyCodeOfName(v);
      if (!code) return std::string("unknown key '") + v + "'";
      At<int>(s, f) = code;
      return "";
    }
  }
  return "";
}

struct Reader {
  Settings* settings;
  std::vector<std::string>* problems;
  std::string path;
  std::istringstream text;
  std::string current;
  int line = 0, handledLine = 0;
  int keyLine[kRebindableCount] = {};

  void Problem(int at, const std::string& why) {
    problems->push_back(path + ":" + std::to_string(at) + ": " + why);
  }

  // A line the parser passed over without a value is a broken one unless
  // it is blank, a comment or a section heading.
  void CheckPassedOver() {
    if (line == 0 || handledLine == line) return;
    const size_t first = current.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || current[first] == ';' || current[first] == '#') return;
    const size_t last = current.find_last_not_of(" \t\r\n");
    if (current[first] == '[' && current[last] == ']') return;
    Problem(line, "not a 'name = value' line");
  }
};

char* NextLine(char* out, int size, void* stream) {
  Reader& r = *static_cast<Reader*>(stream);
  r.CheckPassedOver();
  if (!std::getline(r.text, r.current)) return nullptr;
  ++r.line;
  if (static_cast<int>(r.current.size()) >= size - 1) {
    r.Problem(r.line, "line too long");
    r.handledLine = r.line;
    r.current.clear();
  }
  std::snprintf(out, static_cast<size_t>(size), "%s\n", r.current.c_str());
  return out;
}

int OnValue(void* user, const char* section, const char* name, const char* value) {
  Reader& r = *static_cast<Reader*>(user);
  r.handledLine = r.line;
  for (const Field& f : kFields) {
    if (strcasecmp(section, f.section) || strcasecmp(name, f.name)) continue;
    const std::string why = Apply(r.settings, f, value);
    if (!why.empty()) {
      r.Problem(r.line, std::string(name) + ": " + why);
    } else if (f.kind == Kind::kKey) {
      r.keyLine[(f.offset - offsetof(Settings, movement)) / sizeof(int)] = r.line;
    }
    return 1;
  }
  r.Problem(r.line, std::string("unknown key '") + name + "' in [" + section + "]");
  return 1;
}

// Two movement actions can't share a key: the later line gives way.
void CheckMovementKeys(Reader* r) {
  int* keys = r->settings->movement;
  for (bool clash = true; clash;) {
    clash = false;
    int key[kRebindableCount];
    for (int i = 0; i < kRebindableCount; ++i)
      key[i] = keys[i] ? keys[i] : FindAction(kRebindable[i])->code;
    for (int i = 0; i < kRebindableCount && !clash; ++i) {
      for (int j = 0; j < i && !clash; ++j) {
        if (key[i] != key[j]) continue;
        const int drop = r->keyLine[i] > r->keyLine[j] ? i : j;
        const int other = drop == i ? j : i;
        r->Problem(r->keyLine[drop], std::string(kRebindable[drop]) + ": key '" +
                                         KeyNameOfCode(key[i]) + "' is " + kRebindable[other] +
                                         "'s already");
        keys[drop] = 0;
        r->keyLine[drop] = 0;
        clash = true;
      }
    }
  }
}

std::string ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/quietharbour/";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/quietharbour/";
  return "";
}
}  // namespace

std::string SettingsPath() {
  const std::string folder = ConfigFolder();
  return folder.empty() ? "" : folder + "settings.ini";
}

std::string GamepadMappingsPath() {
  const std::string folder = ConfigFolder();
  return folder.empty() ? "" : folder + "gamecontrollerdb.txt";
}

bool ReadSettings(const std::string& path, Settings* settings, std::vector<std::string>* problems) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno != ENOENT && std::filesystem::exists(path))
      problems->push_back(path + ": can't read: " + std::strerror(errno));
    return false;
  }
  std::stringstream whole;
  whole << in.rdbuf();
  Reader reader{settings, problems, path, std::istringstream(whole.str()), {}};
  ini_parse_stream(NextLine, &reader, OnValue, &reader);
  CheckMovementKeys(&reader);
  return true;
}

std::string SettingsText(const Settings& settings) {
  Settings copy = settings;
  std::ostringstream out;
  out << "; QuietHarbour settings. Without this file the program runs as designed.\n";
  const char* section = "";
  for (const Field& f : kFields) {
    if (std::strcmp(section, f.section)) {
      section = f.section;
      out << "\n[" << section << "]\n";
    }
    if (f.comment) out << "; " << f.comment << "\n";
    out << f.name << " = ";
    switch (f.kind) {
      case Kind::kBool:
        out << (At<bool>(&copy, f) ? "true" : "false");
        break;
      case Kind::kInt:
        out << At<int>(&copy, f);
        break;
      case Kind::kFloat:
        out << At<float>(&copy, f);
        break;
      case Kind::kKey: {
        const int i = static_cast<int>((f.offset - offsetof(Settings, movement)) / sizeof(int));
        const int code = At<int>(&copy, f);
        out << KeyNameOfCode(code ? code : FindAction(kRebindable[i])->code);
        break;
      }
    }
    out << "\n";
  }
  return out.str();
}

bool WriteSettings(const std::string& path, const Settings& settings, std::string* error) {
  std::error_code made;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
  if (made) {
    *error = made.message();
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "w");
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  const std::string text = SettingsText(settings);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) *error = std::strerror(errno);
  return written && closed;
}
