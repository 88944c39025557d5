// The per-frame update: control keys, characters and camera placement.
#pragma once

void UpdateFrame(bool freeLook);
