// The strand editor of a character in free view: adding strands on the body
// with the mouse, picking, cutting, deleting, extending, combing, moving,
// painting, and the character's Line file.
#include "game/strand_editor.h"

#include <GL/gl.h>

#include <cmath>

#include "core/input_tables.h"
#include "core/notice.h"
#include "core/window_state.h"
#include "game/camera.h"
#include "game/player.h"
#include "game/strand_files.h"
#include "game/update.h"

namespace {
constexpr int kKeyDelete = 2;
constexpr int kKeyControl = 11;
constexpr int kMaxPoints = 65535;

// A point of the editor's overlay (no depth test, no texture).
void DrawPoint(const vec3& p, float size, const vec3& colour) {
  glPointSize(size);
  glColor3f(colour.x, colour.y, colour.z);
  glBegin(GL_POINTS);
  glVertex3f(p.x, p.y, p.z);
  glEnd();
}

// The picked or selected strand in white along its B-spline.
void DrawPickedStrand(const CSpline& set, int s) {
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_STRIP);
  for (int k = 0; k < set.pointCount[s]; ++k)
    for (float t = 0; t < 1.0f; t += 0.1f) {
      vec3 p;
      set.Evaluate(s, k, t, p, 1, false);
      glVertex3f(p.x, p.y, p.z);
    }
  glEnd();
}
}  // namespace

vec3 NearestOnRay(const MouseRay& ray, const vec3& p) {
  const float dd = dot(ray.dir, ray.dir);
  float t = dd > 0 ? dot(p - ray.origin, ray.dir) / dd : 0.0f;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return ray.origin + ray.dir * t;
}

bool StrandSelected(const CSpline& set, int s) {
  const int n = set.pointCount[s];
  return n > 0 && set.flags[s][n - 1] != 0;
}

void SetStrandSelected(CSpline& set, int s, bool selected) {
  const int n = set.pointCount[s];
  if (n > 0) set.flags[s][n - 1] = selected ? 1 : 0;
}

void ClearSelection(CSpline& set) {
  for (int s = 0; s < set.count; ++s)
    for (int k = 0; k < set.pointCount[s]; ++k) set.flags[s][k] = 0;
}

StrandPick PickStrand(CSpline& set, const MouseRay& ray) {
  int first = -1;
  for (int s = 0; s < set.count && first < 0; ++s)
    if (StrandSelected(set, s)) first = s;
  // A selected strand is searched alone, so its picked point is its own.
  StrandPick pick;
  float best = first >= 0 ? INFINITY : 999.0f;
  for (int s = first >= 0 ? first : 0; s < (first >= 0 ? first + 1 : set.count); ++s) {
    const mat4 m = set.BoneWorld(s);
    for (int k = 0; k < set.pointCount[s]; ++k) {
      const vec3 w = m.transformPoint(set.local[s][k]);
      const float d = length(NearestOnRay(ray, w) - w);
      if (d < best) {
        best = d;
        pick.strand = s;
        pick.point = k;
      }
    }
  }
  if (first >= 0) pick.strand = first;
  if (pick.strand >= 0) SetStrandSelected(set, pick.strand, true);
  return pick;
}

void CutStrand(CSpline& set, int s, int point) {
  if (point >= 0 && point + 1 < set.pointCount[s])
    set.pointCount[s] = static_cast<uint16_t>(point + 1);
}

