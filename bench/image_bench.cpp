// JPEG decoding of the generated textures, in decoded pixels per second:
// the four 512x512 ground textures and a character's skin (all 4:2:0, as
// the content builder writes them). Needs the default build's content.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "image/jpeg.h"
#include "storage/core.h"

namespace {
void BM_DecodeJpeg(benchmark::State& state) {
  static const char* const kFiles[] = {"rock.jpg", "grass.jpg", "earth.jpg", "sand.jpg", "ZL.jpg"};
  const char* name = kFiles[state.range(0)];
  CoreSetArchivePath(QH_BINARY_DIR "/run/brookfield.core");
  const int32_t size = CWsize(name, "rb", true);
  FILE* file = size > 0 ? CoreOpen(name, "rb", true) : nullptr;
  std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
  const bool read = file && std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file) std::fclose(file);
  if (!read) {
    state.SkipWithError("no generated content: build the default target first");
    return;
  }
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
