#include <gtest/gtest.h>

#include "library/graphics/base_image.h"
#include "library/graphics/colour_format.h"

TEST(ColourFormat, MasksGiveWidthsShiftsAndFreeBits) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, 16, 0xF800, 0x07E0, 0x001F, 0);
    EXPECT_EQ(f.bytesPerPixel, 2);
    EXPECT_EQ(f.redWidth, 5);
    EXPECT_EQ(f.greenWidth, 6);
    EXPECT_EQ(f.blueWidth, 5);
    EXPECT_EQ(f.redShift, 11);
    EXPECT_EQ(f.greenShift, 5);
    EXPECT_EQ(f.blueShift, 0);
    EXPECT_EQ(f.freeMask, 0u);

    MakeColourFormatFromMasks(&f, 16, 0x7C00, 0x03E0, 0x001F, 0);
    EXPECT_EQ(f.freeMask, 0x8000u);
    EXPECT_EQ(f.freeShift, 15);
    EXPECT_EQ(f.freeWidth, 1);
    MakeColourFormatFromMasks(&f, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    EXPECT_EQ(f.freeMask, 0xFF000000u);
    EXPECT_EQ(f.freeWidth, 8);
}

TEST(ColourFormat, MakeColourCodeSetsFreeBitsAndDropsLowBits) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, 16, 0x7C00, 0x03E0, 0x001F, 0);
    EXPECT_EQ(MakeColourCode(&f, 255, 255, 255, 0), 0xFFFFu);
    EXPECT_EQ(MakeColourCode(&f, 0, 0, 0, 0), 0x8000u);
    MakeColourFormatFromMasks(&f, 16, 0xF800, 0x07E0, 0x001F, 0);
    EXPECT_EQ(MakeColourCode(&f, 255, 128, 64, 0), (31u << 11) | (32u << 5) | 8u);
    MakeColourFormatARGB8(&f);
    EXPECT_EQ(MakeColourCode(&f, 1, 2, 3, 4), 0x04010203u);
    MakeColourFormatXRGB8(&f);
    EXPECT_EQ(MakeColourCode(&f, 1, 2, 3, 4), 0xFF010203u);
}

TEST(ColourFormat, TenBitChannelsWidenWithoutNegativeShifts) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000);
    EXPECT_EQ(MakeColourCode(&f, 255, 0, 128, 255), 0x3FFu << 20 | 0xC0000000u | (128u << 2 | 2u));
    int r, g, b, a;
    SplitColourCode(&f, MakeColourCode(&f, 255, 0, 128, 255), &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 128);
    EXPECT_EQ(a, 255);
}

TEST(ColourFormat, SplitScalesFieldsAndSkipsNullOutputs) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, 16, 0x7C00, 0x03E0, 0x001F, 0);
    int r = -1, g = -1, b = -1, a = -1;
    SplitColourCode(&f, (31u << 10) | (16u << 5) | 1u, &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 131);
    EXPECT_EQ(b, 8);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(SplitColourCode(&f, 0xFFFF, nullptr, &g, nullptr, nullptr), 0);
    // A channel the format lacks reads as 0.
    MakeColourFormatFromMasks(&f, 16, 0, 0x03E0, 0x001F, 0);
    SplitColourCode(&f, 0xFFFF, &r, nullptr, nullptr, nullptr);
    EXPECT_EQ(r, 0);
}

TEST(ColourFormat, PaletteLookupTakesNearestAndLowestOnTies) {
    COLOURFORMAT f{};
    MakeColourFormatPalette8(&f);
    f.palette[3] = {10, 20, 30, 0};  // blue, green, red
    f.palette[7] = {10, 20, 30, 0};
    f.palette[9] = {200, 200, 200, 0};
    EXPECT_EQ(MakeColourCode(&f, 30, 20, 10, 0), 3u);
    EXPECT_EQ(MakeColourCode(&f, 190, 210, 200, 0), 9u);
    MakeColourFormatGray8(&f);
    EXPECT_EQ(MakeColourCode(&f, 77, 77, 77, 0), 77u);
    EXPECT_EQ(f.palette[200].red, 200);
}

