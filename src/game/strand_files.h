// The characters' Line files beyond loading at set-up: saving where the
// program writes (core/write_folder.h) with a word on screen either way,
// and keeping edits nobody saved. A run that ends with unsaved edits leaves
// them in "<Line file>.recovery" beside the saved file; the next run says so
// and loads them only on Backspace, as one undoable step.
#pragma once
#include <string>

#include "game/spline.h"

// Where the character's Line file `name` is read from: the copy saved in
// g_writeFolder when the program writes elsewhere and has one, else `name`
// itself (the working directory, then the archive).
std::string LineReadPath(const char* name);
// The recovery file of Line file `name`, in g_writeFolder.
std::string KeptLinePath(const char* name);

// Saves `set` as g_writeFolder + name and posts "Saved NAME" (the path when
// it isn't the working directory) or "can't save NAME: reason".
bool SaveStrandFile(const CSpline& set, const char* name);

// After the characters are set up: logs and posts each recovery file found.
void AnnounceKeptStrands();
// Loads every announced recovery file into its character's set.
void LoadKeptStrands();
// At shutdown: a set with unsaved edits goes to its recovery file; a saved
// one's recovery file, once offered and loaded, goes away.
void KeepUnsavedStrands();
