// Writes synthetic shader packs in the layout the library's loader reads: the pack entry (size
// tables, then the code of every present shader), compressed, as the one entry of a memory
// archive, itself compressed. The code is placeholder byte code the stand-in device accepts.
#pragma once

#include <cstdint>
#include <vector>

struct PackShader {
    int number;
    std::vector<uint32_t> code;
};

// Version token (2.0), a one-token comment holding the number, the end token.
std::vector<uint32_t> SyntheticShaderCode(bool pixel, int number);
// The decoded pack entry. Sizes are taken from the code; a shader listed with empty code gets
// size 0. `sizeOverride` >= 0 replaces the size of the first vertex shader (for broken packs).
std::vector<uint8_t> BuildShaderPackEntry(const std::vector<PackShader> &vertex, const std::vector<PackShader> &pixel,
                                          int sizeOverride = -1);
// The compressed block the program carries, holding `entry` under the given entry name.
std::vector<uint8_t> BuildEmbeddedShaderPack(const std::vector<uint8_t> &entry,
                                             const char *entryName = "KelmorShaderPack.bin");
