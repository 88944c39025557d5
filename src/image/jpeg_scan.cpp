#include "image/jpeg_scan.h"

#include "image/jpeg_idct.h"

namespace {
// Fetches the next data byte of the entropy-coded segment: 0xFF 0x00 is a
// data 0xFF, restart markers reset the DC predictions, other markers are
// skipped. The end of image or of the data gives -1.
int FetchByte(JpegDecoder& d) {
  for (;;) {
    if (d.pos >= d.size) return -1;
    int b = d.data[d.pos++];
    if (b != 0xFF) return b;
    do {
      if (d.pos >= d.size) return -1;
      b = d.data[d.pos++];
    } while (b == 0xFF);
    if (b == 0x00) return 0xFF;
    if (b == 0xD9) return -1;
    if (b >= 0xD0 && b <= 0xD7) d.dcPred[0] = d.dcPred[1] = d.dcPred[2] = 0;
    // a marker carries no data: the next byte is fetched like any other
  }
}

// Buffers whole bytes ahead while there is room and the next byte is data
// or a stuffed 0xFF. Stops before a marker or the end: passing those has
// effects (restart markers reset the predictions, the end fails the read)
// that must happen only when the bits after them are needed.
void Refill(JpegDecoder& d) {
  while (d.bitCount <= 56 && d.pos < d.size) {
    const uint8_t b = d.data[d.pos];
    if (b == 0xFF && (d.pos + 1 >= d.size || d.data[d.pos + 1] != 0x00)) return;
    d.pos += b == 0xFF ? 2 : 1;
    d.bits |= static_cast<uint64_t>(b) << (56 - d.bitCount);
    d.bitCount += 8;
  }
}

void DropBits(JpegDecoder& d, uint32_t n) {
  d.bits <<= n;
  d.bitCount -= n;
}

// The next bit; with none buffered the next byte is fetched there and then.
int ReadBit(JpegDecoder& d) {
  if (d.bitCount == 0) {
    const int b = FetchByte(d);
    if (b < 0) return -1;
    d.bits = static_cast<uint64_t>(b) << 56;
    d.bitCount = 8;
  }
  const int bit = static_cast<int>(d.bits >> 63);
  DropBits(d, 1);
  return bit;
}

// n bits one at a time, as ReadBits when they are not all buffered.
int32_t ReadBitsSlowly(JpegDecoder& d, uint32_t n) {
  int32_t value = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const int bit = ReadBit(d);
    if (bit < 0) return -1;
    value = (value << 1) | bit;
  }
  return value;
}

// n (0...15) bits, most significant first; -1 when the data ends.
inline int32_t ReadBits(JpegDecoder& d, uint32_t n) {
  if (n == 0) return 0;
  if (d.bitCount < n) Refill(d);
  if (d.bitCount < n) return ReadBitsSlowly(d, n);
  const int32_t value = static_cast<int32_t>(d.bits >> (64 - n));
  DropBits(d, n);
  return value;
}

// The symbol whose code is `code`, of `length` bits, or -1; `first` is the
// index of the table's first symbol of that length.
int MatchCode(const JpegHuffman& t, int length, uint32_t code, int first) {
  const int count = t.counts[length - 1];
  if (count && code >= t.code[first] && code - t.code[first] < static_cast<uint32_t>(count))
    return t.symbols[first + (code - t.code[first])];
  return -1;
}

// The symbol search one bit at a time: for codes longer than the fast
// table's, and where the buffered bits run out before a marker or the end.
int SearchSymbol(JpegDecoder& d, const JpegHuffman& t) {
  // Codes of one length are consecutive, starting at the code of the first
  // symbol of that length.
  uint32_t code = 0;
  int first = 0;
  for (int length = 1; length <= 16; ++length) {
    const int bit = ReadBit(d);
    if (bit < 0) return -1;
    code = (code << 1) | static_cast<uint32_t>(bit);
    const int symbol = MatchCode(t, length, code, first);
    if (symbol >= 0) return symbol;
    first += t.counts[length - 1];
  }
  return -1;
}

