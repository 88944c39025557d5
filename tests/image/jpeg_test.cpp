// The baseline decoder against libjpeg, and hostile or malformed headers: each is refused
// with its reason, never read past the data.
#include "image/jpeg.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/jpeg_idct.h"
#include "image/jpeg_scan.h"
#include "image/texture_data.h"
#include "support/libjpeg_codec.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Encoded(int width, int height, const EncodeOptions& options) {
  return EncodeJpeg(TestPicture(width, height, options.components), width, height, options);
}

Bytes Colour420(int width = 32, int height = 32) {
  EncodeOptions options;
  options.h0 = options.v0 = 2;
  return Encoded(width, height, options);
}

// Decodes into a fresh decoder: "accepted", or the reason it was refused (then no pixels).
std::string Decode(const Bytes& jpeg, std::unique_ptr<JpegDecoder>& d) {
  d = std::make_unique<JpegDecoder>();
  if (DecodeJpeg(*d, jpeg.data(), jpeg.size())) return "accepted";
  EXPECT_FALSE(d->pixels);
  return d->error ? d->error : "no reason";
}

std::string Refusal(const Bytes& jpeg) {
  std::unique_ptr<JpegDecoder> d;
  return Decode(jpeg, d);
}

// The pixels (empty when refused) and the incomplete flag of a decode whose
// Huffman look-up tables are emptied: every code goes through the
// bit-by-bit search, the reference for the look-ups.
std::pair<Bytes, bool> DecodeBitByBit(const Bytes& jpeg) {
  auto d = std::make_unique<JpegDecoder>();
  if (!ReadJpegHeaders(*d, jpeg.data(), jpeg.size())) return {};
  for (JpegHuffman* tables : {d->dcTables, d->acTables})
    for (int t = 0; t < 4; ++t) {
      std::memset(tables[t].fast, 0, sizeof tables[t].fast);
      std::memset(tables[t].fastAc, 0, sizeof tables[t].fastAc);
    }
  const size_t count = static_cast<size_t>(d->width) * d->height;
  d->pixels.reset(new uint8_t[count * 4]);
  std::memset(d->pixels.get(), 128, count * 4);
  DecodeJpegScan(*d);
  JpegToRgba(d->pixels.get(), count, d->compCount);
  FlipRows(d->pixels.get(), static_cast<size_t>(d->width) * 4, static_cast<size_t>(d->height));
  return {Bytes(d->pixels.get(), d->pixels.get() + count * 4), d->incomplete};
}

void ExpectLookUpsExact(const Bytes& jpeg, const std::unique_ptr<JpegDecoder>& d) {
  const size_t size = d->pixels ? static_cast<size_t>(d->width) * d->height * 4 : 0;
  const auto reference = DecodeBitByBit(jpeg);
  EXPECT_TRUE(reference.first == Bytes(d->pixels.get(), d->pixels.get() + size));
  EXPECT_EQ(reference.second, d->incomplete);
}

// Offset of the FF byte of the first segment with marker `m` up to the scan, or 0.
size_t Segment(const Bytes& jpeg, uint8_t m) {
  for (size_t i = 2; i + 3 < jpeg.size() && jpeg[i] == 0xFF;
       i += 2 + (jpeg[i + 2] << 8 | jpeg[i + 3])) {
    if (jpeg[i + 1] == m) return i;
    if (jpeg[i + 1] == 0xDA) break;
  }
  return 0;
}

// The payload byte `at` of the first segment with marker m.
uint8_t& Field(Bytes& jpeg, uint8_t m, int at) {
  return jpeg[Segment(jpeg, m) + 4 + at];
}
}  // namespace

