// qhtool sheet LIST [--archive FILE] [--tile PIXELS] [--columns N] --out FILE.png
//
// A contact sheet: one labelled tile per line of LIST, laid out row by row.
// Each line is a label (no spaces) followed by the options of `qhtool view`
// for that tile; empty lines and lines starting with '#' are skipped.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "image/png_writer.h"
#include "lookup.h"
#include "view_render.h"

namespace {
struct Tile {
  std::vector<std::string> words;  // label, then view options
};

bool ReadTiles(const char* path, std::vector<Tile>* tiles) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    Tile t;
    for (std::string w; words >> w;) t.words.push_back(w);
    if (!t.words.empty() && t.words[0][0] != '#') tiles->push_back(t);
  }
  return true;
}

int Sheet(int argc, char** argv) {
  const char* list = nullptr;
  const char* out = nullptr;
  const char* archive = nullptr;
  int tile = 256, columns = 6;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 && !list) {
      list = argv[i];
    } else if (i + 1 < argc && arg == "--out") {
      out = argv[++i];
    } else if (i + 1 < argc && arg == "--archive") {
      archive = argv[++i];
    } else if (i + 1 < argc && arg == "--tile") {
      tile = std::atoi(argv[++i]);
    } else if (i + 1 < argc && arg == "--columns") {
      columns = std::atoi(argv[++i]);
    } else {
      list = nullptr;
      break;
    }
  }
  if (!list || !out || tile < 16 || tile > 2048 || columns < 1)
    return Fail(
        "usage: qhtool sheet LIST [--archive FILE] [--tile PIXELS] [--columns N] --out "
        "FILE.png");
  std::vector<Tile> tiles;
  if (!ReadTiles(list, &tiles) || tiles.empty()) return Fail("no tiles in %s", list);
  if (!ChooseArchive(archive)) return 1;
  if (!OpenViewWindow(tile)) return Fail("no display for rendering");

  const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
  const int width = columns * tile, height = rows * tile;
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, 255);
  for (size_t i = 0; i < tiles.size(); ++i) {
    std::vector<char*> args;
    for (size_t w = 1; w < tiles[i].words.size(); ++w) args.push_back(&tiles[i].words[w][0]);
    ViewOptions o;
    if (!ParseViewOptions(static_cast<int>(args.size()), args.data(), &o, nullptr, nullptr,
                          nullptr))
      return Fail("bad tile line %zu in %s", i + 1, list);
    o.label = tiles[i].words[0];
    std::vector<uint8_t> rgb;
    std::string error;
    if (!RenderView(o, tile, &rgb, &error))
      return Fail("tile %s: %s", o.label.c_str(), error.c_str());
    const int x0 = static_cast<int>(i % columns) * tile, y0 = static_cast<int>(i / columns) * tile;
    for (int y = 0; y < tile; ++y)
      std::memcpy(&sheet[(static_cast<size_t>(y0 + y) * width + x0) * 3], &rgb[y * tile * 3],
                  tile * 3);
  }
  CloseView();
  if (!WritePng(out, width, height, 3, sheet.data(), width * 3)) return Fail("can't write %s", out);
  return 0;
}

CommandRegistration g_sheet("sheet",
                            "LIST [--archive FILE] [--tile PIXELS] [--columns N] --out FILE.png",
                            Sheet);
}  // namespace
