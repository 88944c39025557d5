#include "game/update.h"

#include "shell/input.h"
#include "shell/window.h"

void UpdateFrame(bool freeLook) {
  if (KeyPressed('v')) ToggleVsync();
}
