// Writes the library's own model file (the library itself only reads it): a model base laid
// out as the reader expects, its body packed by the LZ encoder. The demo data and the tests
// author their model files with it: read data built in code, converted by the library (started
// headless, so that textures load), then written.
//
// Options pick each packing the reader knows, so that fixtures reach every branch. A base that
// was read from a model file is written with the packing it was read with and the fields the
// format only carries, so that reading and writing again gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MV1BASE;
struct MODELLOADDATA;

struct MV1WRITEOPTIONS {
    bool quantisePositions = false;  // (minimum, scale) and a u16 a coordinate
    bool boneU16 = false;            // else u8 (u16 anyway past 254 references)
    bool weightU16 = false;          // else u8
    int normals = 3;                 // 0 none (the reader makes them), 1 s8, 2 s16, 3 f32
    int meshIndexBytes = 0;          // 0: none where a vertex names its own number, else the smallest
    int listVertexBytes = 0;         // 0: the smallest of 1, 2, 4
    int listIndexBytes = 0;          // 0: the smallest of 1, 2
    bool uvU16 = false;              // UVs within 0..1 as u16
    bool shareColours = false;       // one pair of colours when every vertex has the same
    bool packKeys = false;           // key counts, starts, steps, times and values packed
    int escape = -1;                 // the LZ block's escape byte, -1 the least frequent
};

// The image (magic included) the body of a model file unpacks to.
std::vector<uint8_t> BuildMV1Image(const MV1BASE *base, const MV1WRITEOPTIONS &options);
// The whole file: magic, then the image after the magic as one LZ block.
std::vector<uint8_t> PackMV1Image(const std::vector<uint8_t> &image, int escape = -1);
// Both steps for the base of a handle; empty for a bad handle.
std::vector<uint8_t> WriteMV1File(int baseHandle, const MV1WRITEOPTIONS &options);
// The read data converted (textures looked for against `folder`) and written; the base is
// released again. Empty when the conversion fails.
std::vector<uint8_t> WriteMV1FromReadData(MODELLOADDATA *data, const char *folder, const MV1WRITEOPTIONS &options);

// The library started for a tool: headless, in a window, its log in a temporary folder that
// EndToolLibrary removes. False when it does not start.
bool StartToolLibrary();
void EndToolLibrary();