// One Huffman-coded symbol; -1 when the data ends or no code of up to 16 bits
// matches.
inline int DecodeSymbol(JpegDecoder& d, const JpegHuffman& t) {
  if (d.bitCount < 16) Refill(d);
  if (d.bitCount >= kJpegFastBits) {
    const uint32_t entry = t.fast[d.bits >> (64 - kJpegFastBits)];
    if (entry) {
      DropBits(d, entry >> 8);
      return static_cast<int>(entry & 255);
    }
  }
  return SearchSymbol(d, t);
}

// T.81 EXTEND: the signed value of category s with raw bits v.
int32_t Extend(int32_t v, uint32_t s) {
  if (s == 0) return 0;
  return (v >> (s - 1)) ? v : v - ((1 << s) - 1);
}

// One block's coefficients in natural order; false when the data ends or is
// damaged.
bool DecodeBlock(JpegDecoder& d, int c, int32_t coefficients[64]) {
  const JpegComponent& comp = d.comps[c];
  for (int k = 0; k < 64; ++k) coefficients[k] = 0;
  const int dcSymbol = DecodeSymbol(d, d.dcTables[comp.dcTable]);
  if (dcSymbol < 0) return false;
  const uint32_t dcBits = static_cast<uint32_t>(dcSymbol) & 15;
  const int32_t dcRaw = ReadBits(d, dcBits);
  if (dcRaw < 0) return false;
  // Wraps instead of overflowing on hostile data; valid files stay far inside.
  d.dcPred[c] = static_cast<int32_t>(static_cast<uint32_t>(d.dcPred[c]) +
                                     static_cast<uint32_t>(Extend(dcRaw, dcBits)));
  coefficients[0] = d.dcPred[c];
  const JpegHuffman& ac = d.acTables[comp.acTable];
  for (int k = 1; k < 64; ++k) {
    if (d.bitCount < 16) Refill(d);
    if (d.bitCount >= kJpegFastBits) {
      // A short code and its coefficient in one look-up.
      const int32_t entry = ac.fastAc[d.bits >> (64 - kJpegFastBits)];
      if (entry) {
        k += (entry >> 4) & 15;
        if (k > 63) return false;
        DropBits(d, entry & 15);
        coefficients[kJpegNaturalOrder[k]] = entry >> 8;
        continue;
      }
    }
    const int rs = DecodeSymbol(d, ac);
    if (rs < 0) return false;
    if (rs == 0) break;
    k += rs >> 4;
    if (k > 63) return false;  // a run past the end of the block
    const uint32_t bits = static_cast<uint32_t>(rs) & 15;
    const int32_t raw = ReadBits(d, bits);
    if (raw < 0) return false;
    coefficients[kJpegNaturalOrder[k]] = Extend(raw, bits);
  }
  return true;
}

// Writes one block's samples into byte c of the pixels it covers, each sample
// repeated over fh x fv pixels; samples past the picture's edge are dropped.
void PlaceBlock(JpegDecoder& d, int c, const uint8_t samples[64], int px, int py, int fh, int fv) {
  // Rows and columns of the picture the block reaches (none for the padding
  // blocks of an MCU past the edge).
  const int rows = d.height - py < 8 * fv ? d.height - py : 8 * fv;
  const int columns = d.width - px < 8 * fh ? d.width - px : 8 * fh;
  if (rows <= 0 || columns <= 0) return;
  const size_t rowBytes = static_cast<size_t>(d.width) * 4;
  uint8_t* origin =
      d.pixels.get() + static_cast<size_t>(py) * rowBytes + static_cast<size_t>(px) * 4 + c;
  for (int row = 0; row < rows; ++row) {
    const uint8_t* line = samples + (row / fv) * 8;
    uint8_t* out = origin + static_cast<size_t>(row) * rowBytes;
    if (fh == 1 && columns == 8) {
      for (int x = 0; x < 8; ++x) out[x * 4] = line[x];
    } else if (fh == 2 && columns == 16) {
      for (int x = 0; x < 8; ++x) out[x * 8] = out[x * 8 + 4] = line[x];
    } else {
      for (int column = 0; column < columns; ++column) out[column * 4] = line[column / fh];
    }
  }
}
}  // namespace

