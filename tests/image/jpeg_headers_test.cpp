// Hostile and malformed headers: each is refused with its reason, never read
// past the data.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "image/jpeg.h"
#include "support/libjpeg_codec.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Colour420(int width = 32, int height = 32) {
  EncodeOptions options;
  options.h0 = options.v0 = 2;
  return EncodeJpeg(TestPicture(width, height, 3), width, height, options);
}

// Offset of the FF byte of the first segment with marker `m` in front of the
// scan, or 0.
size_t Segment(const Bytes& jpeg, uint8_t m) {
  size_t i = 2;
  while (i + 3 < jpeg.size() && jpeg[i] == 0xFF) {
    if (jpeg[i + 1] == m) return i;
    if (jpeg[i + 1] == 0xDA) break;
    i += 2 + (jpeg[i + 2] << 8 | jpeg[i + 3]);
  }
  return 0;
}

// The payload byte `at` of the first segment with marker m.
uint8_t& Field(Bytes& jpeg, uint8_t m, size_t at) {
  const size_t s = Segment(jpeg, m);
  EXPECT_NE(s, 0u) << "no segment " << int{m};
  return jpeg[s + 4 + at];
}

// Inserts a whole segment in front of the frame header.
void InsertBeforeFrame(Bytes& jpeg, const Bytes& segment) {
  jpeg.insert(jpeg.begin() + static_cast<long>(Segment(jpeg, 0xC0)), segment.begin(),
              segment.end());
}

std::string Refusal(const Bytes& jpeg) {
  auto d = std::make_unique<JpegDecoder>();
  if (DecodeJpeg(*d, jpeg.data(), jpeg.size())) return "accepted";
  EXPECT_FALSE(d->pixels);
  return d->error ? d->error : "no reason";
}

// The refusal of a 4:2:0 picture with one header byte changed.
std::string RefusalPatched(uint8_t m, size_t at, uint8_t value) {
  Bytes jpeg = Colour420();
  Field(jpeg, m, at) = value;
  return Refusal(jpeg);
}

void SetSide(Bytes& jpeg, size_t at, int value) {
  Field(jpeg, 0xC0, at) = static_cast<uint8_t>(value >> 8);
  Field(jpeg, 0xC0, at + 1) = static_cast<uint8_t>(value);
}
}  // namespace

// Frame header payload: precision, height (1), width (3), count (5), then per
// component id, sampling (7 + 3c), quantisation table (8 + 3c).
TEST(JpegHeaders, FrameFieldsOutOfRangeAreRefused) {
  const struct {
    size_t at;
    uint8_t value;
    const char* reason;
  } cases[] = {
      {7, 0x02, "sampling factor not 1 to 4"},  // h = 0
      {7, 0x20, "sampling factor not 1 to 4"},  // v = 0
      {7, 0x52, "sampling factor not 1 to 4"},
      {8, 4, "quantisation table index above 3"},
  };
  for (const auto& c : cases) {
    Bytes jpeg = Colour420();
    Field(jpeg, 0xC0, c.at) = c.value;
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(Refusal(jpeg), c.reason);
  }
  // chroma wider than component 0
  EXPECT_EQ(RefusalPatched(0xC0, 10, 0x41), "sampling factors don't divide those of component 0");
  Bytes uneven = Colour420();
  Field(uneven, 0xC0, 7) = 0x32;  // chroma 2 x 2 under 3 x 2
  Field(uneven, 0xC0, 10) = 0x22;
  EXPECT_EQ(Refusal(uneven), "sampling factors don't divide those of component 0");
}

