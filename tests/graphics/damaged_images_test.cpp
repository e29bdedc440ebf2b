// Every fixture cut short and with bytes changed, through every reader: refusals or coherent
// images, never a fault (this program also runs under the address and undefined sanitizers).
#include <gtest/gtest.h>

#include "graphics/image_fixtures.h"
#include "library/base/stream.h"
#include "library/graphics/image_readers.h"
#include "platform/testing.h"

namespace {

typedef int (*Reader)(STREAMREF *, BASEIMAGE *);
const Reader kReaders[] = {ReadBmpImage, ReadJpegImage, ReadPngImage, ReadBgraImage, ReadTgaImage, ReadDdsImage};

// Reads the variant with each reader alone, then touches every pixel of what was accepted.
void Exercise(const Bytes &file) {
    for (Reader reader : kReaders) {
        BUFSTREAM *s = OpenMemStream(file.data(), (int)file.size());
        ASSERT_NE(s, nullptr);
        STREAMREF ref;
        MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)s);
        BASEIMAGE im{};  // readers are handed a zeroed record
        if (reader(&ref, &im) == 0) {
            ASSERT_NE(im.pixels, nullptr);
            ASSERT_GT(im.width, 0);
            ASSERT_GT(im.height, 0);
            int64_t sum = 0;
            for (int y = 0; y < im.height; y += 1 + im.height / 64)
                for (int x = 0; x < im.width; x += 1 + im.width / 64) {
                    int r = 0;
                    ReadBaseImagePixel(&im, x, y, &r, nullptr, nullptr, nullptr);
                    sum += r;
                }
            ReadBaseImagePixel(&im, im.width - 1, im.height - 1, nullptr, nullptr, nullptr, nullptr);
            (void)sum;
        } else {
            EXPECT_EQ(im.pixels, nullptr);
        }
        FreeBaseImage(&im);
        CloseMemStream((uintptr_t)s);
    }
}

}  // namespace

TEST(DamagedImages, TruncationsAndByteFlipsOfEveryFixture) {
    for (const NamedFixture &f : AllImageFixtures()) {
        SCOPED_TRACE(f.name);
        const Bytes &good = f.bytes;
        Exercise(good);
        // Every length below the whole for small files, a spread of lengths for larger ones.
        size_t step = good.size() <= 2048 ? 1 : good.size() / 997;
        for (size_t n = 0; n < good.size(); n += step) Exercise(Bytes(good.begin(), good.begin() + (long)n));
        // Each byte of the head and a spread of the rest: inverted, zeroed, and pushed to 0x7F / 0xFF.
        for (size_t i = 0; i < good.size(); i += i < 256 ? 1 : step * 4 + 1) {
            for (uint8_t v : {(uint8_t)(good[i] ^ 0xFF), (uint8_t)0, (uint8_t)0x7F, (uint8_t)0xFF, (uint8_t)(good[i] + 1)}) {
                Bytes bad = good;
                bad[i] = v;
                Exercise(bad);
                if (HasFatalFailure()) return;
            }
        }
    }
}

// Files of a few hundred bytes whose headers name gigantic pictures: refused before any buffer
// of that size is asked for. Sizes the data cannot hold are refused where the format tells
// (uncompressed TGA); the rest meet the library's limit on image sides and pixel count.
TEST(DamagedImages, TinyFilesNamingHugePicturesAskForNoHugeBuffer) {
    for (const NamedFixture &c : HugeHeaderFixtures()) {
        SCOPED_TRACE(c.name);
        EXPECT_LT(c.bytes.size(), 1000u);
        PlatformTestTakeLargestHeapRequest();
        BASEIMAGE image{};
        EXPECT_EQ(LoadFromMemory(c.bytes, &image), -1);
        EXPECT_EQ(image.pixels, nullptr);
        FreeBaseImage(&image);
        EXPECT_LT(PlatformTestTakeLargestHeapRequest(), (size_t)1 << 24);
    }
}

// The limit leaves real pictures alone: the largest allowed picture loads, one row more does not.
TEST(DamagedImages, ThePixelLimitTakesTheLargestAllowedPicture) {
    EXPECT_TRUE(ImageSizeAllowed(8192, 8192));
    EXPECT_TRUE(ImageSizeAllowed(65536, 1024));
    EXPECT_FALSE(ImageSizeAllowed(8192, 8193));
    EXPECT_FALSE(ImageSizeAllowed(65537, 1));
    EXPECT_FALSE(ImageSizeAllowed(0, 5));
    const Bytes rle = MakeBmp(8192, 8192, 8, 1, {0x102030}, {}, {0, 1});
    BASEIMAGE image{};
    ASSERT_EQ(LoadFromMemory(rle, &image), 0);
    EXPECT_EQ(image.width, 8192);
    EXPECT_EQ(image.height, 8192);
    FreeBaseImage(&image);
}
