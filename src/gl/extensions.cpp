#include "gl/extensions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/log.h"
#include "platform/window.h"

bool g_hasGLSL = false;
char* g_extSupported = nullptr;
char* g_extUnsupported = nullptr;

namespace glext {
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
PFNGLUNIFORM1FARBPROC glUniform1fARB;
PFNGLUNIFORM4FARBPROC glUniform4fARB;
PFNGLUNIFORMMATRIX4FVARBPROC glUniformMatrix4fvARB;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
}  // namespace glext

namespace glsl {
PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
PFNGLBINDATTRIBLOCATIONARBPROC glBindAttribLocationARB;
PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
PFNGLUNIFORM4FARBPROC glUniform4fARB;
PFNGLUNIFORM3FARBPROC glUniform3fARB;
PFNGLUNIFORM2FARBPROC glUniform2fARB;
PFNGLUNIFORM1FARBPROC glUniform1fARB;
PFNGLUNIFORM1IARBPROC glUniform1iARB;
}  // namespace glsl

namespace {
ProcLoader g_loader = nullptr;
const char* g_testExtensions = nullptr;
const char* g_testVersion = nullptr;

// Entry points fetched only so that their absence is noticed.
void* g_getUniformBufferSize;
void* g_drawElementsInstanced;
void* g_uniformBuffer;

void* Fetch(const char* name) {
  return g_loader ? g_loader(name) : PlatformGetProcAddress(name);
}

const char* GlText(GLenum name, const char* testValue) {
  if (testValue) return testValue;
  const GLubyte* s = glGetString(name);
  return s ? reinterpret_cast<const char*>(s) : "";
}

// One pointer slot of the loader; the template keeps the pointer's type.
struct EntryPoint {
  const char* name;
  void** slot;
};

template <class T>
EntryPoint Entry(const char* name, T& pointer) {
  return {name, reinterpret_cast<void**>(&pointer)};
}

// The loader's own pointers for the shader objects: all 39 functions of
// GL_ARB_shader_objects are fetched, five of them are kept for the program.
void* g_unusedShaderObjects[34];
void* g_vertexShader[3];

struct KnownExtension {
  const char* name;
  const EntryPoint* entries;
  int count;
};

const EntryPoint kShaderObjects[] = {
    {"glDeleteObjectARB", &g_unusedShaderObjects[0]},
    {"glGetHandleARB", &g_unusedShaderObjects[1]},
    {"glDetachObjectARB", &g_unusedShaderObjects[2]},
    {"glCreateShaderObjectARB", &g_unusedShaderObjects[3]},
    {"glShaderSourceARB", &g_unusedShaderObjects[4]},
    {"glCompileShaderARB", &g_unusedShaderObjects[5]},
    {"glCreateProgramObjectARB", &g_unusedShaderObjects[6]},
    {"glAttachObjectARB", &g_unusedShaderObjects[7]},
    {"glLinkProgramARB", &g_unusedShaderObjects[8]},
    Entry("glUseProgramObjectARB", glext::glUseProgramObjectARB),
    {"glValidateProgramARB", &g_unusedShaderObjects[9]},
    Entry("glUniform1fARB", glext::glUniform1fARB),
    {"glUniform2fARB", &g_unusedShaderObjects[10]},
    {"glUniform3fARB", &g_unusedShaderObjects[11]},
    Entry("glUniform4fARB", glext::glUniform4fARB),
    {"glUniform1iARB", &g_unusedShaderObjects[12]},
    {"glUniform2iARB", &g_unusedShaderObjects[13]},
    {"glUniform3iARB", &g_unusedShaderObjects[14]},
    {"glUniform4iARB", &g_unusedShaderObjects[15]},
    {"glUniform1fvARB", &g_unusedShaderObjects[16]},
    {"glUniform2fvARB", &g_unusedShaderObjects[17]},
    {"glUniform3fvARB", &g_unusedShaderObjects[18]},
    {"glUniform4fvARB", &g_unusedShaderObjects[19]},
    {"glUniform1ivARB", &g_unusedShaderObjects[20]},
    {"glUniform2ivARB", &g_unusedShaderObjects[21]},
    {"glUniform3ivARB", &g_unusedShaderObjects[22]},
    {"glUniform4ivARB", &g_unusedShaderObjects[23]},
    {"glUniformMatrix2fvARB", &g_unusedShaderObjects[24]},
    {"glUniformMatrix3fvARB", &g_unusedShaderObjects[25]},
    Entry("glUniformMatrix4fvARB", glext::glUniformMatrix4fvARB),
    {"glGetObjectParameterfvARB", &g_unusedShaderObjects[26]},
    Entry("glGetObjectParameterivARB", glext::glGetObjectParameterivARB),
    {"glGetInfoLogARB", &g_unusedShaderObjects[27]},
    {"glGetAttachedObjectsARB", &g_unusedShaderObjects[28]},
    {"glGetUniformLocationARB", &g_unusedShaderObjects[29]},
    {"glGetActiveUniformARB", &g_unusedShaderObjects[30]},
    {"glGetUniformfvARB", &g_unusedShaderObjects[31]},
    {"glGetUniformivARB", &g_unusedShaderObjects[32]},
    {"glGetShaderSourceARB", &g_unusedShaderObjects[33]},
};

const EntryPoint kVertexShader[] = {
    {"glBindAttribLocationARB", &g_vertexShader[0]},
    {"glGetActiveAttribARB", &g_vertexShader[1]},
    {"glGetAttribLocationARB", &g_vertexShader[2]},
};

// The known names. The program calls entry points of the two shader
// extensions only; the other names are accepted without fetching, as the
// names without entry points are (the window-system swap interval comes
// from the platform layer).
const KnownExtension kKnown[] = {
    {"GL_VERSION_1_2", nullptr, 0},
    {"GL_VERSION_1_3", nullptr, 0},
    {"GL_VERSION_1_4", nullptr, 0},
    {"GL_VERSION_1_5", nullptr, 0},
    {"GL_ARB_depth_texture", nullptr, 0},
    {"GL_ARB_fragment_program", nullptr, 0},
    {"GL_ARB_fragment_program_shadow", nullptr, 0},
    {"GL_ARB_fragment_shader", nullptr, 0},
    {"GL_ARB_matrix_palette", nullptr, 0},
    {"GL_ARB_multisample", nullptr, 0},
    {"GL_ARB_multitexture", nullptr, 0},
    {"GL_ARB_occlusion_query", nullptr, 0},
    {"GL_ARB_point_parameters", nullptr, 0},
    {"GL_ARB_point_sprite", nullptr, 0},
    {"GL_ARB_shader_objects", kShaderObjects, 39},
    {"GL_ARB_shadow", nullptr, 0},
    {"GL_ARB_shadow_ambient", nullptr, 0},
    {"GL_ARB_texture_border_clamp", nullptr, 0},
    {"GL_ARB_texture_compression", nullptr, 0},
    {"GL_ARB_texture_cube_map", nullptr, 0},
    {"GL_ARB_texture_env_add", nullptr, 0},
    {"GL_ARB_texture_env_combine", nullptr, 0},
    {"GL_ARB_texture_env_dot3", nullptr, 0},
    {"GL_ARB_texture_mirrored_repeat", nullptr, 0},
    {"GL_ARB_texture_non_power_of_two", nullptr, 0},
    {"GL_ARB_texture_rectangle", nullptr, 0},
    {"GL_ARB_transpose_matrix", nullptr, 0},
    {"GL_ARB_vertex_buffer_object", nullptr, 0},
    {"GL_ARB_vertex_program", nullptr, 0},
    {"GL_ARB_vertex_shader", kVertexShader, 3},
    {"GL_ARB_window_pos", nullptr, 0},
    {"GL_ATI_draw_buffers", nullptr, 0},
    {"GL_ATI_texture_float", nullptr, 0},
    {"GL_EXT_abgr", nullptr, 0},
    {"GL_EXT_bgra", nullptr, 0},
    {"GL_EXT_blend_color", nullptr, 0},
    {"GL_EXT_blend_equation_separate", nullptr, 0},
    {"GL_EXT_blend_func_separate", nullptr, 0},
    {"GL_EXT_blend_minmax", nullptr, 0},
    {"GL_EXT_blend_subtract", nullptr, 0},
    {"GL_EXT_compiled_vertex_array", nullptr, 0},
    {"GL_EXT_depth_bounds_test", nullptr, 0},
    {"GL_EXT_draw_range_elements", nullptr, 0},
    {"GL_EXT_fog_coord", nullptr, 0},
    {"GL_EXT_framebuffer_object", nullptr, 0},
    {"GL_EXT_multi_draw_arrays", nullptr, 0},
    {"GL_EXT_packed_pixels", nullptr, 0},
    {"GL_EXT_paletted_texture", nullptr, 0},
    {"GL_EXT_pixel_buffer_object", nullptr, 0},
    {"GL_EXT_point_parameters", nullptr, 0},
    {"GL_EXT_rescale_normal", nullptr, 0},
    {"GL_EXT_secondary_color", nullptr, 0},
    {"GL_EXT_separate_specular_color", nullptr, 0},
    {"GL_EXT_shadow_funcs", nullptr, 0},
    {"GL_EXT_shared_texture_palette", nullptr, 0},
    {"GL_EXT_stencil_two_side", nullptr, 0},
    {"GL_EXT_stencil_wrap", nullptr, 0},
    {"GL_EXT_texture_env_add", nullptr, 0},
    {"GL_EXT_texture_env_combine", nullptr, 0},
    {"GL_EXT_texture_env_dot3", nullptr, 0},
    {"GL_EXT_texture_filter_anisotropic", nullptr, 0},
    {"GL_EXT_texture_lod_bias", nullptr, 0},
    {"GL_EXT_texture_object", nullptr, 0},
    {"GL_EXT_texture3D", nullptr, 0},
    {"GL_EXT_vertex_array", nullptr, 0},
    {"GL_EXT_vertex_weighting", nullptr, 0},
    {"GL_HP_occlusion_test", nullptr, 0},
    {"GL_NV_blend_square", nullptr, 0},
    {"GL_NV_copy_depth_to_color", nullptr, 0},
    {"GL_NV_depth_clamp", nullptr, 0},
    {"GL_NV_fence", nullptr, 0},
    {"GL_NV_float_buffer", nullptr, 0},
    {"GL_NV_fog_distance", nullptr, 0},
    {"GL_NV_fragment_program", nullptr, 0},
    {"GL_NV_fragment_program2", nullptr, 0},
    {"GL_NV_half_float", nullptr, 0},
    {"GL_NV_light_max_exponent", nullptr, 0},
    {"GL_NV_multisample_filter_hint", nullptr, 0},
    {"GL_NV_occlusion_query", nullptr, 0},
    {"GL_NV_packed_depth_stencil", nullptr, 0},
    {"GL_NV_pixel_data_range", nullptr, 0},
    {"GL_NV_point_sprite", nullptr, 0},
    {"GL_NV_primitive_restart", nullptr, 0},
    {"GL_NV_register_combiners", nullptr, 0},
    {"GL_NV_register_combiners2", nullptr, 0},
    {"GL_NV_texgen_reflection", nullptr, 0},
    {"GL_NV_texture_compression_vtc", nullptr, 0},
    {"GL_NV_texture_env_combine4", nullptr, 0},
    {"GL_NV_texture_expand_normal", nullptr, 0},
    {"GL_NV_texture_rectangle", nullptr, 0},
    {"GL_NV_texture_shader", nullptr, 0},
    {"GL_NV_texture_shader2", nullptr, 0},
    {"GL_NV_texture_shader3", nullptr, 0},
    {"GL_NV_vertex_array_range", nullptr, 0},
    {"GL_NV_vertex_array_range2", nullptr, 0},
    {"GL_NV_vertex_program", nullptr, 0},
    {"GL_NV_vertex_program1_1", nullptr, 0},
    {"GL_NV_vertex_program2", nullptr, 0},
    {"GL_NV_vertex_program2_option", nullptr, 0},
    {"GL_NV_vertex_program3", nullptr, 0},
    {"GL_SGIS_generate_mipmap", nullptr, 0},
    {"GL_SGIS_texture_lod", nullptr, 0},
    {"GL_SGIX_depth_texture", nullptr, 0},
    {"GL_SGIX_shadow", nullptr, 0},
    {"WGL_ARB_buffer_region", nullptr, 0},
    {"WGL_ARB_extensions_string", nullptr, 0},
    {"WGL_ARB_pbuffer", nullptr, 0},
    {"WGL_ARB_pixel_format", nullptr, 0},
    {"WGL_ARB_render_texture", nullptr, 0},
    {"WGL_ATI_pixel_format_float", nullptr, 0},
    {"WGL_EXT_extensions_string", nullptr, 0},
    {"WGL_EXT_swap_control", nullptr, 0},
    {"WGL_NV_float_buffer", nullptr, 0},
};

bool BeginsWith(const char* text, const char* prefix) {
  return std::strstr(text, prefix) == text;
}

[[noreturn]] void OutOfMemory(int line) {
  std::printf("Error allocating memory in file %s, line %d\n", "inc\\GL/glh_extensions", line);
  std::exit(-1);
}
}  // namespace

