#include "image.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>  // needs FILE declared first

namespace {
uint8_t Byte(float v) {
  if (!(v > 0)) return 0;
  if (v >= 1) return 255;
  return static_cast<uint8_t>(v * 255.0f + 0.5f);
}
}  // namespace

void Picture::Set(int x, int y, const vec3& c) {
  uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  p[0] = Byte(c.x);
  p[1] = Byte(c.y);
  p[2] = Byte(c.z);
}

vec3 Picture::Get(int x, int y) const {
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return vec3(p[0], p[1], p[2]) * (1.0f / 255.0f);
}

std::vector<uint8_t> EncodeBaselineJpeg(const Picture& picture, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(
        &picture.rgb[static_cast<size_t>(cinfo.next_scanline) * picture.width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}