TEST(JpegHeaders, ZeroAndHugeSidesAreRefused) {
  const struct {
    int height, width;
    const char* reason;
  } cases[] = {{0, 32, "zero width or height"},
               {32, 0, "zero width or height"},
               {32, kJpegMaxSide + 1, "picture too large"},
               {kJpegMaxSide + 1, 32, "picture too large"},
               {kJpegMaxSide, kJpegMaxSide, "picture too large"}};
  for (const auto& c : cases) {
    Bytes jpeg = Colour420();
    SetSide(jpeg, 1, c.height);
    SetSide(jpeg, 3, c.width);
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    EXPECT_EQ(Refusal(jpeg), c.reason);
  }
  // The largest accepted picture: only its headers are read here.
  Bytes jpeg = Colour420();
  SetSide(jpeg, 1, kJpegMaxPixels / kJpegMaxSide);
  SetSide(jpeg, 3, kJpegMaxSide);
  auto d = std::make_unique<JpegDecoder>();
  EXPECT_TRUE(ReadJpegHeaders(*d, jpeg.data(), jpeg.size()));
  EXPECT_EQ(d->width, kJpegMaxSide);
}

TEST(JpegHeaders, ComponentCountsOtherThanOneToThreeAreRefused) {
  EncodeOptions cmyk;
  cmyk.components = 4;
  EXPECT_EQ(Refusal(EncodeJpeg(TestPicture(16, 16, 4), 16, 16, cmyk)),
            "component count not 1 to 3");
  // A frame header with no components at all (length 8).
  Bytes jpeg = Colour420();
  const size_t sof = Segment(jpeg, 0xC0);
  const Bytes empty = {0xFF, 0xC0, 0, 8, 8, 0, 16, 0, 16, 0};
  jpeg.erase(jpeg.begin() + static_cast<long>(sof),
             jpeg.begin() + static_cast<long>(sof) + 2 + (jpeg[sof + 2] << 8 | jpeg[sof + 3]));
  jpeg.insert(jpeg.begin() + static_cast<long>(sof), empty.begin(), empty.end());
  EXPECT_EQ(Refusal(jpeg), "component count not 1 to 3");
  // A count that disagrees with the segment's length.
  EXPECT_EQ(RefusalPatched(0xC0, 5, 2), "frame header length disagrees with its components");
}

TEST(JpegHeaders, BadTablesAreRefused) {
  EXPECT_EQ(RefusalPatched(0xC4, 0, 0x14), "Huffman table index above 3");
  EXPECT_EQ(RefusalPatched(0xC4, 0, 0x20), "Huffman table class not 0 or 1");
  EXPECT_EQ(RefusalPatched(0xDB, 0, 0x04), "quantisation table index above 3");
  EXPECT_EQ(RefusalPatched(0xDB, 0, 0x20), "quantisation precision not 0 or 1");

  // 257 symbols: 255 codes of 16 bits and 2 of 15.
  Bytes tooMany = {0xFF, 0xC4, 0x01, 0x13, 0x00};  // length 2 + 1 + 16 + 257 = 276
  for (int i = 0; i < 14; ++i) tooMany.push_back(0);
  tooMany.push_back(2);
  tooMany.push_back(255);
  tooMany.resize(tooMany.size() + 257, 0);
  ASSERT_EQ(tooMany.size(), 2u + 276u);
  Bytes jpeg = Colour420();
  InsertBeforeFrame(jpeg, tooMany);
  EXPECT_EQ(Refusal(jpeg), "Huffman table with more than 256 symbols");

  // Three codes of one bit.
  Bytes oversubscribed = {0xFF, 0xC4, 0x00, 22, 0x00, 3};
  oversubscribed.resize(oversubscribed.size() + 15 + 3, 0);
  Bytes jpeg2 = Colour420();
  InsertBeforeFrame(jpeg2, oversubscribed);
  EXPECT_EQ(Refusal(jpeg2), "Huffman table with more codes than lengths allow");
}

// Scan header payload: count (0), then per component id (1 + 2c) and table
// byte (2 + 2c).
TEST(JpegHeaders, BadScansAreRefused) {
  EXPECT_EQ(RefusalPatched(0xDA, 3, 9), "scan names an unknown component");
  Bytes twice = Colour420();
  Field(twice, 0xDA, 3) = Field(twice, 0xDA, 1);
  EXPECT_EQ(Refusal(twice), "scan names an unknown component");
  // libjpeg defines Huffman tables 0 and 1 and quantisation tables 0 and 1 only.
  EXPECT_EQ(RefusalPatched(0xDA, 2, 0x22), "scan uses a table that was never defined");
  EXPECT_EQ(RefusalPatched(0xC0, 8, 3), "scan uses a table that was never defined");
  EXPECT_EQ(RefusalPatched(0xDA, 2, 0x50), "Huffman table index above 3");
  Bytes noFrame = Colour420();
  noFrame[Segment(noFrame, 0xC0) + 1] = 0xE5;  // the frame header becomes application data
  EXPECT_EQ(Refusal(noFrame), "scan before the frame header");
}

