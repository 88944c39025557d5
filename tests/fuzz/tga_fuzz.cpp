// Any byte string loads or is refused with a log line, without a crash or a read outside it.
#include <cstddef>
#include <cstdint>

#include "image/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TgaImage image;
  const bool ok = DecodeTGA(image, data, size, "fuzz.tga");
  if (ok != (image.pixels != nullptr)) __builtin_trap();
  return 0;
}
