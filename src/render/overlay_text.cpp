#include "render/overlay_text.h"

#include <cstdio>

#include "core/notice.h"
#include "game/player.h"

namespace {
const char* Heading(ControlContext context) {
  switch (context) {
    case ControlContext::kPlay:
      return "Playing";
    case ControlContext::kView:
      return "Drawing";
    case ControlContext::kEditor:
      return "Free view: strand editor";
    case ControlContext::kProgram:
      return "Program";
    case ControlContext::kGamepad:
      return "Gamepad";
  }
  return "";
}

std::string KeysOf(const Control& c) {
  const int key = c.context == ControlContext::kPlay ? PlayKeyOfCode(c.code) : c.code;
  const std::string name = c.code ? KeyLabelOfCode(key) : "";
  if (!c.keys) return name;
  std::string keys = c.keys;
  const size_t at = keys.find("%k");
  if (at != std::string::npos) keys.replace(at, 2, name);
  return keys;
}
}  // namespace

std::vector<CardLine> HelpCard() {
  std::vector<CardLine> card;
  for (int i = 0; i < kControlCount; ++i) {
    const Control& c = kControls[i];
    if (i == 0 || kControls[i - 1].context != c.context) card.push_back({"", Heading(c.context)});
    card.push_back({KeysOf(c), c.help});
  }
  return card;
}

std::string BadgeText(int character, int characterCount, int mode) {
  if (character < 0 || character >= characterCount) return "";
  std::string file = CharacterLineFile(character);
  std::string text = file.substr(0, file.find('.')) + ", character " + std::to_string(character);
  if (mode == kModeFreeView) text += " - free view - strand editor";
  return text;
}

std::string FpsText(int fps, float frameTime) {
  char text[64];
  std::snprintf(text, sizeof text, "%d fps, %.1f ms", fps, frameTime * 1000.0);
  return text;
}

bool BadgeClock::Update(int character, int mode, float dt) {
  if (mode_ >= 0 && (character != character_ || mode != mode_)) left_ = kNoticeSeconds;
  character_ = character;
  mode_ = mode;
  left_ = left_ > dt ? left_ - dt : 0;
  return mode == kModeFreeView || left_ > 0;
}
