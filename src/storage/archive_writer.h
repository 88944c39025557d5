// Writing "brookfield.core" archives (the program itself only reads them):
// the packing tool and the content builder share this code. See
// storage/core.h for the layout.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ArchiveEntry {
  std::string name;           // as the program spells it, '\\' separated
  std::vector<uint8_t> data;  // plain content
};

// True for entries stored scrambled: the shader sources (".vs", ".ps").
bool IsTextEntry(const std::string& name);

// Serialises the entries in order; text entries are scrambled.
std::vector<uint8_t> BuildArchive(const std::vector<ArchiveEntry>& entries);

// Reads every entry of an archive image. Returns false with a reason when
// the archive is damaged; text entries come back unscrambled.
bool ReadArchive(const std::vector<uint8_t>& image, std::vector<ArchiveEntry>* out,
                 std::string* error);

// Whole-file helpers.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& data);
