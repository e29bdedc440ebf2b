// Every fixture cut short and with bytes changed, through every reader: refusals or coherent
// images, never a fault (this program also runs under the address and undefined sanitizers).
#include <gtest/gtest.h>

#include "graphics/image_fixtures.h"
#include "library/base/stream.h"
#include "library/graphics/image_readers.h"
#include "platform/testing.h"
#include "tools/imagewrite/image_write.h"

#include <zlib.h>

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

namespace {

// A PNG chunk with its length and CRC.
void PutChunk(Bytes &b, const char *type, const Bytes &data) {
    for (int i = 3; i >= 0; --i) b.push_back((uint8_t)(data.size() >> (8 * i)));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    b.insert(b.end(), body.begin(), body.end());
    const uint32_t crc = (uint32_t)crc32(0, body.data(), (uInt)body.size());
    for (int i = 3; i >= 0; --i) b.push_back((uint8_t)(crc >> (8 * i)));
}

// A PNG whose header names width x height 8-bit RGBA and whose one data chunk holds a few
// deflated bytes.
Bytes PngHeaderOnly(uint32_t width, uint32_t height) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i) ihdr.push_back((uint8_t)(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    PutChunk(b, "IHDR", ihdr);
    Bytes raw(64, 0);
    Bytes packed(128);
    uLongf n = packed.size();
    compress(packed.data(), &n, raw.data(), raw.size());
    packed.resize(n);
    PutChunk(b, "IDAT", packed);
    PutChunk(b, "IEND", {});
    return b;
}

// A small JPEG whose frame header is made to say width x height, cut right after its scan
// header: no scan data at all.
Bytes JpegWithoutScan(uint16_t width, uint16_t height) {
    Bytes rgb(16 * 8 * 3, 0x80);
    Bytes b = EncodeJpeg(16, 8, 3, rgb.data(), 90);
    for (size_t i = 2; i + 9 < b.size(); ++i) {
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            b[i + 5] = (uint8_t)(height >> 8);
            b[i + 6] = (uint8_t)height;
            b[i + 7] = (uint8_t)(width >> 8);
            b[i + 8] = (uint8_t)width;
        }
        if (b[i] == 0xFF && b[i + 1] == 0xDA) {
            b.resize(i + 2 + ((size_t)b[i + 2] << 8 | b[i + 3]));
            break;
        }
    }
    return b;
}

}  // namespace

// Files of a few hundred bytes whose headers name gigantic pictures: refused before any buffer
// of that size is asked for. Sizes the data cannot hold are refused where the format tells
// (uncompressed TGA); the rest meet the library's limit on image sides and pixel count.
TEST(DamagedImages, TinyFilesNamingHugePicturesAskForNoHugeBuffer) {
    struct Case {
        const char *name;
        Bytes file;
    } cases[] = {
        {"RLE8 BMP of 32005 x 63747 that ends at once", MakeBmp(32005, 63747, 8, 1, {0x000000}, {}, {0, 1})},
        {"PNG header of 65535 x 8192 RGBA", PngHeaderOnly(65535, 8192)},
        {"JPEG of 65500 x 8000 without scan data", JpegWithoutScan(65500, 8000)},
        {"TGA of 8192 x 8000 32-bit pixels without them", MakeTga(2, 8192, 8000, 32, 0x20, {}, 0, 0, {}, false)},
        {"DDS of 65536 x 65536 DXT1 with no blocks",
         [] {
             const uint32_t masks[4] = {0, 0, 0, 0};
             return MakeDds(65536, 65536, 0x1007, 0, 0, 0x4, FourCCOf("DXT1"), 0, masks, 0x1000, {});
         }()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LT(c.file.size(), 1000u);
        PlatformTestTakeLargestHeapRequest();
        BASEIMAGE image{};
        EXPECT_EQ(LoadFromMemory(c.file, &image), -1);
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
