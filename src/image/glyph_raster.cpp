#include "image/glyph_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

namespace {
// The file and face index fontconfig picks for `family`: the face itself
// when installed, otherwise its configured substitute. A fresh configuration
// each time, so the installed fonts are read as they are now.
bool FindFace(const char* family, char* path, size_t pathSize, int* index) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  bool found = false;
  FcPattern* pattern = FcPatternCreate();
  if (pattern) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
      const int n = std::snprintf(path, pathSize, "%s", reinterpret_cast<const char*>(file));
      found = n > 0 && static_cast<size_t>(n) < pathSize;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return found;
}

int PixelsCeil(FT_Pos pos26_6) {
  return static_cast<int>((pos26_6 + 63) >> 6);
}
}  // namespace

GlyphRaster::~GlyphRaster() {
  if (face_) FT_Done_Face(face_);
  if (library_) FT_Done_FreeType(library_);
}

bool GlyphRaster::Open(const char* family, int cellHeight) {
  if (!family || cellHeight < 1 || library_) return false;
  char path[4096];
  int index = 0;
  if (!FindFace(family, path, sizeof path, &index)) return false;
  if (FT_Init_FreeType(&library_) != 0) {
    library_ = nullptr;
    return false;
  }
  if (FT_New_Face(library_, path, index, &face_) != 0) {
    face_ = nullptr;
    return false;
  }
  if (!FT_IS_SCALABLE(face_)) return false;
  // REAL_DIM scales ascent + descent to the height, as a positive height
  // does on Windows; width 0 keeps the horizontal scale equal.
  FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_REAL_DIM, 0,
                                static_cast<FT_Long>(cellHeight) * 64, 0, 0};
  if (FT_Request_Size(face_, &request) != 0) return false;
  lineHeight = PixelsCeil(face_->size->metrics.height);
  ascent = PixelsCeil(face_->size->metrics.ascender);
  return lineHeight > 0;
}

bool GlyphRaster::Load(uint32_t codepoint, bool render) {
  if (!face_) return false;
  // Index 0 is the face's missing-glyph box, which is what a character the
  // face lacks shows on Windows too.
  const FT_UInt index = FT_Get_Char_Index(face_, codepoint);
  const FT_Int32 flags = FT_LOAD_NO_BITMAP | (render ? FT_LOAD_RENDER : 0);
  return FT_Load_Glyph(face_, index, flags) == 0;
}

uint32_t GlyphRaster::Advance(uint32_t codepoint) {
  if (!Load(codepoint, false)) return 0;
  const FT_Pos advance = face_->glyph->advance.x;
  return advance > 0 ? static_cast<uint32_t>((advance + 32) >> 6) : 0;
}

void GlyphRaster::Draw(uint32_t codepoint, int x, int y, int cellWidth, uint8_t* bitmap, int width,
                       int height) {
  if (!Load(codepoint, true)) return;
  const FT_GlyphSlot slot = face_->glyph;
  const FT_Bitmap& ink = slot->bitmap;
  if (ink.pixel_mode != FT_PIXEL_MODE_GRAY || !ink.buffer) return;
  const int left = x + slot->bitmap_left;
  const int top = y + ascent - slot->bitmap_top;
  const int clipX0 = x > 0 ? x : 0;
  const int clipX1 = x + cellWidth < width ? x + cellWidth : width;
  const int clipY0 = y > 0 ? y : 0;
  const int clipY1 = y + lineHeight < height ? y + lineHeight : height;
  // A negative pitch means the rows are stored upwards from the buffer.
  const uint8_t* topRow = ink.buffer;
  if (ink.pitch < 0) topRow -= static_cast<ptrdiff_t>(ink.pitch) * (ink.rows - 1);
  for (int row = 0; row < static_cast<int>(ink.rows); ++row) {
    const int py = top + row;
    if (py < clipY0 || py >= clipY1) continue;
    const uint8_t* src = topRow + static_cast<ptrdiff_t>(ink.pitch) * row;
    uint8_t* dst = bitmap + static_cast<ptrdiff_t>(height - 1 - py) * width;
    for (int col = 0; col < static_cast<int>(ink.width); ++col) {
      const int px = left + col;
      if (px >= clipX0 && px < clipX1 && src[col] > dst[px]) dst[px] = src[col];
    }
  }
}