// Alpha 255, grey as equal RGB; we truncate where libjpeg rounds: a few levels apart. A grey
// picture with sampling factors is non-interleaved (20 wide: 8x8 and 16x16 MCUs differ).
TEST(Jpeg, SamplingsOddSizesGreyAndRestartIntervalsMatchLibjpeg) {
  const struct {
    int components, h0, v0, restartMcus, restartRows, width, height;
  } kCases[] = {{3, 1, 1, 0, 0, 64, 48}, {3, 2, 1, 0, 0, 64, 48}, {3, 2, 2, 0, 0, 64, 48},
                {3, 1, 2, 0, 0, 64, 48}, {3, 4, 1, 0, 0, 64, 48}, {3, 1, 1, 0, 0, 1, 36},
                {3, 2, 2, 0, 0, 7, 30},  {3, 2, 2, 0, 0, 9, 28},  {3, 1, 1, 0, 0, 17, 20},
                {3, 2, 2, 0, 0, 33, 4},  {1, 1, 1, 0, 0, 30, 21}, {1, 2, 2, 0, 0, 20, 12},
                {3, 2, 2, 1, 0, 70, 50}, {3, 2, 2, 3, 0, 70, 50}, {3, 2, 2, 5, 0, 70, 50},
                {3, 1, 1, 0, 1, 45, 40}, {1, 1, 1, 0, 1, 45, 40}};
  for (const auto& c : kCases) {
    EncodeOptions options;
    options.components = c.components, options.h0 = c.h0, options.v0 = c.v0;
    options.restartMcus = c.restartMcus, options.restartRows = c.restartRows;
    const Bytes jpeg = Encoded(c.width, c.height, options);
    int width = 0, height = 0;
    const Bytes oracle = OracleDecodeRgb(jpeg, &width, &height);
    std::unique_ptr<JpegDecoder> d;
    SCOPED_TRACE(testing::Message() << c.components << " " << c.h0 << "x" << c.v0 << " " << c.width
                                    << "x" << c.height << " restart " << c.restartMcus);
    ASSERT_TRUE(Decode(jpeg, d) == "accepted" && !d->incomplete && d->width == width &&
                d->height == height);
    int worst = 0;
    double total = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* o = &oracle[(static_cast<size_t>(y) * width + x) * 3];
        const uint8_t* p = &d->pixels[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
        for (int k = 0; k < 3; ++k)
          worst = std::max(worst, std::abs(o[k] - p[k])), total += std::abs(o[k] - p[k]);
        ASSERT_EQ(p[3], 255);
        ASSERT_TRUE(c.components != 1 || (p[0] == p[1] && p[0] == p[2]));
      }
    EXPECT_LE(worst, 4);
    EXPECT_LT(total / (3.0 * width * height), 1.5);
    ExpectLookUpsExact(jpeg, d);
  }
}

// The zigzag walks the anti-diagonals from the top left, turning at the edges:
// up and right on even diagonals, down and left on odd ones.
TEST(Jpeg, TheNaturalOrderIsTheZigzagWalk) {
  std::vector<int> walk;
  for (int diagonal = 0; diagonal < 15; ++diagonal)
    for (int i = 0; i <= diagonal; ++i) {
      const int row = diagonal % 2 ? i : diagonal - i, column = diagonal - row;
      if (row < 8 && column < 8) walk.push_back(row * 8 + column);
    }
  ASSERT_EQ(walk.size(), 64u);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(kJpegNaturalOrder[k], walk[k]) << k;
}

