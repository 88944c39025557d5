#include "shell/harness.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/bench.h"
#include "core/trace.h"
#include "image/png_writer.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/input.h"
#include "platform/sysinfo.h"
#include "platform/window.h"
#include "shell/extras.h"
#include "shell/input.h"
#include "shell/window.h"

Harness g_harness;

namespace {
void CollectTiming(const char* phase, double seconds) {
  g_harness.AddTiming(phase, seconds);
}

bool ParseLong(const char* s, long* out) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (!*s || *end) return false;
  *out = v;
  return true;
}
}  // namespace

bool ParseHarnessOptions(int argc, char** argv, HarnessOptions* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** v) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *v = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (arg == "--help" || arg == "-h") {
      out->help = true;
    } else if (arg == "--windowed") {
      out->windowed = true;
    } else if (arg == "--bench") {
      out->bench = true;
    } else if (arg == "--size") {
      if (!value(&v)) return false;
      if (std::sscanf(v, "%dx%d", &out->width, &out->height) != 2 || out->width < 1 ||
          out->height < 1 || out->width > 9000 || out->height > 9000) {
        *error = "--size takes WxH, for example 1024x768";
        return false;
      }
    } else if (arg == "--frames") {
      if (!value(&v)) return false;
      if (!ParseLong(v, &out->frames) || out->frames < 1) {
        *error = "--frames takes a positive count";
        return false;
      }
    } else if (arg == "--fixed-dt") {
      if (!value(&v)) return false;
      char* end = nullptr;
      out->fixedDt = std::strtod(v, &end);
      if (*end || !(out->fixedDt > 0) || out->fixedDt > 10) {
        *error = "--fixed-dt takes seconds per frame, for example 0.016";
        return false;
      }
    } else if (arg == "--camera") {
      if (!value(&v)) return false;
      float* c = out->camera;
      int used = 0;
      if (std::sscanf(v, "%f,%f,%f,%f,%f,%f%n", &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &used) !=
              6 ||
          v[used] || !std::all_of(c, c + 6, [](float x) { return std::isfinite(x); })) {
        *error = "--camera takes X,Y,Z,ROLL,PITCH,YAW, for example 0,0,20,0,-10,45";
        return false;
      }
      out->fixCamera = true;
    } else if (arg == "--version") {
      out->version = true;
    } else if (arg == "--write-settings") {
      out->writeSettings = true;
    } else if (arg == "--data") {
      if (!value(&v)) return false;
      out->dataFolder = v;
    } else if (arg == "--script") {
      if (!value(&v)) return false;
      out->script = v;
    } else if (arg == "--screenshot") {
      if (!value(&v)) return false;
      out->screenshot = v;
    } else if (arg == "--trace") {
      if (!value(&v)) return false;
      out->trace = v;
    } else if (arg == "--trace-every") {
      if (!value(&v)) return false;
      if (!ParseLong(v, &out->traceEvery) || out->traceEvery < 1) {
        *error = "--trace-every takes a positive count";
        return false;
      }
    } else {
      *error = "unknown option " + arg + " (see --help)";
      return false;
    }
  }
  return true;
}

