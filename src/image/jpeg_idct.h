// Sample arithmetic of the JPEG decoder: dequantisation with the folded AAN
// prescale, the scaled floating-point 8x8 inverse DCT, and colour conversion.
#pragma once
#include <cstddef>
#include <cstdint>

// Natural (row-major) position of each zigzag index.
extern const uint8_t kJpegNaturalOrder[64];

// A quantisation table (zigzag order, as stored) as floats in natural order.
void JpegNaturalQuant(const uint32_t quant[64], float natural[64]);

// The block of natural-order coefficients, each multiplied by its
// quantisation value (from JpegNaturalQuant) and then by the AAN scale
// factors of its row and of its column.
void JpegDequantize(const int32_t coefficients[64], const float quant[64], float block[64]);

// In-place inverse DCT of a dequantised block, columns first, then rows;
// the results are eight times the sample values (before the +128 level
// shift).
void JpegInverseDct(float block[64]);

// The inverse-DCT results of a block as 0...255 samples: each truncated
// toward zero, shifted right by 3, plus 128, clamped.
void JpegBlockSamples(const float block[64], uint8_t samples[64]);

// Colour conversion of `count` RGBA pixels decoded with `components`
// components in bytes 0...2: grey is copied to green and blue, YCbCr becomes
// RGB; alpha becomes 255 for both. Other counts are left as they are.
void JpegToRgba(uint8_t* pixels, size_t count, int components);
