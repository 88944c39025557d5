// The program's icon for desktop menus: a round picture of the harbour at
// dusk with a fan of strands, painted here like every other piece of content.
#pragma once
#include <cstdint>
#include <vector>

// A size x size RGBA PNG, transparent outside the disc; empty on failure.
std::vector<uint8_t> BuildIconPng(int size);