void PrintHarnessHelp(FILE* out) {
  std::fprintf(
      out,
      "usage: quietharbour [options]\n"
      "Without options the program runs full-screen until Escape.\n"
      "  --windowed             a window instead of full screen\n"
      "  --size WxH             window size instead of the desktop's\n"
      "  --frames N             quit after N frames\n"
      "  --fixed-dt S           virtual clocks: every frame lasts exactly S seconds\n"
      "  --script FILE          timed input, one event per line: FRAME EVENT ARGS\n"
      "                           key NAME down|up   (a-z 0-9 space shift ctrl alt escape\n"
      "                                              delete tab enter f1-f12 up down left "
      "right)\n"
      "                           button left|right down|up\n"
      "                           mouse DX DY        (relative motion, pixels)\n"
      "                           cursor X Y         (absolute, window pixels)\n"
      "                           wheel +1|-1\n"
      "                           pad attach|detach  (a virtual gamepad)\n"
      "                           pad BUTTON down|up (a b y leftshoulder ...)\n"
      "                           pad AXIS VALUE     (leftx lefty rightx righty, +-32767)\n"
      "                         events of frame N are seen by the update of frame N;\n"
      "                         '#' starts a comment\n"
      "  --screenshot FILE.png  write the last frame as a PNG\n"
      "  --trace FILE           one JSON object per frame (JSON Lines)\n"
      "  --trace-every N        trace every Nth frame only, with the resident memory\n"
      "                         (\"rssKb\") for long runs\n"
      "  --bench                print per-phase frame timings at exit: after the first 60\n"
      "                         frames, min, median, worst 1%% (99th percentile), max\n"
      "  --camera X,Y,Z,ROLL,PITCH,YAW\n"
      "                         fix the camera for the whole run: eye position (world,\n"
      "                         +Z up) and angles in degrees (yaw 0 looks along +X,\n"
      "                         negative pitch looks up); field of view 60 degrees\n"
      "  --data DIR             look for brookfield.core and the music in DIR, then\n"
      "                         beside the program, then in its installed place\n"
      "                         (../share/quietharbour), then in the working directory\n"
      "  --write-settings       write the settings file (see README) and quit\n"
      "  --version              print the version and quit\n");
}

bool ParseScript(const std::string& text, std::vector<ScriptEvent>* out, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string frameText, kind, a, b;
    if (!(words >> frameText)) continue;
    words >> kind >> a >> b;
    std::string extra;
    auto fail = [&](const std::string& why) {
      *error = "script line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (words >> extra) return fail("too many fields");
    ScriptEvent e{};
    if (!ParseLong(frameText.c_str(), &e.frame) || e.frame < 0) return fail("bad frame number");
    long x = 0, y = 0;
    if (kind == "key" || kind == "button") {
      if (b != "down" && b != "up") return fail("expected down or up");
      e.b = b == "down";
      if (kind == "key") {
        e.kind = ScriptEvent::kKey;
        e.a = PlatformKeyNameToVk(a.c_str());
        if (!e.a) return fail("unknown key '" + a + "'");
      } else {
        e.kind = ScriptEvent::kButton;
        if (a != "left" && a != "right") return fail("expected left or right");
        e.a = a == "left" ? VK_LBUTTON : VK_RBUTTON;
      }
    } else if (kind == "mouse" || kind == "cursor") {
      if (!ParseLong(a.c_str(), &x) || !ParseLong(b.c_str(), &y)) return fail("expected X Y");
      e.kind = kind == "mouse" ? ScriptEvent::kMouse : ScriptEvent::kCursor;
      e.a = static_cast<int>(x);
      e.b = static_cast<int>(y);
    } else if (kind == "pad") {
      e.kind = ScriptEvent::kPad;
      e.control = a;
      if (a == "attach" || a == "detach") {
        if (!b.empty()) return fail("too many fields");
      } else if (!PlatformPadControlKnown(a.c_str())) {
        return fail("unknown gamepad control '" + a + "'");
      } else if (b == "down" || b == "up") {
        e.b = b == "down";
      } else if (!ParseLong(b.c_str(), &x) || x < -32768 || x > 32767) {
        return fail("expected down, up or a value from -32768 to 32767");
      } else {
        e.b = static_cast<int>(x);
      }
    } else if (kind == "wheel") {
      if ((a != "+1" && a != "-1" && a != "1") || !b.empty()) return fail("expected +1 or -1");
      e.kind = ScriptEvent::kWheel;
      e.a = a == "-1" ? -1 : 1;
    } else {
      return fail("unknown event '" + kind + "'");
    }
    out->push_back(e);
  }
  std::stable_sort(out->begin(), out->end(),
                   [](const ScriptEvent& l, const ScriptEvent& r) { return l.frame < r.frame; });
  return true;
}

