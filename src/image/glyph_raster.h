// A system font face, found through fontconfig and opened with FreeType at a
// pixel size, that draws single anti-aliased glyphs into a coverage bitmap.
#pragma once
#include <cstdint>

struct FT_LibraryRec_;
struct FT_FaceRec_;

class GlyphRaster {
 public:
  GlyphRaster() = default;
  ~GlyphRaster();
  GlyphRaster(const GlyphRaster&) = delete;
  GlyphRaster& operator=(const GlyphRaster&) = delete;

  // Opens the installed face named `family`, or the one fontconfig
  // substitutes for it, scaled so that its ascent plus descent is
  // `cellHeight` pixels (what a positive font height asks of the Windows
  // rasteriser). Returns false when no face is found, it isn't scalable or
  // FreeType fails; the raster is then unusable. Call once.
  bool Open(const char* family, int cellHeight);

  // The face's line height and ascent in whole pixels (valid after Open).
  int lineHeight = 0;
  int ascent = 0;

  // The advance of `codepoint` (Unicode) in pixels, hinted as drawn. A
  // character the face lacks gets the advance of its missing-glyph box.
  uint32_t Advance(uint32_t codepoint);

  // Draws `codepoint` white on black into `bitmap`, `width` x `height`
  // coverage bytes stored bottom row first, with the cell's top-left at
  // (x, y) counted from the top. Ink is clipped to the cell, `cellWidth` x
  // lineHeight, and to the bitmap; overlapping ink keeps the larger value.
  void Draw(uint32_t codepoint, int x, int y, int cellWidth, uint8_t* bitmap, int width,
            int height);

 private:
  bool Load(uint32_t codepoint, bool render);
  FT_LibraryRec_* library_ = nullptr;
  FT_FaceRec_* face_ = nullptr;
};
