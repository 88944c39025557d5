#include "image/texture.h"

#include <GL/gl.h>

#include <memory>

#include "core/log.h"
#include "image/jpeg.h"
#include "image/texture_data.h"
#include "image/tga.h"

namespace {
void BeginTexture(Texture& texture, uint32_t wrap, uint32_t filter) {
  const TexFilter& f = TexFilterAt(filter);
  GLuint id = 0;
  glGenTextures(1, &id);
  texture.glId = id;
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(f.mag));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(f.min));
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
}

// Level 0, and for mipmapped filters every halving down to 1 x 1. The pixels
// are halved in place.
void Upload(Texture& texture, uint8_t* pixels, uint32_t format, int components) {
  uint16_t w = texture.width, h = texture.height;
  for (GLint level = 0;; ++level) {
    glTexImage2D(GL_TEXTURE_2D, level, 4, w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
    if (!TexFilterUsesMipmaps(texture.filter) || !HalveImage(pixels, w, h, components)) break;
  }
}
}  // namespace

uint32_t CreateTexTGA(Texture& texture, const char* file, uint32_t wrap, uint32_t filter,
                      uint32_t) {
  texture.texFile.assign(file);
  texture.wrap = wrap;
  texture.filter = filter;
  TgaImage image;
  if (!LoadTGA(image, file) || image.width > 0xFFFF || image.height > 0xFFFF) {
    Log(LOG_ERROR, "Tga::file not found [%s]", file);
    return kTextureFailed;
  }
  texture.width = static_cast<uint16_t>(image.width);
  texture.height = static_cast<uint16_t>(image.height);
  BeginTexture(texture, wrap, filter);
  texture.created = 1;
  const int components = image.format == kTgaFormatRgba ? 4 : image.format == kTgaFormatRgb ? 3 : 1;
  Upload(texture, image.pixels.get(), image.format, components);
  return texture.glId;
}

uint32_t CreateTexJPG(Texture& texture, const char* file, uint32_t wrap, uint32_t filter,
                      uint32_t) {
  texture.texFile.assign(file);
  texture.wrap = wrap;
  texture.filter = filter;
  auto decoder = std::make_unique<JpegDecoder>();
  if (!LoadJPG(*decoder, file)) {
    if (decoder->error == kJpegNotFound)
      Log(LOG_ERROR, "Jpg::file not found [%s]", file);
    else
      Log(LOG_ERROR, "Jpg::file [%s] rejected: %s", file, decoder->error);
    return kTextureFailed;
  }
  static_assert(kJpegMaxSide <= 0xFFFF, "a decoded side fits the texture's 16 bits");
  if (decoder->incomplete)
    Log(LOG_WARNING, "Jpg::file [%s] %s: the rest of the picture is grey", file, kJpegIncomplete);
  texture.width = static_cast<uint16_t>(decoder->width);
  texture.height = static_cast<uint16_t>(decoder->height);
  BeginTexture(texture, wrap, filter);
  texture.created = 1;
  Upload(texture, decoder->pixels.get(), GL_RGBA, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture.glId;
}

uint32_t CreateCheckerBoard(Texture& texture, const char* name) {
  texture.width = texture.height = kCheckerSize;
  texture.texFile.assign(name);
  uint8_t pixels[kCheckerSize * kCheckerSize * 3];
  BuildCheckerBoard(pixels);
  BeginTexture(texture, GL_REPEAT, 0);  // the record's wrap and filter stay as they were
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kCheckerSize, kCheckerSize, 0, GL_RGB, GL_UNSIGNED_BYTE,
               pixels);
  return texture.glId;
}
