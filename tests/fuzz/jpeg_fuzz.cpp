// Any byte string decodes or is refused without a crash, a leak or a read outside the data.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto decoder = std::make_unique<JpegDecoder>();
  // Large pictures are valid but only slow the search down.
  if (!ReadJpegHeaders(*decoder, data, size) ||
      static_cast<int64_t>(decoder->width) * decoder->height > (1 << 16))
    return 0;
  if (DecodeJpeg(*decoder, data, size) && !decoder->pixels) __builtin_trap();
  return 0;
}
