#include "game/strand_files.h"

#include <unistd.h>

#include <cstdio>

#include "core/log.h"
#include "core/notice.h"
#include "core/write_folder.h"
#include "game/player.h"

std::string LineReadPath(const char* name) {
  const std::string saved = g_writeFolder + name;
  return !g_writeFolder.empty() && access(saved.c_str(), R_OK) == 0 ? saved : name;
}

std::string KeptLinePath(const char* name) {
  return g_writeFolder + name + ".recovery";
}

bool SaveStrandFile(const CSpline& set, const char* name) {
  const std::string path = g_writeFolder + name;
  std::string reason;
  if (!set.Save(path.c_str(), &reason)) {
    PostNotice("can't save %s: %s", path.c_str(), reason.c_str());
    return false;
  }
  PostNotice("Saved %s", path.c_str());
  return true;
}

void AnnounceKeptStrands() {
  for (int i = 0; g_players && i < g_characterCount; ++i) {
    SPlayer& p = g_players[i];
    const char* name = CharacterLineFile(p.index);
    const std::string kept = KeptLinePath(name);
    p.keptEdits = access(kept.c_str(), F_OK) == 0;
    if (!p.keptEdits) continue;
    Log(LOG_WARNING, "Spline::(%s) unsaved edits of the last run are in [%s]", name, kept.c_str());
    PostNotice("%s: unsaved edits of the last run kept, Backspace loads them", name);
  }
}

void LoadKeptStrands() {
  for (int i = 0; g_players && i < g_characterCount; ++i) {
    SPlayer& p = g_players[i];
    if (!p.keptEdits) continue;
    p.keptEdits = false;
    const char* name = CharacterLineFile(p.index);
    CSpline kept;
    kept.owner = p.line.owner;
    if (!kept.Load(KeptLinePath(name).c_str())) {
      PostNotice("can't load the unsaved edits of %s", name);
      continue;
    }
    kept.style = p.line.style;
    p.history.Commit(p.line);  // a drag under way stays a step of its own
    p.history.Begin(p.line);
    StrandSnapshot::Of(kept).Restore(p.line);
    p.history.Commit(p.line);
    PostNotice("Loaded the unsaved edits of %s (Ctrl+Z undoes)", name);
  }
}

void KeepUnsavedStrands() {
  for (int i = 0; g_players && i < g_characterCount; ++i) {
    SPlayer& p = g_players[i];
    p.history.Commit(p.line);
    const char* name = CharacterLineFile(p.index);
    const std::string kept = KeptLinePath(name);
    if (p.history.Unsaved()) {
      if (p.line.Save(kept.c_str()))
        Log(LOG_WARNING, "Spline::(%s) unsaved edits kept in [%s]", name, kept.c_str());
    } else if (!p.keptEdits) {
      std::remove(kept.c_str());
    }
  }
}
