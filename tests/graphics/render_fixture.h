// A stand-in device of 64 x 48 pixels handed to the render-state cache, with the cache, the batch
// and the draw settings brought to their start-up state.
#pragma once

#include "fixtures/standin_device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"
#include "platform/d3d9/d3d9.h"
#include "platform/testing/d3d9.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>


class RenderTest : public ::testing::Test {
protected:
    static constexpr UINT kWidth = 64, kHeight = 48;

    void SetUp() override {
        D3D9TestReset();
        D3D9TestSetPacing(false);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        ResetDrawSettings();
        g_drawArea = MakeDrawArea(0, 0, (int)kWidth, (int)kHeight);
        ASSERT_EQ(OpenStandInDevice(kWidth, kHeight, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER, &d3d, &dev), D3D_OK);
        ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        g_deviceState.device = dev;
        g_screenSetup.direct3D = 1;
        g_screenSetup.bits = 32;
        g_deviceState.backBuffer = back;
        g_deviceState.separateAlphaBlend = 0;
        ASSERT_EQ(RestoreDeviceStates(), 0);
        FlushVertexBatch();  // the start-up point
        dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    }

    void TearDown() override {
        LeaveDeviceScene();
        D3D9TestRecordCalls(false);
        // Drop the cache's bindings before the device goes.
        for (int i = 0; i < 8; ++i) dev->SetTexture(i, nullptr);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        g_deviceState.device = nullptr;
        g_screenSetup.direct3D = 0;
        g_deviceState.backBuffer = nullptr;
        for (IDirect3DTexture9 *t : textures) t->Release();
        back->Release();
        EXPECT_EQ(dev->Release(), 0u);
        EXPECT_EQ(d3d->Release(), 0u);
        EXPECT_EQ(D3D9TestLiveObjects(), 0);
    }

    void Record() {
        D3D9TestRecordCalls(true);
        D3D9TestTakeCalls();
    }
    std::vector<std::string> Calls() { return D3D9TestTakeCalls(); }
    static int CountOf(const std::vector<std::string> &calls, const std::string &prefix) {
        int n = 0;
        for (const std::string &c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }
    static int IndexOf(const std::vector<std::string> &calls, const std::string &prefix) {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].rfind(prefix, 0) == 0) return (int)i;
        return -1;
    }

    IDirect3DTexture9 *MakeTexture(UINT w, UINT h, const std::function<uint32_t(int, int)> &fn) {
        IDirect3DTexture9 *t = nullptr;
        EXPECT_EQ(dev->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x) {
                uint32_t c = fn((int)x, (int)y);
                std::memcpy(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
            }
        EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        textures.push_back(t);
        return t;
    }

    uint32_t Pixel(int x, int y) { return D3D9TestReadPixel(back, x, y) & 0x00FFFFFFu; }

    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *dev = nullptr;
    IDirect3DSurface9 *back = nullptr;
    std::vector<IDirect3DTexture9 *> textures;
};
