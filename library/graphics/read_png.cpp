// PNG through libpng, reading from the stream; libpng errors come back here as a refusal.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "library/base/memory.h"
#include "library/base/stream.h"
#include "library/graphics/image_readers.h"

namespace {

struct PngReadContext {
    STREAMREF *stream;
    int64_t size;      // stream end less the position at set-up
    int64_t position;  // bytes handed to libpng so far
    uint8_t *block;    // the result, freed when an error jumps back
    png_bytep *rows;
};

[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngReadData(png_structp png, png_bytep data, size_t length) {
    PngReadContext *c = (PngReadContext *)png_get_io_ptr(png);
    if ((uint64_t)(c->size - c->position) < length) png_error(png, "Read Error");
    if ((size_t)c->stream->Read(data, 1, length, c->stream->handle) != length) png_error(png, "Read Error");
    c->position += (int64_t)length;
}

void SetPngFormat(png_structp png, png_infop info, BASEIMAGE *out) {
    COLOURFORMAT &f = out->colourFormat;
    int type = png_get_color_type(png, info);
    int channels = png_get_channels(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        MakeColourFormatPalette8(&f);
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &palette, &count) == 0) count = 0;
        for (int i = 0; i < count && i < 256; ++i) f.palette[i] = {palette[i].blue, palette[i].green, palette[i].red, 0};
    } else if (type == PNG_COLOR_TYPE_GRAY) {
        MakeColourFormatGray8(&f);
    } else if (type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        // Grey in the low byte for all three colours, the alpha kept in the high byte.
        MakeColourFormatFromMasks(&f, 16, 0xFF, 0xFF, 0xFF, 0xFF00);
    } else if (channels == 4) {
        MakeColourFormatARGB8(&f);
    } else {
        MakeColourFormatRGB24(&f);
    }
}

}  // namespace

int ReadPngImage(STREAMREF *stream, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    PngReadContext ctx{};
    ctx.stream = stream;
    int start = stream->Tell(stream->handle);
    if (start < 0 || stream->Seek(stream->handle, 0, 2) != 0) return -1;
    ctx.size = (int64_t)stream->Tell(stream->handle) - start;
    if (stream->Seek(stream->handle, start, 0) != 0 || ctx.size <= 0) return -1;

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (png == nullptr) return -1;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return -1;
    }
    PngReadContext *volatile c = &ctx;
    if (setjmp(png_jmpbuf(png))) {
        MEM_FREE(c->block);
        MEM_FREE(c->rows);
        png_destroy_read_struct(&png, &info, nullptr);
        std::memset(out, 0, sizeof(*out));
        return -1;
    }
    png_set_read_fn(png, &ctx, PngReadData);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
    if (!ImageSizeAllowed(width, height)) png_error(png, "Too large");

    png_set_strip_16(png);
    png_set_packing(png);
    png_set_packswap(png);
    if ((type == PNG_COLOR_TYPE_GRAY && depth <= 8) || png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);

    int64_t bytes = ImageBlockBytes((int64_t)rowBytes, height);
    if (bytes < 0) png_error(png, "Too large");
    ctx.block = (uint8_t *)MEM_ALLOC((size_t)bytes);
    ctx.rows = (png_bytep *)MEM_ALLOC(sizeof(png_bytep) * height);
    if (ctx.block == nullptr || ctx.rows == nullptr) png_error(png, "Out of memory");
    for (png_uint_32 y = 0; y < height; ++y) ctx.rows[y] = ctx.block + (size_t)y * rowBytes;
    png_read_image(png, ctx.rows);
    png_read_end(png, nullptr);

    SetPngFormat(png, info, out);
    out->width = (int32_t)width;
    out->height = (int32_t)height;
    out->pitch = (int32_t)rowBytes;
    out->pixels = ctx.block;
    MEM_FREE(ctx.rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}