bool Harness::Begin(const HarnessOptions& options, std::string* error) {
  options_ = options;
  if (!options_.script.empty()) {
    std::ifstream in(options_.script);
    if (!in) {
      *error = "can't read the script " + options_.script;
      return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (!ParseScript(text.str(), &events_, error)) return false;
    PlatformUseVirtualCursor(true);
  }
  if (!options_.trace.empty()) {
    trace_ = std::fopen(options_.trace.c_str(), "w");
    if (!trace_) {
      *error = "can't write the trace " + options_.trace;
      return false;
    }
  }
  SetBenchSink(options_.bench ? CollectTiming : nullptr);
  return true;
}

void Harness::ApplyBeforeSampling(long frame) {
  frame_ = frame;
  for (; next_ < events_.size() && events_[next_].frame <= frame; ++next_) {
    const ScriptEvent& e = events_[next_];
    switch (e.kind) {
      case ScriptEvent::kKey:
      case ScriptEvent::kButton:
        PlatformSetKey(e.a, e.b != 0);
        break;
      case ScriptEvent::kMouse:
        PlatformMoveVirtualCursor(e.a, e.b);
        break;
      case ScriptEvent::kCursor:
        PlatformSetCursorPos(e.a, e.b);
        break;
      case ScriptEvent::kWheel:
        break;  // after sampling
      case ScriptEvent::kPad:
        if (e.control == "attach" || e.control == "detach")
          PlatformVirtualPad(e.control == "attach");
        else
          PlatformVirtualPadSet(e.control.c_str(), e.b);
        break;
    }
  }
}

void Harness::ApplyAfterSampling(long frame) {
  for (const ScriptEvent& e : events_)
    if (e.frame == frame && e.kind == ScriptEvent::kWheel) g_wheel = e.a;
}

void Harness::AfterRender(long frame, float dt) {
  const long every = options_.traceEvery;
  if (trace_ && (every == 0 || frame % every == 0)) {
    std::string line = "{\"frame\":" + std::to_string(frame) + ",\"dt\":";
    TraceNumber(&line, dt);
    if (every) {
      line += ",\"rssKb\":";
      TraceNumber(&line, static_cast<double>(ResidentKilobytes()));
    }
    WriteTraceFields(&line);
    line += "}\n";
    std::fputs(line.c_str(), trace_);
  }
  // Read the back buffer before the swap; only the last frame is kept.
  if (!options_.screenshot.empty() && (options_.frames < 0 || LastFrame(frame)))
    CaptureBackBuffer(&shot_, &shotWidth_, &shotHeight_);
}

void Harness::AddTiming(const char* phase, double seconds) {
  for (Phase& p : phases_) {
    if (p.name == phase) {
      if (p.samples.back().frame == frame_)
        p.samples.back().seconds += seconds;
      else
        p.samples.push_back({frame_, seconds});
      return;
    }
  }
  phases_.push_back({phase, {{frame_, seconds}}});
}

PhaseStats SummarizePhase(const std::vector<FrameTime>& times, long warmup) {
  std::vector<double> steady, all;
  for (const FrameTime& t : times) {
    all.push_back(t.seconds);
    if (t.frame >= warmup) steady.push_back(t.seconds);
  }
  std::vector<double>& s = steady.empty() ? all : steady;
  PhaseStats stats;
  stats.frames = s.size();
  if (s.empty()) return stats;
  std::sort(s.begin(), s.end());
  const size_t n = s.size();
  stats.min = s[0];
  stats.median = s[n / 2];
  stats.worst1 = s[(99 * n + 99) / 100 - 1];
  stats.max = s[n - 1];
  return stats;
}

void Harness::End() {
  SetBenchSink(nullptr);
  if (trace_) std::fclose(trace_);
  trace_ = nullptr;
  if (!shot_.empty() && !WriteCapture(options_.screenshot, shot_, shotWidth_, shotHeight_))
    std::fprintf(stderr, "QuietHarbour: can't write %s\n", options_.screenshot.c_str());
  if (options_.bench) {
    // The first second or so loads textures and settles the characters.
    constexpr long kWarmup = 60;
    std::printf("%-24s %8s %10s %10s %10s %10s\n", "phase (ms)", "frames", "min", "median",
                "worst 1%", "max");
    for (const Phase& p : phases_) {
      const PhaseStats s = SummarizePhase(p.samples, kWarmup);
      std::printf("%-24s %8zu %10.3f %10.3f %10.3f %10.3f\n", p.name.c_str(), s.frames, s.min * 1e3,
                  s.median * 1e3, s.worst1 * 1e3, s.max * 1e3);
    }
    std::fflush(stdout);
  }
}