TEST(Jpeg, TheFirstRowIsTheBottomProgressiveIsRefusedAndACutScanIsGreyed) {
  Bytes picture(16 * 16, 0);  // top half black, bottom half white
  std::fill(picture.begin() + 16 * 8, picture.end(), 255);
  EncodeOptions options;
  options.components = 1;
  std::unique_ptr<JpegDecoder> d, full;
  ASSERT_EQ(Decode(EncodeJpeg(picture, 16, 16, options), d), "accepted");
  EXPECT_TRUE(d->pixels[0] > 240 && d->pixels[15 * 16 * 4] < 15);
  // A truncated scan keeps the top MCU row (last in memory); the bottom row is grey.
  const Bytes whole = Encoded(64, 64, options);
  ASSERT_EQ(Decode(whole, full), "accepted");
  ASSERT_EQ(Decode(Bytes(whole.begin(), whole.begin() + whole.size() * 2 / 3), d), "accepted");
  ASSERT_TRUE(d->incomplete && d->width == 64 && d->height == 64);
  const size_t row = 64 * 4;
  EXPECT_EQ(std::memcmp(&d->pixels[row * 56], &full->pixels[row * 56], row * 8), 0);
  for (size_t i = 0; i < row; i += 4) ASSERT_EQ(d->pixels[i], 128) << i;
  ExpectLookUpsExact(Bytes(whole.begin(), whole.begin() + whole.size() * 2 / 3), d);
  // A restart marker where none belongs and a damaged byte, both mid-scan.
  Bytes damaged = whole;
  damaged.insert(damaged.begin() + damaged.size() / 2, {0xFF, 0xD3});
  damaged[damaged.size() * 3 / 4] ^= 0x24;
  ASSERT_EQ(Decode(damaged, d), "accepted");
  ExpectLookUpsExact(damaged, d);
  options.components = 3;
  options.progressive = true;
  EXPECT_EQ(Refusal(Encoded(16, 16, options)),
            "not a baseline JPEG (progressive, extended or lossless)");
}

// Frame header payload: precision, height (1), width (3), count (5), then per component id,
// sampling (7 + 3c), table (8 + 3c); -3 is the marker itself. Scan header: count (0), then
// per component id (1 + 2c), tables (2 + 2c). libjpeg defines tables 0 and 1 only.
TEST(JpegHeaders, FieldsOutOfRangeAreRefused) {
  const std::pair<const char*, std::vector<std::array<int, 3>>> kCases[] = {
      {"sampling factor not 1 to 4", {{0xC0, 7, 0x02}, {0xC0, 7, 0x20}, {0xC0, 7, 0x52}}},
      {"quantisation table index above 3", {{0xC0, 8, 4}, {0xDB, 0, 0x04}}},
      {"sampling factors don't divide those of component 0", {{0xC0, 10, 0x41}}},
      {"frame header length disagrees with its components", {{0xC0, 5, 2}}},
      {"Huffman table index above 3", {{0xC4, 0, 0x14}, {0xDA, 2, 0x50}}},
      {"Huffman table class not 0 or 1", {{0xC4, 0, 0x20}}},
      {"quantisation precision not 0 or 1", {{0xDB, 0, 0x20}}},
      {"scan names an unknown component", {{0xDA, 3, 9}, {0xDA, 3, 1}}},  // 1: the same twice
      {"scan uses a table that was never defined", {{0xDA, 2, 0x22}, {0xC0, 8, 3}}},
      {"scan before the frame header", {{0xC0, -3, 0xE5}}}};
  for (const auto& [reason, edits] : kCases)
    for (const auto& [marker, at, value] : edits) {
      Bytes jpeg = Colour420();
      Field(jpeg, marker, at) = value;
      EXPECT_EQ(Refusal(jpeg), reason) << marker << " " << at;
    }
  Bytes jpeg = Colour420();
  Field(jpeg, 0xC0, 7) = 0x32;  // chroma 2 x 2 under 3 x 2
  Field(jpeg, 0xC0, 10) = 0x22;
  EXPECT_EQ(Refusal(jpeg), "sampling factors don't divide those of component 0");
}

