// Undo and redo for one character's strand set, and whether it holds edits
// its Line file doesn't. A change is bracketed by Begin and Commit: a click,
// a key, or a whole drag from press to release becomes one step.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "game/spline.h"

// Everything of a set an edit can change: the Line-file image (counts,
// colours, bones, points), the rest lengths it doesn't carry, the style.
struct StrandSnapshot {
  std::vector<uint8_t> image;
  std::vector<float> segLen;
  bool style = false;

  static StrandSnapshot Of(const CSpline& set);
  // Puts the set back as it was; the simulated points start at the rest
  // shape and nothing is selected.
  void Restore(CSpline& set) const;
  bool operator==(const StrandSnapshot& o) const {
    return image == o.image && segLen == o.segLen && style == o.style;
  }
};

class StrandHistory {
 public:
  static constexpr int kSteps = 100;  // the oldest steps go past this

  // Remembers the set before a change; nothing when a change is open.
  void Begin(const CSpline& set);
  // Ends the open change: when the set differs from what Begin saw, that
  // state becomes an undo step and the redo steps go.
  void Commit(const CSpline& set);
  bool Open() const { return open_; }

  // One step back or forward (false when there is none or a change is open).
  bool Undo(CSpline& set);
  bool Redo(CSpline& set);

  // The set matches its Line file as last loaded or saved (or undone back to
  // that state).
  bool Unsaved() const { return version_ != savedVersion_; }
  void MarkSaved() { savedVersion_ = version_; }

 private:
  struct Step {
    StrandSnapshot state;
    uint32_t version;
  };
  bool Move(CSpline& set, std::deque<Step>& from, std::deque<Step>& to);

  std::deque<Step> undo_, redo_;
  StrandSnapshot before_;
  bool open_ = false;
  // Every state a commit makes gets a new number, so undoing back to the
  // saved state counts as saved again.
  uint32_t version_ = 0, savedVersion_ = 0, lastVersion_ = 0;
};
