// JPEG decoding of the generated textures, in decoded pixels per second:
// the four 512x512 ground textures and a character's skin (all 4:2:0, as
// the content builder writes them). Needs the default build's content.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "image/jpeg.h"
#include "storage/archive_writer.h"

namespace {
void BM_DecodeJpeg(benchmark::State& state) {
  static const char* const kFiles[] = {"rock.jpg", "grass.jpg", "earth.jpg", "sand.jpg", "ZL.jpg"};
  const char* name = kFiles[state.range(0)];
  std::vector<uint8_t> image;
  std::vector<ArchiveEntry> entries;
  std::string error;
  const ArchiveEntry* entry = nullptr;
  if (ReadWholeFile(QH_BINARY_DIR "/run/brookfield.core", &image) &&
      ReadArchive(image, &entries, &error))
    for (const ArchiveEntry& e : entries)
      if (e.name == name) entry = &e;
  if (!entry) {
    state.SkipWithError("no generated content: build the default target first");
    return;
  }
  const std::vector<uint8_t>& bytes = entry->data;
  JpegDecoder decoder;
  int64_t pixels = 0;
  for (auto _ : state) {
    if (!DecodeJpeg(decoder, bytes.data(), bytes.size()) || decoder.incomplete) {
      state.SkipWithError(decoder.error ? decoder.error : "incomplete");
      return;
    }
    pixels += int64_t{decoder.width} * decoder.height;
    benchmark::DoNotOptimize(decoder.pixels.get());
  }
  state.SetLabel(name);
  state.counters["MPix/s"] =
      benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeJpeg)->DenseRange(0, 4);
}  // namespace
