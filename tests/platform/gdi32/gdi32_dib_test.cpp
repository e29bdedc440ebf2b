// Bitmaps drawn on a window's context: formats, the source rectangle measured from the
// image's bottom, stretching, clipping to the client area, refusals.
#include "platform/gdi32/gdi32.h"
#include "platform/testing.h"
#include "platform/user32/user32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct INFO {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

INFO Header(int width, int height, int bits, DWORD compression, DWORD r = 0, DWORD g = 0, DWORD b = 0) {
    INFO info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = (WORD)bits;
    info.header.biCompression = compression;
    info.masks[0] = r, info.masks[1] = g, info.masks[2] = b;
    return info;
}

const BITMAPINFO *Bmi(const INFO &info) { return reinterpret_cast<const BITMAPINFO *>(&info); }

// Every pixel of a top-down 32-bit image tells where it is: red x, green y.
std::vector<uint32_t> Positions(int width, int height) {
    std::vector<uint32_t> p((size_t)width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p[(size_t)y * width + x] = (uint32_t)x << 16 | (uint32_t)y << 8 | 0x40;
    return p;
}

class DibTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformTestResetWindowManager();
        PlatformTestSetDesktop(1024, 768, 32);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "DibClass";
        ASSERT_NE(RegisterClassExA(&wc), 0);
        window_ = CreateWindowExA(0, "DibClass", "dib", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        dc_ = GetDC(window_);
        ASSERT_NE(dc_, nullptr);
    }
    void TearDown() override {
        ReleaseDC(window_, dc_);
        PlatformTestResetWindowManager();
    }

    uint32_t Shown(int x, int y) const {
        int w = 0, h = 0;
        std::vector<uint32_t> p = PlatformTestWindowPicture(window_, &w, &h);
        if (x < 0 || y < 0 || x >= w || y >= h) return 0xDEADBEEF;
        return p[(size_t)y * w + x];
    }

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

TEST_F(DibTest, WholeImagesLandAtTheirPlaceInEveryFormat) {
    // 32-bit fields, top-down.
    std::vector<uint32_t> image = Positions(16, 8);
    INFO info = Header(16, -8, 32, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 16, 8, 0, 0, 0, 8, image.data(), Bmi(info), DIB_RGB_COLORS), 8);
    int w = 0, h = 0;
    PlatformTestWindowPicture(window_, &w, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(Shown(5, 3), 0x050340u);
    EXPECT_EQ(Shown(15, 7), 0x0F0740u);
    EXPECT_EQ(Shown(16, 0), 0u);  // outside the image nothing was drawn

    // 16-bit 565 fields: 31 -> 255, 32 of 63 -> 129, 16 of 31 -> 131.
    const uint16_t p565[2] = {(uint16_t)(31 << 11 | 32 << 5 | 16), 0};
    INFO f565 = Header(2, -1, 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 20, 30, 1, 1, 0, 0, 0, 1, p565, Bmi(f565), DIB_RGB_COLORS), 1);
    EXPECT_EQ(Shown(20, 30), 0xFF8183u);

    // Plain 24 bits, bottom-up: the first row in memory is the bottom one.
    const uint8_t rgb[2][4] = {{0x01, 0x02, 0x03, 0}, {0x0A, 0x0B, 0x0C, 0}};  // rows padded to 4 bytes
    INFO plain = Header(1, 2, 24, BI_RGB);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 40, 40, 1, 2, 0, 0, 0, 2, rgb, Bmi(plain), DIB_RGB_COLORS), 2);
    EXPECT_EQ(Shown(40, 40), 0x0C0B0Au);
    EXPECT_EQ(Shown(40, 41), 0x030201u);
    EXPECT_GE(PlatformTestDibDrawCount(), 3);
}

TEST_F(DibTest, StretchTakesTheSourceFromTheBottomAndClipsToTheClient) {
    // A top-down 40 x 24 image; source y 12 with height 12 is its top half.
    std::vector<uint32_t> image = Positions(40, 24);
    INFO info = Header(40, -24, 32, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF);
    EXPECT_EQ(StretchDIBits(dc_, 0, 0, 40, 24, 0, 12, 20, 12, image.data(), Bmi(info), DIB_RGB_COLORS, SRCCOPY), 12);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(Shown(x, y), (uint32_t)(x / 2) << 16 | (uint32_t)(y / 2) << 8 | 0x40);

    // Past the client's edge the picture is cut, not wrapped or overrun.
    EXPECT_EQ(StretchDIBits(dc_, 50, 40, 40, 24, 0, 0, 40, 24, image.data(), Bmi(info), DIB_RGB_COLORS, SRCCOPY), 24);
    EXPECT_EQ(Shown(63, 47), 13u << 16 | 7u << 8 | 0x40);
}

TEST_F(DibTest, WhatCannotBeDrawnIsRefused) {
    std::vector<uint32_t> image = Positions(4, 4);
    INFO info = Header(4, -4, 32, BI_BITFIELDS, 0xFF0000, 0xFF00, 0xFF);
    INFO eight = Header(4, -4, 8, BI_RGB);
    INFO rle = Header(4, -4, 32, 1);
    const int before = PlatformTestDibDrawCount();
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 4, 4, 0, 0, 0, 4, image.data(), Bmi(eight), DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 4, 4, 0, 0, 0, 4, image.data(), Bmi(rle), DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 4, 4, 0, 0, 0, 2, image.data(), Bmi(info), DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc_, 0, 0, 4, 4, 0, 0, 0, 4, nullptr, Bmi(info), DIB_RGB_COLORS), 0);
    EXPECT_EQ(StretchDIBits(dc_, 0, 0, 8, 8, 0, 0, 4, 4, image.data(), Bmi(info), DIB_RGB_COLORS, 0), 0);
    EXPECT_EQ(StretchDIBits(dc_, 0, 0, 0, 8, 0, 0, 4, 4, image.data(), Bmi(info), DIB_RGB_COLORS, SRCCOPY), 0);
    // The screen's context and a memory context show nothing.
    EXPECT_EQ(SetDIBitsToDevice(GetDC(nullptr), 0, 0, 4, 4, 0, 0, 0, 4, image.data(), Bmi(info), DIB_RGB_COLORS), 0);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetDIBitsToDevice(memory, 0, 0, 4, 4, 0, 0, 0, 4, image.data(), Bmi(info), DIB_RGB_COLORS), 0);
    DeleteDC(memory);
    EXPECT_EQ(PlatformTestDibDrawCount(), before);
}

}  // namespace
