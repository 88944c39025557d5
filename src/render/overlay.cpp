#include "render/overlay.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/notice.h"
#include "core/timer.h"
#include "core/window_state.h"
#include "game/player.h"
#include "image/font_gl.h"
#include "render/overlay_text.h"

OverlaySettings g_overlay;

namespace {
constexpr int kMargin = 10, kPad = 6, kColumnGap = 24;
BadgeClock g_badgeClock;

int TextWidth(const std::string& text) {
  int w = 0;
  for (const unsigned char c : text) w += static_cast<int>(g_font.glyph[c].width);
  return w;
}

// Text is added onto what is there, so it goes on a darkened panel.
void Panel(int x, int y, int w, int h, float alpha) {
  glDisable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, alpha);
  glRecti(x - kPad, y - kPad, x + w + kPad, y + h + kPad);
  glBlendFunc(GL_ONE, GL_ONE);
}

void Swatch(int x, int y, int size, const vec3& colour) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);  // the colour as it is, not added to the panel
  glColor3f(colour.x, colour.y, colour.z);
  glRecti(x, y, x + size, y + size);
  glEnable(GL_BLEND);
}

void Text(int x, int y, const std::string& text, float r, float g, float b) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, g_font.texture);
  glColor3f(r, g, b);
  const int h = g_font.lineHeight;
  glBegin(GL_QUADS);
  for (const unsigned char c : text) {
    const GlyphRect& q = g_font.glyph[c];
    if (!q.width) continue;
    const int w = static_cast<int>(q.width);
    glTexCoord2f(q.u0, q.v0);
    glVertex2i(x, y);
    glTexCoord2f(q.u1, q.v0);
    glVertex2i(x + w, y);
    glTexCoord2f(q.u1, q.v1);
    glVertex2i(x + w, y + h);
    glTexCoord2f(q.u0, q.v1);
    glVertex2i(x, y + h);
    x += w;
  }
  glEnd();
}

// In as many columns as the window's height needs, each as wide as its text.
void DrawHelpCard() {
  const std::vector<CardLine> card = HelpCard();
  const int line = g_font.lineHeight;
  const int count = static_cast<int>(card.size());
  const int rows = std::max(1, (g_height - 2 * (kMargin + kPad)) / line);
  const int columns = (count + rows - 1) / rows;
  const int perColumn = (count + columns - 1) / columns;
  std::vector<int> keysWidth, left{0};
  for (int first = 0; first < count; first += perColumn) {
    int keys = 0, help = 0;
    for (int i = first; i < std::min(count, first + perColumn); ++i) {
      keys = std::max(keys, TextWidth(card[i].keys));
      help = std::max(help, TextWidth(card[i].help));
    }
    keysWidth.push_back(keys);
    left.push_back(left.back() + keys + help + 2 * kColumnGap);
  }
  const int width = left.back() - kColumnGap, height = perColumn * line;
  const int x0 = std::max(kMargin, (g_width - width) / 2);
  const int y0 = std::max(kMargin, (g_height - height) / 2);
  Panel(x0, y0, width, height, 0.85f);
  for (int i = 0; i < count; ++i) {
    const int column = i / perColumn;
    const int x = x0 + left[column], y = y0 + i % perColumn * line;
    if (card[i].keys.empty()) {
      Text(x, y, card[i].help, 1.0f, 0.8f, 0.35f);
    } else {
      Text(x, y, card[i].keys, 1, 1, 1);
      Text(x + keysWidth[column] + kColumnGap, y, card[i].help, 0.75f, 0.75f, 0.75f);
    }
  }
}

void DrawBadge(const SPlayer& player) {
  const std::string text = BadgeText(player.index, g_characterCount, player.mode);
  const int line = g_font.lineHeight;
  const bool paint = player.mode == kModeFreeView;
  const int width = TextWidth(text) + (paint ? kPad + line : 0);
  Panel(kMargin, kMargin, width, line, 0.6f);
  Text(kMargin, kMargin, text, 1, 1, 1);
  if (paint) Swatch(kMargin + width - line, kMargin + 2, line - 4, player.colors[1]);
}

// Newest at the bottom; each fades out over its last second.
void DrawNotices() {
  const int line = g_font.lineHeight;
  int y = g_height - kMargin - line;
  for (int i = NoticeCount() - 1; i >= 0; --i, y -= line + 2 * kPad) {
    const Notice& n = NoticeAt(i);
    const float fade = std::min(1.0f, std::max(0.0f, kNoticeSeconds - n.age));
    Panel(kMargin, y, TextWidth(n.text), line, 0.6f * fade);
    Text(kMargin, y, n.text, fade, fade, fade);
  }
}

void DrawFps() {
  const std::string text = FpsText(g_timer.fps, g_timer.frameTime);
  const int x = g_width - kMargin - TextWidth(text);
  Panel(x, kMargin, TextWidth(text), g_font.lineHeight, 0.6f);
  Text(x, kMargin, text, 1, 1, 0.6f);
}
}  // namespace

void DrawOverlay() {
  AgeNotices(g_timer.frameTime);
  const SPlayer* player =
      g_players && g_current < g_characterCount ? &g_players[g_current] : nullptr;
  const bool badge = player && g_badgeClock.Update(player->index, player->mode, g_timer.frameTime);
  if (g_font.ready) {
    if (badge && g_overlay.badge) DrawBadge(*player);
    if (g_overlay.messages) DrawNotices();
    if (g_overlay.fps) DrawFps();
    if (g_overlay.help) DrawHelpCard();
  }
  glDisable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
}
