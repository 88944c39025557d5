// A small hand-made world for running the program in tests: a flat textured
// map, four tree markers, a box tree, the program's shaders and stand-in
// characters (support/test_character.h), packed into an archive.
#pragma once
#include <string>

// Writes the archive at `path`. Returns false when a file can't be written.
bool WriteSmallWorld(const std::string& path);
