// Fill rate of the Direct3D 9 stand-in: 2,000 32x32 sprites a frame on a 320x240
// target, point-sampled with alpha test and alpha-blended, and a 320x240 -> 640x480
// stretch; pixman doing the same compositing for comparison.
#include "platform/d3d9/d3d9.h"
#include "platform/testing/d3d9.h"
#include "platform/testing.h"
#include "rate_pairs.h"
#include "sprite_scene.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

struct Scene {
    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *dev = nullptr;
    IDirect3DTexture9 *texture = nullptr;
    std::vector<Vertex> vertices;

    Scene() {
        D3D9TestReset();
        D3D9TestSetPacing(false);
        OpenStandInDevice(kWidth, kHeight, 0, &d3d, &dev);
        texture = MakeSpriteTexture(dev, false);
        dev->SetTexture(0, texture);
        dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        dev->SetRenderState(D3DRS_LIGHTING, FALSE);
        dev->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        dev->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        // Sprite positions spread over the target, partly clipped at the edges.
        for (const auto &[left, top] : SpritePositions()) {
            float x = (float)left - 0.5f, y = (float)top - 0.5f;
            float x1 = x + kSize, y1 = y + kSize;
            Vertex q[6] = {{x, y, 0, 1, 0xFFFFFFFFu, 0, 0},  {x1, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                           {x, y1, 0, 1, 0xFFFFFFFFu, 0, 1}, {x1, y, 0, 1, 0xFFFFFFFFu, 1, 0},
                           {x1, y1, 0, 1, 0xFFFFFFFFu, 1, 1}, {x, y1, 0, 1, 0xFFFFFFFFu, 0, 1}};
            vertices.insert(vertices.end(), q, q + 6);
        }
    }
    ~Scene() {
        texture->Release();
        dev->Release();
        d3d->Release();
    }

    void Frame() {
        dev->BeginScene();
        // The library's batch: at most 2,340 vertices per call.
        for (size_t at = 0; at < vertices.size(); at += 2340) {
            size_t n = std::min<size_t>(2340, vertices.size() - at);
            dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, (UINT)(n / 3), &vertices[at], sizeof(Vertex));
        }
        dev->EndScene();
    }
};

// The sprite cases on the rasteriser's fastest path, and limited to SSE2.
void SpritesAlphaTest(benchmark::State &state, D3D9RasterPaths path) {
    Scene scene;
    D3D9TestLimitRasterPaths(path);
    scene.dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    scene.dev->SetRenderState(D3DRS_ALPHAREF, 1);
    scene.dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    for (auto _ : state) scene.Frame();
    ReportPixels(state, (double)kSprites * kSize * kSize);
}
void BM_SpritesAlphaTest(benchmark::State &state) { SpritesAlphaTest(state, D3D9_RASTER_AVX2); }
void BM_SpritesAlphaTestSse2(benchmark::State &state) { SpritesAlphaTest(state, D3D9_RASTER_SSE2); }
BENCHMARK(BM_SpritesAlphaTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpritesAlphaTestSse2)->Unit(benchmark::kMillisecond);

void SpritesAlphaBlend(benchmark::State &state, D3D9RasterPaths path) {
    Scene scene;
    D3D9TestLimitRasterPaths(path);
    scene.dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    scene.dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    scene.dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (auto _ : state) scene.Frame();
    ReportPixels(state, (double)kSprites * kSize * kSize);
}
void BM_SpritesAlphaBlend(benchmark::State &state) { SpritesAlphaBlend(state, D3D9_RASTER_AVX2); }
void BM_SpritesAlphaBlendSse2(benchmark::State &state) { SpritesAlphaBlend(state, D3D9_RASTER_SSE2); }
BENCHMARK(BM_SpritesAlphaBlend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpritesAlphaBlendSse2)->Unit(benchmark::kMillisecond);

void BM_Stretch320To640(benchmark::State &state) {
    Scene scene;
    IDirect3DSurface9 *big = nullptr, *back = nullptr;
    scene.dev->CreateRenderTarget(640, 480, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &big, nullptr);
    scene.dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    for (auto _ : state) scene.dev->StretchRect(back, nullptr, big, nullptr, D3DTEXF_NONE);
    ReportPixels(state, 640.0 * 480.0);
    back->Release();
    big->Release();
}
BENCHMARK(BM_Stretch320To640)->Unit(benchmark::kMillisecond);

// pixman doing the same: OVER of premultiplied sprites (blend), or of sprites whose
// alpha is 0 or 255 (the alpha-tested case), and a nearest 2x scale.
struct PixmanScene {
    std::vector<uint32_t> target = std::vector<uint32_t>(kWidth * kHeight);
    std::vector<uint32_t> sprite = std::vector<uint32_t>(kSize * kSize);
    pixman_image_t *dst, *src;
    const std::vector<std::pair<int, int>> positions = SpritePositions();
    explicit PixmanScene(bool binaryAlpha) {
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                uint32_t c = SpriteTexel(x, y), a = c >> 24;
                if (binaryAlpha) a = a ? 255 : 0;
                uint32_t r = ((c >> 16) & 255) * a / 255, g = ((c >> 8) & 255) * a / 255, b = (c & 255) * a / 255;
                sprite[y * kSize + x] = a << 24 | r << 16 | g << 8 | b;
            }
        }
        dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, target.data(), kWidth * 4);
        src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSize, kSize, sprite.data(), kSize * 4);
    }
    ~PixmanScene() {
        pixman_image_unref(dst);
        pixman_image_unref(src);
    }
    void Frame() {
        for (auto &p : positions)
            pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, p.first, p.second, kSize, kSize);
    }
};

void BM_PixmanSpritesBinaryAlpha(benchmark::State &state) {
    PixmanScene scene(true);
    for (auto _ : state) scene.Frame();
    ReportPixels(state, (double)kSprites * kSize * kSize);
}
BENCHMARK(BM_PixmanSpritesBinaryAlpha)->Unit(benchmark::kMillisecond);

void BM_PixmanSpritesOver(benchmark::State &state) {
    PixmanScene scene(false);
    for (auto _ : state) scene.Frame();
    ReportPixels(state, (double)kSprites * kSize * kSize);
}
BENCHMARK(BM_PixmanSpritesOver)->Unit(benchmark::kMillisecond);

void BM_PixmanStretch320To640(benchmark::State &state) {
    std::vector<uint32_t> small(kWidth * kHeight, 0xFF336699u), big(640 * 480);
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, small.data(), kWidth * 4);
    pixman_image_t *dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, 640, 480, big.data(), 640 * 4);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(src, &scale);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, 640, 480);
    ReportPixels(state, 640.0 * 480.0);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanStretch320To640)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return RunWithRatios(argc, argv,
                         {{"BM_SpritesAlphaTest", "BM_PixmanSpritesBinaryAlpha"},
                          {"BM_SpritesAlphaTestSse2", "BM_PixmanSpritesBinaryAlpha"},
                          {"BM_SpritesAlphaBlend", "BM_PixmanSpritesOver"},
                          {"BM_SpritesAlphaBlendSse2", "BM_PixmanSpritesOver"},
                          {"BM_Stretch320To640", "BM_PixmanStretch320To640"}});
}
