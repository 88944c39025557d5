// The entropy-coded scan of a baseline JPEG: bit reader, Huffman decoding and
// the placement of each block's samples.
#pragma once
#include "image/jpeg.h"

// Decodes the scan that starts at decoder.pos into decoder.pixels (width *
// height * 4 bytes, allocated by the caller; byte c of a pixel receives
// component c). The headers must have been read by ReadJpegHeaders. Stops at
// the end of the data or at a code no table knows, setting `incomplete`;
// pixels not reached keep their previous bytes.
void DecodeJpegScan(JpegDecoder& decoder);

// Fills table.fast and table.fastAc from its counts, symbols and codes.
void BuildJpegFastTable(JpegHuffman& table);