bool ExtendStrand(CSpline& set, int s, const MouseRay& ray) {
  const int n = set.pointCount[s];
  if (n < 2) return false;
  const mat4 m = set.BoneWorld(s), toBone = m.inverseAffine();
  const vec3 end = m.transformPoint(set.local[s][n - 1]);
  const vec3 target = toBone.transformPoint(NearestOnRay(ray, end));
  const vec3 p = set.local[s][n - 2];
  const float d = length(target - p);
  const vec3 u = normalize(target - p);
  const float fraction = d - std::trunc(d);
  set.segLen[s][n - 2] = fraction;
  set.local[s][n - 1] = p + u * fraction;
  SetStrandSelected(set, s, true);
  if (!(d >= 0.2f && d <= 10.0f)) return false;
  // Each point sits where its segment says (a whole D leaves no fraction to
  // point along), so the constraint below keeps the direction u.
  for (float r = d; r > 1 && set.pointCount[s] < kMaxPoints;) {
    const int last = set.pointCount[s] - 1;
    set.segLen[s][last - 1] = 1;
    set.local[s][last] = set.local[s][last - 1] + u;
    SetStrandSelected(set, s, false);
    if (!set.Resize(s, last + 2)) return false;
    r -= 1;
    set.segLen[s][last] = r;
    set.local[s][last + 1] = set.local[s][last] + u * r;
    set.world[s][last + 1] = m.transformPoint(set.local[s][last + 1]);
    SetStrandSelected(set, s, true);
  }
  set.Constrain(s);
  return true;
}

void CombStrand(CSpline& set, int s, const MouseRay& ray, const vec3& drag) {
  const mat4 m = set.BoneWorld(s), toBone = m.inverseAffine();
  for (int k = 1; k < set.pointCount[s]; ++k) {
    vec3 w = m.transformPoint(set.local[s][k]);
    const vec3 q = NearestOnRay(ray, w);
    const float r = length(q - w);
    if (!(r < 3)) continue;  // also skips a distance that isn't a number
    w += drag * ((1 - r * 0.33333334f) * length(q - ray.origin));
    set.local[s][k] = toBone.transformPoint(w);
  }
}

void MoveStrand(CSpline& set, int s, const vec3& to) {
  if (set.pointCount[s] == 0) return;
  const vec3 offset = set.BoneWorld(s).inverseAffine().transformPoint(to) - set.local[s][0];
  for (int k = 0; k < set.pointCount[s]; ++k) set.local[s][k] += offset;
  set.Constrain(s);
}

bool PaintPreset(int key, vec3* colour) {
  static const uint8_t kPresets[7][3] = {{32, 152, 212}, {252, 245, 173}, {242, 112, 50},
                                         {238, 65, 67},  {94, 188, 74},   {102, 48, 136},
                                         {242, 182, 208}};
  if (key < '1' || key > '7') return false;
  const uint8_t* c = kPresets[key - '1'];
  *colour = vec3(c[0], c[1], c[2]) * 0.003921569f;
  return true;
}

