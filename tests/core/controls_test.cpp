// The control table against the code that reads keys, rebinding, key names,
// the aliases the settings turn off; what the badge says and when it shows.
#include "core/controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/notice.h"
#include "game/player.h"
#include "render/overlay_text.h"
#include "shell/extras.h"

namespace {
bool IsWord(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

void SkipSpace(const std::string& t, size_t& i) {
  while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i]))) ++i;
}

// A key token at i: 'x', a number, or a constant kName. Empty when none.
std::string KeyToken(const std::string& t, size_t& i) {
  const size_t start = i;
  if (i + 2 < t.size() && t[i] == '\'' && t[i + 2] == '\'') {
    i += 3;
  } else if (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) {
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
  } else if (i + 1 < t.size() && t[i] == 'k' &&
             std::isupper(static_cast<unsigned char>(t[i + 1])) &&
             (start == 0 || !IsWord(t[start - 1]))) {
    while (i < t.size() && IsWord(t[i])) ++i;
  }
  return t.substr(start, i - start);
}

std::vector<std::string> SourceTexts() {
  std::vector<std::string> texts;
  for (const auto& e : std::filesystem::recursive_directory_iterator(QH_SOURCE_DIR "/src")) {
    if (e.path().extension() != ".cpp" && e.path().extension() != ".h") continue;
    std::ifstream in(e.path());
    std::stringstream text;
    text << in.rdbuf();
    texts.push_back(text.str());
  }
  return texts;
}

int CodeOf(const std::string& token, const std::map<std::string, int>& constants) {
  if (token[0] == '\'') return static_cast<unsigned char>(token[1]);
  if (std::isdigit(static_cast<unsigned char>(token[0]))) return std::stoi(token);
  const auto c = constants.find(token);
  return c == constants.end() ? -1 : c->second;
}
}  // namespace

// A key read anywhere in the program without a line on the help card fails
// here, so the card can't fall behind the code.
TEST(Controls, EveryKeyTheProgramReadsIsInTheTable) {
  const std::vector<std::string> texts = SourceTexts();
  // Constants: kName = 'x' or kName = 12, ended by , or ;
  std::map<std::string, int> constants;
  for (const std::string& t : texts)
    for (size_t i = 0; i < t.size(); ++i) {
      size_t j = i;
      const std::string name = t[i] == 'k' ? KeyToken(t, j) : "";
      if (name.empty() || !std::isupper(static_cast<unsigned char>(name[1]))) continue;
      SkipSpace(t, j);
      if (j >= t.size() || t[j] != '=') continue;
      SkipSpace(t, ++j);
      const std::string value = KeyToken(t, j);
      SkipSpace(t, j);
      if (value.empty() || value[0] == 'k' || j >= t.size() || (t[j] != ',' && t[j] != ';'))
        continue;
      constants[name] = CodeOf(value, constants);
    }
  std::set<int> listed;
  for (int i = 0; i < kControlCount; ++i) {
    listed.insert(kControls[i].code);
    listed.insert(kControls[i].modifier);
  }
  // Reads: g_keys[key] or KeyPressed(key); a table's declaration [255] is not one.
  int reads = 0;
  for (const std::string& t : texts)
    for (const std::string opener : {"g_keys[", "KeyPressed("})
      for (size_t at = t.find(opener); at != std::string::npos; at = t.find(opener, at + 1)) {
        size_t j = at + opener.size();
        SkipSpace(t, j);
        const std::string token = KeyToken(t, j);
        SkipSpace(t, j);
        if (token.empty() || token == "255" || j >= t.size() || (t[j] != ']' && t[j] != ')'))
          continue;
        ++reads;
        const int code = CodeOf(token, constants);
        EXPECT_TRUE(listed.count(code)) << t.substr(at, j + 1 - at) << " reads code " << code;
      }
  EXPECT_GT(reads, 40);  // the scan sees the program's key reads at all
}

