// Where each glyph of the font atlas goes: which codes are kept, how big the
// texture must be and the cell of every glyph. No FreeType or GL here.
#pragma once
#include <cstdint>

constexpr int kGlyphCodes = 256;

// One character code's place in the atlas. width 0: not in the texture, and
// the coordinates are 0. u0/u1 are the cell's left and right, v0/v1 its top
// and bottom in GL texture coordinates (v0 > v1: the atlas is stored bottom
// row first, so the top of a cell has the larger v).
struct GlyphRect {
  uint32_t width;
  float u0, v0, u1, v1;
};

// Codes 32..175 and 224..241 are the ones the atlas may hold.
bool IsAtlasCode(int code);

// Sets the width of every code outside the atlas range to 0 and returns the
// pixel area the kept glyphs need: the sum of (width + 1) * lineHeight over
// the codes with width > 0.
int64_t KeepAtlasGlyphs(uint32_t widths[kGlyphCodes], int lineHeight);

// One growth step of the texture: the width doubles while it equals the
// height, otherwise the height does, so the sizes run 32x32, 64x32, 64x64...
void GrowTextureSize(int* width, int* height);

// The smallest size of that sequence whose area is at least `area`; 32x32
// when area <= 1024.
void ChooseTextureSize(int64_t area, int* width, int* height);

// Lays the glyphs with width > 0 out in code order in rows of lineHeight
// pixels from the top-left, one pixel of gap after each glyph, and fills
// `rects` (codes with width 0 get an all-zero record). `x`/`y`, when given,
// receive each cell's top-left pixel from the top of the bitmap. Returns
// false when a cell does not fit inside width x height; the records are
// filled all the same.
bool LayoutGlyphs(const uint32_t widths[kGlyphCodes], int lineHeight, int width, int height,
                  GlyphRect rects[kGlyphCodes], int x[kGlyphCodes], int y[kGlyphCodes]);

// The atlas size for glyphs needing `area` pixels (ChooseTextureSize), grown
// further step by step until LayoutGlyphs fits every cell, then laid out.
void FitAtlas(const uint32_t widths[kGlyphCodes], int lineHeight, int64_t area, int* width,
              int* height, GlyphRect rects[kGlyphCodes], int x[kGlyphCodes], int y[kGlyphCodes]);
