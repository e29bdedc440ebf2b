// Image readers against libpng / libjpeg alone on the same 1024 x 1024 files, and the conversion
// blit against plain per-pixel loops. Compare the pairs: Library* / Direct*, Convert* / Plain*.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "library/graphics/image_load.h"
#include "library/graphics/pixel_convert.h"
#include "tools/imagewrite/image_write.h"

namespace {

constexpr int kSide = 1024;

// A picture with gradients and detail, so that both codecs have real work.
std::vector<uint8_t> TestPicture() {
    std::vector<uint8_t> rgb((size_t)kSide * kSide * 3);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint8_t *p = &rgb[((size_t)y * kSide + x) * 3];
            p[0] = (uint8_t)(x / 4);
            p[1] = (uint8_t)(y / 4);
            p[2] = (uint8_t)((x * y) >> 8 ^ (x + y));
        }
    return rgb;
}

const std::vector<uint8_t> &PngFile() {
    static std::vector<uint8_t> file = [] {
        PngSpec s;
        s.width = kSide;
        s.height = kSide;
        s.pixels = TestPicture();
        return EncodePng(s);
    }();
    return file;
}

const std::vector<uint8_t> &JpegFile() {
    static std::vector<uint8_t> file = EncodeJpeg(kSide, kSide, 3, TestPicture().data(), 90);
    return file;
}

void LoadThroughLibrary(benchmark::State &state, const std::vector<uint8_t> &file) {
    for (auto _ : state) {
        BASEIMAGE im;
        if (LoadImageToBaseImage(nullptr, file.data(), (int)file.size(), 1, &im, 0) != 0) state.SkipWithError("load");
        benchmark::DoNotOptimize(im.pixels);
        FreeBaseImage(&im);
    }
}

void LibraryPng(benchmark::State &state) { LoadThroughLibrary(state, PngFile()); }
void LibraryJpeg(benchmark::State &state) { LoadThroughLibrary(state, JpegFile()); }

struct MemRead {
    const uint8_t *data;
    size_t size, pos;
};

void PngMemRead(png_structp png, png_bytep out, size_t n) {
    MemRead *m = (MemRead *)png_get_io_ptr(png);
    if (m->size - m->pos < n) png_error(png, "short");
    std::memcpy(out, m->data + m->pos, n);
    m->pos += n;
}

// libpng alone with the same transforms, rows into one block.
void DirectPng(benchmark::State &state) {
    const std::vector<uint8_t> &file = PngFile();
    for (auto _ : state) {
        MemRead m{file.data(), file.size(), 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            state.SkipWithError("png");
            break;
        }
        png_set_read_fn(png, &m, PngMemRead);
        png_read_info(png, info);
        png_set_strip_16(png);
        png_set_packing(png);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        size_t row = png_get_rowbytes(png, info);
        png_uint_32 h = png_get_image_height(png, info);
        std::vector<uint8_t> pixels(row * h);
        std::vector<png_bytep> rows(h);
        for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + row * y;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        benchmark::DoNotOptimize(pixels.data());
        png_destroy_read_struct(&png, &info, nullptr);
    }
}

