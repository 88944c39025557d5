#include "image/glyph_layout.h"

bool IsAtlasCode(int code) {
  return (code >= 32 && code <= 175) || (code >= 224 && code <= 241);
}

int64_t KeepAtlasGlyphs(uint32_t widths[kGlyphCodes], int lineHeight) {
  int64_t area = 0;
  for (int code = 0; code < kGlyphCodes; ++code) {
    if (!IsAtlasCode(code)) widths[code] = 0;
    if (widths[code] > 0) area += (static_cast<int64_t>(widths[code]) + 1) * lineHeight;
  }
  return area;
}

void GrowTextureSize(int* width, int* height) {
  if (*width == *height)
    *width *= 2;
  else
    *height *= 2;
}

void ChooseTextureSize(int64_t area, int* width, int* height) {
  *width = *height = 32;
  while (static_cast<int64_t>(*width) * *height < area) GrowTextureSize(width, height);
}

bool LayoutGlyphs(const uint32_t widths[kGlyphCodes], int lineHeight, int width, int height,
                  GlyphRect rects[kGlyphCodes], int x[kGlyphCodes], int y[kGlyphCodes]) {
  const float invW = 1.0f / static_cast<float>(width);
  const float invH = 1.0f / static_cast<float>(height);
  bool fits = true;
  int64_t penX = 0, penY = 0;
  for (int code = 0; code < kGlyphCodes; ++code) {
    const int64_t w = widths[code];
    rects[code] = GlyphRect{};
    if (x) x[code] = 0;
    if (y) y[code] = 0;
    if (w == 0) continue;
    if (penX + w >= width) {
      penY += lineHeight;
      penX = 0;
    }
    if (penX + w > width || penY + lineHeight > height) fits = false;
    // The bitmap's first row is the texture's bottom, hence 1 - y / H.
    rects[code].width = static_cast<uint32_t>(w);
    rects[code].u0 = static_cast<float>(penX) * invW;
    rects[code].u1 = static_cast<float>(penX + w) * invW;
    rects[code].v0 = 1.0f - static_cast<float>(penY) * invH;
    rects[code].v1 = 1.0f - static_cast<float>(penY + lineHeight) * invH;
    if (x) x[code] = static_cast<int>(penX);
    if (y) y[code] = static_cast<int>(penY);
    // The row also ends early when another glyph as wide as this one would
    // not fit after it.
    penX += w + 1;
    if (penX + w >= width) {
      penY += lineHeight;
      penX = 0;
    }
  }
  return fits;
}

void FitAtlas(const uint32_t widths[kGlyphCodes], int lineHeight, int64_t area, int* width,
              int* height, GlyphRect rects[kGlyphCodes], int x[kGlyphCodes], int y[kGlyphCodes]) {
  ChooseTextureSize(area, width, height);
  // The row breaks waste the ends of rows, which the area doesn't count; a
  // size whose last rows would fall off the bottom grows one step more
  // rather than losing glyphs.
  while (!LayoutGlyphs(widths, lineHeight, *width, *height, rects, x, y))
    GrowTextureSize(width, height);
}
