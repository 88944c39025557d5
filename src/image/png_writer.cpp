#include "image/png_writer.h"

#include <png.h>

#include <cstddef>
#include <cstdio>

namespace {
void Append(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp) {}
}  // namespace

bool EncodePng(int width, int height, int components, const uint8_t* pixels, int stride,
               std::vector<uint8_t>* out) {
  out->clear();
  if (width <= 0 || height <= 0 || (components != 3 && components != 4)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, Append, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               components == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(pixels + static_cast<ptrdiff_t>(y) * stride));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WritePng(const char* path, int width, int height, int components, const uint8_t* pixels,
              int stride) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(width, height, components, pixels, stride, &bytes)) return false;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && written;
}