bool ExtensionSupported(const char* name, const char* extensions) {
  if (!name || !*name) return false;
  const char* version = GlText(GL_VERSION, g_testVersion);
  static const char* const kOlder[] = {"1.0", "1.1", "1.2", "1.3", "1.4"};
  static const char* const kVersions[] = {"GL_VERSION_1_2", "GL_VERSION_1_3", "GL_VERSION_1_4",
                                          "GL_VERSION_1_5"};
  for (int v = 0; v < 4; ++v) {
    if (std::strcmp(name, kVersions[v]) != 0) continue;
    for (int i = 0; i <= v + 1; ++i)
      if (BeginsWith(version, kOlder[i])) return false;
    return true;
  }
  if (!extensions) return false;
  const std::string needle = std::string(name) + " ";
  return std::strstr(extensions, needle.c_str()) != nullptr;
}

bool LoadExtension(const char* name) {
  if (!name || !*name) return false;
  for (const KnownExtension& known : kKnown) {
    if (std::strcmp(known.name, name) != 0) continue;
    for (int i = 0; i < known.count; ++i) {
      void* p = Fetch(known.entries[i].name);
      if (!p) return false;
      *known.entries[i].slot = p;
    }
    return true;
  }
  return false;
}

bool InitExtensions(const char* list) {
  if (!g_extSupported) {
    const char* gl = GlText(GL_EXTENSIONS, g_testExtensions);
    const char* windowSystem = "";  // no window-system extension string is exposed here
    const size_t size = std::strlen(gl) + std::strlen(windowSystem) + 3;
    g_extSupported = static_cast<char*>(std::malloc(size));
    if (!g_extSupported) OutOfMemory(173);
    std::snprintf(g_extSupported, size, "%s %s ", gl, windowSystem);
  }
  if (!list) return true;

  const size_t need = std::strlen(list) + 2;
  g_extUnsupported = static_cast<char*>(std::realloc(g_extUnsupported, need));
  if (!g_extUnsupported) OutOfMemory(191);
  g_extUnsupported[0] = '\0';

  std::string copy = list;
  bool allLoaded = true;
  for (char* token = std::strtok(&copy[0], " \t\n"); token; token = std::strtok(nullptr, " \t\n")) {
    if (ExtensionSupported(token, g_extSupported) && LoadExtension(token)) continue;
    std::strcat(g_extUnsupported, token);
    std::strcat(g_extUnsupported, " ");
    allLoaded = false;
  }
  return allLoaded;
}

