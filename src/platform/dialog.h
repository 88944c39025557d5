// Message boxes. In a non-interactive run (no display, or stdin not a
// terminal, or QH_NONINTERACTIVE set) the text goes to stderr instead, so a
// run never waits on a dialog.
#pragma once

void PlatformMessageBox(const char* text, const char* caption);

// Shows the message box, then ends the process with exit code 0, as the
// program does for the conditions it cannot go on from.
[[noreturn]] void PlatformFatalBox(const char* text, const char* caption);
