// The tree every marker plants (file units; the program scales it by 2):
// a flared trunk buried a little at its base, branches reaching up and out,
// and a crown of leafy clumps at their ends around a top clump.
#pragma once
#include "mesh_build.h"

MeshBuild BuildTree();
