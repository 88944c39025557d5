// Where qhtool's model commands find the program's files: as the program
// does, a loose file under the working directory first, then the archive.
#pragma once
#include <cstdint>
#include <vector>

// Chooses the archive: `given` (from --archive) must exist; without one,
// "brookfield.core" in the working directory is used when present, and
// otherwise no archive at all, so that only loose files are found (a
// missing name is then a plain failure, not the program's fatal "can't open
// core file"). Returns false, after printing the reason, when `given`
// can't be opened.
bool ChooseArchive(const char* given);

// The whole content of the named file (loose or packed, as the program looks
// it up). False when it is missing, empty or can't be read.
bool ReadNamedFile(const char* name, std::vector<uint8_t>* out);
