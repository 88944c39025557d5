#include "platform/gamepad.h"

#include <SDL.h>

namespace {
SDL_GameController* g_pad = nullptr;
SDL_Joystick* g_virtual = nullptr;  // our handle on the virtual controller
char g_name[128];                   // outlives the controller it names

const char* KeepName(const char* name) {
  SDL_strlcpy(g_name, name ? name : "", sizeof g_name);
  return g_name;
}

float Axis(SDL_GameControllerAxis axis) {
  const int v = SDL_GameControllerGetAxis(g_pad, axis);
  return v < 0 ? v / 32768.0f : v / 32767.0f;
}

bool Button(SDL_GameControllerButton button) {
  return SDL_GameControllerGetButton(g_pad, button) != 0;
}
}  // namespace

int PlatformInitGamepads(const char* mappingFile, bool background) {
  if (background) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return 0;
  if (!mappingFile) return 0;
  SDL_RWops* file = SDL_RWFromFile(mappingFile, "rb");
  if (!file) return 0;
  const int added = SDL_GameControllerAddMappingsFromRW(file, 1);
  return added > 0 ? added : 0;
}

int PlatformReadGamepad(PadState* state, const char** name) {
  *state = PadState();
  int change = 0;
  SDL_GameControllerUpdate();
  if (g_pad && !SDL_GameControllerGetAttached(g_pad)) {
    *name = KeepName(SDL_GameControllerName(g_pad));
    SDL_GameControllerClose(g_pad);
    g_pad = nullptr;
    change = -1;
  }
  for (int i = 0; !g_pad && i < SDL_NumJoysticks(); ++i) {
    if (!SDL_IsGameController(i)) continue;
    g_pad = SDL_GameControllerOpen(i);
    if (g_pad) {
      *name = KeepName(SDL_GameControllerName(g_pad));
      change = 1;
    }
  }
  if (!g_pad) return change;
  state->connected = true;
  state->leftX = Axis(SDL_CONTROLLER_AXIS_LEFTX);
  state->leftY = Axis(SDL_CONTROLLER_AXIS_LEFTY);
  state->rightX = Axis(SDL_CONTROLLER_AXIS_RIGHTX);
  state->rightY = Axis(SDL_CONTROLLER_AXIS_RIGHTY);
  state->a = Button(SDL_CONTROLLER_BUTTON_A);
  state->b = Button(SDL_CONTROLLER_BUTTON_B);
  state->y = Button(SDL_CONTROLLER_BUTTON_Y);
  state->leftShoulder = Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  state->rightShoulder = Button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  return change;
}

bool PlatformVirtualPad(bool attach) {
  if (attach) {
    if (g_virtual) return true;
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    if (index < 0) return false;
    g_virtual = SDL_JoystickOpen(index);
    return g_virtual != nullptr;
  }
  if (!g_virtual) return false;
  const SDL_JoystickID id = SDL_JoystickInstanceID(g_virtual);
  SDL_JoystickClose(g_virtual);
  g_virtual = nullptr;
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == id) return SDL_JoystickDetachVirtual(i) == 0;
  return false;
}

bool PlatformVirtualPadSet(const char* control, int value) {
  if (!g_virtual) return false;
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(control);
  if (button != SDL_CONTROLLER_BUTTON_INVALID)
    return SDL_JoystickSetVirtualButton(g_virtual, button, value ? 1 : 0) == 0;
  const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(control);
  if (axis == SDL_CONTROLLER_AXIS_INVALID) return false;
  const int clamped = value < -32768 ? -32768 : value > 32767 ? 32767 : value;
  return SDL_JoystickSetVirtualAxis(g_virtual, axis, static_cast<Sint16>(clamped)) == 0;
}

bool PlatformPadControlKnown(const char* control) {
  return SDL_GameControllerGetButtonFromString(control) != SDL_CONTROLLER_BUTTON_INVALID ||
         SDL_GameControllerGetAxisFromString(control) != SDL_CONTROLLER_AXIS_INVALID;
}
