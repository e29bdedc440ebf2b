// Model files written from read data built in code, for the model file tests and the fuzz
// corpus. The library's model system must be started (textures load through the device).
#pragma once

#include "tools/mv1write/mv1_writer.h"

#include <cstdint>
#include <vector>

// One frame of a cube (f32 positions and normals unless the options say otherwise), one
// material with the texture "skin.png" (written into the current folder), one mesh with u8
// indices and one rigid list.
std::vector<uint8_t> MinimalMV1File(MV1WRITEOPTIONS options = {});
// Two bone frames under a root, the root's cube skinned over both (two weights a vertex, one
// bind matrix moved) in a four-bone list with its table; `animated` adds a shape of the cube's
// top and an animation set with a rotation, a translation and a shape-weight track.
std::vector<uint8_t> SkinnedMV1File(const MV1WRITEOPTIONS &options, bool animated = false);
