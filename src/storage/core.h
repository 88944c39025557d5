// Named data files: a loose file in the working directory, or an entry of the
// packed archive "brookfield.core".
//
// Archive layout (little-endian, no header, no padding), repeated to the end
// of the file:
//   tag   1 byte   one more entry follows; the value is not interpreted
//   N     int32    name field length, terminating zero included
//   name  N bytes  the path ("bin\\sph.col"), zero-terminated, scrambled
//                  with Scramble() seeded by N
//   S     int32    data size
//   data  S bytes  content; text entries (".vs", ".ps") are scrambled with
//                  Scramble() seeded by S, binary entries are stored as is
// Names compare byte for byte, case-sensitively, with '\\' as separator.
// The first entry of a name wins. A name field without its zero still names
// all N bytes; one of length 0 names nothing. Entries whose N or S is
// negative or runs past the end of the file end the scan as if the name were
// not there.
#pragma once
#include <cstdint>
#include <cstdio>

// Loose files are opened with '\\' mapped to '/', the separator here.
//
// CoreOpen: the loose file if present, else the archive positioned at the
// entry's first data byte (the caller must know the length: reads are not
// stopped at the entry's end), else null with the warning
// "file %s not in core". A missing archive shows "can't open core file" and
// ends the process with exit code 0. The caller closes the handle.
FILE* CoreOpen(const char* name, const char* mode, bool scrambledNames);

// Content length in bytes; 0 (with an error line) when not found.
int32_t CWsize(const char* name, const char* mode, bool scrambledNames);

// The whole unscrambled content followed by a zero byte, allocated with new[]
// (the caller releases it with delete[]), or null with the warning
// "file not found [%s]".
char* CoreReadText(const char* name);

// The archive path, "brookfield.core" unless changed (tests and tools).
void CoreSetArchivePath(const char* path);
const char* CoreArchivePath();

// The folders the archive was looked for in, named by the message that it
// is missing ("" names none).
void CoreSetSearchedFolders(const char* folders);

// The loose-file path for an entry name ('\\' becomes '/'), written into out.
void CoreLoosePath(const char* name, char* out, size_t outSize);
