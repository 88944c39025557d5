// GL entry points fetched by name at run time, in two layers:
//  - the extension loader: a fixed table of known extension names; for each
//    advertised one it fetches that extension's entry points into the
//    `glext::` pointers;
//  - the GLSL set-up: checks the two GLSL extensions, fetches the 20
//    shader-object entry points into the `glsl::` pointers and sets
//    g_hasGLSL.
// Both run once, right after the context is current.
#pragma once
#include <GL/gl.h>
#include <GL/glext.h>

extern bool g_hasGLSL;
extern char* g_extSupported;    // GL string, " ", window-system string, " "
extern char* g_extUnsupported;  // names of the last list that failed, space-terminated

namespace glext {
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
extern PFNGLUNIFORM1FARBPROC glUniform1fARB;
extern PFNGLUNIFORM4FARBPROC glUniform4fARB;
extern PFNGLUNIFORMMATRIX4FVARBPROC glUniformMatrix4fvARB;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
}  // namespace glext

namespace glsl {
extern PFNGLCREATEPROGRAMOBJECTARBPROC glCreateProgramObjectARB;
extern PFNGLCREATESHADEROBJECTARBPROC glCreateShaderObjectARB;
extern PFNGLCOMPILESHADERARBPROC glCompileShaderARB;
extern PFNGLLINKPROGRAMARBPROC glLinkProgramARB;
extern PFNGLGETINFOLOGARBPROC glGetInfoLogARB;
extern PFNGLDELETEOBJECTARBPROC glDeleteObjectARB;
extern PFNGLUSEPROGRAMOBJECTARBPROC glUseProgramObjectARB;
extern PFNGLBINDATTRIBLOCATIONARBPROC glBindAttribLocationARB;
extern PFNGLSHADERSOURCEARBPROC glShaderSourceARB;
extern PFNGLATTACHOBJECTARBPROC glAttachObjectARB;
extern PFNGLGETOBJECTPARAMETERIVARBPROC glGetObjectParameterivARB;
extern PFNGLGETUNIFORMLOCATIONARBPROC glGetUniformLocationARB;
extern PFNGLUNIFORM4FARBPROC glUniform4fARB;
extern PFNGLUNIFORM3FARBPROC glUniform3fARB;
extern PFNGLUNIFORM2FARBPROC glUniform2fARB;
extern PFNGLUNIFORM1FARBPROC glUniform1fARB;
extern PFNGLUNIFORM1IARBPROC glUniform1iARB;
}  // namespace glsl

// Builds g_extSupported once (from the current context), then loads every
// name of `list` (space, tab or newline separated) that is supported.
// Returns true when every listed name was supported and loaded; a null list
// only builds the string.
bool InitExtensions(const char* list);

// The version names follow the GL version string ("GL_VERSION_1_3" unless it
// begins with 1.0, 1.1 or 1.2); any other name is supported when "name "
// occurs anywhere in `extensions` (so a name that is the tail of a longer one
// matches too).
bool ExtensionSupported(const char* name, const char* extensions);

// Fetches the entry points of a known extension; false for unknown or null
// names and at the first entry point that can't be fetched.
bool LoadExtension(const char* name);

// Logs "GLSL:<version>"; false when GL_ARB_shading_language_100 and
// GL_ARB_shader_objects aren't both advertised. Otherwise fetches the 20
// entry points, logging "GLSL::no <name>" for each missing one (which clears
// g_hasGLSL), and returns true. g_hasGLSL also needs the `glext::` drawing
// pointers, so InitExtensions must have run first; each one missing is
// logged as "GLSL::loader has no <name>".
bool InitGLSL();

// Where entry points come from: the platform's get-proc-address unless a
// test replaces it (null restores it).
using ProcLoader = void* (*)(const char* name);
void SetProcLoader(ProcLoader loader);

// The strings InitExtensions and InitGLSL read; by default the current
// context's. Tests replace them (null restores the context's).
void SetGlStringsForTesting(const char* extensions, const char* version);
