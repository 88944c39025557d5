// Off-screen-style rendering of one model for content review (qhtool view
// and qhtool sheet): the model drawn by the program's model drawing, posed by
// a clip, lit from over the viewer's shoulder, seen from the front left.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ViewOptions {
  const char* model = nullptr;
  const char* clip = nullptr;     // attached and posed at `time` when set
  float time = 1;                 // clip frame
  const char* texture = nullptr;  // replaces the model's first texture
  const char* eyes = nullptr;     // eye texture: eyeballs on "Leye"/"Reye"
  const char* line = nullptr;     // strand file drawn on the bones
  float yaw = 35;                 // camera direction, degrees from +X toward +Y
  std::string label;              // drawn in the top-left corner when set
};

// Reads the options of one view from argv (the model is the one bare
// argument; `--out`, `--archive` and `--size` are left to the caller through
// the three pointers). False on an unknown or incomplete option.
bool ParseViewOptions(int argc, char** argv, ViewOptions* o, const char** out, const char** archive,
                      int* size);

// Opens the window (size x size) and readies the resource manager and the
// label font, once per process; false without a display.
bool OpenViewWindow(int size);

// Renders one view into rgb (size x size, rows top first). Everything loaded
// stays with the manager until CloseView. False with a reason when the
// model, clip or strand file can't be loaded.
bool RenderView(const ViewOptions& options, int size, std::vector<uint8_t>* rgb,
                std::string* error);

// Releases everything the views loaded.
void CloseView();
