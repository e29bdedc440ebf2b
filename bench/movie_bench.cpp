// Theora playback through the library against libtheora's decode alone, on a generated
// 640 x 480 movie of 120 frames: the library steps one frame and converts it to RGB (its decode
// thread decodes meanwhile); the yardstick hands each packet to libtheora and takes its picture
// out, with the packets already split from the file. The last line gives the library's frame rate
// against the yardstick's.
#include <theora/theoradec.h>

#include <cstring>
#include <vector>

#include "library/base/memory.h"
#include "library/base/stream.h"
#include "library/movie/theora_decoder.h"
#include "rate_pairs.h"
#include "tools/oggwrite/theora_write.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 120;

const std::vector<uint8_t> &Movie() {
    static const std::vector<uint8_t> file = [] {
        TheoraSpec spec;
        spec.width = kWidth;
        spec.height = kHeight;
        spec.frames = kFrames;
        spec.keyframeInterval = 30;
        return EncodeOggTheora(spec);
    }();
    return file;
}

// The file's Theora packets, headers first.
struct Packets {
    std::vector<std::vector<uint8_t>> data;
    std::vector<ogg_packet> packets;
};

Packets SplitPackets(const std::vector<uint8_t> &file) {
    Packets out;
    ogg_sync_state oy;
    ogg_stream_state os;
    ogg_sync_init(&oy);
    char *buffer = ogg_sync_buffer(&oy, (long)file.size());
    memcpy(buffer, file.data(), file.size());
    ogg_sync_wrote(&oy, (long)file.size());
    ogg_page og;
    bool started = false;
    while (ogg_sync_pageout(&oy, &og) == 1) {
        if (!started) {
            ogg_stream_init(&os, ogg_page_serialno(&og));
            started = true;
        }
        if (ogg_page_serialno(&og) != os.serialno) continue;
        ogg_stream_pagein(&os, &og);
        ogg_packet op;
        while (ogg_stream_packetout(&os, &op) == 1) {
            out.data.emplace_back(op.packet, op.packet + op.bytes);
            out.packets.push_back(op);
        }
    }
    for (size_t i = 0; i < out.packets.size(); i++) out.packets[i].packet = out.data[i].data();
    if (started) ogg_stream_clear(&os);
    ogg_sync_clear(&oy);
    return out;
}

void BM_LibtheoraDecodeOnly(benchmark::State &state) {
    Packets p = SplitPackets(Movie());
    th_info info;
    th_comment comment;
    th_setup_info *setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    for (size_t i = 0; i < 3; i++) th_decode_headerin(&info, &comment, &setup, &p.packets[i]);
    th_dec_ctx *dec = th_decode_alloc(&info, setup);
    size_t next = 3;
    for (auto _ : state) {
        th_decode_packetin(dec, &p.packets[next], nullptr);
        th_ycbcr_buffer picture;
        th_decode_ycbcr_out(dec, picture);
        benchmark::DoNotOptimize(picture[0].data);
        if (++next == p.packets.size()) next = 3;  // frame 0 is a keyframe: decoding goes on from it
    }
    ReportPixels(state, (double)kWidth * kHeight);
    th_decode_free(dec);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
}

void BM_LibraryStepAndConvert(benchmark::State &state) {
    BuildYuvToRgbTables();
    const std::vector<uint8_t> &file = Movie();
    BUFSTREAM *stream = OpenMemStream(file.data(), (int)file.size());
    THEORADEC *d = OpenTheoraDecoder(GetMemStreamFuncs(), (uintptr_t)stream, 10);
    if (!d) {
        state.SkipWithError("the movie did not open");
        CloseMemStream((uintptr_t)stream);
        return;
    }
    for (auto _ : state) {
        StepTheoraFrames(d, 1);
        benchmark::DoNotOptimize(ConvertTheoraFrame(d, 1, 0));
    }
    ReportPixels(state, (double)kWidth * kHeight);
    CloseTheoraDecoder(d);
    CloseMemStream((uintptr_t)stream);
}

}  // namespace

BENCHMARK(BM_LibtheoraDecodeOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryStepAndConvert)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) {
    return RunWithRatios(argc, argv, {{"BM_LibraryStepAndConvert/real_time", "BM_LibtheoraDecodeOnly/real_time"}});
}
