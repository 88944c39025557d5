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

int ReadBit(JpegDecoder& d) {
  if (d.bitPos == 0) {
    const int b = FetchByte(d);
    if (b < 0) return -1;
    d.curByte = static_cast<uint8_t>(b);
  }
  const int bit = (d.curByte >> (7 - d.bitPos)) & 1;
  d.bitPos = (d.bitPos + 1) & 7;
  return bit;
}

// n (0...15) bits, most significant first; -1 when the data ends.
int32_t ReadBits(JpegDecoder& d, uint32_t n) {
  int32_t value = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const int bit = ReadBit(d);
    if (bit < 0) return -1;
    value = (value << 1) | bit;
  }
  return value;
}

// T.81 EXTEND: the signed value of category s with raw bits v.
int32_t Extend(int32_t v, uint32_t s) {
  if (s == 0) return 0;
  return (v >> (s - 1)) ? v : v - ((1 << s) - 1);
}

// One block's coefficients in zigzag order; false when the data ends or is
// damaged.
bool DecodeBlock(JpegDecoder& d, int c, int32_t coefficients[64]) {
  const JpegComponent& comp = d.comps[c];
  for (int k = 0; k < 64; ++k) coefficients[k] = 0;
  const int dcSymbol = DecodeJpegSymbol(d, d.dcTables[comp.dcTable]);
  if (dcSymbol < 0) return false;
  const uint32_t dcBits = static_cast<uint32_t>(dcSymbol) & 15;
  const int32_t dcRaw = ReadBits(d, dcBits);
  if (dcRaw < 0) return false;
  // Wraps instead of overflowing on hostile data; valid files stay far inside.
  d.dcPred[c] = static_cast<int32_t>(static_cast<uint32_t>(d.dcPred[c]) +
                                     static_cast<uint32_t>(Extend(dcRaw, dcBits)));
  coefficients[0] = d.dcPred[c];
  for (int k = 1; k < 64; ++k) {
    const int rs = DecodeJpegSymbol(d, d.acTables[comp.acTable]);
    if (rs < 0) return false;
    if (rs == 0) break;
    k += rs >> 4;
    if (k > 63) return false;  // a run past the end of the block
    const uint32_t bits = static_cast<uint32_t>(rs) & 15;
    const int32_t raw = ReadBits(d, bits);
    if (raw < 0) return false;
    coefficients[k] = Extend(raw, bits);
  }
  return true;
}

// Writes one block's samples into byte c of the pixels it covers, each sample
// repeated over fh x fv pixels; samples past the picture's edge are dropped.
void PlaceBlock(JpegDecoder& d, int c, const float block[64], int px, int py, int fh, int fv) {
  uint8_t* pixels = d.pixels.get();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const uint8_t sample = JpegSample(block[y * 8 + x]);
      for (int j = 0; j < fv; ++j) {
        const int row = py + y * fv + j;
        if (row >= d.height) break;
        for (int i = 0; i < fh; ++i) {
          const int column = px + x * fh + i;
          if (column >= d.width) break;
          pixels[(static_cast<size_t>(row) * d.width + column) * 4 + c] = sample;
        }
      }
    }
  }
}
}  // namespace

int DecodeJpegSymbol(JpegDecoder& d, const JpegHuffman& t) {
  // Codes of one length are consecutive, starting at the code of the first
  // symbol of that length.
  uint32_t code = 0;
  int first = 0;
  for (int length = 1; length <= 16; ++length) {
    const int bit = ReadBit(d);
    if (bit < 0) return -1;
    code = (code << 1) | static_cast<uint32_t>(bit);
    const int count = t.counts[length - 1];
    if (count && code >= t.code[first] && code - t.code[first] < static_cast<uint32_t>(count))
      return t.symbols[first + (code - t.code[first])];
    first += count;
  }
  return -1;
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
  d.bitPos = 0;
  uint32_t mcuIndex = 0;
  int32_t coefficients[64];
  float block[64];
  for (int my = 0; my < mcuRows; ++my) {
    for (int mx = 0; mx < mcuColumns; ++mx, ++mcuIndex) {
      if (d.restartInterval && mcuIndex && mcuIndex % d.restartInterval == 0) {
        // The encoder byte-aligned and wrote a restart marker here.
        d.bitPos = 0;
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
            JpegDequantize(coefficients, d.quant[comp.quantTable], block);
            JpegInverseDct(block);
            PlaceBlock(d, c, block, mx * mcuWidth + 8 * bx * fh, my * mcuHeight + 8 * by * fv, fh,
                       fv);
          }
        }
      }
    }
  }
}
