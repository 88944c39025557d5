// Where the program writes its own files (the log, saved strand sets): the
// working directory, or when that can't be written, the user's state folder,
// so a run from a read-only place (an installed copy, a CD) loses nothing.
#pragma once
#include <string>

// The folder the log and saves go to: "" for the working directory, else a
// path ending in '/'. Set once at start-up (main); tests set it directly.
extern std::string g_writeFolder;

// "" when the working directory is writable; otherwise
// $XDG_STATE_HOME/quietharbour/ ($HOME/.local/state/quietharbour/ when that
// variable is unset or not absolute), created when missing. When that
// folder can't be made either, "" again: writes then fail with their own
// messages.
std::string ChooseWriteFolder();
