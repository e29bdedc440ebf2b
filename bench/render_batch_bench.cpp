// 2D sprites through the library's batch: the draw state set per sprite, six vertices queued,
// flushed when full. The same 2,000 32x32 sprites per frame as the raster benchmark, so the
// difference is what the state cache and the batch cost on top of the device.
#include "library/graphics/draw_area.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"
#include "platform/d3d9/d3d9.h"
#include "platform/testing/d3d9.h"
#include "sprite_scene.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>


namespace {

struct Scene {
    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *dev = nullptr;
    IDirect3DSurface9 *back = nullptr;
    IDirect3DTexture9 *texture = nullptr;
    const std::vector<std::pair<int, int>> positions = SpritePositions();

    explicit Scene(bool binaryAlpha) {
        D3D9TestReset();
        D3D9TestSetPacing(false);
        OpenStandInDevice(kWidth, kHeight, 0, &d3d, &dev);
        dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        texture = MakeSpriteTexture(dev, binaryAlpha);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        ResetDrawSettings();
        g_drawArea = MakeDrawArea(0, 0, kWidth, kHeight);
        g_deviceState.device = dev;
        g_screenSetup.direct3D = 1;
        g_screenSetup.bits = 32;
        g_deviceState.backBuffer = back;
        RestoreDeviceStates();
    }
    ~Scene() {
        LeaveDeviceScene();
        for (int i = 0; i < 8; ++i) dev->SetTexture(i, nullptr);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        g_deviceState.device = nullptr;
        g_screenSetup.direct3D = 0;
        g_deviceState.backBuffer = nullptr;
        texture->Release();
        back->Release();
        dev->Release();
        d3d->Release();
    }

    // What a 1:1 graph draw does per sprite: the draw state, then six vertices.
    void Frame(int alphaKind) {
        EnterDeviceScene();
        for (auto &p : positions) {
            SetDrawStateForDraw(texture, alphaKind, DRAWFLAG_TEXALPHA | DRAWFLAG_POINT);
            auto *v = static_cast<VERTEX2DTEX *>(ReserveBatchVertices(VERTEXKIND_TEX1, D3DPT_TRIANGLELIST, 6));
            float l = (float)p.first - 0.5f, t = (float)p.second - 0.5f, r = l + kSize, b = t + kSize;
            uint32_t c = g_vertexBatch.colour;
            float z = g_drawState.depth2D;
            v[0] = {l, t, z, 1, c, 0, 0};
            v[1] = {r, t, z, 1, c, 1, 0};
            v[2] = {l, b, z, 1, c, 0, 1};
            v[3] = {r, t, z, 1, c, 1, 0};
            v[4] = {r, b, z, 1, c, 1, 1};
            v[5] = {l, b, z, 1, c, 0, 1};
            CommitBatchVertices(6);
        }
        FlushVertexBatch();
        LeaveDeviceScene();
    }
};

void Report(benchmark::State &state) {
    state.counters["Mpix/s"] = benchmark::Counter((double)state.iterations() * kSprites * kSize * kSize / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void BM_BatchSpritesAlphaTest(benchmark::State &state) {
    Scene scene(true);
    for (auto _ : state) scene.Frame(ALPHAKIND_TEST);
    Report(state);
}
BENCHMARK(BM_BatchSpritesAlphaTest)->Unit(benchmark::kMillisecond);

void BM_BatchSpritesAlphaBlend(benchmark::State &state) {
    Scene scene(false);
    for (auto _ : state) scene.Frame(ALPHAKIND_BLEND);
    Report(state);
}
BENCHMARK(BM_BatchSpritesAlphaBlend)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