TEST(ColourFormat, UpdateFreeMask) {
    COLOURFORMAT f{};
    MakeColourFormatXRGB8(&f);
    f.alphaMask = 0xFF000000u;
    f.alphaWidth = 8;
    EXPECT_EQ(UpdateColourFormatFreeMask(&f)->freeMask, 0u);
    f.alphaMask = 0;
    f.alphaWidth = 0;
    EXPECT_EQ(UpdateColourFormatFreeMask(&f)->freeMask, 0xFF000000u);
}

TEST(BaseImage, PixelAccessPitchAndReadPixelARGB) {
    BASEIMAGE im{};
    COLOURFORMAT f{};
    MakeColourFormatRGB24(&f);
    ASSERT_EQ(AllocBaseImage(5, 3, &f, &im), 0);
    EXPECT_EQ(im.pitch, 16);  // 15 rounded up to 4
    EXPECT_EQ(WriteBaseImagePixel(&im, 4, 2, 1, 2, 3, 0), 0);
    EXPECT_EQ(WriteBaseImagePixel(&im, 5, 0, 1, 2, 3, 0), -1);
    EXPECT_EQ(WriteBaseImagePixel(&im, -1, 0, 1, 2, 3, 0), -1);
    int r, g, b, a;
    EXPECT_EQ(ReadBaseImagePixel(&im, 4, 2, &r, &g, &b, &a), 0);
    EXPECT_EQ(r * 65536 + g * 256 + b, 0x010203);
    EXPECT_EQ(ReadBaseImagePixel(&im, 0, 3, &r, &g, &b, &a), -1);
    EXPECT_EQ(ReadPixelARGB(&im, 4, 2), 0x00010203u);
    FreeBaseImage(&im);
    EXPECT_EQ(im.pixels, nullptr);

    MakeColourFormatFromMasks(&f, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_EQ(AllocBaseImage(2, 2, &f, &im), 0);
    WriteBaseImagePixel(&im, 1, 1, 255, 255, 255, 0);
    EXPECT_EQ(ReadPixelARGB(&im, 1, 1), 0x00F8FCF8u);  // top bits moved up, not scaled
    EXPECT_EQ(ReadPixelARGB(&im, 2, 1), 0u);
    FreeBaseImage(&im);
    EXPECT_EQ(ReadPixelARGB(&im, 0, 0), 0u);
}

TEST(BaseImage, MirrorAndClear) {
    BASEIMAGE im{};
    ASSERT_EQ(AllocBaseImageARGB8(3, 2, &im), 0);
    for (int x = 0; x < 3; ++x) WriteBaseImagePixel(&im, x, 0, x * 10, 0, 0, 255);
    EXPECT_EQ(MirrorBaseImage(&im), 0);
    EXPECT_EQ(ReadPixelARGB(&im, 0, 0), 0xFF140000u);
    EXPECT_EQ(ReadPixelARGB(&im, 1, 0), 0xFF0A0000u);
    EXPECT_EQ(ReadPixelARGB(&im, 2, 0), 0xFF000000u);
    EXPECT_EQ(ClearBaseImageRect(&im, -5, -5, 7, 6), 0);  // clipped to (0,0)-(2,1)
    EXPECT_EQ(ReadPixelARGB(&im, 1, 0), 0u);
    EXPECT_EQ(ReadPixelARGB(&im, 2, 0), 0xFF000000u);
    FreeBaseImage(&im);
    BASEIMAGE empty{};
    EXPECT_EQ(MirrorBaseImage(&empty), -1);
    EXPECT_EQ(AllocBaseImageXRGB8(0, 4, &im), -1);
    EXPECT_EQ(AllocBaseImageXRGB8(70000, 70000, &im), -1);
}
