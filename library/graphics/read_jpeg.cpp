// JPEG through libjpeg, reading from the stream; libjpeg errors come back here as a refusal.
#include <cstdio>  // jpeglib.h needs FILE
#include <csetjmp>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "library/base/memory.h"
#include "library/base/stream.h"
#include "library/graphics/image_readers.h"

namespace {

constexpr size_t kJpegBufferBytes = 4096;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

struct JpegStreamSource {
    jpeg_source_mgr pub;
    JOCTET buffer[kJpegBufferBytes];
    bool startOfFile;
    STREAMREF *stream;
    int64_t size;
    int64_t position;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    (*info->err->output_message)(info);
    longjmp(((JpegErrorManager *)info->err)->jump, 1);
}

// The messages have no reader here.
void JpegOutputMessage(j_common_ptr) {}

void JpegInitSource(j_decompress_ptr info) {
    ((JpegStreamSource *)info->src)->startOfFile = true;
}

boolean JpegFillInput(j_decompress_ptr info) {
    JpegStreamSource *s = (JpegStreamSource *)info->src;
    int64_t left = s->size - s->position;
    size_t n = left < (int64_t)kJpegBufferBytes ? (size_t)(left > 0 ? left : 0) : kJpegBufferBytes;
    if (n > 0) n = (size_t)s->stream->Read(s->buffer, 1, n, s->stream->handle);
    if (n == 0) {
        if (s->startOfFile) ERREXIT(info, JERR_INPUT_EMPTY);
        // Premature end: hand over an end-of-image marker and let libjpeg finish what it has.
        WARNMS(info, JWRN_JPEG_EOF);
        s->buffer[0] = (JOCTET)0xFF;
        s->buffer[1] = (JOCTET)JPEG_EOI;
        n = 2;
    } else {
        s->position += (int64_t)n;
    }
    s->pub.next_input_byte = s->buffer;
    s->pub.bytes_in_buffer = n;
    s->startOfFile = false;
    return TRUE;
}

void JpegSkipInput(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr *src = info->src;
    while ((size_t)count > src->bytes_in_buffer) {
        count -= (long)src->bytes_in_buffer;
        JpegFillInput(info);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= (size_t)count;
}

void JpegTermSource(j_decompress_ptr) {}

}  // namespace

int ReadJpegImage(STREAMREF *stream, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    JpegStreamSource source{};
    source.stream = stream;
    int start = stream->Tell(stream->handle);
    if (start < 0 || stream->Seek(stream->handle, 0, 2) != 0) return -1;
    source.size = (int64_t)stream->Tell(stream->handle) - start;
    if (stream->Seek(stream->handle, start, 0) != 0) return -1;
    source.pub.init_source = JpegInitSource;
    source.pub.fill_input_buffer = JpegFillInput;
    source.pub.skip_input_data = JpegSkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = JpegTermSource;

    jpeg_decompress_struct info;
    JpegErrorManager err;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.output_message = JpegOutputMessage;
    uint8_t *volatile block = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        MEM_FREE(block);
        std::memset(out, 0, sizeof(*out));
        return -1;
    }
    jpeg_create_decompress(&info);
    info.src = &source.pub;
    jpeg_read_header(&info, TRUE);
    if (!ImageSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return -1;
    }
    // Grey or colour only: four-component (CMYK) data has no copy rule.
    if (info.num_components == 1) {
        info.out_color_space = JCS_GRAYSCALE;
    } else if (info.num_components == 3) {
#ifdef JCS_EXTENSIONS
        info.out_color_space = JCS_EXT_BGR;  // blue, green, red straight from the decoder
#else
        info.out_color_space = JCS_RGB;
#endif
    } else {
        jpeg_destroy_decompress(&info);
        return -1;
    }
    jpeg_start_decompress(&info);
    int64_t rowBytes = (int64_t)info.output_width * info.output_components;
    int64_t bytes = ImageBlockBytes(rowBytes, info.output_height);
    if (bytes < 0 || info.output_width > (JDIMENSION)kMaxImageSide) {
        jpeg_destroy_decompress(&info);
        return -1;
    }
    block = (uint8_t *)MEM_ALLOC((size_t)bytes);
    if (block == nullptr) {
        jpeg_destroy_decompress(&info);
        return -1;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = block + (size_t)info.output_scanline * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
#ifndef JCS_EXTENSIONS
        if (info.output_components == 3)
            for (int64_t x = 0; x < rowBytes; x += 3) {
                JSAMPLE t = row[x];
                row[x] = row[x + 2];
                row[x + 2] = t;
            }
#endif
    }
    jpeg_finish_decompress(&info);
    if (info.output_components == 1)
        MakeColourFormatGray8(&out->colourFormat);
    else
        MakeColourFormatRGB24(&out->colourFormat);
    out->width = (int32_t)info.output_width;
    out->height = (int32_t)info.output_height;
    out->pitch = (int32_t)rowBytes;
    out->pixels = block;
    jpeg_destroy_decompress(&info);
    return 0;
}
