// EM7 model files (".Model"): one skinned mesh per file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "geometry/mesh.h"

// Loads the named file (loose or archive entry, through CoreOpen) into mesh.
// On success the mesh's previous content is released and replaced, and true
// is returned. A missing file, a wrong magic or a body that breaks the
// format's limits logs an error naming the file and the reason, returns
// false and leaves the mesh as it was.
bool LoadEM7(Mesh& mesh, const char* name);

// Parses an EM7 body (everything after the magic) from file, which holds at
// most `size` bytes from its current position, into an Init-ed mesh `out`.
// Returns false with a one-line reason (no log line) when the body breaks a
// limit or is cut short; out then holds a partial mesh the caller clears.
bool ParseEM7Body(FILE* file, int64_t size, Mesh& out, char* reason, size_t reasonSize);

// Writes mesh as an EM7 loose file at path (a plain file system path).
// Vertices are written inline at their first use where the numbering allows,
// otherwise referenced (u16, or u32 when an index needs it) or listed as
// extra vertices. Polygons come from polys when polyCount is set (a polygon
// is a quad when it covers two triangles (c0,c1,c2), (c0,c2,c3)), otherwise
// every triangle is its own polygon. Returns false, with an error line, when
// the mesh can't be expressed in the format (polygons that don't match the
// triangles, a group that no polygon can start, an out-of-range bone or
// parent, a name longer than 255 bytes) or the file can't be written.
// LoadEM7 of the written file gives back the same mesh (with polys filled in
// for a mesh that had none).
bool SaveEM7(const Mesh& mesh, const char* path);
