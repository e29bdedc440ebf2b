// Graphs on the Direct3D stand-in: a device with the formats the device set-up would choose,
// the graph bridge filled from it, a temporary start directory with the log, and helpers to
// write image files and read texture pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/standin_device.h"
#include "fixtures/start_dir.h"
#include "image_fixtures.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "platform/testing/d3d9.h"

// The ARGB pixel (x, y) of a graph as its textures hold it.
inline uint32_t GraphPixel(int graph, int x, int y) {
    GRAPHENTRY *e = GetGraphEntry(graph);
    if (!e) return 0xDEADBEEF;
    TEXPART *parts = GraphTexParts(e);
    for (int i = 0; i < e->texPartCount; ++i) {
        const TEXPART &p = parts[i];
        if (x >= p.graphX && x < p.graphX + p.width && y >= p.graphY && y < p.graphY + p.height)
            return D3D9TestReadPixel(p.tile->surface, p.tileX + x - p.graphX, p.tileY + y - p.graphY);
    }
    return 0xDEADBEEF;
}

class GraphTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();

        D3D9TestReset();
        D3D9TestSetPacing(false);
        ASSERT_EQ(OpenStandInDevice(640, 480, 0, &d3d_, &dev_), D3D_OK);
        baseObjects_ = D3D9TestLiveObjects();
        g_graphs = GRAPHSYS{};
        GRAPHBRIDGE &b = g_graphBridge;
        b = GRAPHBRIDGE{};
        b.started = 1;
        b.direct3D = 1;
        b.device = dev_;
        b.screenWidth = 640;
        b.screenHeight = 480;
        b.screenBits = 32;
        b.maxTextureSize = 2048;
        const D3DFORMAT formats[GRAPHFMT_COUNT] = {
            D3DFMT_R5G6B5,   D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5,
            D3DFMT_A8R8G8B8, D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,
            D3DFMT_DXT5,     D3DFMT_R5G6B5,   D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
        for (int i = 0; i < GRAPHFMT_COUNT; ++i) b.textureFormats[i] = formats[i];
        g_drawState.mipLevels = 0;
        SetTransparentKey(123, 250, 3);
    }

    void TearDown() override {
        DeleteAllGraphs();
        EXPECT_EQ(g_graphs.count, 0);
        EXPECT_EQ(D3D9TestLiveObjects(), baseObjects_) << "textures left behind";
        g_graphBridge = GRAPHBRIDGE{};
        if (dev_) {
            EXPECT_EQ(dev_->Release(), 0u);
        }
        if (d3d_) d3d_->Release();
        LogStartTest::TearDown();
    }

    std::string Log() { return PlatformTestTakeDebugOutput(); }

    // Every texel of mip level `level` of a texture as ARGB, top row first.
    static std::vector<uint32_t> LevelPixels(IDirect3DTexture9 *t, int level) {
        IDirect3DSurface9 *s = nullptr;
        t->GetSurfaceLevel(level, &s);
        std::vector<uint32_t> pixels = D3D9TestReadSurface(s);
        s->Release();
        return pixels;
    }

    IDirect3D9 *d3d_ = nullptr;
    IDirect3DDevice9 *dev_ = nullptr;
    int baseObjects_ = 0;
};