TEST(Controls, RebindingTradesKeysAndTheCardNamesTheKeysInForce) {
  struct Case {
    int keys[kRebindableCount];
    std::vector<std::pair<int, int>> map;  // key -> code read
  } cases[] = {
      {{'z', 0, 'q', 0, 0}, {{'z', 'w'}, {'w', 'z'}, {'q', 'a'}, {'a', 'q'}, {'s', 's'}}},
      {{'a', 0, 'w', 0, 0}, {{'a', 'w'}, {'w', 'a'}, {'z', 'z'}}},  // forward and left swap
      {{17, 19, 16, 18, 0}, {{17, 'w'}, {'w', 17}, {19, 's'}, {'s', 19}, {'d', 18}, {18, 'd'}}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(RebindMovement(c.keys));
    for (const auto& [key, code] : c.map) EXPECT_EQ(g_playKeyMap[key], code) << key;
  }
  // The card lists the play keys as bound now and the editor's as designed.
  bool forward = false, editorBack = false;
  for (const CardLine& l : HelpCard()) {
    forward |= l.keys == "Up" && l.help.find("walk forward") == 0;
    editorBack |= l.keys == "s + drag";
  }
  EXPECT_TRUE(forward);
  EXPECT_TRUE(editorBack);

  const int clash[kRebindableCount] = {'d', 0, 0, 0, 0};  // right keeps d
  EXPECT_FALSE(RebindMovement(clash));
  EXPECT_EQ(g_playKeyMap[17], 'w');  // unchanged
  const int none[kRebindableCount] = {};
  ASSERT_TRUE(RebindMovement(none));
  for (int k = 0; k < 256; ++k) ASSERT_EQ(g_playKeyMap[k], k);
}

TEST(Controls, KeyNamesReadBackAndUnknownNamesAreRefused) {
  for (int code : std::initializer_list<int>{1,  2,  3,  4,  8,  9,   10,  11,  12,  13,  14, 15,
                                             16, 17, 18, 19, 27, ' ', 'a', 'z', '0', ';', '['}) {
    EXPECT_EQ(KeyCodeOfName(KeyNameOfCode(code)), code) << code;
    EXPECT_STRNE(KeyLabelOfCode(code), "");
  }
  EXPECT_EQ(KeyCodeOfName("PageDown"), 15);
  EXPECT_EQ(KeyCodeOfName("W"), 'w');
  for (const char* bad : {"", "ww", "f13", " "}) EXPECT_EQ(KeyCodeOfName(bad), 0) << bad;

  // F1 reads as "p", keypad 8 as "h", Shift+W as "W": as designed, unless turned off.
  EXPECT_EQ(MapKey(112, false), 'p');
  EXPECT_EQ(MapKey(104, false), 'h');
  EXPECT_EQ(MapKey('W', true), 'W');
  g_settings.fkeyAliases = g_settings.shiftCase = false;
  EXPECT_EQ(MapKey(112, false), 255);  // nothing
  EXPECT_EQ(MapKey(104, false), '8');
  EXPECT_EQ(MapKey(96, false), '0');
  EXPECT_EQ(MapKey(106, false), 255);  // keypad *: "j" as designed
  EXPECT_EQ(MapKey('W', true), 'w');
  g_settings = Settings();
}

TEST(Overlay, BadgeNamesTheCharacterAndShowsInFreeViewOrAfterAChange) {
  EXPECT_EQ(BadgeText(3, 4, kModePlayer), "KT, character 3");
  EXPECT_EQ(BadgeText(0, 4, kModeFreeView), "ZL, character 0 - free view - strand editor");
  EXPECT_EQ(BadgeText(4, 4, kModePlayer), "");

  BadgeClock clock;
  EXPECT_FALSE(clock.Update(3, kModePlayer, 0.1f));  // the start shows nothing
  EXPECT_TRUE(clock.Update(3, kModeFreeView, 0.1f));
  EXPECT_TRUE(clock.Update(3, kModePlayer, 3.0f));  // back from free view: shown a while
  EXPECT_FALSE(clock.Update(3, kModePlayer, 3.0f));
  EXPECT_TRUE(clock.Update(0, kModePlayer, 0.1f));  // control passed on
  EXPECT_TRUE(clock.Update(0, kModePlayer, kNoticeSeconds - 0.3f));
  EXPECT_FALSE(clock.Update(0, kModePlayer, 0.3f));
}
