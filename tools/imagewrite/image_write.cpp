#include "tools/imagewrite/image_write.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace {

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

int PngChannels(int type) {
    switch (type) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    default: return 4;
    }
}

}  // namespace

std::vector<uint8_t> EncodePng(const PngSpec &s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("png write failed");
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, (png_uint_32)s.width, (png_uint_32)s.height, s.bitDepth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    if (!s.palette.empty()) {
        for (size_t i = 0; i + 2 < s.palette.size(); i += 3) palette.push_back({s.palette[i], s.palette[i + 1], s.palette[i + 2]});
        png_set_PLTE(png, info, palette.data(), (int)palette.size());
    }
    png_color_16 key{};
    if (!s.trns.empty()) {
        if (s.colourType == 3) {
            png_set_tRNS(png, info, s.trns.data(), (int)s.trns.size(), nullptr);
        } else {
            auto at = [&](size_t i) { return (png_uint_16)(s.trns[i] << 8 | s.trns[i + 1]); };
            if (s.colourType == 0) key.gray = at(0);
            else { key.red = at(0); key.green = at(2); key.blue = at(4); }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_write_info(png, info);
    size_t rowBytes = ((size_t)s.width * PngChannels(s.colourType) * s.bitDepth + 7) / 8;
    std::vector<png_bytep> rows((size_t)s.height);
    for (int y = 0; y < s.height; ++y) rows[(size_t)y] = const_cast<png_bytep>(s.pixels.data() + (size_t)y * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> EncodeJpeg(int width, int height, int components, const uint8_t *pixels, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = (JDIMENSION)width;
    info.image_height = (JDIMENSION)height;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + (size_t)info.next_scanline * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}
