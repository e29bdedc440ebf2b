// Unpacking the shader pack and creating its shaders on demand.
#include "library/graphics/shader_pack.h"

#include "library/base/lz.h"
#include "library/base/memory.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

SHADERPACKSTATE g_shaderPack;

namespace {

SHADERPACKSTATE &P = g_shaderPack;

uint8_t *DecodeBlock(const void *block, size_t blockBytes, size_t *decodedBytes) {
    int32_t size = DecodeLzBlock(block, blockBytes, nullptr, 0);
    if (size <= 0) return nullptr;
    auto *out = static_cast<uint8_t *>(MEM_ALLOC((size_t)size));
    if (!out) return nullptr;
    if (DecodeLzBlock(block, blockBytes, out, (size_t)size) != size) {
        MEM_FREE(out);
        return nullptr;
    }
    *decodedBytes = (size_t)size;
    return out;
}

void CloseImages() {
    CloseArchiveRecord(&P.archive);
    MEM_FREE(P.archiveImage);
    P.archiveImage = nullptr;
    MEM_FREE(P.pack);
    P.pack = nullptr;
    P.packBytes = 0;
    std::memset(P.vertexCode, 0, sizeof P.vertexCode);
    std::memset(P.pixelCode, 0, sizeof P.pixelCode);
}

uint16_t SizeAt(const uint8_t *pack, size_t offset) {
    return (uint16_t)(pack[offset] | pack[offset + 1] << 8);
}

// Code pointers from the size tables; false when the code runs past the pack or a size is not
// whole tokens (shader code is a sequence of 32-bit tokens).
bool WalkSizeTables() {
    if (P.packBytes < SHADERPACK_CODE_AT) return false;
    size_t cursor = SHADERPACK_CODE_AT;
    auto take = [&](size_t tableAt, int count, const uint8_t **code) {
        for (int n = 0; n < count; ++n) {
            size_t size = SizeAt(P.pack, tableAt + (size_t)n * 2);
            if (!size) continue;
            if (size % 4 != 0 || size > P.packBytes - cursor) return false;
            code[n] = P.pack + cursor;
            cursor += size;
        }
        return true;
    };
    return take(0, SHADERPACK_VERTEX_COUNT, P.vertexCode) &&
           take(SHADERPACK_PIXEL_SIZES_AT, SHADERPACK_PIXEL_COUNT, P.pixelCode);
}

}  // namespace

void SetEmbeddedShaderPack(const void *block, size_t bytes) {
    P.embeddedBlock = block;
    P.embeddedBytes = bytes;
}

int LoadShaderPack() {
    if (P.pack) return 1;
    ClearArchive(&P.archive);
    if (!P.embeddedBlock) return 0;
    size_t imageBytes = 0;
    P.archiveImage = DecodeBlock(P.embeddedBlock, P.embeddedBytes, &imageBytes);
    if (!P.archiveImage) return 0;
    uint64_t position = 0;
    uint32_t entrySize = 0;
    if (OpenArchiveImage(&P.archive, P.archiveImage, imageBytes, nullptr) != 0 ||
        LocateArchiveEntry(&P.archive, SHADERPACK_ENTRY_NAME, &position, &entrySize) != 0 ||
        position >= imageBytes) {
        CloseImages();
        return 0;
    }
    size_t available = imageBytes - (size_t)position;
    if (entrySize < available) available = entrySize;
    P.pack = DecodeBlock(P.archiveImage + position, available, &P.packBytes);
    if (!P.pack || !WalkSizeTables()) {
        CloseImages();
        return 0;
    }
    return 1;
}

int ShaderDeclarationIndex(int number) {
    int layout = ((number / 2048) % 2) * 3 + (number / 8192) % 3;
    return layout * 9 + 1;
}

namespace {

// A shader object is made from the pack's code the first time it is selected.
template <class Shader>
Shader *ShaderOnFirstUse(IDirect3DDevice9 *d, HRESULT (IDirect3DDevice9::*create)(const DWORD *, Shader **),
                         Shader *&slot, const uint8_t *code) {
    if (!slot && code && FAILED((d->*create)(reinterpret_cast<const DWORD *>(code), &slot))) slot = nullptr;
    return slot;
}

}  // namespace

int SelectVertexShader(int number) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !RenderDeviceUsesShaders() || !P.pack) return 0;
    if (number < 0 || number >= SHADERPACK_VERTEX_COUNT) return 0;
    IDirect3DVertexShader9 *shader =
        ShaderOnFirstUse(d, &IDirect3DDevice9::CreateVertexShader, P.vertexShaders[number], P.vertexCode[number]);
    if (!shader) return 0;
    RENDERSTATECACHE &c = g_renderState;
    if (shader != c.vertexShader) {
        FlushVertexBatch();
        d->SetVertexShader(shader);
        c.vertexShader = shader;
    }
    IDirect3DVertexDeclaration9 *decl = RenderVertexDeclaration(ShaderDeclarationIndex(number));
    if (decl != c.vertexDecl) {
        FlushVertexBatch();
        d->SetVertexDeclaration(decl);
        c.vertexDecl = decl;
        c.fvf = 0;
    }
    return 1;
}

int SelectPixelShader(int number) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !RenderDeviceUsesShaders() || !P.pack) return 0;
    if (number < 0 || number >= SHADERPACK_PIXEL_COUNT) return 0;
    IDirect3DPixelShader9 *shader =
        ShaderOnFirstUse(d, &IDirect3DDevice9::CreatePixelShader, P.pixelShaders[number], P.pixelCode[number]);
    if (!shader) return 0;
    RENDERSTATECACHE &c = g_renderState;
    if (shader != c.pixelShader) {
        FlushVertexBatch();
        d->SetPixelShader(shader);
        c.pixelShader = shader;
    }
    return 1;
}

int ReleaseShaderObjects() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (d) {
        FlushVertexBatch();
        d->SetVertexShader(nullptr);
        d->SetPixelShader(nullptr);
    }
    g_renderState.vertexShader = nullptr;
    g_renderState.pixelShader = nullptr;
    for (IDirect3DVertexShader9 *&s : P.vertexShaders)
        if (s) {
            s->Release();
            s = nullptr;
        }
    for (IDirect3DPixelShader9 *&s : P.pixelShaders)
        if (s) {
            s->Release();
            s = nullptr;
        }
    return 0;
}

int FreeShaderPack() {
    ReleaseShaderObjects();
    CloseImages();
    return 0;
}
