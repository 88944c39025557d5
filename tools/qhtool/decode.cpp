// `qhtool decode IMAGE OUT`: a JPEG or TGA as the program decodes it, written
// top row first as binary PPM (".ppm") or PNG (".png").
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands.h"
#include "image/png_writer.h"
#include "image_files.h"

namespace {
bool EndsWith(const char* text, const char* suffix) {
  const size_t a = std::strlen(text), b = std::strlen(suffix);
  return a >= b && std::strcmp(text + a - b, suffix) == 0;
}

bool WritePpm(const char* path, const DecodedPicture& picture) {
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
  DecodedPicture picture;
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
