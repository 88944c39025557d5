// Our own decoder of baseline sequential JPEG (SOF0, Huffman coding) with up
// to three components, producing 32-bit RGBA with the bottom row first, as
// OpenGL wants it.
//
// Refused (false, `error` tells why): other frame types (progressive,
// extended, lossless, arithmetic), EOI before a scan, more than three or no
// components, zero sides, sides above kJpegMaxSide or more than
// kJpegMaxPixels pixels, sampling factors outside 1..4 or not dividing those
// of component 0, table indices above 3, Huffman tables with more than 256
// symbols or more codes than their lengths allow, a scan that names an
// unknown component, leaves a frame component out, or uses a table never
// defined. Entropy-coded data that ends early or holds a code no table
// knows stops the decode: what was decoded is kept, the rest of the picture
// is mid-grey, `incomplete` is set and the result is still true.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

constexpr int32_t kJpegMaxSide = 16384;               // so a side always fits a texture's 16 bits
constexpr int64_t kJpegMaxPixels = int64_t{1} << 26;  // 64 Mpixel, 256 MB of RGBA

// Codes up to this many bits are decoded by one look-up in JpegHuffman::fast.
constexpr int kJpegFastBits = 9;

// One Huffman table in canonical order: symbol i has the code `code`[i] of
// `codeLen`[i] bits.
struct JpegHuffman {
  uint8_t counts[16];  // number of codes of each length 1 ... 16
  uint8_t symbols[256];
  uint8_t codeLen[256];
  uint16_t code[256];
  // For each kJpegFastBits-bit prefix of the data: length << 8 | symbol of
  // the code it starts with, or 0 when that code is longer (or none is).
  uint16_t fast[1 << kJpegFastBits];
  // For AC tables, when the prefix holds a whole code with a non-zero
  // coefficient and all its extra bits: value << 8 | run << 4 | bits used;
  // else 0.
  int16_t fastAc[1 << kJpegFastBits];
  uint8_t defined;  // 1 once a DHT segment filled the table
};

struct JpegComponent {
  uint32_t id;
  uint32_t h, v;                          // sampling factors, 1 ... 4
  uint32_t quantTable, dcTable, acTable;  // indices 0 ... 3
};

// The state of one decode. Big (about 26 KB): keep it off small stacks.
struct JpegDecoder {
  const uint8_t* data = nullptr;  // the bytes being decoded (not owned), null between decodes
  size_t size = 0;
  size_t pos = 0;  // next byte of `data` to read
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint8_t[]> pixels;  // width * height * 4 bytes, bottom row first
  uint32_t precision = 0;             // from the frame header, not used
  int32_t compCount = 0;
  uint32_t restartInterval = 0;  // MCUs between restart markers, 0 for none
  JpegComponent comps[3] = {};
  JpegHuffman acTables[4] = {};
  JpegHuffman dcTables[4] = {};
  uint32_t quant[4][64] = {};  // in zigzag order, as stored
  uint8_t quantDefined[4] = {};
  uint32_t scanSs = 0, scanSe = 0, scanAh = 0, scanAl = 0;  // read, not used
  int32_t dcPred[3] = {};
  // Entropy-coded bits fetched but not yet used, the next one at bit 63.
  // Whole data bytes are buffered ahead; a marker is only ever passed when
  // the bits after it are needed.
  uint64_t bits = 0;
  uint32_t bitCount = 0;
  bool incomplete = false;      // the entropy data ended early or was damaged
  const char* error = nullptr;  // why the last decode failed, null after success
};

// Decodes `size` bytes at `data` into decoder.pixels. The decoder is cleared
// first. Returns true on success; width, height and pixels are valid only
// then. On false, `error` holds a one-line reason and pixels is empty.
bool DecodeJpeg(JpegDecoder& decoder, const uint8_t* data, size_t size);

// Reads the headers only (up to the start of the scan), setting width,
// height, compCount, comps and the tables; same checks and result as
// DecodeJpeg without the pixels. Lets callers refuse a size before decoding.
bool ReadJpegHeaders(JpegDecoder& decoder, const uint8_t* data, size_t size);

// Decodes the file or archive entry `name` (opened with CoreOpen) as above.
// Returns false when it can't be opened (`error` is then kJpegNotFound) or
// decoded; logs nothing itself.
bool LoadJPG(JpegDecoder& decoder, const char* name);

// Reasons for callers to report: the file is missing, and (with a true
// result) the scan stopped early, leaving the rest of the picture grey.
inline constexpr char kJpegNotFound[] = "file not found";
inline constexpr char kJpegIncomplete[] = "scan data ends early or is damaged";
