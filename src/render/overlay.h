// The on-screen overlay drawn with the program's own glyph atlas: the help
// card, the mode badge, the timed messages (core/notice.h) and the frame-rate
// readout. Only the messages and, in free view, the badge show unless asked.
#pragma once

struct OverlaySettings {
  bool help = false;     // the help card (Tab)
  bool fps = false;      // the frame-rate readout (Home)
  bool messages = true;  // timed messages
  bool badge = true;     // the mode badge
};
extern OverlaySettings g_overlay;

// Draws what is on, in the overlay state the font set up (pixel projection,
// additive blending, the atlas bound), and ages the messages by this frame's
// time. Leaves texturing off and the blend function additive.
void DrawOverlay();
