// Sample arithmetic of the JPEG decoder: dequantisation with the folded AAN
// prescale, the scaled floating-point 8x8 inverse DCT, and colour conversion.
#pragma once
#include <cstddef>
#include <cstdint>

// Natural-order (row-major) block from zigzag-ordered coefficients, each
// multiplied by its quantisation value (zigzag order too) and the AAN scale
// factors of its row and column.
void JpegDequantize(const int32_t coefficients[64], const uint32_t quant[64], float block[64]);

// In-place inverse DCT of a dequantised block, columns first, then rows;
// the results are eight times the sample values (before the +128 level
// shift).
void JpegInverseDct(float block[64]);

// One inverse-DCT result as a 0...255 sample: truncated toward zero, shifted
// right by 3, plus 128, clamped.
uint8_t JpegSample(float value);

// Colour conversion of `count` RGBA pixels decoded with `components`
// components in bytes 0...2: grey is copied to green and blue, YCbCr becomes
// RGB; alpha becomes 255 for both. Other counts are left as they are.
void JpegToRgba(uint8_t* pixels, size_t count, int components);
