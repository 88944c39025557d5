#include "resources/manager.h"

#include <GL/gl.h>

#include <cstring>
#include <string>

#include "core/growth.h"
#include "core/log.h"
#include "core/notice.h"
#include "geometry/em7.h"

Manager g_manager;

namespace {
constexpr const char* kSource = "inc\\manager";

// A slot of a table whose records move when it grows: the first free slot
// from 1 upwards, or a new one at the end. *moved is set when the table's
// records moved (callers re-point what refers into it), which can happen
// even when a later array fails. A failed growth returns 0 and leaves the
// count and every record as they were. Slot 0 is never handed out, so an
// uninitialised table fails too.
template <class T>
uint16_t AcquireSlot(T*& table, uint8_t*& freeFlags, cstring*& names, uint16_t& count,
                     const char* method, int line, bool* moved) {
  if (!count || count == UINT16_MAX) return 0;
  for (uint16_t i = 1; i < count; ++i) {
    if (freeFlags[i]) {
      freeFlags[i] = 0;
      return i;
    }
  }
  const uint16_t n = count + 1;
  const T* before = table;
  const bool grown = GrowArrayKeeping(table, n, kSource, line, method) &&
                     GrowArrayKeeping(freeFlags, n, kSource, line, method) &&
                     GrowObjectsKeeping(names, count, n, kSource, line, method);
  *moved = table != before;
  if (!grown) return 0;
  const uint16_t s = count;
  count = n;
  freeFlags[s] = 0;
  return s;
}
}  // namespace

void Manager::init() {
  modelCount = meshCount = texCount = animCount = 0;
  boundTex = 0;

  if (ResizeObjects(textures, 0, 1, kSource, __LINE__, "Manager::init")) {
    texCount = 1;
    CreateCheckerBoard(textures[0], "CheckerBoard.gen");
  }

  if (ResizeArray(meshes, 1, kSource, __LINE__, "Manager::init") &&
      ResizeArray(meshFree, 1, kSource, __LINE__, "Manager::init") &&
      ResizeObjects(meshName, 0, 1, kSource, __LINE__, "Manager::init")) {
    meshCount = 1;
    Mesh& cube = meshes[0];
    cube.Init();
    cube.slot = 0;
    cube.GenBox(0, 0, 0);
    cube.Scale(10, 10, 10);
    cube.ReNormal();
    meshName[0].assign("ERROR");
    meshFree[0] = 0;
  }

  if (ResizeArray(anims, 1, kSource, __LINE__, "Manager::init") &&
      ResizeArray(animFree, 1, kSource, __LINE__, "Manager::init") &&
      ResizeObjects(animName, 0, 1, kSource, __LINE__, "Manager::init")) {
    animCount = 1;
    InitAnim(0);
    animFree[0] = 0;
  }
  Log(LOG_INFO, "MM::initialized");
}

void Manager::RegisterModel(Model* model) {
  const uint16_t slot = static_cast<uint16_t>(model->slot);  // unregistered: 0xFFFF
  if (slot < modelCount) {
    Log(LOG_INFO, "MM::model already registred [%i] mmd=%i", slot, modelCount);
    return;
  }
  // On failure the model stays unregistered and is not bound to a mesh: an
  // unregistered model would not follow the mesh table when it moves.
  if (!GrowArrayKeeping(models, modelCount + 1, kSource, __LINE__, "Manager::RegisterModel"))
    return;
  models[modelCount] = model;
  model->slot = static_cast<int16_t>(modelCount);
  ++modelCount;
  Log(LOG_INFO, "MM::model registred as [%i] mmd=%i", model->slot, modelCount - 1);
}

uint16_t Manager::FindMesh(const char* name) const {
  for (uint16_t i = 1; i < meshCount; ++i)
    if (std::strcmp(meshName[i].c_str(), name) == 0) return i;
  return 0;
}

void Manager::RepointMeshes() {
  for (uint16_t i = 0; i < modelCount; ++i)
    if (models[i]->mesh) models[i]->mesh = &meshes[models[i]->meshSlot];
}

bool Manager::Registered(const Model* model) const {
  const uint16_t slot = static_cast<uint16_t>(model->slot);
  return slot < modelCount && models[slot] == model;
}

uint16_t Manager::CreateMesh() {
  bool moved = false;
  const uint16_t s =
      AcquireSlot(meshes, meshFree, meshName, meshCount, "Manager::CreateMesh", __LINE__, &moved);
  if (moved) RepointMeshes();
  if (!s) return 0;
  meshes[s].Init();
  meshes[s].slot = s;
  return s;
}

