// Images for the kernel tests: views inside padded bodies (so pitch and width differ and
// writes past the view show), filled from raw mt19937 words, and a fixture that saves and
// restores the draw settings, the draw area and the processor flag.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <vector>

#include "library/base/system_info.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/memimg.h"

namespace softtest {

// A body of (w + 2 pad) x (h + 2 pad) pixels and the view of its inner w x h pixels; with pad 0
// the view is the whole image (run-length tables apply).
struct TestImage {
    MEMIMG body{};
    MEMIMG view{};
    int pad = 0;
    TestImage(int type, int w, int h, int pad_ = 0, int alpha = 0, int palette = 0) : pad(pad_) {
        SetupMemImg(&body, w + 2 * pad, h + 2 * pad, -1, 0, type, palette, alpha, pad == 0, nullptr);
        if (pad) MakeSubMemImg(&view, &body, pad, pad, w, h);
    }
    ~TestImage() {
        if (pad) ReleaseMemImg(&view);
        ReleaseMemImg(&body);
    }
    TestImage(const TestImage &) = delete;
    TestImage &operator=(const TestImage &) = delete;
    MEMIMG *img() { return pad ? &view : &body; }
    const MEMIMG &m() const { return pad ? view : body; }
    MEMIMGBASE *base() const { return body.base; }
    int bytes() const { return MemImgBytesPerPixel(body.base); }
    uint32_t Get(int x, int y) const {  // view coordinates
        uint32_t v = 0;
        std::memcpy(&v, m().pixels + (size_t)y * base()->pitch + (size_t)x * bytes(), bytes());
        return v;
    }
    void Set(int x, int y, uint32_t v) {
        std::memcpy(m().pixels + (size_t)y * base()->pitch + (size_t)x * bytes(), &v, bytes());
    }
    std::vector<uint8_t> Bytes() const {
        return std::vector<uint8_t>(base()->pixels, base()->pixels + (size_t)base()->pitch * base()->height);
    }
    // A second image of the same kind, size and bytes.
    std::unique_ptr<TestImage> Clone() const {
        auto c = std::make_unique<TestImage>(base()->pixelType, m().width, m().height, pad, base()->alphaFlag,
                                             base()->paletteFlag);
        std::memcpy(c->base()->pixels, base()->pixels, (size_t)base()->pitch * base()->height);
        return c;
    }
    // Every byte of the body, padding included, from the generator.
    void Randomise(std::mt19937 &rng) {
        for (size_t i = 0; i < (size_t)base()->pitch * base()->height; ++i) base()->pixels[i] = (uint8_t)rng();
    }
};

// Clipping leaves the picture alone: `draw` under each area gives, on a copy of `base`, the draw
// under the whole image inside the area and `base` outside it.
template <typename Draw>
void ExpectDrawsKeptInsideAreas(const TestImage &base, std::initializer_list<RECT> areas, Draw draw) {
    const int w = base.m().width, h = base.m().height;
    const std::unique_ptr<TestImage> full = base.Clone();
    g_drawArea = MakeDrawArea(0, 0, w, h);
    draw(full->img());
    for (const RECT &a : areas) {
        SCOPED_TRACE(testing::Message() << "area " << a.left << "," << a.top << "," << a.right << "," << a.bottom);
        const std::unique_ptr<TestImage> part = base.Clone();
        g_drawArea = MakeDrawArea(a.left, a.top, a.right, a.bottom);
        draw(part->img());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool in = x >= a.left && x < a.right && y >= a.top && y < a.bottom;
                ASSERT_EQ(part->Get(x, y), in ? full->Get(x, y) : base.Get(x, y)) << x << "," << y;
            }
    }
}

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitMemImgTables();
        saved_ = g_drawState;
        savedArea_ = g_drawArea;
        savedMmx_ = g_systemInfo.mmx;
        g_systemInfo.mmx = 0;
        Settings(BLENDMODE_NONE, 255, 0xFFFFFF);
    }
    void TearDown() override {
        g_drawState = saved_;
        g_drawArea = savedArea_;
        g_systemInfo.mmx = savedMmx_;
        SetBlendGraphThreshold(128, 255);
    }
    static void Settings(int mode, int p, uint32_t bright) {
        g_drawState.blendMode = mode;
        g_drawState.blendParam = p;
        g_drawState.brightness = bright;
    }
    DRAWSTATE saved_{};
    DRAWAREA savedArea_{};
    int savedMmx_ = 0;
};

}  // namespace softtest
