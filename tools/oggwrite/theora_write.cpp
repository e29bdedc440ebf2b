#include "tools/oggwrite/theora_write.h"

#include <theora/theoraenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/oggwrite/ogg_write.h"

namespace {

bool HalvedAcross(int pixelFormat) { return pixelFormat == TH_PF_420 || pixelFormat == TH_PF_422; }
bool HalvedDown(int pixelFormat) { return pixelFormat == TH_PF_420; }

int BandHeight(int height) { return std::max(2, height / 4); }

// A page's end time in seconds (-1 for header pages).
struct TimedPage {
    OggPageBytes page;
    double time;
};

void TakePage(std::vector<TimedPage> &out, const ogg_page &og, bool header) {
    out.push_back({PageBytes(og, header), -1});
}

// Pages whose granule is -1 end no packet: they take the time of the page before them.
void FillTimes(std::vector<TimedPage> &pages, double (*timeOf)(int64_t, const void *), const void *ctx) {
    double last = 0;
    for (TimedPage &p : pages) {
        if (p.page.header) continue;
        if (p.page.granule >= 0) last = timeOf(p.page.granule, ctx);
        p.time = last;
    }
}

std::vector<TimedPage> SoundPages(const TheoraSpec &spec, double videoSeconds) {
    double seconds = spec.soundSeconds > 0 ? spec.soundSeconds : videoSeconds;
    size_t frames = (size_t)std::lround(seconds * spec.soundRate);
    std::vector<float> samples(frames * (size_t)spec.soundChannels);
    for (size_t i = 0; i < frames; i++) {
        float s = 0.5f * (float)std::sin(2.0 * M_PI * spec.toneHz * (double)i / spec.soundRate);
        for (int c = 0; c < spec.soundChannels; c++) samples[i * (size_t)spec.soundChannels + (size_t)c] = s;
    }
    OggSpec os;
    os.channels = spec.soundChannels;
    os.rate = spec.soundRate;
    os.serial = spec.serial + 1;
    std::vector<TimedPage> out;
    for (OggPageBytes &p : EncodeVorbisPages(samples.data(), frames, os)) out.push_back({std::move(p), -1});
    int rate = spec.soundRate;
    FillTimes(
        out, [](int64_t g, const void *r) { return (double)g / *(const int *)r; }, &rate);
    return out;
}

}  // namespace

void TheoraPatternPoint(int width, int height, int bit, int *x, int *y) {
    int blockWidth = width / kTheoraPatternBits;
    *x = bit * blockWidth + blockWidth / 2;
    *y = BandHeight(height) / 2;
}

TheoraPicture DrawTheoraPicture(const TheoraSpec &spec, int n) {
    TheoraPicture p;
    p.width = spec.width;
    p.height = spec.height;
    const int sx = HalvedAcross(spec.pixelFormat) ? 1 : 0, sy = HalvedDown(spec.pixelFormat) ? 1 : 0;
    p.chromaWidth = (spec.width + sx) >> sx;
    p.chromaHeight = (spec.height + sy) >> sy;
    p.y.resize((size_t)p.width * p.height);
    p.u.resize((size_t)p.chromaWidth * p.chromaHeight);
    p.v.resize(p.u.size());
    const int band = BandHeight(spec.height), blockWidth = spec.width / kTheoraPatternBits;
    const int number = n & ((1 << kTheoraPatternBits) - 1);
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            int block = blockWidth > 0 ? x / blockWidth : kTheoraPatternBits;
            uint8_t luma;
            if (y < band && block < kTheoraPatternBits)
                luma = (number >> (kTheoraPatternBits - 1 - block)) & 1 ? 235 : 16;
            else
                luma = (uint8_t)(16 + ((x + 2 * y + 3 * n) * 5) % 220);
            p.y[(size_t)y * p.width + x] = luma;
        }
    for (int y = 0; y < p.chromaHeight; y++)
        for (int x = 0; x < p.chromaWidth; x++) {
            size_t at = (size_t)y * p.chromaWidth + x;
            if ((y << sy) < band) {
                p.u[at] = p.v[at] = 128;
            } else {
                p.u[at] = (uint8_t)(16 + ((x * 4 + n * 6) % 224));
                p.v[at] = (uint8_t)(16 + ((y * 4 + n * 3) % 224));
            }
        }
    return p;
}

