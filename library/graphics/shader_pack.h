// The shader pack of the model renderer's programmable path: precompiled vertex and pixel shader
// code by number, carried as a compressed block holding a memory archive whose one entry is the
// compressed pack. Unpacked on first use; shader objects are created one by one when selected.
#pragma once

#include "library/base/archive.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>

constexpr int SHADERPACK_VERTEX_COUNT = 98304;
constexpr int SHADERPACK_PIXEL_COUNT = 27648;
constexpr size_t SHADERPACK_PIXEL_SIZES_AT = SHADERPACK_VERTEX_COUNT * 2;  // 196,608
constexpr size_t SHADERPACK_CODE_AT = 0x3D800;
#define SHADERPACK_ENTRY_NAME "KelmorShaderPack.bin"

struct SHADERPACKSTATE {
    // The compressed block the program carries (null: the program has none).
    const void *embeddedBlock;
    size_t embeddedBytes;

    ARCHIVEREC archive;
    uint8_t *archiveImage;  // decoded embedded block
    uint8_t *pack;          // decoded pack entry, null until loaded
    size_t packBytes;
    const uint8_t *vertexCode[SHADERPACK_VERTEX_COUNT];  // null = no code
    const uint8_t *pixelCode[SHADERPACK_PIXEL_COUNT];
    IDirect3DVertexShader9 *vertexShaders[SHADERPACK_VERTEX_COUNT];  // null = not created yet
    IDirect3DPixelShader9 *pixelShaders[SHADERPACK_PIXEL_COUNT];
};

extern SHADERPACKSTATE g_shaderPack;

// The compressed block LoadShaderPack unpacks; the caller keeps it alive.
void SetEmbeddedShaderPack(const void *block, size_t bytes);
// 1 when the pack is (now) loaded, 0 on any failure.
int LoadShaderPack();
// 1 when the shader is current; 0 without programmable shaders, without code for the number,
// or when creation fails.
int SelectVertexShader(int number);
int SelectPixelShader(int number);
// Shaders of the device set to none, every created object released (the code stays).
int ReleaseShaderObjects();
// Releases the objects, closes the archive and frees both buffers (graphics shut-down).
int FreeShaderPack();
// Declaration-table position of a vertex shader number: bit 11 picks the tangent-frame
// layouts, number / 8192 mod 3 the skinning kind; one extra texture coordinate.
int ShaderDeclarationIndex(int number);
