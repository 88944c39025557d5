// The marker segments in front of the scan: frame, tables, restart interval
// and scan header.
#include <cstring>

#include "image/jpeg.h"
#include "image/jpeg_scan.h"

namespace {
// The bytes of one segment's payload; reads past its end fail.
struct Payload {
  const uint8_t* p;
  size_t left;

  bool Byte(uint32_t* value) {
    if (!left) return false;
    *value = *p++;
    --left;
    return true;
  }
  bool Word(uint32_t* value) {
    uint32_t hi, lo;
    if (!Byte(&hi) || !Byte(&lo)) return false;
    *value = (hi << 8) | lo;
    return true;
  }
};

bool Fail(JpegDecoder& d, const char* reason) {
  d.error = reason;
  return false;
}

bool ValidFactor(uint32_t f) {
  return f >= 1 && f <= 4;
}

bool ReadFrame(JpegDecoder& d, Payload s) {
  uint32_t precision, height, width, count;
  if (!s.Byte(&precision) || !s.Word(&height) || !s.Word(&width) || !s.Byte(&count))
    return Fail(d, "frame header too short");
  if (s.left != 3 * count) return Fail(d, "frame header length disagrees with its components");
  if (count < 1 || count > 3) return Fail(d, "component count not 1 to 3");
  if (width < 1 || height < 1) return Fail(d, "zero width or height");
  if (width > kJpegMaxSide || height > kJpegMaxSide ||
      static_cast<int64_t>(width) * height > kJpegMaxPixels)
    return Fail(d, "picture too large");
  d.precision = precision;
  d.width = static_cast<int32_t>(width);
  d.height = static_cast<int32_t>(height);
  d.compCount = static_cast<int32_t>(count);
  for (uint32_t c = 0; c < count; ++c) {
    JpegComponent& comp = d.comps[c];
    uint32_t sampling = 0;
    s.Byte(&comp.id);
    s.Byte(&sampling);
    s.Byte(&comp.quantTable);
    comp.h = sampling >> 4;
    comp.v = sampling & 15;
    if (!ValidFactor(comp.h) || !ValidFactor(comp.v)) return Fail(d, "sampling factor not 1 to 4");
    if (d.comps[0].h % comp.h || d.comps[0].v % comp.v)
      return Fail(d, "sampling factors don't divide those of component 0");
    if (comp.quantTable > 3) return Fail(d, "quantisation table index above 3");
  }
  return true;
}

// Gives every symbol its canonical code; false when the counts ask for more
// codes of some length than that length has.
bool BuildCodes(JpegHuffman& t) {
  uint32_t code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    if (code + t.counts[length - 1] > (1u << length)) return false;
    for (int i = 0; i < t.counts[length - 1]; ++i, ++k) {
      t.code[k] = static_cast<uint16_t>(code++);
      t.codeLen[k] = static_cast<uint8_t>(length);
    }
    code <<= 1;
  }
  BuildJpegFastTable(t);
  return true;
}

bool ReadHuffmanTables(JpegDecoder& d, Payload s) {
  while (s.left) {
    uint32_t b = 0;
    s.Byte(&b);
    if (b >> 4 > 1) return Fail(d, "Huffman table class not 0 or 1");
    if ((b & 15) > 3) return Fail(d, "Huffman table index above 3");
    JpegHuffman& t = (b & 16) ? d.acTables[b & 15] : d.dcTables[b & 15];
    std::memset(&t, 0, sizeof t);
    if (s.left < 16) return Fail(d, "Huffman table too short");
    uint32_t total = 0;
    for (int i = 0; i < 16; ++i) {
      uint32_t count = 0;
      s.Byte(&count);
      t.counts[i] = static_cast<uint8_t>(count);
      total += count;
    }
    if (total > 256) return Fail(d, "Huffman table with more than 256 symbols");
    if (s.left < total) return Fail(d, "Huffman table too short");
    for (uint32_t i = 0; i < total; ++i) {
      uint32_t symbol = 0;
      s.Byte(&symbol);
      t.symbols[i] = static_cast<uint8_t>(symbol);
    }
    if (!BuildCodes(t)) return Fail(d, "Huffman table with more codes than lengths allow");
    t.defined = 1;
  }
  return true;
}

