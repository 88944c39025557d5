// Reading "dump.mem" back: each line is scrambled with its own length as the
// seed and followed by CR LF. A scrambled line may itself contain CR LF, so
// a line ends at the first CR LF whose unscrambled prefix looks like a log
// line (the "%3i:%3i::" time fields).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::string> DecodeLogLines(const std::vector<uint8_t>& file);
