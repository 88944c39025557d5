// The glyph atlas: one luminance-alpha GL texture holding the printable
// glyphs of a system font, with each glyph's advance and texture cell, and
// the 2D overlay state that binds it.
#pragma once
#include <cstdint>

#include "core/cstring.h"
#include "image/glyph_layout.h"

class CFontGL {
 public:
  // Builds the atlas from `face` (or the face fontconfig substitutes for
  // it) at `points` on a display of `dpi` dots per inch (96 when dpi <= 0),
  // and leaves no texture bound. Needs a current GL context; call once.
  // Character codes are Windows-1252 (the ANSI code page of the original
  // platform's default character set).
  // When the font can't be rasterised (no face, FreeType error, no memory)
  // the failure is logged, nothing is uploaded, ready stays 0 and texture 0.
  // Either way the caller registers `texture` with the resource manager
  // under `faceName`, which then owns and releases it.
  void Init(const char* face, int points, int dpi);

  // The overlay state: a pixel projection (0,0 top-left to g_width,
  // g_height), identity modelview, white, additive blending, no lighting,
  // depth test or culling, and the atlas bound with modulate.
  void Begin2D();

  uint32_t ready = 0;      // 1 once the texture is built
  int32_t lineHeight = 0;  // pixel height of every glyph cell
  int32_t maxWidth = 0;    // widest advance among all 256 codes
  int32_t texWidth = 0, texHeight = 0;
  uint32_t texture = 0;  // GL name, 0 when not built
  GlyphRect glyph[kGlyphCodes] = {};
  cstring faceName;  // the face as asked for, the texture's registered name
};

extern CFontGL g_font;

// Turns a coverage bitmap (width x height bytes) into luminance-alpha pairs
// in the same row order: luminance is the coverage, alpha 255 where there is
// any ink and 0 elsewhere. Returns a block the caller frees with free(), or
// null after logging the growth failure when it can't be allocated.
uint8_t* CoverageToLuminanceAlpha(const uint8_t* coverage, int width, int height);