void SPlayer::EditStrands() {
  if (mode != kModeFreeView) return;
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  body.UpdateMatrix();
  g_camera.Update();
  const float reach = 5 * body.radius;
  const MouseRay ray{
      g_camera.position,
      g_camera.ScreenRay(g_mouseDX, static_cast<float>(g_height) - g_mouseDY) * reach};
  vec3& paint = colors[1];  // the presets below repaint it
  const bool held = g_mouseLeft, heldBefore = g_mouseLeftPrev, clicked = held && !heldBefore;
  const bool space = g_keys[' '] != 0;
  const bool control = g_keys[kKeyControl] != 0;

  // Undo and redo act between changes; everything after is bracketed as one
  // change, which a held button keeps open until its release.
  if (control && KeyPressed('z')) history.Undo(line);
  if (control && KeyPressed('y')) history.Redo(line);
  history.Begin(line);

  if (KeyPressed('a')) {
    line.style = !line.style;
    line.Constrain(-1);
  }
  const bool busy = g_keys['s'] || g_keys['m'] || g_keys['f'] || g_keys['o'];
  if (!held && !heldBefore && !busy && !space) ClearSelection(line);

  // Adding: the body point under the cursor.
  vec3 hit, normal;
  bool onBody = false;
  if (body.mesh && (g_keys['d'] || g_keys['m'] || g_keys['f'])) {
    float t = 1;
    onBody = body.RayCast(ray.origin, ray.dir, hit, normal, t);
  }
  if (onBody && (g_keys['d'] || g_keys['m'])) {
    DrawPoint(hit, 8, paint);
    const int before = line.count;
    if (clicked && !busy) line.AddStrand(hit, normal, 2);
    if (line.count > before) {
      line.color[before] = paint;
      ClearSelection(line);
      SetStrandSelected(line, before, true);
    }
  }
  // A click meant to add that can't reach the body: the ray is 5 body radii
  // long, shorter than the camera's distance until the wheel brings it in.
  if (clicked && !onBody && (g_keys['d'] || g_keys['f']) &&
      length(body.worldCenter - ray.origin) - body.radius > reach)
    PostNotice("zoom in to edit (wheel)");
  if (onBody && g_keys['f']) {
    DrawPoint(hit, 8, paint);
    const vec3 tip = hit + normal * 2;
    glLineWidth(2);
    glColor3f(0, 0, 1);
    glBegin(GL_LINES);
    glVertex3f(hit.x, hit.y, hit.z);
    glVertex3f(tip.x, tip.y, tip.z);
    glEnd();
    glLineWidth(1);
    const int before = line.count;
    if (clicked && !g_keys['s'] && !g_keys['m']) line.AddStrand(hit, normal, 6);
    if (line.count > before) line.color[before] = paint;
  }

  StrandPick pick;
  if (!space) pick = PickStrand(line, ray);
  if (pick.strand >= 0 && KeyPressed('q')) CutStrand(line, pick.strand, pick.point);
  if (pick.strand >= 0 && KeyPressed(kKeyDelete)) {
    line.Remove(pick.strand);
    pick = StrandPick();
  }

  // Drawing the picked and selected strands, and extending with Space. A
  // strand dragged out of range only skips its own growth.
  const bool extending = held && heldBefore && space;
  for (int s = 0; s < line.count; ++s) {
    const bool selected = StrandSelected(line, s);
    if (s == pick.strand || selected) DrawPickedStrand(line, s);
    if (selected && extending) ExtendStrand(line, s, ray);
  }

  if (held && !space && !g_keys['q'] && !g_keys['m'] && !g_keys['f'] && !g_keys['o']) {
    const float h = static_cast<float>(g_height);
    const vec3 drag = g_camera.ScreenRay(g_mouseDX, h - g_mouseDY) -
                      g_camera.ScreenRay(g_mouseDXPrev, h - g_mouseDYPrev);
    for (int s = 0; s < line.count; ++s)
      if (!g_keys['s'] || s == pick.strand) CombStrand(line, s, ray, drag);
    line.Constrain(-1);
  }

  // Moving needs a body point: a cursor off the body moves nothing.
  if (held && g_keys['m'] && pick.strand >= 0 && onBody) MoveStrand(line, pick.strand, hit);

  if (g_keys['o']) {
    for (int key = '1'; key <= '7'; ++key)
      if (g_keys[key]) PaintPreset(key, &paint);
    for (int s = 0; s < line.count; ++s) {
      const int n = line.pointCount[s];
      if (n == 0) continue;
      const vec3& end = line.world[s][n - 1];
      const bool near = length(NearestOnRay(ray, end) - end) < 1;
      if (near && held) line.color[s] = paint;
      DrawPoint(end, 10, near ? paint : line.color[s]);
    }
  }

  // The file commands are steps of their own, even in the middle of a drag.
  if (control && (KeyPressed('s') || KeyPressed('l') || KeyPressed('n'))) {
    const char* file = CharacterLineFile(index);
    history.Commit(line);
    if (KeyPressed('s') && SaveStrandFile(line, file)) history.MarkSaved();
    if (KeyPressed('l') || KeyPressed('n')) {
      history.Begin(line);
      line.Clear();
      line.style = false;
      line.owner = &body;
      const bool loaded = KeyPressed('l') && line.Load(LineReadPath(file).c_str());
      history.Commit(line);
      if (loaded) history.MarkSaved();
      if (loaded)
        PostNotice("Loaded %s", file);
      else if (KeyPressed('l'))
        PostNotice("can't load %s: strand set empty", file);
      else
        PostNotice("strand set empty");
    }
  }
  if (!held) history.Commit(line);
  glEnable(GL_DEPTH_TEST);
}
