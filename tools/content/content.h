// Everything the program reads, generated: the archive entries in a fixed
// order and the music file that lives beside the archive.
#pragma once
#include <string>
#include <vector>

#include "storage/archive_writer.h"

// Name of the loose music file written next to the archive.
extern const char* const kMusicFile;

// Builds every archive entry and the music. `scratch` is a writable file
// path used for the model and clip writers; `shaderDir` holds the ".vs" and
// ".ps" sources; every file there is packed under its own name. Returns false with a reason
// when something can't be built or read.
bool BuildContent(const std::string& scratch, const std::string& shaderDir,
                  std::vector<ArchiveEntry>* entries, std::vector<uint8_t>* music,
                  std::string* error);