std::vector<uint8_t> EncodeOggTheora(const TheoraSpec &spec) {
    std::vector<uint8_t> file;
    if (spec.width <= 0 || spec.height <= 0 || spec.frames < 0 || spec.keyframeInterval <= 0) return file;
    const int sx = HalvedAcross(spec.pixelFormat) ? 1 : 0, sy = HalvedDown(spec.pixelFormat) ? 1 : 0;
    const int picX = spec.picX & ~sx, picY = spec.picY & ~sy;

    th_info ti;
    th_info_init(&ti);
    ti.frame_width = (uint32_t)((picX + spec.width + 15) & ~15);
    ti.frame_height = (uint32_t)((picY + spec.height + 15) & ~15);
    ti.pic_width = (uint32_t)spec.width;
    ti.pic_height = (uint32_t)spec.height;
    ti.pic_x = (uint32_t)picX;
    ti.pic_y = (uint32_t)picY;
    ti.fps_numerator = (uint32_t)spec.fpsNumerator;
    ti.fps_denominator = (uint32_t)spec.fpsDenominator;
    ti.aspect_numerator = 1;
    ti.aspect_denominator = 1;
    ti.colorspace = TH_CS_UNSPECIFIED;
    ti.pixel_fmt = (th_pixel_fmt)spec.pixelFormat;
    ti.target_bitrate = 0;
    ti.quality = spec.quality;
    int shift = 0;
    while ((1 << shift) < spec.keyframeInterval) shift++;
    ti.keyframe_granule_shift = shift;
    th_enc_ctx *enc = th_encode_alloc(&ti);
    if (!enc) {
        th_info_clear(&ti);
        return file;
    }
    ogg_uint32_t interval = (ogg_uint32_t)spec.keyframeInterval;
    th_encode_ctl(enc, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &interval, sizeof interval);

    ogg_stream_state os;
    ogg_stream_init(&os, spec.serial);
    std::vector<TimedPage> video;
    ogg_page og;
    ogg_packet op;
    th_comment tc;
    th_comment_init(&tc);
    // The first header stands alone on the beginning page.
    for (int i = 0; th_encode_flushheader(enc, &tc, &op) > 0; i++) {
        ogg_stream_packetin(&os, &op);
        if (i == 0)
            while (ogg_stream_flush(&os, &og)) TakePage(video, og, true);
    }
    while (ogg_stream_flush(&os, &og)) TakePage(video, og, true);
    th_comment_clear(&tc);

    // Frames: the picture at its place in the coded frame; the border repeats the picture's edge.
    const int fw = (int)ti.frame_width, fh = (int)ti.frame_height;
    std::vector<uint8_t> planes[3];
    planes[0].assign((size_t)fw * fh, 16);
    planes[1].assign((size_t)(fw >> sx) * (fh >> sy), 128);
    planes[2].assign(planes[1].size(), 128);
    for (int n = 0; n < spec.frames; n++) {
        TheoraPicture pic = DrawTheoraPicture(spec, n);
        for (int y = 0; y < pic.height; y++)
            memcpy(&planes[0][(size_t)(picY + y) * fw + picX], &pic.y[(size_t)y * pic.width], (size_t)pic.width);
        const int cx = picX >> sx, cy = picY >> sy, cw = fw >> sx;
        for (int y = 0; y < pic.chromaHeight; y++) {
            memcpy(&planes[1][(size_t)(cy + y) * cw + cx], &pic.u[(size_t)y * pic.chromaWidth], (size_t)pic.chromaWidth);
            memcpy(&planes[2][(size_t)(cy + y) * cw + cx], &pic.v[(size_t)y * pic.chromaWidth], (size_t)pic.chromaWidth);
        }
        th_ycbcr_buffer buf;
        for (int i = 0; i < 3; i++) {
            buf[i].width = i == 0 ? fw : fw >> sx;
            buf[i].height = i == 0 ? fh : fh >> sy;
            buf[i].stride = buf[i].width;
            buf[i].data = planes[i].data();
        }
        if (th_encode_ycbcr_in(enc, buf) != 0) break;
        while (th_encode_packetout(enc, n == spec.frames - 1, &op) > 0) {
            ogg_stream_packetin(&os, &op);
            while (ogg_stream_pageout(&os, &og)) TakePage(video, og, false);
        }
    }
    while (ogg_stream_flush(&os, &og)) TakePage(video, og, false);
    ogg_stream_clear(&os);
    FillTimes(
        video,
        [](int64_t g, const void *e) {
            th_enc_ctx *c = const_cast<th_enc_ctx *>(static_cast<const th_enc_ctx *>(e));
            return th_granule_time(c, g);
        },
        enc);
    th_encode_free(enc);
    th_info_clear(&ti);

    std::vector<TimedPage> sound;
    if (spec.sound && spec.frames > 0)
        sound = SoundPages(spec, (double)spec.frames * spec.fpsDenominator / spec.fpsNumerator);

    // Beginning pages first, then the other headers, then the data pages by time.
    auto put = [&](const TimedPage &p) { file.insert(file.end(), p.page.bytes.begin(), p.page.bytes.end()); };
    size_t vh = 0, sh = 0;
    if (vh < video.size() && video[vh].page.header) put(video[vh++]);
    if (sh < sound.size() && sound[sh].page.header) put(sound[sh++]);
    while (vh < video.size() && video[vh].page.header) put(video[vh++]);
    while (sh < sound.size() && sound[sh].page.header) put(sound[sh++]);
    while (vh < video.size() || sh < sound.size()) {
        if (sh >= sound.size() || (vh < video.size() && video[vh].time <= sound[sh].time)) put(video[vh++]);
        else put(sound[sh++]);
    }
    return file;
}