// Creates a slot and loads the EM7 file into it: the slot, or 0 with the slot
// marked free again when the file can't be loaded.
uint16_t Manager::LoadIntoNewSlot(const char* name, const char* kind) {
  const uint16_t s = CreateMesh();
  if (!s) return 0;
  if (!LoadEM7(meshes[s], name)) {
    meshFree[s] = 1;
    PostNotice("model fell back to the ERROR cube: %s", name);
    return 0;
  }
  const Mesh& m = meshes[s];
  Log(LOG_INFO, "MM::loaded %s [%s] [m%i]::(v:%i f:%i b:%i t:%i)", kind, name, s,
      static_cast<int>(m.vertCount), static_cast<int>(m.triCount), m.boneCount, m.groupCount);
  meshName[s].assign(name);
  return s;
}

uint16_t Manager::LoadMesh(const char* name) {
  const uint16_t s = FindMesh(name);
  if (s) {
    Log(LOG_INFO, "MM::used mesh [%s] [m%i]", name, s);
    return s;
  }
  return LoadIntoNewSlot(name, "mesh");
}

uint16_t Manager::LoadModel(const char* name, Model* model) {
  RegisterModel(model);
  if (!Registered(model)) return 0;
  uint16_t s = FindMesh(name);
  if (s)
    Log(LOG_INFO, "MM::used model [%s] [m%i]", name, s);
  else
    s = LoadIntoNewSlot(name, "model");
  if (meshCount) model->Assign(&meshes[s]);
  return s;
}

uint16_t Manager::GenerateModel(const char* name, Model* model) {
  RegisterModel(model);
  if (!Registered(model)) return 0;
  const uint16_t s = CreateMesh();
  if (!s) {  // the fallback cube, untouched
    Log(LOG_ERROR, "MM::can't generate model [%s]", name);
    if (meshCount) model->Assign(&meshes[0]);
    return 0;
  }
  Mesh& m = meshes[s];
  m.GenBox(0, 0, 0);
  m.Centre();
  m.Scale(100, 100, 100);
  Log(LOG_INFO, "MM::Generated model [%s] [m%i]::(v:%i f:%i b:%i t:%i)", name, s,
      static_cast<int>(m.vertCount), static_cast<int>(m.triCount), m.boneCount, m.groupCount);
  meshName[s].assign(name);
  model->Assign(&m);
  return s;
}

uint32_t Manager::FindTex(const char* name) const {
  if (!texCount) return 0;
  for (uint16_t i = 1; i < texCount; ++i)
    if (std::strcmp(textures[i].texFile.c_str(), name) == 0) return textures[i].glId;
  return textures[0].glId;
}

uint32_t Manager::AppendTexture(const char* file, uint32_t wrap, uint32_t filter, uint32_t flag) {
  const uint32_t fallback = textures[0].glId;
  const bool jpeg = std::strstr(file, ".jpg") != nullptr;
  if (!jpeg && !std::strstr(file, ".tga")) {
    Log(LOG_ERROR, "MM::can't load [%s]", file);
    return fallback;
  }
  if (!GrowObjectsKeeping(textures, texCount, texCount + 1, kSource, __LINE__, "Manager::LoadTex"))
    return fallback;
  Texture& t = textures[texCount];
  const uint32_t id =
      jpeg ? CreateTexJPG(t, file, wrap, filter, flag) : CreateTexTGA(t, file, wrap, filter, flag);
  if (id == kTextureFailed || t.glId == kTextureFailed) {
    t = Texture();  // the record is dropped again
    return fallback;
  }
  ++texCount;
  Log(LOG_INFO, "MM::loaded texture [%s](%ix%i) [t%i(%i)]", file, t.width, t.height,
      static_cast<int>(t.glId), static_cast<int>(t.glId));
  return t.glId;
}

uint32_t Manager::LoadTex(const char* file, uint32_t wrap, uint32_t filter, uint32_t flag) {
  if (!texCount) return 0;
  const uint32_t id = FindTex(file);
  if (id != textures[0].glId) {
    Log(LOG_INFO, "MM::used texture [%s] [t%i]", file, static_cast<int>(id));
    return id;
  }
  return AppendTexture(file, wrap, filter, flag);
}

