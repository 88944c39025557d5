#include "image/jpeg.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "image/jpeg_idct.h"
#include "image/jpeg_scan.h"
#include "image/texture_data.h"
#include "storage/core.h"

bool DecodeJpeg(JpegDecoder& d, const uint8_t* data, size_t size) {
  const bool ok = ReadJpegHeaders(d, data, size);
  if (ok) {
    const size_t count = static_cast<size_t>(d.width) * static_cast<size_t>(d.height);
    d.pixels.reset(new (std::nothrow) uint8_t[count * 4]);
    if (!d.pixels) {
      d.error = "no memory for the pixels";
    } else {
      // Whatever a damaged scan leaves undecoded comes out mid-grey.
      std::memset(d.pixels.get(), 128, count * 4);
      DecodeJpegScan(d);
      JpegToRgba(d.pixels.get(), count, d.compCount);
      FlipRows(d.pixels.get(), static_cast<size_t>(d.width) * 4, static_cast<size_t>(d.height));
    }
  }
  d.data = nullptr;
  d.size = d.pos = 0;
  return d.pixels != nullptr;
}

bool LoadJPG(JpegDecoder& d, const char* name) {
  d = JpegDecoder();
  FILE* f = CoreOpen(name, "rb", true);
  if (!f) {
    d.error = kJpegNotFound;
    return false;
  }
  // An archive entry is not followed by an end of file: read its length only.
  const int32_t size = CWsize(name, "rb", true);
  uint8_t* bytes = size > 0 ? new (std::nothrow) uint8_t[static_cast<size_t>(size)] : nullptr;
  const size_t got = bytes ? std::fread(bytes, 1, static_cast<size_t>(size), f) : 0;
  std::fclose(f);
  if (!bytes) {
    d.error = size > 0 ? "no memory for the file" : "empty file";
    return false;
  }
  const bool ok = DecodeJpeg(d, bytes, got);
  delete[] bytes;
  return ok;
}