bool InitGLSL() {
  Log(LOG_INFO, "GLSL:%s", GlText(GL_SHADING_LANGUAGE_VERSION, g_testVersion));
  const char* extensions = GlText(GL_EXTENSIONS, g_testExtensions);
  if (!std::strstr(extensions, "GL_ARB_shading_language_100") ||
      !std::strstr(extensions, "GL_ARB_shader_objects"))
    return false;
  g_hasGLSL = true;
  const EntryPoint points[] = {
      Entry("glCreateProgramObjectARB", glsl::glCreateProgramObjectARB),
      Entry("glCreateShaderObjectARB", glsl::glCreateShaderObjectARB),
      Entry("glCompileShaderARB", glsl::glCompileShaderARB),
      Entry("glLinkProgramARB", glsl::glLinkProgramARB),
      Entry("glGetInfoLogARB", glsl::glGetInfoLogARB),
      Entry("glDeleteObjectARB", glsl::glDeleteObjectARB),
      Entry("glUseProgramObjectARB", glsl::glUseProgramObjectARB),
      Entry("glBindAttribLocationARB", glsl::glBindAttribLocationARB),
      Entry("glShaderSourceARB", glsl::glShaderSourceARB),
      Entry("glAttachObjectARB", glsl::glAttachObjectARB),
      Entry("glGetObjectParameterivARB", glsl::glGetObjectParameterivARB),
      Entry("glGetUniformLocationARB", glsl::glGetUniformLocationARB),
      {"glGetUniformBufferSizeEXT", &g_getUniformBufferSize},
      {"glDrawElementsInstancedEXT", &g_drawElementsInstanced},
      Entry("glUniform4fARB", glsl::glUniform4fARB),
      Entry("glUniform3fARB", glsl::glUniform3fARB),
      Entry("glUniform2fARB", glsl::glUniform2fARB),
      Entry("glUniform1fARB", glsl::glUniform1fARB),
      Entry("glUniform1iARB", glsl::glUniform1iARB),
      {"glUniformBufferEXT", &g_uniformBuffer},
  };
  for (const EntryPoint& e : points) {
    *e.slot = Fetch(e.name);
    if (!*e.slot) {
      Log(LOG_WARNING, "GLSL::no %s", e.name);
      g_hasGLSL = false;
    }
  }
  // Drawing with a program goes through the loader's pointers, which stay
  // unset when an earlier function of the shader-object table is missing,
  // even though the driver lists the extension.
  const EntryPoint drawing[] = {
      Entry("glUseProgramObjectARB", glext::glUseProgramObjectARB),
      Entry("glUniform1fARB", glext::glUniform1fARB),
      Entry("glUniform4fARB", glext::glUniform4fARB),
      Entry("glUniformMatrix4fvARB", glext::glUniformMatrix4fvARB),
  };
  for (const EntryPoint& e : drawing) {
    if (*e.slot) continue;
    Log(LOG_WARNING, "GLSL::loader has no %s", e.name);
    g_hasGLSL = false;
  }
  return true;
}

void SetProcLoader(ProcLoader loader) {
  g_loader = loader;
}

void SetGlStringsForTesting(const char* extensions, const char* version) {
  g_testExtensions = extensions;
  g_testVersion = version;
  std::free(g_extSupported);
  g_extSupported = nullptr;
}
