// The processor side of texture creation: the filter modes, the in-place
// box-filtered mipmap halving and the generated checkerboard. No OpenGL calls.
#pragma once
#include <cstddef>
#include <cstdint>

// OpenGL filter values (GL_NEAREST, GL_LINEAR and the four mipmapped ones).
constexpr uint32_t kGlNearest = 0x2600;
constexpr uint32_t kGlLinear = 0x2601;
constexpr uint32_t kGlNearestMipmapNearest = 0x2700;
constexpr uint32_t kGlLinearMipmapNearest = 0x2701;
constexpr uint32_t kGlNearestMipmapLinear = 0x2702;
constexpr uint32_t kGlLinearMipmapLinear = 0x2703;

struct TexFilter {
  uint32_t mag;  // GL_TEXTURE_MAG_FILTER
  uint32_t min;  // GL_TEXTURE_MIN_FILTER
};

constexpr uint32_t kTexFilterCount = 11;
extern const TexFilter kTexFilters[kTexFilterCount];

// The table entry for `filter`; indices past the table get entry 0 (nearest,
// no mipmaps) instead of a read past its end.
const TexFilter& TexFilterAt(uint32_t filter);

// True when `filter` selects a mipmapped minification (entries above 3), so
// the upload builds the mipmap chain.
bool TexFilterUsesMipmaps(uint32_t filter);

// Halves an image of width x height pixels of `components` bytes in place for
// the next mipmap level: each side above 1 is halved (rounding down) and each
// output component is the mean, rounded down, of the 2 x 2 source pixels it
// covers, or of the 2 pixels along the side that is still above 1 once the
// other has reached 1. Returns false, changing nothing, when both sides are
// already 1 (or below). `pixels` must hold width * height * components bytes.
bool HalveImage(uint8_t* pixels, uint16_t& width, uint16_t& height, int components);

// Reverses the order of `height` rows of `rowBytes` bytes in place (the
// decoders' bottom-row-first order for OpenGL).
void FlipRows(uint8_t* pixels, size_t rowBytes, size_t height);

// The fallback texture: 8 x 8 RGB pixels, white where row and column are both
// even or both odd, black elsewhere.
constexpr int kCheckerSize = 8;
void BuildCheckerBoard(uint8_t pixels[kCheckerSize * kCheckerSize * 3]);