bool ReadQuantTables(JpegDecoder& d, Payload s) {
  while (s.left) {
    uint32_t b = 0;
    s.Byte(&b);
    const uint32_t wide = b >> 4;
    const uint32_t table = b & 15;
    if (wide > 1) return Fail(d, "quantisation precision not 0 or 1");
    if (table > 3) return Fail(d, "quantisation table index above 3");
    for (int i = 0; i < 64; ++i) {
      const bool ok = wide ? s.Word(&d.quant[table][i]) : s.Byte(&d.quant[table][i]);
      if (!ok) return Fail(d, "quantisation table too short");
    }
    d.quantDefined[table] = 1;
  }
  return true;
}

// The scan header. Every frame component must take part (the decoder
// handles one interleaved scan, or the single component's scan), each with
// defined tables.
bool ReadScan(JpegDecoder& d, Payload s) {
  if (!d.compCount) return Fail(d, "scan before the frame header");
  uint32_t count = 0;
  if (!s.Byte(&count) || s.left != 2 * count + 3) return Fail(d, "scan header length wrong");
  if (count != static_cast<uint32_t>(d.compCount))
    return Fail(d, "scan doesn't cover every component");
  bool seen[3] = {};
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id = 0, tables = 0;
    s.Byte(&id);
    s.Byte(&tables);
    int c = 0;
    while (c < d.compCount && d.comps[c].id != id) ++c;
    if (c == d.compCount || seen[c]) return Fail(d, "scan names an unknown component");
    seen[c] = true;
    JpegComponent& comp = d.comps[c];
    comp.dcTable = tables >> 4;
    comp.acTable = tables & 15;
    if (comp.dcTable > 3 || comp.acTable > 3) return Fail(d, "Huffman table index above 3");
    if (!d.dcTables[comp.dcTable].defined || !d.acTables[comp.acTable].defined ||
        !d.quantDefined[comp.quantTable])
      return Fail(d, "scan uses a table that was never defined");
  }
  s.Byte(&d.scanSs);
  s.Byte(&d.scanSe);
  uint32_t approximation = 0;
  s.Byte(&approximation);
  d.scanAh = approximation >> 4;
  d.scanAl = approximation & 15;
  return true;
}

int NextByte(JpegDecoder& d) {
  return d.pos < d.size ? d.data[d.pos++] : -1;
}

bool IsRefusedFrame(int m) {
  return (m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xCC) || m == 0xD9;
}
}  // namespace

bool ReadJpegHeaders(JpegDecoder& d, const uint8_t* data, size_t size) {
  d = JpegDecoder();
  d.data = data;
  d.size = size;
  if (NextByte(d) != 0xFF) return Fail(d, "not a JPEG file");
  for (;;) {
    const int m = NextByte(d);
    if (m < 0) return Fail(d, "file ends before the scan");
    if (m == 0xFF) continue;  // fill byte in front of a marker
    if (m == 0xD8) {
      if (NextByte(d) != 0xFF) return Fail(d, "no marker after the start of image");
      continue;
    }
    if (IsRefusedFrame(m)) {
      return Fail(d, m == 0xD9 ? "end of image before a scan"
                               : "not a baseline JPEG (progressive, extended or lossless)");
    }
    const int hi = NextByte(d);
    const int lo = NextByte(d);
    if (lo < 0) return Fail(d, "file ends before the scan");
    const size_t length = static_cast<size_t>(hi << 8 | lo);
    if (length < 2 || length - 2 > d.size - d.pos) return Fail(d, "segment runs past the file");
    const Payload payload{d.data + d.pos, length - 2};
    d.pos += length - 2;
    bool ok = true;
    switch (m) {
      case 0xC0:
        ok = ReadFrame(d, payload);
        break;
      case 0xC4:
        ok = ReadHuffmanTables(d, payload);
        break;
      case 0xDB:
        ok = ReadQuantTables(d, payload);
        break;
      case 0xDD:
        ok = payload.left >= 2 || Fail(d, "restart interval segment too short");
        if (ok) d.restartInterval = static_cast<uint32_t>(payload.p[0] << 8 | payload.p[1]);
        break;
      case 0xDA:
        return ReadScan(d, payload);
      default:  // application data, comments and the rest
        break;
    }
    if (!ok) return false;
    if (NextByte(d) != 0xFF) return Fail(d, "segment not followed by a marker");
  }
}
