// Graphs on the Direct3D stand-in: a device with the formats the device set-up would choose,
// the graph bridge filled from it, a temporary start directory with the log, and helpers to
// write image files and read texture pixels back.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "image_fixtures.h"
#include "library/base/log.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "platform/d3d9_testing.h"
#include "platform/kernel32.h"
#include "platform/testing.h"

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedCwd_ = std::filesystem::current_path();
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("kelmor-graph-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        char start[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof start, start);
        PlatformTestCaptureDebugOutput(true);
        SetLogStartDirectory(start);
        StartLogFile();

        D3D9TestReset();
        D3D9TestSetPacing(false);
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 640;
        pp.BackBufferHeight = 480;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = TRUE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev_),
                  D3D_OK);
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
        SetLogStartDirectory(nullptr);
        PlatformTestCaptureDebugOutput(false);
        std::filesystem::current_path(savedCwd_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Log() { return PlatformTestTakeDebugOutput(); }

    void WriteFile(const std::string &name, const Bytes &bytes) {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    }

    // A 24-bit bottom-up BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
    template <class F>
    static Bytes Bmp24(int w, int h, F colour) {
        Bytes data;
        int row = (w * 3 + 3) & ~3;
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                uint32_t c = colour(x, y);
                data.push_back((uint8_t)c);
                data.push_back((uint8_t)(c >> 8));
                data.push_back((uint8_t)(c >> 16));
            }
            for (int p = w * 3; p < row; ++p) data.push_back(0);
        }
        return MakeBmp(w, h, 24, 0, {}, {}, data);
    }

    // The ARGB pixel (x, y) of a graph as its textures hold it.
    static uint32_t GraphPixel(int graph, int x, int y) {
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

    // Every texel of mip level `level` of a texture as ARGB, top row first.
    static std::vector<uint32_t> LevelPixels(IDirect3DTexture9 *t, int level) {
        IDirect3DSurface9 *s = nullptr;
        t->GetSurfaceLevel(level, &s);
        std::vector<uint32_t> pixels = D3D9TestReadSurface(s);
        s->Release();
        return pixels;
    }

    std::filesystem::path dir_, savedCwd_;
    IDirect3D9 *d3d_ = nullptr;
    IDirect3DDevice9 *dev_ = nullptr;
    int baseObjects_ = 0;
};
