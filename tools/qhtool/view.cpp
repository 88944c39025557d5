// qhtool view: one model rendered into a PNG (see view_render.h).
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "image/png_writer.h"
#include "lookup.h"
#include "view_render.h"

namespace {
constexpr const char* kUsage =
    "MODEL [--clip CLIP --time FRAME] [--archive FILE] [--tex TEXTURE] [--eyes TEXTURE] "
    "[--line FILE] [--size PIXELS] [--yaw DEGREES] --out FILE.png";

int View(int argc, char** argv) {
  ViewOptions o;
  const char* out = nullptr;
  const char* archive = nullptr;
  int size = 384;
  if (!ParseViewOptions(argc, argv, &o, &out, &archive, &size) || !out || size < 16 || size > 4096)
    return Fail("usage: qhtool view %s", kUsage);
  if (!ChooseArchive(archive)) return 1;
  if (!OpenViewWindow(size)) return Fail("no display for rendering");
  std::vector<uint8_t> rgb;
  std::string error;
  const bool rendered = RenderView(o, size, &rgb, &error);
  CloseView();
  if (!rendered) return Fail("%s", error.c_str());
  if (!WritePng(out, size, size, 3, rgb.data(), size * 3)) return Fail("can't write %s", out);
  return 0;
}

CommandRegistration g_view("view", kUsage, View);
}  // namespace
