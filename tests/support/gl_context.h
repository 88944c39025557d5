// A GL context for tests that draw or upload: one hidden-size window per
// test process, created on first use (the tests run under Xvfb).
#pragma once

// True when a current GL context exists (created now or before).
bool EnsureGlContext();
// EnsureGlContext, then the extension and GLSL entry points; true with GLSL.
bool EnsureGlslContext();
