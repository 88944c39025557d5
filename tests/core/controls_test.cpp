// The control table against the code that reads keys, rebinding, key names,
// the aliases the settings turn off; what the badge says and when it shows.
#include "core/controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "core/notice.h"
#include "game/player.h"
#include "render/overlay_text.h"
#include "shell/extras.h"
#include "storage/archive_writer.h"

namespace {
// The token at i after spaces ('x', or a word), i moved past it and the spaces after.
std::string Token(const std::string& t, size_t& i) {
  while (i < t.size() && t[i] == ' ') ++i;
  const size_t start = i;
  if (i + 2 < t.size() && t[i] == '\'' && t[i + 2] == '\'') i += 3;
  while (i < t.size() && (std::isalnum(static_cast<unsigned char>(t[i])) || t[i] == '_')) ++i;
  const std::string token = t.substr(start, i - start);
  while (i < t.size() && t[i] == ' ') ++i;
  return token;
}

// A key as code writes it ('x', a number, a constant kName); -1 unknown constant, -2 other.
int CodeOf(const std::string& s, const std::map<std::string, int>& constants) {
  if (s.size() == 3 && s[0] == '\'') return static_cast<unsigned char>(s[1]);
  if (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0]))) return std::stoi(s);
  if (s.size() < 2 || s[0] != 'k' || !std::isupper(static_cast<unsigned char>(s[1]))) return -2;
  const auto c = constants.find(s);
  return c == constants.end() ? -1 : c->second;
}
}  // namespace

// A key read anywhere in the program without a line on the help card fails here.
TEST(Controls, EveryKeyTheProgramReadsIsInTheTable) {
  std::vector<std::string> texts;
  std::vector<uint8_t> bytes;
  for (const auto& e : std::filesystem::recursive_directory_iterator(QH_SOURCE_DIR "/src"))
    if ((e.path().extension() == ".cpp" || e.path().extension() == ".h") &&
        ReadWholeFile(e.path(), &bytes))
      texts.emplace_back(bytes.begin(), bytes.end());
  std::map<std::string, int> constants;  // kName = 'x' or kName = 12, ended by , or ;
  for (const std::string& t : texts)
    for (size_t at = t.find(" k"); at != std::string::npos; at = t.find(" k", at + 1)) {
      size_t i = at + 1;
      const std::string name = Token(t, i);
      if (CodeOf(name, {}) != -1 || i + 1 >= t.size() || t[i] != '=' || t[i + 1] == '=') continue;
      const int code = CodeOf(Token(t, ++i), constants);
      if (code >= 0 && i < t.size() && (t[i] == ',' || t[i] == ';')) constants[name] = code;
    }
  std::set<int> listed;
  for (int i = 0; i < kControlCount; ++i) listed.insert({kControls[i].code, kControls[i].modifier});
  int reads = 0;  // g_keys[key] or KeyPressed(key); the table's declaration [255] is not one
  for (const std::string& t : texts)
    for (const std::string opener : {"g_keys[", "KeyPressed("})
      for (size_t at = t.find(opener); at != std::string::npos; at = t.find(opener, at + 1)) {
        size_t i = at + opener.size();
        const std::string token = Token(t, i);
        const int code = CodeOf(token, constants);
        if (code == -2 || token == "255" || i >= t.size() || (t[i] != ']' && t[i] != ')')) continue;
        ++reads;
        EXPECT_TRUE(listed.count(code)) << t.substr(at, i + 1 - at);
      }
  EXPECT_GT(reads, 40);  // the scan sees the program's key reads at all
}

TEST(Controls, RebindingTradesKeysAndTheCardNamesTheKeysInForce) {
  const struct {
    int keys[kRebindableCount];
    std::vector<std::pair<int, int>> map;  // key -> code read
  } cases[] = {
      {{'z', 0, 'q', 0, 0}, {{'z', 'w'}, {'w', 'z'}, {'q', 'a'}, {'a', 'q'}, {'s', 's'}}},
      {{'a', 0, 'w', 0, 0}, {{'a', 'w'}, {'w', 'a'}, {'z', 'z'}}},  // forward and left swap
      {{17, 19, 16, 18, 0}, {{17, 'w'}, {'w', 17}, {19, 's'}, {'s', 19}, {'d', 18}, {18, 'd'}}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(RebindMovement(c.keys));
    for (const auto& [key, code] : c.map) EXPECT_EQ(g_playKeyMap[key], code) << key;
  }
  int found = 0;  // the play keys as bound now, the editor's as designed
  for (const CardLine& l : HelpCard())
    found += (l.keys == "Up" && l.help.find("walk forward") == 0) + (l.keys == "s + drag");
  EXPECT_EQ(found, 2);
  const int clash[kRebindableCount] = {'d', 0, 0, 0, 0}, none[kRebindableCount] = {};
  EXPECT_TRUE(!RebindMovement(clash) && g_playKeyMap[17] == 'w');  // right keeps d: unchanged
  ASSERT_TRUE(RebindMovement(none));
  for (int k = 0; k < 256; ++k) ASSERT_EQ(g_playKeyMap[k], k);
}

TEST(Controls, KeyNamesReadBackAndTheAliasesTheSettingsTurnOff) {
  for (int code : std::initializer_list<int>{1,  2,  3,  4,  8,  9,  10,  11,  12,  13,  14, 15,
                                             16, 17, 18, 19, 27, 32, 'a', 'z', '0', ';', '['}) {
    EXPECT_EQ(KeyCodeOfName(KeyNameOfCode(code)), code) << code;
    EXPECT_STRNE(KeyLabelOfCode(code), "");
  }
  EXPECT_TRUE(KeyCodeOfName("PageDown") == 15 && KeyCodeOfName("W") == 'w');
  for (const char* bad : {"", "ww", "f13", " "}) EXPECT_EQ(KeyCodeOfName(bad), 0) << bad;
  // {key, shift, as designed, with the aliases and Shift's case off}: F1 is "p", keypad 8 "h".
  const int keys[] = {112, 0,   'p', 255, 104, 0,   'h', '8', 96,  0,
                      '`', '0', 106, 0,   'j', 255, 'W', 1,   'W', 'w'};
  for (int off = 0; off < 2; ++off)
    for (const int* k = keys; k < keys + 20; k += 4) {
      g_settings.fkeyAliases = g_settings.shiftCase = !off;
      EXPECT_EQ(MapKey(k[0], k[1]), k[2 + off]) << *k;
    }
  g_settings = Settings();
}

TEST(Overlay, BadgeNamesTheCharacterAndShowsInFreeViewOrAfterAChange) {
  EXPECT_EQ(BadgeText(3, 4, kModePlayer), "KT, character 3");
  EXPECT_EQ(BadgeText(0, 4, kModeFreeView), "ZL, character 0 - free view - strand editor");
  EXPECT_EQ(BadgeText(4, 4, kModePlayer), "");
  BadgeClock clock;
  EXPECT_FALSE(clock.Update(3, kModePlayer, 0.1f));  // the start shows nothing
  EXPECT_TRUE(clock.Update(3, kModeFreeView, 0.1f) && clock.Update(3, kModePlayer, 3.0f));
  EXPECT_FALSE(clock.Update(3, kModePlayer, 3.0f));  // back from free view: shown a while
  EXPECT_TRUE(clock.Update(0, kModePlayer, 0.1f));   // control passed on
  EXPECT_TRUE(clock.Update(0, kModePlayer, kNoticeSeconds - 0.3f));
  EXPECT_FALSE(clock.Update(0, kModePlayer, 0.3f));
}
