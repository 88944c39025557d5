// libjpeg as the encoder of test pictures and as the oracle our decoder is
// compared with. Tests only: the program never links libjpeg.
#pragma once
#include <cstdint>
#include <vector>

struct EncodeOptions {
  int components = 3;  // 1 grey, 3 YCbCr, 4 CMYK
  int h0 = 1, v0 = 1;  // sampling factors of component 0 (the others 1 x 1)
  int quality = 90;
  int restartMcus = 0;  // restart interval in MCUs
  int restartRows = 0;  // restart interval in MCU rows
  bool progressive = false;
};

// A test picture: smooth ramps with a few hard edges, `components` bytes per
// pixel (grey, RGB or CMYK), rows top first.
std::vector<uint8_t> TestPicture(int width, int height, int components);

// Encodes a picture (rows top first) with libjpeg.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& picture, int width, int height,
                                const EncodeOptions& options);

// Decodes with libjpeg's float inverse DCT and plain replicating upsampling
// into RGB, rows top first. Empty when libjpeg refuses the data.
std::vector<uint8_t> OracleDecodeRgb(const std::vector<uint8_t>& jpeg, int* width, int* height);
