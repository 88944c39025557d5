#include "image/font_gl.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "core/growth.h"
#include "core/log.h"
#include "core/sizetext.h"
#include "core/window_state.h"
#include "image/glyph_raster.h"

CFontGL g_font;

namespace {
// Where the atlas's conversion buffer is grown, as the log names it.
constexpr int kConversionLine = 103;

// Codes 128..159 of Windows-1252; the rest of 0..255 is Latin-1. The five
// codes Windows leaves undefined map to the C1 controls of the same value,
// as Windows' own conversion does.
constexpr uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodeToUnicode(int code) {
  return code >= 128 && code < 160 ? kWindows1252High[code - 128] : static_cast<uint32_t>(code);
}
}  // namespace

uint8_t* CoverageToLuminanceAlpha(const uint8_t* coverage, int width, int height) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  uint8_t* pairs = nullptr;
  if (!ResizeArray(pairs, pixels * 2, "inc\\FontGL", kConversionLine, "CFontGL::Init"))
    return nullptr;
  for (int64_t i = 0; i < pixels; ++i) {
    pairs[2 * i] = coverage[i];
    pairs[2 * i + 1] = coverage[i] ? 255 : 0;
  }
  return pairs;
}

void CFontGL::Init(const char* face, int points, int dpi) {
  faceName.assign(face ? face : "");
  if (dpi <= 0) dpi = 96;
  // points * dpi / 72, rounded to the nearest pixel. Beyond 0xFFFF pixels
  // FreeType refuses the size anyway.
  const int64_t cellPixels = (static_cast<int64_t>(points) * dpi + 36) / 72;
  const int cellHeight = cellPixels > 0xFFFF ? 0 : static_cast<int>(cellPixels);

  GlyphRaster raster;
  if (!raster.Open(face, cellHeight)) {
    Log(LOG_ERROR, "Font::can't create font [%s] (%i px)", faceName.c_str(), cellHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
    return;
  }
  lineHeight = raster.lineHeight;

  uint32_t widths[kGlyphCodes];
  maxWidth = 0;
  for (int code = 0; code < kGlyphCodes; ++code) {
    widths[code] = raster.Advance(CodeToUnicode(code));
    if (static_cast<int32_t>(widths[code]) > maxWidth)
      maxWidth = static_cast<int32_t>(widths[code]);
  }
  const int64_t area = KeepAtlasGlyphs(widths, lineHeight);

  int w = 0, h = 0;
  int cellX[kGlyphCodes], cellY[kGlyphCodes];
  FitAtlas(widths, lineHeight, area, &w, &h, glyph, cellX, cellY);
  const uint32_t bytes = static_cast<uint32_t>(w) * static_cast<uint32_t>(h) * 2;
  Log(LOG_INFO, "Font::create texture (%ix%i)%s", w, h, SizeToText(&bytes));

  uint8_t* coverage = nullptr;
  uint8_t* pairs = nullptr;
  if (ResizeArray(coverage, static_cast<int64_t>(w) * h, "inc\\FontGL", __LINE__,
                  "CFontGL::Init")) {
    std::memset(coverage, 0, static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int code = 0; code < kGlyphCodes; ++code) {
      if (glyph[code].width == 0) continue;
      raster.Draw(CodeToUnicode(code), cellX[code], cellY[code],
                  static_cast<int>(glyph[code].width), coverage, w, h);
    }
    pairs = CoverageToLuminanceAlpha(coverage, w, h);
    std::free(coverage);
  }
  if (!pairs) {
    // Without pixels there is nothing worth uploading: no texture at all.
    for (GlyphRect& g : glyph) g = GlyphRect{};
    glBindTexture(GL_TEXTURE_2D, 0);
    return;
  }

  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexImage2D(GL_TEXTURE_2D, 0, 2, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, pairs);
  texWidth = w;
  texHeight = h;
  std::free(pairs);
  ready = 1;
  glBindTexture(GL_TEXTURE_2D, 0);
}

void CFontGL::Begin2D() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, g_width, g_height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}
