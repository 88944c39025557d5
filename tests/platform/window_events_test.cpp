// Window and input events as SDL delivers them, through the pump to the window globals, the camera
// and the input tables.
#include <SDL.h>
#include <gtest/gtest.h>

#include "core/input_tables.h"
#include "core/window_state.h"
#include "game/camera.h"
#include "game/camera_setup.h"
#include "platform/input.h"
#include "platform/window.h"
#include "shell/input.h"
#include "shell/window.h"

namespace {
class WindowEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    PlatformUseVirtualCursor(false);
    Pump();  // whatever the display sent before
  }
  void TearDown() override {
    PlatformUseVirtualCursor(false);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
  }
  static WindowEvents Pump() {
    WindowEvents events;
    PlatformPumpEvents(&events);
    return events;
  }
  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  static void PushWindow(Uint8 event, int data1 = 0, int data2 = 0) {
    SDL_Event e{SDL_WINDOWEVENT};
    e.window.event = event, e.window.data1 = data1, e.window.data2 = data2;
    Push(e);
  }
  static void PushKey(SDL_Scancode scancode, bool down) {
    SDL_Event e{static_cast<Uint32>(down ? SDL_KEYDOWN : SDL_KEYUP)};
    e.key.keysym.scancode = scancode;
    Push(e);
  }
  static void PushWheel(int x, int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
    SDL_Event e{SDL_MOUSEWHEEL};
    e.wheel.x = x, e.wheel.y = y, e.wheel.direction = direction;
    Push(e);
  }
};
}  // namespace

TEST_F(WindowEventsTest, WheelStepsAreVerticalOnly) {
  const int rows[][4] = {{0, 1, SDL_MOUSEWHEEL_NORMAL, 1},   {0, -3, SDL_MOUSEWHEEL_NORMAL, -1},
                         {2, 0, SDL_MOUSEWHEEL_NORMAL, 0},   {-1, 0, SDL_MOUSEWHEEL_NORMAL, 0},
                         {0, 1, SDL_MOUSEWHEEL_FLIPPED, -1}, {1, 2, SDL_MOUSEWHEEL_NORMAL, 1}};
  for (const auto& row : rows) {  // {x, y, direction, step}
    PushWheel(row[0], row[1], static_cast<Uint32>(row[2]));
    EXPECT_EQ(Pump().wheel, row[3]) << row[0] << "," << row[1];
  }
  // A sideways scroll after a step leaves the step standing.
  PushWheel(0, -1), PushWheel(3, 0);
  EXPECT_EQ(Pump().wheel, -1);
}

TEST_F(WindowEventsTest, ActivationAndClose) {
  const int rows[][3] = {{SDL_WINDOWEVENT_FOCUS_LOST, 0, 1},
                         {SDL_WINDOWEVENT_MINIMIZED, 0, 0},
                         {SDL_WINDOWEVENT_HIDDEN, 0, 0},
                         {SDL_WINDOWEVENT_RESTORED, 1, 0},
                         {SDL_WINDOWEVENT_FOCUS_GAINED, 1, 0}};
  for (const auto& row : rows) {  // {event, active, focusOnly}
    PushWindow(static_cast<Uint8>(row[0]));
    const WindowEvents e = Pump();
    EXPECT_TRUE(e.activeChanged && !e.closeRequested) << row[0];
    EXPECT_TRUE(e.active == bool(row[1]) && e.focusOnly == bool(row[2])) << row[0];
  }
  PushWindow(SDL_WINDOWEVENT_CLOSE);
  EXPECT_TRUE(Pump().closeRequested);
  Push(SDL_Event{SDL_QUIT});
  EXPECT_TRUE(Pump().closeRequested);
}

TEST_F(WindowEventsTest, ResizeReachesTheCameraAndCentresTheCursor) {
  g_width = 320, g_height = 240;
  SetUpCamera(g_width, g_height);
  PlatformUseVirtualCursor(true);
  PlatformSetCursorPos(160, 120);
  PushWindow(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 360);
  PumpWindowMessages();
  EXPECT_TRUE(g_width == 640 && g_height == 360) << g_width << "x" << g_height;
  EXPECT_TRUE(g_camera.viewportW == 640 && g_camera.viewportH == 360);
  EXPECT_FLOAT_EQ(g_camera.proj.m[5] / g_camera.proj.m[0], 640.0f / 360.0f);
  int x = 0, y = 0;
  PlatformGetCursorPos(&x, &y);
  EXPECT_TRUE(x == 320 && y == 180) << x << "," << y;
  // A minimised window reports no size: the last view stays.
  PushWindow(SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0);
  PumpWindowMessages();
  EXPECT_TRUE(g_width == 640 && g_camera.viewportH == 360);
}

// The sampling takes what is still queued: a key that went down during the
// frame counts at once, a tap within the frame is seen for one frame, and a
// wheel step among them counts for the coming frame.
TEST_F(WindowEventsTest, SamplingTakesTheQueuedEvents) {
  PlatformReleaseAllKeys();
  SampleInput(), SampleInput();
  PushKey(SDL_SCANCODE_W, true), PushWheel(0, 1);
  SampleInput();
  EXPECT_TRUE(KeyPressed('w'));
  EXPECT_EQ(g_wheel, 1);
  PushKey(SDL_SCANCODE_W, false);
  SampleInput();
  EXPECT_TRUE(!g_keys['w'] && g_wheel == 0);
  PushKey(SDL_SCANCODE_SPACE, true), PushKey(SDL_SCANCODE_SPACE, false);
  SDL_Event click{SDL_MOUSEBUTTONDOWN};
  click.button.button = SDL_BUTTON_LEFT;
  Push(click);
  click.type = SDL_MOUSEBUTTONUP;
  Push(click);
  SampleInput();
  EXPECT_TRUE(g_keys[' '] && g_mouseLeft);
  SampleInput();
  EXPECT_TRUE(!g_keys[' '] && !g_mouseLeft && g_mouseLeftPrev);
}
