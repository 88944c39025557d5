// The run harness: options for reproducible, scripted, observable runs.
// Without options the program behaves exactly as it always does.
//
//   --windowed            a window instead of full screen
//   --size WxH            window size instead of the desktop's
//   --frames N            quit after N frames
//   --fixed-dt S          virtual clocks advancing exactly S seconds a frame
//   --script FILE         timed input, one "FRAME EVENT ARGS" per line
//   --screenshot FILE.png the last frame as a PNG
//   --trace FILE          one JSON object per frame (JSON Lines)
//   --trace-every N       trace every Nth frame only, with the resident memory
//   --bench               per-phase frame timings at exit (steady state)
//   --camera X,Y,Z,ROLL,PITCH,YAW  the camera fixed there for the whole run
//   --data DIR            look for brookfield.core and the music in DIR first
//   --write-settings      write the settings file and quit
//   --version             print the version and quit
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct HarnessOptions {
  bool windowed = false;
  int width = 0, height = 0;
  long frames = -1;  // -1: until Escape or close
  double fixedDt = 0;
  std::string script, screenshot, trace;
  long traceEvery = 0;  // 0: every frame, without the resident memory
  bool bench = false;
  bool help = false;
  bool version = false;
  bool writeSettings = false;
  std::string dataFolder;
  bool fixCamera = false;
  float camera[6] = {};  // --camera: position x, y, z, then roll, pitch, yaw in degrees
};

// Parses the command line. Returns false with a one-line reason in `error`.
bool ParseHarnessOptions(int argc, char** argv, HarnessOptions* out, std::string* error);
void PrintHarnessHelp(FILE* out);

// One scripted input event.
struct ScriptEvent {
  enum Kind { kKey, kButton, kMouse, kCursor, kWheel, kPad } kind;
  long frame;
  int a = 0, b = 0;  // key: vk, down; button: vk, down; mouse: dx, dy; cursor: x, y; wheel: step;
                     // pad: b the value
  std::string control;  // pad: "attach", "detach" or an SDL control name
};

// Parses a script ('#' starts a comment). Returns false with the line number
// and the reason in `error`.
bool ParseScript(const std::string& text, std::vector<ScriptEvent>* out, std::string* error);

// Steady-state figures of one --bench phase, in seconds: its per-frame times
// after the first `warmup` frames (all of them when no later frame has one).
// worst1 is the 99th percentile (nearest rank): 1% of the frames took longer.
struct PhaseStats {
  size_t frames = 0;
  double min = 0, median = 0, worst1 = 0, max = 0;
};
struct FrameTime {
  long frame;
  double seconds;
};
PhaseStats SummarizePhase(const std::vector<FrameTime>& times, long warmup);

// Per-frame harness work, called by the frame loop.
class Harness {
 public:
  bool Begin(const HarnessOptions& options, std::string* error);
  void End();

  // Events of `frame` that must be in place before the input is sampled,
  // and the wheel steps, which go in after sampling.
  void ApplyBeforeSampling(long frame);
  void ApplyAfterSampling(long frame);

  bool LastFrame(long frame) const { return options_.frames >= 0 && frame + 1 >= options_.frames; }
  bool Scripted() const { return !options_.script.empty(); }

  // After the render of a frame: trace line, screenshot capture.
  void AfterRender(long frame, float dt);

  // Phase timings for --bench: a phase timed several times in one frame
  // counts as one sample, the sum.
  void AddTiming(const char* phase, double seconds);

  const HarnessOptions& options() const { return options_; }

 private:
  HarnessOptions options_;
  std::vector<ScriptEvent> events_;
  size_t next_ = 0;
  FILE* trace_ = nullptr;
  std::vector<uint8_t> shot_;
  int shotWidth_ = 0, shotHeight_ = 0;
  struct Phase {
    std::string name;
    std::vector<FrameTime> samples;
  };
  std::vector<Phase> phases_;
  long frame_ = 0;  // the frame under way, for AddTiming
};

extern Harness g_harness;
