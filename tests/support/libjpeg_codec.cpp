#include "support/libjpeg_codec.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <cstdlib>

#include <jpeglib.h>

namespace {
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

}  // namespace

std::vector<uint8_t> TestPicture(int width, int height, int components) {
  std::vector<uint8_t> picture;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool inSquare = x > width / 4 && x < width / 2 && y > height / 3 && y < height * 2 / 3;
      const int ramps[4] = {x * 255 / width, y * 255 / height, inSquare ? 230 : 40 + (x + y) % 64,
                            (x * y) % 200};
      for (int c = 0; c < components; ++c)
        picture.push_back(
            static_cast<uint8_t>(components == 1 ? (ramps[0] + ramps[2]) / 2 : ramps[c]));
    }
  return picture;
}

std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& picture, int width, int height,
                                const EncodeOptions& options) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = options.components;
  const J_COLOR_SPACE spaces[] = {JCS_GRAYSCALE, JCS_GRAYSCALE, JCS_RGB, JCS_RGB, JCS_CMYK};
  info.in_color_space = spaces[options.components];
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, TRUE);
  for (int c = 0; c < info.num_components; ++c) {
    info.comp_info[c].h_samp_factor = c ? 1 : options.h0;
    info.comp_info[c].v_samp_factor = c ? 1 : options.v0;
  }
  info.restart_interval = static_cast<unsigned>(options.restartMcus);
  info.restart_in_rows = options.restartRows;
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * options.components;
  for (JSAMPROW row; info.next_scanline < info.image_height; jpeg_write_scanlines(&info, &row, 1))
    row = const_cast<JSAMPROW>(&picture[info.next_scanline * rowBytes]);
  jpeg_finish_compress(&info), jpeg_destroy_compress(&info);
  std::vector<uint8_t> jpeg(buffer, buffer + size);
  std::free(buffer);
  return jpeg;
}

std::vector<uint8_t> OracleDecodeRgb(const std::vector<uint8_t>& jpeg, int* width, int* height) {
  jpeg_decompress_struct info;
  ErrorJump error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = [](j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
  };
  error.manager.emit_message = [](j_common_ptr, int) {};
  std::vector<uint8_t> rgb;
  if (setjmp(error.jump)) return jpeg_destroy_decompress(&info), std::vector<uint8_t>();
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB, info.dct_method = JDCT_FLOAT, info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&info);
  *width = static_cast<int>(info.output_width), *height = static_cast<int>(info.output_height);
  rgb.resize(static_cast<size_t>(*width) * *height * 3);
  for (JSAMPROW row; info.output_scanline < info.output_height; jpeg_read_scanlines(&info, &row, 1))
    row = &rgb[static_cast<size_t>(info.output_scanline) * *width * 3];
  jpeg_finish_decompress(&info), jpeg_destroy_decompress(&info);
  return rgb;
}
