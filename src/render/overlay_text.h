// What the on-screen overlay says, apart from drawing it: the help card,
// the mode badge and the frame-rate readout.
#pragma once
#include <string>
#include <vector>

#include "core/controls.h"

// One line of the help card: a heading (keys empty) or a control.
struct CardLine {
  std::string keys, help;
};

// Every control of the table, grouped under a heading per context. Play
// controls name the keys they are bound to now (the settings may rebind
// them); the editor's are read while the key map is off, so they keep the
// design's keys.
std::vector<CardLine> HelpCard();

// The badge: the controlled character ("KT, character 3") and, in free
// view, that the strand editor is on. Empty when no character exists.
std::string BadgeText(int character, int characterCount, int mode);

// "60 fps, 16.7 ms".
std::string FpsText(int fps, float frameTime);

// When the badge shows: always in free view; otherwise for a few seconds
// after control passed to another character or came back from free view.
// The state at the first update is taken as it is, without showing.
class BadgeClock {
 public:
  bool Update(int character, int mode, float dt);

 private:
  int character_ = -1, mode_ = -1;
  float left_ = 0;  // seconds the badge still shows
};