// libjpeg alone from memory, blue-green-red output, one row at a time.
void DirectJpeg(benchmark::State &state) {
    const std::vector<uint8_t> &file = JpegFile();
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr err;
        info.err = jpeg_std_error(&err);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        size_t row = (size_t)info.output_width * 3;
        std::vector<uint8_t> pixels(row * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW p = pixels.data() + row * info.output_scanline;
            jpeg_read_scanlines(&info, &p, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}

COLOURFORMAT Masks(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, bits, r, g, b, a);
    return f;
}

struct Pair {
    COLOURFORMAT src, dst;
    std::vector<uint8_t> in, out;
    Pair(const COLOURFORMAT &s, const COLOURFORMAT &d) : src(s), dst(d) {
        in.resize((size_t)kSide * kSide * s.bytesPerPixel);
        for (size_t i = 0; i < in.size(); ++i) in[i] = (uint8_t)(i * 31 >> 3);
        out.resize((size_t)kSide * kSide * d.bytesPerPixel);
    }
    void Convert() {
        RECT r{0, 0, kSide, kSide};
        ConvertPixelBlock(out.data(), kSide * dst.bytesPerPixel, &dst, in.data(), kSide * src.bytesPerPixel, &src,
                          nullptr, 0, nullptr, 0, 0, &r, 0, 0, 0, 0, 0, 0, 0, 0);
    }
};

COLOURFORMAT Rgb24() { COLOURFORMAT f{}; MakeColourFormatRGB24(&f); return f; }
COLOURFORMAT Xrgb8() { COLOURFORMAT f{}; MakeColourFormatXRGB8(&f); return f; }
COLOURFORMAT Argb8() { COLOURFORMAT f{}; MakeColourFormatARGB8(&f); return f; }
COLOURFORMAT Palette8() {
    COLOURFORMAT f{};
    MakeColourFormatPalette8(&f);
    for (int i = 0; i < 256; ++i) f.palette[i] = {(uint8_t)i, (uint8_t)(i * 3), (uint8_t)(255 - i), 0};
    return f;
}

void ConvertRgb24ToXrgb8(benchmark::State &state) {
    Pair p(Rgb24(), Xrgb8());
    for (auto _ : state) p.Convert(), benchmark::DoNotOptimize(p.out.data());
}

void PlainRgb24ToXrgb8(benchmark::State &state) {
    Pair p(Rgb24(), Xrgb8());
    for (auto _ : state) {
        const uint8_t *s = p.in.data();
        uint32_t *d = (uint32_t *)p.out.data();
        for (size_t i = 0; i < (size_t)kSide * kSide; ++i, s += 3) d[i] = 0xFF000000u | s[2] << 16 | s[1] << 8 | s[0];
        benchmark::DoNotOptimize(p.out.data());
    }
}

void ConvertXrgb8To565(benchmark::State &state) {
    Pair p(Xrgb8(), Masks(16, 0xF800, 0x07E0, 0x001F, 0));
    for (auto _ : state) p.Convert(), benchmark::DoNotOptimize(p.out.data());
}

void PlainXrgb8To565(benchmark::State &state) {
    Pair p(Xrgb8(), Masks(16, 0xF800, 0x07E0, 0x001F, 0));
    for (auto _ : state) {
        const uint32_t *s = (const uint32_t *)p.in.data();
        uint16_t *d = (uint16_t *)p.out.data();
        for (size_t i = 0; i < (size_t)kSide * kSide; ++i) {
            uint32_t v = s[i];
            d[i] = (uint16_t)((v >> 8 & 0xF800) | (v >> 5 & 0x07E0) | (v >> 3 & 0x001F));
        }
        benchmark::DoNotOptimize(p.out.data());
    }
}

void ConvertPalette8ToXrgb8(benchmark::State &state) {
    Pair p(Palette8(), Xrgb8());
    for (auto _ : state) p.Convert(), benchmark::DoNotOptimize(p.out.data());
}

void PlainPalette8ToXrgb8(benchmark::State &state) {
    Pair p(Palette8(), Xrgb8());
    for (auto _ : state) {
        const uint8_t *s = p.in.data();
        uint32_t *d = (uint32_t *)p.out.data();
        for (size_t i = 0; i < (size_t)kSide * kSide; ++i) {
            const PALETTEENTRY_BGRA &e = p.src.palette[s[i]];
            d[i] = 0xFF000000u | (uint32_t)e.red << 16 | (uint32_t)e.green << 8 | e.blue;
        }
        benchmark::DoNotOptimize(p.out.data());
    }
}

void ConvertArgb8ToArgb4(benchmark::State &state) {
    Pair p(Argb8(), Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000));
    for (auto _ : state) p.Convert(), benchmark::DoNotOptimize(p.out.data());
}

void PlainArgb8ToArgb4(benchmark::State &state) {
    Pair p(Argb8(), Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000));
    for (auto _ : state) {
        const uint32_t *s = (const uint32_t *)p.in.data();
        uint16_t *d = (uint16_t *)p.out.data();
        for (size_t i = 0; i < (size_t)kSide * kSide; ++i) {
            uint32_t v = s[i];
            d[i] = (uint16_t)((v >> 16 & 0xF000) | (v >> 12 & 0x0F00) | (v >> 8 & 0x00F0) | (v >> 4 & 0x000F));
        }
        benchmark::DoNotOptimize(p.out.data());
    }
}

}  // namespace

BENCHMARK(LibraryPng)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectPng)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertRgb24ToXrgb8)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainRgb24ToXrgb8)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertXrgb8To565)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainXrgb8To565)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertPalette8ToXrgb8)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainPalette8ToXrgb8)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConvertArgb8ToArgb4)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainArgb8ToArgb4)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