TEST(JpegHeaders, BrokenStructureIsRefused) {
  EXPECT_EQ(Refusal({}), "not a JPEG file");
  EXPECT_EQ(Refusal({0x89, 'P', 'N', 'G'}), "not a JPEG file");
  EXPECT_EQ(Refusal({0xFF, 0xD8, 0xFF, 0xD9}), "end of image before a scan");
  EXPECT_EQ(Refusal({0xFF, 0xD8, 0x00}), "no marker after the start of image");
  EXPECT_EQ(Refusal({0xFF, 0xD8, 0xFF, 0xE0, 0x10, 0x00, 1, 2}), "segment runs past the file");
  EXPECT_EQ(Refusal({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}), "segment runs past the file");
  EXPECT_EQ(Refusal({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0x12}),
            "segment not followed by a marker");
  const Bytes whole = Colour420();
  for (size_t cut = 0; cut < Segment(whole, 0xDA) + 12; ++cut) {
    const Bytes head(whole.begin(), whole.begin() + static_cast<long>(cut));
    ASSERT_NE(Refusal(head), "accepted") << cut;
  }
}

TEST(JpegHeaders, SixteenBitQuantisationTableIsStoredUnderItsIndex) {
  const Bytes original = Colour420();
  // Rewrite every 8-bit table of the first DQT segment with 16-bit entries.
  const size_t dqt = Segment(original, 0xDB);
  const size_t length = original[dqt + 2] << 8 | original[dqt + 3];
  Bytes wide = {0xFF, 0xDB, 0, 0};
  for (size_t i = dqt + 4; i < dqt + 2 + length; i += 65) {
    wide.push_back(static_cast<uint8_t>(0x10 | original[i]));
    for (int k = 1; k <= 64; ++k) {
      wide.push_back(0);
      wide.push_back(original[i + k]);
    }
  }
  wide[2] = static_cast<uint8_t>((wide.size() - 2) >> 8);
  wide[3] = static_cast<uint8_t>(wide.size() - 2);
  Bytes jpeg(original.begin(), original.begin() + static_cast<long>(dqt));
  jpeg.insert(jpeg.end(), wide.begin(), wide.end());
  jpeg.insert(jpeg.end(), original.begin() + static_cast<long>(dqt + 2 + length), original.end());

  auto a = std::make_unique<JpegDecoder>();
  auto b = std::make_unique<JpegDecoder>();
  ASSERT_TRUE(DecodeJpeg(*a, original.data(), original.size()));
  ASSERT_TRUE(DecodeJpeg(*b, jpeg.data(), jpeg.size()));
  EXPECT_EQ(std::memcmp(a->quant, b->quant, sizeof a->quant), 0);
  EXPECT_EQ(std::memcmp(a->pixels.get(), b->pixels.get(), 32 * 32 * 4), 0);
}

TEST(JpegHeaders, DamagedScanDataNeverFails) {
  // Flipped bits in the entropy data: the decode keeps going or stops early,
  // but always returns a full picture.
  const Bytes original = Colour420(40, 24);
  const size_t scan = Segment(original, 0xDA) + 14;
  for (int seed = 1; seed < 40; ++seed) {
    Bytes jpeg = original;
    for (size_t i = scan + static_cast<size_t>(seed); i < jpeg.size() - 2; i += 7) jpeg[i] ^= 0x5A;
    auto d = std::make_unique<JpegDecoder>();
    ASSERT_TRUE(DecodeJpeg(*d, jpeg.data(), jpeg.size())) << seed;
    ASSERT_TRUE(d->pixels);
  }
}
