// The sprite scene of the raster and batch benchmarks: 2,000 sprites of 32 x 32 with a
// transparent border and a translucent ring, spread over a 320 x 240 target and partly clipped
// at its edges, on a stand-in device of the target's size.
#pragma once

#include "fixtures/standin_device.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <utility>
#include <vector>

constexpr int kSprites = 2000, kSize = 32, kWidth = 320, kHeight = 240;

inline uint32_t SpriteTexel(int x, int y) {
    int dx = x - 16, dy = y - 16, d = dx * dx + dy * dy;
    uint32_t alpha = d < 100 ? 255u : d < 196 ? 128u : 0u;
    return alpha << 24 | (uint32_t)(x * 8) << 16 | (uint32_t)(y * 8) << 8 | 0x40;
}

// Every sprite's top-left pixel, the same on every run.
inline std::vector<std::pair<int, int>> SpritePositions() {
    std::vector<std::pair<int, int>> positions;
    unsigned seed = 12345;
    for (int i = 0; i < kSprites; ++i) {
        seed = seed * 1103515245u + 12345u;
        int x = (int)((seed >> 8) % (kWidth + kSize)) - kSize / 2;
        seed = seed * 1103515245u + 12345u;
        int y = (int)((seed >> 8) % (kHeight + kSize)) - kSize / 2;
        positions.emplace_back(x, y);
    }
    return positions;
}

// The sprite as a managed A8R8G8B8 texture; binaryAlpha: alpha 0 or 255 only.
inline IDirect3DTexture9 *MakeSpriteTexture(IDirect3DDevice9 *dev, bool binaryAlpha) {
    IDirect3DTexture9 *texture = nullptr;
    dev->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT lr;
    texture->LockRect(0, &lr, nullptr, 0);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            uint32_t c = SpriteTexel(x, y);
            if (binaryAlpha) c = (c >> 24 ? 0xFF000000u : 0u) | (c & 0xFFFFFF);
            reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch)[x] = c;
        }
    texture->UnlockRect(0);
    return texture;
}