void Manager::LoadModelTex(const char* prefix, uint16_t modelSlot) {
  if (modelSlot >= modelCount) return;
  Model* model = models[modelSlot];
  if (!model->groupCount) return;
  for (uint16_t i = 0; i < model->groupCount; ++i) {
    const std::string name = std::string(prefix ? prefix : "") + model->texName[i].c_str();
    model->texId[i] = LoadTex(name.c_str(), GL_REPEAT, 10, 1);
  }
}

void Manager::RegisterTex(const char* name, uint32_t glId) {
  Log(LOG_INFO, "MM::register texture [%s] [t%i]", name, static_cast<int>(glId));
  if (!GrowObjectsKeeping(textures, texCount, texCount + 1, kSource, __LINE__,
                          "Manager::RegisterTex"))
    return;
  textures[texCount].glId = glId;
  textures[texCount].texFile.assign(name);
  ++texCount;
}

void Manager::InitAnim(uint16_t s) {
  anims[s] = CAnim();
  anims[s].slot = s;
}

void Manager::RepointAnims() {
  for (uint16_t i = 0; i < modelCount; ++i) {
    Model* m = models[i];
    for (uint16_t j = 0; j < m->animCount; ++j)
      if (m->anims[j]) m->anims[j] = &anims[m->animIds[j]];
  }
}

uint16_t Manager::CreateAnim() {
  Log(LOG_INFO, "CreateAnim");
  bool moved = false;
  const uint16_t s =
      AcquireSlot(anims, animFree, animName, animCount, "Manager::CreateAnim", __LINE__, &moved);
  if (moved) RepointAnims();
  if (!s) return 0;
  InitAnim(s);
  return s;
}

uint16_t Manager::SetAnim(const char* file, Model* model) {
  if (!model->mesh || !model->mesh->boneCount) return 0;
  const uint16_t s = CreateAnim();
  if (!s) return 0;
  if (!LoadClip(anims[s], file)) {
    animFree[s] = 1;
    return 0;
  }
  Log(LOG_INFO, "MM::loaded anim [%s] [a%i]::(f:%i b:%i)", file, s,
      static_cast<int>(anims[s].frames), anims[s].boneCount);
  animName[s].assign(file);
  const uint16_t n = model->animCount + 1;
  if (!GrowArrayKeeping(model->anims, n, kSource, __LINE__, "Manager::SetAnim") ||
      !GrowArrayKeeping(model->animIds, n, kSource, __LINE__, "Manager::SetAnim")) {
    anims[s].Clear();  // the model keeps the clips it had; the slot is free again
    animName[s].assign("");
    animFree[s] = 1;
    return 0;
  }
  model->animCount = n;
  model->animIds[n - 1] = s;
  for (uint16_t j = 0; j < n; ++j) model->anims[j] = &anims[model->animIds[j]];
  return s;
}

void Manager::Unload() {
  Log(LOG_INFO, "MM::Unload Begin()");
  for (uint16_t i = 0; i < meshCount; ++i) {
    if (meshFree[i]) continue;
    Log(LOG_INFO, "MM::Mesh%i:[%s]", i, meshName[i].c_str());
    meshes[i].Clear();
  }
  ResizeArray(meshes, 0, kSource, __LINE__, "Manager::Unload");
  ResizeArray(meshFree, 0, kSource, __LINE__, "Manager::Unload");
  ResizeObjects(meshName, meshCount, 0, kSource, __LINE__, "Manager::Unload");
  meshCount = 0;

  for (uint16_t i = 0; i < texCount; ++i) {
    Log(LOG_INFO, "MM::Tex%i:[%s]", i, textures[i].texFile.c_str());
    const GLuint id = textures[i].glId;
    glDeleteTextures(1, &id);
  }
  ResizeObjects(textures, texCount, 0, kSource, __LINE__, "Manager::Unload");
  texCount = 0;

  for (uint16_t i = 0; i < modelCount; ++i) {
    Log(LOG_INFO, "MM::Model%i", i);
    models[i]->Release();
  }
  ResizeArray(models, 0, kSource, __LINE__, "Manager::Unload");
  modelCount = 0;

  for (uint16_t i = 0; i < animCount; ++i) {
    Log(LOG_INFO, "MM::Anim%i:[%s]", i, animName[i].c_str());
    anims[i].Clear();
  }
  ResizeArray(anims, 0, kSource, __LINE__, "Manager::Unload");
  ResizeArray(animFree, 0, kSource, __LINE__, "Manager::Unload");
  ResizeObjects(animName, animCount, 0, kSource, __LINE__, "Manager::Unload");
  animCount = 0;
  Log(LOG_INFO, "MM::Unload End()");
}
