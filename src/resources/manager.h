// The registry of loaded resources: meshes, textures, clips, and the models
// that use them. Each file is loaded once; slot 0 of each table is a built-in
// fallback (the "ERROR" cube, the checkerboard, an empty clip) handed out
// whenever a load fails. Everything is released in one sweep at shutdown.
//
// The mesh and clip tables move when they grow, so models keep slot numbers
// and every growth re-points the registered models.
#pragma once
#include <cstdint>

#include "core/cstring.h"
#include "geometry/anim.h"
#include "geometry/mesh.h"
#include "geometry/model.h"
#include "image/texture.h"

class Manager {
 public:
  uint16_t modelCount = 0;
  Model** models = nullptr;  // not owned
  uint16_t meshCount = 0;
  Mesh* meshes = nullptr;
  uint8_t* meshFree = nullptr;
  cstring* meshName = nullptr;
  uint16_t texCount = 0;
  Texture* textures = nullptr;
  uint32_t boundTex = 0;  // GL name last bound by model drawing; 999 between frames
  uint16_t animCount = 0;
  CAnim* anims = nullptr;
  uint8_t* animFree = nullptr;
  cstring* animName = nullptr;

  // Builds the three fallback slots; needs a current GL context.
  void init();

  // Adds a model (its `slot` becomes its index); a model already registered
  // is logged and left.
  void RegisterModel(Model* model);

  uint16_t FindMesh(const char* name) const;  // 0 when not loaded
  uint16_t CreateMesh();                      // a fresh, initialised slot
  uint16_t LoadMesh(const char* name);        // 0 (the cube) when it can't load

  // Registers the model and binds it to the named EM7 mesh (loaded once), or
  // to the cube when it can't load. Returns the mesh slot.
  uint16_t LoadModel(const char* name, Model* model);

  // Registers the model and binds it to a new 100-unit cube under `name`.
  uint16_t GenerateModel(const char* name, Model* model);

  // GL name of the texture made from `name`, or the checkerboard's.
  uint32_t FindTex(const char* name) const;

  // GL name of the texture for `file` (".jpg" or ".tga"), loading it once;
  // the checkerboard's when it can't be loaded.
  uint32_t LoadTex(const char* file, uint32_t wrap, uint32_t filter, uint32_t flag);

  // Loads every texture the model's mesh names into its texId.
  void LoadModelTex(const char* prefix, uint16_t modelSlot);

  // Records a texture made elsewhere (the font).
  void RegisterTex(const char* name, uint32_t glId);

  uint16_t CreateAnim();  // a fresh clip slot with playback defaults

  // Loads a clip for the model and attaches it; 0 when the model has no
  // bones or the clip can't be loaded.
  uint16_t SetAnim(const char* file, Model* model);

  // Releases every mesh, texture, model array and clip.
  void Unload();

  // Draws one model with client arrays: culling by its bounding sphere
  // against the frame's frustum when `cull`, skinning when it has clips,
  // its world matrix, one draw per texture group with binds filtered
  // through `boundTex`. False when nothing was drawn.
  bool DrawModel(Model* model, bool cull, bool bindTextures);

  // Binds a GL texture name unless `boundTex` says it is bound already; 0
  // (not loaded) or a name beyond the registered textures binds slot 0's.
  // Needs init and a GL context.
  void BindTexture(uint32_t glName);

 private:
  bool Registered(const Model* model) const;
  void RepointMeshes();
  void RepointAnims();
  uint16_t LoadIntoNewSlot(const char* name, const char* kind);
  uint32_t AppendTexture(const char* file, uint32_t wrap, uint32_t filter, uint32_t flag);
  void InitAnim(uint16_t s);
};

extern Manager g_manager;
