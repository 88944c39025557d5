// Byte counts as short texts: "1Kb 512b", "1Mb", "0b".
#pragma once
#include <cstdint>

// Returns the shared 512-byte text buffer; it stays valid only until the
// next call, so format one size before asking for the next.
const char* SizeToText(const uint32_t* count);

// The same text for counts past 4 GiB (machine memory sizes).
const char* SizeToText64(const uint64_t* count);
