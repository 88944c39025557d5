// The kernels behind SkinningJob::Run, each over every vertex of a job that
// passed Validate. Run picks the widest one the CPU has; tests hold each to
// the same arithmetic.
#pragma once
#include "geometry/pose.h"

// Four vertices at a time (SSE on x86, plain vector code elsewhere).
void SkinFourLanes(const SkinningJob& job);

#if defined(QH_SKIN_AVX2)
// Eight vertices at a time with AVX2; only where SkinEightLanesSupported().
void SkinEightLanes(const SkinningJob& job);
bool SkinEightLanesSupported();
#endif