void BuildJpegFastTable(JpegHuffman& t) {
  for (uint32_t prefix = 0; prefix < (1u << kJpegFastBits); ++prefix) {
    t.fast[prefix] = 0;
    t.fastAc[prefix] = 0;
    uint32_t code = 0;
    int first = 0;
    for (int length = 1; length <= kJpegFastBits; ++length) {
      code = code << 1 | ((prefix >> (kJpegFastBits - length)) & 1);
      const int symbol = MatchCode(t, length, code, first);
      if (symbol >= 0) {
        t.fast[prefix] = static_cast<uint16_t>(length << 8 | symbol);
        const uint32_t extra = static_cast<uint32_t>(symbol) & 15;
        const uint32_t used = static_cast<uint32_t>(length) + extra;
        // Up to 7 extra bits keeps value << 8 within the 16-bit entry.
        if (extra && extra <= 7 && used <= kJpegFastBits) {
          const uint32_t raw = (prefix >> (kJpegFastBits - used)) & ((1u << extra) - 1);
          const int32_t value = Extend(static_cast<int32_t>(raw), extra);
          t.fastAc[prefix] = static_cast<int16_t>(value * 256 + (symbol >> 4) * 16 + used);
        }
        break;
      }
      first += t.counts[length - 1];
    }
  }
}

void DecodeJpegScan(JpegDecoder& d) {
  // One component is coded block by block whatever its sampling factors;
  // several are interleaved in MCUs of h x v blocks of each component.
  const bool interleaved = d.compCount > 1;
  const int mcuWidth = interleaved ? 8 * static_cast<int>(d.comps[0].h) : 8;
  const int mcuHeight = interleaved ? 8 * static_cast<int>(d.comps[0].v) : 8;
  const int mcuColumns = (d.width + mcuWidth - 1) / mcuWidth;
  const int mcuRows = (d.height + mcuHeight - 1) / mcuHeight;
  d.dcPred[0] = d.dcPred[1] = d.dcPred[2] = 0;
  d.bits = 0;
  d.bitCount = 0;
  uint32_t mcuIndex = 0;
  int32_t coefficients[64];
  float block[64];
  uint8_t samples[64];
  float quant[4][64];
  for (int t = 0; t < 4; ++t) JpegNaturalQuant(d.quant[t], quant[t]);
  for (int my = 0; my < mcuRows; ++my) {
    for (int mx = 0; mx < mcuColumns; ++mx, ++mcuIndex) {
      if (d.restartInterval && mcuIndex && mcuIndex % d.restartInterval == 0) {
        // The encoder byte-aligned and wrote a restart marker here: the
        // rest of the current byte is padding.
        DropBits(d, d.bitCount & 7);
        d.dcPred[0] = d.dcPred[1] = d.dcPred[2] = 0;
      }
      for (int c = 0; c < d.compCount; ++c) {
        const JpegComponent& comp = d.comps[c];
        const int blocksX = interleaved ? static_cast<int>(comp.h) : 1;
        const int blocksY = interleaved ? static_cast<int>(comp.v) : 1;
        const int fh = interleaved ? static_cast<int>(d.comps[0].h / comp.h) : 1;
        const int fv = interleaved ? static_cast<int>(d.comps[0].v / comp.v) : 1;
        for (int by = 0; by < blocksY; ++by) {
          for (int bx = 0; bx < blocksX; ++bx) {
            if (!DecodeBlock(d, c, coefficients)) {
              d.incomplete = true;
              return;
            }
            JpegDequantize(coefficients, quant[comp.quantTable], block);
            JpegInverseDct(block);
            JpegBlockSamples(block, samples);
            PlaceBlock(d, c, samples, mx * mcuWidth + 8 * bx * fh, my * mcuHeight + 8 * by * fv, fh,
                       fv);
          }
        }
      }
    }
  }
}
