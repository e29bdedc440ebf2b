// Graphs drawn onto the stand-in device's 640 x 480 back buffer: the device's render states
// restored, the whole screen as the draw area, the library marked started and its window active,
// and the back buffer cleared to a background colour.
#pragma once

#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"
#include "tests/graphics/graph_fixture.h"

#include <cstring>

class GraphScreenTest : public GraphTest {
protected:
    static constexpr int kScreenW = 640, kScreenH = 480;
    static constexpr uint32_t kBackground = 0x102030;

    void SetUp() override {
        GraphTest::SetUp();
        ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back_), D3D_OK);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        ResetDrawSettings();
        SetTransparentKey(123, 250, 3);  // the reset put back the default key
        g_deviceState.device = dev_;
        g_deviceState.backBuffer = back_;
        g_screenSetup.direct3D = 1;
        g_screenSetup.bits = 32;
        ASSERT_EQ(RestoreDeviceStates(), 0);
        FlushVertexBatch();
        g_drawArea = MakeDrawArea(0, 0, kScreenW, kScreenH);
        g_drawState.drawTarget = -2;
        g_drawState.emptyArea = 0;
        savedInitialised_ = g_library.initialised;
        savedActive_ = g_window.active;
        g_library.initialised = 1;
        g_window.active = 1;
    }

    void TearDown() override {
        LeaveDeviceScene();
        for (int i = 0; i < 8; ++i) dev_->SetTexture(i, nullptr);
        std::memset(&g_renderState, 0, sizeof g_renderState);
        g_deviceState.device = nullptr;
        g_deviceState.backBuffer = nullptr;
        g_screenSetup.direct3D = 0;
        g_library.initialised = savedInitialised_;
        g_window.active = savedActive_;
        if (back_) back_->Release();
        GraphTest::TearDown();
    }

    void Clear() {
        FlushVertexBatch();
        dev_->ColorFill(back_, nullptr, kBackground);
    }

    IDirect3DSurface9 *back_ = nullptr;
    int savedInitialised_ = 0, savedActive_ = 0;
};
