#include "game/strand_history.h"

StrandSnapshot StrandSnapshot::Of(const CSpline& set) {
  StrandSnapshot s;
  s.image = set.Encode();
  for (int i = 0; i < set.count; ++i)
    s.segLen.insert(s.segLen.end(), set.segLen[i], set.segLen[i] + set.pointCount[i]);
  s.style = set.style;
  return s;
}

void StrandSnapshot::Restore(CSpline& set) const {
  set.Decode(image.data(), image.size());
  set.style = style;
  size_t next = 0;
  for (int i = 0; i < set.count; ++i) {
    const mat4 m = set.BoneWorld(i);
    for (int k = 0; k < set.pointCount[i] && next < segLen.size(); ++k) {
      set.segLen[i][k] = segLen[next++];
      set.world[i][k] = m.transformPoint(set.local[i][k]);
    }
  }
}

void StrandHistory::Begin(const CSpline& set) {
  if (open_) return;
  before_ = StrandSnapshot::Of(set);
  open_ = true;
}

void StrandHistory::Commit(const CSpline& set) {
  if (!open_) return;
  open_ = false;
  if (StrandSnapshot::Of(set) == before_) return;
  undo_.push_back({std::move(before_), version_});
  if (undo_.size() > kSteps) undo_.pop_front();
  redo_.clear();
  version_ = ++lastVersion_;
}

bool StrandHistory::Move(CSpline& set, std::deque<Step>& from, std::deque<Step>& to) {
  if (open_ || from.empty()) return false;
  to.push_back({StrandSnapshot::Of(set), version_});
  from.back().state.Restore(set);
  version_ = from.back().version;
  from.pop_back();
  return true;
}

bool StrandHistory::Undo(CSpline& set) {
  return Move(set, undo_, redo_);
}

bool StrandHistory::Redo(CSpline& set) {
  return Move(set, redo_, undo_);
}
