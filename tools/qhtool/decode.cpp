// `qhtool decode IMAGE OUT`: a JPEG or TGA as the program decodes it, written
// top row first as binary PPM (".ppm") or PNG (".png").
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "commands.h"
#include "image/png_writer.h"
#include "image_files.h"

namespace {
// A decoded picture, rows top first, 3 or 4 bytes per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  int components = 0;
  std::vector<uint8_t> pixels;
};

// Copies `rows` rows stored bottom first (as they go to OpenGL) top first,
// widening 1-byte grey (alpha) pixels to RGB.
void FromBottomUp(const uint8_t* source, int sourceComponents, Picture& out) {
  out.components = sourceComponents == 1 ? 3 : sourceComponents;
  out.pixels.resize(static_cast<size_t>(out.width) * out.height * out.components);
  uint8_t* o = out.pixels.data();
  for (int y = out.height - 1; y >= 0; --y) {
    const uint8_t* row = source + static_cast<size_t>(y) * out.width * sourceComponents;
    for (int x = 0; x < out.width; ++x)
      for (int c = 0; c < out.components; ++c)
        *o++ = row[x * sourceComponents + (sourceComponents == 1 ? 0 : c)];
  }
}

bool DecodePicture(const char* path, Picture& picture, char* reason, size_t reasonSize) {
  uint8_t head[2] = {};
  if (FILE* f = std::fopen(path, "rb")) {
    const size_t got = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (LooksLikeJpeg(head, got)) {
      auto decoder = std::make_unique<JpegDecoder>();
      if (!LoadJpegFile(path, *decoder, reason, reasonSize)) return false;
      picture.width = decoder->width;
      picture.height = decoder->height;
      // Alpha is always opaque: keep RGB.
      std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * picture.height * 3);
      for (size_t i = 0; i < rgb.size() / 3; ++i)
        std::memcpy(&rgb[i * 3], &decoder->pixels[i * 4], 3);
      FromBottomUp(rgb.data(), 3, picture);
      return true;
    }
  }
  if (!LooksLikeTga(path)) {
    std::snprintf(reason, reasonSize, "neither a JPEG nor a .tga file");
    return false;
  }
  TgaImage image;
  if (!LoadTgaFile(path, image, reason, reasonSize)) return false;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  FromBottomUp(image.pixels.get(),
               image.format == kTgaFormatRgba  ? 4
               : image.format == kTgaFormatRgb ? 3
                                               : 1,
               picture);
  return true;
}

bool EndsWith(const char* text, const char* suffix) {
  const size_t a = std::strlen(text), b = std::strlen(suffix);
  return a >= b && std::strcmp(text + a - b, suffix) == 0;
}

bool WritePpm(const char* path, const Picture& picture) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", picture.width, picture.height);
  for (size_t i = 0; i < picture.pixels.size(); i += picture.components)
    std::fwrite(&picture.pixels[i], 1, 3, f);
  return std::fclose(f) == 0;
}

int Decode(int argc, char** argv) {
  if (argc != 2) return Fail("usage: qhtool decode IMAGE OUT");
  const char* out = argv[1];
  const bool png = EndsWith(out, ".png");
  if (!png && !EndsWith(out, ".ppm")) return Fail("%s: the output must end in .ppm or .png", out);
  Picture picture;
  char reason[512] = "invalid file";
  if (!DecodePicture(argv[0], picture, reason, sizeof reason))
    return Fail("%s: %s", argv[0], reason);
  const bool written = png ? WritePng(out, picture.width, picture.height, picture.components,
                                      picture.pixels.data(), picture.width * picture.components)
                           : WritePpm(out, picture);
  if (!written) return Fail("can't write %s", out);
  return 0;
}

CommandRegistration g_decode("decode", "IMAGE OUT", Decode);
}  // namespace
