// A small hand-made world for running the program in tests: a flat textured
// map, four tree markers, a box tree and the program's sky shaders, packed into
// an archive.
#pragma once
#include <string>

// Writes the archive at `path`. Returns false when a file can't be written.
bool WriteSmallWorld(const std::string& path);

// Runs the program in the current directory (which holds the world) in a
// 320x240 window for `frames` frames of 0.02 s, with the script
// "input.script", the trace "t.jsonl" and the further options `extra`.
// Returns the exit status; the program's output goes to `output`.
int RunProgramHere(int frames, const std::string& extra, std::string* output);
