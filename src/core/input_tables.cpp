#include "core/input_tables.h"

uint8_t g_keys[255];
uint8_t g_keysPrev[255];
bool g_mouseLeft, g_mouseRight;
bool g_mouseLeftPrev, g_mouseRightPrev;
int32_t g_wheel;
