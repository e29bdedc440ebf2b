// Movie fixtures: Theora files made by the writer at run time, the test's own decode of them
// through libtheora's current interface (pictures converted to RGB by the colour formulas written
// out here), and a decoder test base that checks no decode thread outlives its test.
#pragma once

#include <theora/theoradec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "fixtures/start_dir.h"
#include "library/base/memory.h"
#include "library/base/stream.h"
#include "library/movie/theora_decoder.h"
#include "platform/testing.h"
#include "tools/oggwrite/theora_write.h"

namespace movies {

// A picture as 0xRRGGBB words, rows top first; from the reference decode also its luma and the
// chroma samples of each pixel (chroma at luma resolution).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> luma, cb, cr;
    uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    // The frame number its pattern shows.
    int Number() const {
        return ReadTheoraPatternNumber(width, height, [&](int x, int y) {
            uint32_t p = At(x, y);
            return (int)(((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) / 3);
        });
    }
};

inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// BT.601 limited range in 14-bit fixed point, as the library is asked to convert.
inline uint32_t YuvToRgb(int y, int u, int v) {
    const int luma = 19070 * (y - 16);
    const int r = Clamp255((luma + 26148 * (v - 128)) >> 14);
    const int g = Clamp255((luma - 6406 * (u - 128) - 13320 * (v - 128)) >> 14);
    const int b = Clamp255((luma + 33062 * (u - 128)) >> 14);
    return (uint32_t)(r << 16 | g << 8 | b);
}

// Every frame of the file's Theora stream, cropped to the picture and converted.
inline std::vector<Picture> DecodeReference(const std::vector<uint8_t> &file) {
    std::vector<Picture> frames;
    ogg_sync_state oy;
    ogg_sync_init(&oy);
    char *buffer = ogg_sync_buffer(&oy, (long)file.size());
    memcpy(buffer, file.data(), file.size());
    ogg_sync_wrote(&oy, (long)file.size());
    th_info info;
    th_comment comment;
    th_setup_info *setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    th_dec_ctx *dec = nullptr;
    ogg_stream_state os;
    int serial = -1, headers = 0;
    ogg_page og;
    while (ogg_sync_pageout(&oy, &og) == 1) {
        if (serial < 0) {
            if (!ogg_page_bos(&og)) break;
            ogg_stream_init(&os, ogg_page_serialno(&og));
            ogg_stream_pagein(&os, &og);
            ogg_packet op;
            if (ogg_stream_packetout(&os, &op) == 1 && th_decode_headerin(&info, &comment, &setup, &op) > 0) {
                serial = ogg_page_serialno(&og);
                headers = 1;
            } else {
                ogg_stream_clear(&os);
            }
            continue;
        }
        if (ogg_page_serialno(&og) != serial) continue;
        ogg_stream_pagein(&os, &og);
        ogg_packet op;
        while (ogg_stream_packetout(&os, &op) == 1) {
            if (headers < 3) {
                th_decode_headerin(&info, &comment, &setup, &op);
                if (++headers == 3) dec = th_decode_alloc(&info, setup);
                continue;
            }
            th_decode_packetin(dec, &op, nullptr);
            th_ycbcr_buffer yuv;
            th_decode_ycbcr_out(dec, yuv);
            const int sx = info.pixel_fmt == TH_PF_444 ? 0 : 1, sy = info.pixel_fmt == TH_PF_420 ? 1 : 0;
            Picture p;
            p.width = (int)info.pic_width;
            p.height = (int)info.pic_height;
            const size_t count = (size_t)p.width * p.height;
            p.pixels.resize(count);
            p.luma.resize(count);
            p.cb.resize(count);
            p.cr.resize(count);
            for (int y = 0; y < p.height; y++)
                for (int x = 0; x < p.width; x++) {
                    const int fx = (int)info.pic_x + x, fy = (int)info.pic_y + y;
                    const size_t at = (size_t)y * p.width + x;
                    p.luma[at] = yuv[0].data[fy * yuv[0].stride + fx];
                    p.cb[at] = yuv[1].data[(fy >> sy) * yuv[1].stride + (fx >> sx)];
                    p.cr[at] = yuv[2].data[(fy >> sy) * yuv[2].stride + (fx >> sx)];
                    p.pixels[at] = YuvToRgb(p.luma[at], p.cb[at], p.cr[at]);
                }
            frames.push_back(std::move(p));
        }
    }
    if (dec) th_decode_free(dec);
    if (setup) th_setup_free(setup);
    if (serial >= 0) ogg_stream_clear(&os);
    th_comment_clear(&comment);
    th_info_clear(&info);
    ogg_sync_clear(&oy);
    return frames;
}

// The decoder's RGB image as a picture.
inline Picture FromImage(const BASEIMAGE *image) {
    Picture p;
    p.width = image->width;
    p.height = image->height;
    p.pixels.resize((size_t)p.width * p.height);
    for (int y = 0; y < p.height; y++) {
        const uint32_t *row = reinterpret_cast<const uint32_t *>(image->pixels + (size_t)y * image->pitch);
        for (int x = 0; x < p.width; x++) p.pixels[(size_t)y * p.width + x] = row[x] & 0xFFFFFF;
    }
    return p;
}

}  // namespace movies

// A decoder test: the log in a fresh folder, and no thread left behind.
class DecoderTest : public LogStartTest {
public:
    void SetUp() override {
        LogStartTest::SetUp();
        threads_ = PlatformTestLiveThreadCount();
        BuildYuvToRgbTables();
    }
    void TearDown() override {
        for (auto &open : open_) {
            if (open.decoder) CloseTheoraDecoder(open.decoder);
            CloseMemStream((uintptr_t)open.stream);
        }
        open_.clear();
        EXPECT_EQ(PlatformTestLiveThreadCount(), threads_);
        LogStartTest::TearDown();
    }

    // Opens a decoder over a memory copy of the file (kept until the test ends); null as refused.
    THEORADEC *Open(const std::vector<uint8_t> &file, int stock = 10, BUFSTREAM **streamOut = nullptr) {
        files_.push_back(file);
        BUFSTREAM *stream = OpenMemStream(files_.back().data(), (int)files_.back().size());
        THEORADEC *d = OpenTheoraDecoder(GetMemStreamFuncs(), (uintptr_t)stream, stock);
        open_.push_back({d, stream});
        if (streamOut) *streamOut = stream;
        return d;
    }
    void Close(THEORADEC *d) {
        for (auto &open : open_)
            if (open.decoder == d) open.decoder = nullptr;
        CloseTheoraDecoder(d);
    }
    // The current frame converted, as a picture.
    static movies::Picture Current(THEORADEC *d) {
        ConvertTheoraFrame(d, 1, 0);
        return movies::FromImage(GetTheoraImage(d));
    }
    bool LogHas(const std::string &text) const { return LogBytes().find(text) != std::string::npos; }

private:
    struct Opened {
        THEORADEC *decoder;
        BUFSTREAM *stream;
    };
    std::vector<Opened> open_;
    std::deque<std::vector<uint8_t>> files_;  // the streams read them in place
    int threads_ = 0;
};