TEST(JpegHeaders, ZeroAndHugeSidesAndComponentCountsOtherThanOneToThreeAreRefused) {
  const std::pair<const char*, std::vector<std::pair<int, int>>> kCases[] = {
      {"zero width or height", {{0, 32}, {32, 0}}},
      {"picture too large",
       {{32, kJpegMaxSide + 1}, {kJpegMaxSide + 1, 32}, {kJpegMaxSide, kJpegMaxSide}}},
      {"accepted",
       {{kJpegMaxPixels / kJpegMaxSide, kJpegMaxSide},
        {kJpegMaxSide, kJpegMaxPixels / kJpegMaxSide}}}};
  for (const auto& [reason, sizes] : kCases)
    for (const auto& [height, width] : sizes) {
      Bytes jpeg = Colour420();
      const int sides[4] = {height >> 8, height, width >> 8, width};
      for (int k = 0; k < 4; ++k) Field(jpeg, 0xC0, 1 + k) = static_cast<uint8_t>(sides[k]);
      auto d = std::make_unique<JpegDecoder>();  // only the headers of the largest are read
      const bool ok = ReadJpegHeaders(*d, jpeg.data(), jpeg.size());
      EXPECT_EQ(ok ? "accepted" : std::string(d->error), reason) << width << "x" << height;
    }
  EncodeOptions cmyk;
  cmyk.components = 4;
  EXPECT_EQ(Refusal(EncodeJpeg(TestPicture(16, 16, 4), 16, 16, cmyk)),
            "component count not 1 to 3");
  Bytes jpeg = Colour420();  // a frame header with no components at all (length 8)
  const size_t sof = Segment(jpeg, 0xC0);
  jpeg.erase(jpeg.begin() + sof, jpeg.begin() + sof + 2 + (jpeg[sof + 2] << 8 | jpeg[sof + 3]));
  jpeg.insert(jpeg.begin() + sof, {0xFF, 0xC0, 0, 8, 8, 0, 16, 0, 16, 0});
  EXPECT_EQ(Refusal(jpeg), "component count not 1 to 3");
}

TEST(JpegHeaders, OverfullHuffmanTablesAndBrokenStructureAreRefusedDamagedScansNot) {
  // 257 symbols (255 codes of 16 bits and 2 of 15): length 2 + 1 + 16 + 257.
  Bytes tooMany = {0xFF, 0xC4, 0x01, 0x13, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 255};
  tooMany.resize(2 + 276, 0);
  Bytes threeOneBitCodes = {0xFF, 0xC4, 0x00, 22, 0x00, 3};
  threeOneBitCodes.resize(24, 0);
  for (const auto& [segment, reason] :
       {std::pair{tooMany, "Huffman table with more than 256 symbols"},
        std::pair{threeOneBitCodes, "Huffman table with more codes than lengths allow"}}) {
    Bytes jpeg = Colour420();
    jpeg.insert(jpeg.begin() + Segment(jpeg, 0xC0), segment.begin(), segment.end());
    EXPECT_EQ(Refusal(jpeg), reason);
  }
  const std::pair<Bytes, const char*> kBroken[] = {
      {{}, "not a JPEG file"},
      {{0x89, 'P', 'N', 'G'}, "not a JPEG file"},
      {{0xFF, 0xD8, 0xFF, 0xD9}, "end of image before a scan"},
      {{0xFF, 0xD8, 0x00}, "no marker after the start of image"},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0x10, 0x00, 1, 2}, "segment runs past the file"},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}, "segment runs past the file"},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x12}, "segment not followed by a marker"}};
  for (const auto& [jpeg, reason] : kBroken) EXPECT_EQ(Refusal(jpeg), reason);
  const Bytes whole = Colour420();
  for (size_t cut = 0; cut < Segment(whole, 0xDA) + 12; ++cut)
    ASSERT_NE(Refusal(Bytes(whole.begin(), whole.begin() + cut)), "accepted") << cut;
  const Bytes small = Colour420(40, 24);  // flipped bits in the entropy data: a full picture
  const size_t scan = Segment(small, 0xDA);
  std::unique_ptr<JpegDecoder> d;
  for (int seed = 1; seed < 40; ++seed) {
    Bytes damaged = small;
    for (size_t i = scan + 14 + seed; i < damaged.size() - 2; i += 7) damaged[i] ^= 0x5A;
    ASSERT_TRUE(Decode(damaged, d) == "accepted" && d->pixels) << seed;
  }
}
