#include "core/log_decode.h"

#include "core/scramble.h"

namespace {
bool LooksLikeLine(const std::string& s) {
  // "%3i:%3i::": three characters, a colon, at least three, two colons.
  const size_t colon = s.find(':');
  if (colon < 3 || colon == std::string::npos) return false;
  const size_t colons = s.find("::", colon + 1);
  if (colons == std::string::npos || colons < colon + 4) return false;
  // Only the time fields are checked: the message may hold any byte, a line
  // feed included (driver messages end with one).
  for (size_t i = 0; i < colons; ++i) {
    const char c = s[i];
    if (i != colon && c != ' ' && c != '-' && (c < '0' || c > '9')) return false;
  }
  return true;
}
}  // namespace

std::vector<std::string> DecodeLogLines(const std::vector<uint8_t>& file) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    size_t end = start;
    std::string decoded;
    bool found = false;
    for (; end + 1 < file.size(); ++end) {
      if (file[end] != '\r' || file[end + 1] != '\n') continue;
      decoded.assign(file.begin() + static_cast<long>(start),
                     file.begin() + static_cast<long>(end));
      Scramble(&decoded[0], static_cast<int32_t>(decoded.size()));
      if (LooksLikeLine(decoded)) {
        found = true;
        break;
      }
    }
    if (!found) {  // a torn last line: show what decodes
      decoded.assign(file.begin() + static_cast<long>(start), file.end());
      Scramble(&decoded[0], static_cast<int32_t>(decoded.size()));
      lines.push_back(decoded);
      break;
    }
    lines.push_back(decoded);
    start = end + 2;
  }
  return lines;
}
