// The Theora decoder over generated files: its pictures against the test's own decode, seeking,
// stepping around the end, and files it must refuse or survive.
#include "tests/movie/movie_fixture.h"
#include "library/movie/theora_internal.h"
#include "tools/oggwrite/ogg_write.h"

#include <string>

namespace {

using movies::Picture;

TheoraSpec SmallMovie() {
    TheoraSpec spec;
    spec.width = 100;
    spec.height = 75;
    spec.frames = 40;
    spec.keyframeInterval = 8;
    return spec;
}

std::string Describe(const Picture &got, const Picture &want) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height);
    for (int y = 0; y < got.height; y++)
        for (int x = 0; x < got.width; x++)
            if (got.At(x, y) != want.At(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "first difference at (%d, %d): %06X, want %06X", x, y, got.At(x, y),
                         want.At(x, y));
                return text;
            }
    return "same";
}

TEST(YuvTables, ConvertAsTheLimitedRangeFormulas) {
    BuildYuvToRgbTables();
    struct Case {
        int y, u, v;
        uint32_t rgb;
    } cases[] = {
        {16, 128, 128, 0x000000},   // black
        {235, 128, 128, 0xFEFEFE},  // white lands one short of 255
        {255, 255, 255, 0xFF7DFF},  // red and blue clamp at the top
        {0, 0, 0, 0x008700},        // red and blue clamp at the bottom
    };
    for (const Case &c : cases) {
        const YUVTABLES &t = g_yuvTables;
        const uint8_t *clamp = t.clamp + 512;
        int luma = t.y[c.y];
        uint32_t rgb = (uint32_t)clamp[(luma + t.rv[c.v]) >> 14] << 16 |
                       (uint32_t)clamp[(luma + t.gu[c.u] + t.gv[c.v]) >> 14] << 8 | clamp[(luma + t.bu[c.u]) >> 14];
        EXPECT_EQ(rgb, c.rgb) << c.y << "," << c.u << "," << c.v;
        EXPECT_EQ(movies::YuvToRgb(c.y, c.u, c.v), c.rgb);
    }
}

// The pair row forms the tables' products itself: over every luma and chroma value it gives the
// table row's pixels.
TEST(YuvTables, PairRowEqualsTableRowForEveryInput) {
    BuildYuvToRgbTables();
    uint8_t y[256], u[128], v[128];
    for (int i = 0; i < 256; i++) y[i] = (uint8_t)i;
    uint32_t fast[256], table[256];
    int wrong = 0;
    for (int cu = 0; cu < 256; cu++)
        for (int cv = 0; cv < 256; cv++) {
            memset(u, cu, sizeof u);
            memset(v, cv, sizeof v);
            ConvertYuvRowPairs(fast, y, u, v, 128);
            ConvertYuvRow(table, y, u, v, 256, 1, 0);
            wrong += memcmp(fast, table, sizeof fast) != 0;
        }
    EXPECT_EQ(wrong, 0);
}

// Every frame, stepped through one by one and around the end, equals the test's own decode: for
// each chroma layout, with the picture placed inside the coded frame, with a sound track beside.
TEST_F(DecoderTest, EveryFrameMatchesTheReferenceDecode) {
    struct Case {
        const char *name;
        int pixelFormat, picX, picY;
        bool sound;
    } cases[] = {
        {"4:2:0", 0, 0, 0, false},
        {"4:2:0 picture at (4, 6)", 0, 4, 6, false},
        {"4:2:2 picture at (2, 3)", 2, 2, 3, false},
        {"4:4:4 picture at (3, 5)", 3, 3, 5, false},
        {"4:2:0 with sound", 0, 0, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TheoraSpec spec = SmallMovie();
        spec.pixelFormat = c.pixelFormat;
        spec.picX = c.picX;
        spec.picY = c.picY;
        spec.sound = c.sound;
        std::vector<uint8_t> file = EncodeOggTheora(spec);
        std::vector<Picture> reference = movies::DecodeReference(file);
        ASSERT_EQ(reference.size(), 40u);
        THEORADEC *d = Open(file);
        ASSERT_NE(d, nullptr);
        THEORAINFO info;
        GetTheoraInfo(d, &info);
        EXPECT_EQ(info.width, 100);
        EXPECT_EQ(info.height, 75);
        EXPECT_EQ(info.frameCount, 40);
        EXPECT_DOUBLE_EQ(info.frameRate, 30.0);
        for (int f = 0; f < 40; f++) EXPECT_EQ(d->keyframes[f], f % 8 == 0 ? 1 : 0) << "frame " << f;
        for (int i = 0; i < 50; i++) {
            const int f = i % 40;
            ASSERT_EQ(GetTheoraFrameNumber(d), f);
            Picture got = Current(d);
            ASSERT_EQ(Describe(got, reference[f]), "same") << "frame " << f;
            EXPECT_EQ(got.Number(), f);
            StepTheoraFrames(d, 1);
        }
        Close(d);
    }
}

// Seeks read from the keyframe at or before the target; with a stock of one frame the thread
// stops after the target, so the frames it handed to libtheora can be counted.
TEST_F(DecoderTest, SeekDecodesFromTheKeyframeBeforeTheTarget) {
    std::vector<uint8_t> file = EncodeOggTheora(SmallMovie());
    std::vector<Picture> reference = movies::DecodeReference(file);
    THEORADEC *d = Open(file, 1);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->packetsDecoded, 1) << "opening shows frame 0 and decodes nothing else";
    EXPECT_EQ(Describe(Current(d), reference[0]), "same");
    struct Case {
        int target, shown, decoded;
    } cases[] = {
        {8, 8, 1},    // a keyframe
        {13, 13, 6},  // 8 .. 13
        {39, 39, 8},  // 32 .. 39
        {0, 0, 1},
        {0, 0, 0},    // the same target again
        {70, 39, 8},  // past the end: the last frame
        {-5, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("seek to " + std::to_string(c.target));
        const int before = d->packetsDecoded;
        SeekTheoraFrame(d, c.target);
        ASSERT_EQ(GetTheoraFrameNumber(d), c.shown);
        Picture got = Current(d);
        EXPECT_EQ(Describe(got, reference[c.shown]), "same");
        EXPECT_EQ(d->packetsDecoded - before, c.decoded);
    }
    // After stepping away, the old target is a seek again.
    StepTheoraFrames(d, 3);
    SeekTheoraFrame(d, 0);
    EXPECT_EQ(GetTheoraFrameNumber(d), 0);
    EXPECT_EQ(Describe(Current(d), reference[0]), "same");
}

TEST_F(DecoderTest, StepsWrapAroundTheEnd) {
    std::vector<uint8_t> file = EncodeOggTheora(SmallMovie());
    std::vector<Picture> reference = movies::DecodeReference(file);
    THEORADEC *d = Open(file, 4);
    ASSERT_NE(d, nullptr);
    struct Case {
        int from, step, to;
    } cases[] = {
        {39, 1, 0},   // the last frame by 1
        {39, 5, 4},   // the last frame by n: frame n - 1
        {0, 40, 0},   // a whole loop
        {10, 75, 5},  // farther than the stock reaches
        {20, 0, 20},  // 0 does nothing
        {20, -3, 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " by " + std::to_string(c.step));
        SeekTheoraFrame(d, c.from);
        Current(d);
        StepTheoraFrames(d, c.step);
        ASSERT_EQ(GetTheoraFrameNumber(d), c.to);
        EXPECT_EQ(Describe(Current(d), reference[c.to]), "same");
    }
}

TEST_F(DecoderTest, RefusesWhatIsNoPlayableTheoraStream) {
    std::vector<uint8_t> movie = EncodeOggTheora(SmallMovie());
    TheoraSpec headersOnly = SmallMovie();
    headersOnly.frames = 0;
    std::vector<uint8_t> noFrames = EncodeOggTheora(headersOnly);
    std::vector<uint8_t> notOgg = movie;
    notOgg[0] = 'X';
    // The headers take the first three pages; cut inside the second.
    std::vector<uint8_t> cutHeaders(movie.begin(), movie.begin() + 200);
    std::vector<float> tone(4410, 0.25f);
    OggSpec vorbisSpec;
    vorbisSpec.channels = 1;
    std::vector<uint8_t> vorbisOnly = EncodeOggVorbis(tone.data(), tone.size(), vorbisSpec);
    struct Case {
        const char *name;
        const std::vector<uint8_t> *file;
        const char *log;  // null: refused without a line
    } cases[] = {
        {"not starting with OggS", &notOgg, nullptr},
        {"empty", nullptr, nullptr},
        {"Vorbis only", &vorbisOnly, nullptr},
        {"cut inside the headers", &cutHeaders, "End of file while searching for codec headers."},
        {"headers only", &noFrames, "Theora ムービーに再生できるフレームがありません"},
    };
    std::vector<uint8_t> empty;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        size_t logBefore = LogBytes().size();
        EXPECT_EQ(Open(c.file ? *c.file : empty), nullptr);
        std::string added = LogBytes().substr(logBefore);
        if (c.log) EXPECT_NE(added.find(c.log), std::string::npos) << added;
        else EXPECT_EQ(added, "");
    }
}

// A file cut inside its frame data plays the frames it holds; a stream that breaks off after
// the index was built makes the conversion give up instead of waiting for ever.
TEST_F(DecoderTest, CutDataPlaysWhatItHoldsAndBrokenStreamsGiveUp) {
    std::vector<uint8_t> movie = EncodeOggTheora(SmallMovie());
    std::vector<Picture> reference = movies::DecodeReference(movie);
    std::vector<uint8_t> cut(movie.begin(), movie.begin() + (long)(movie.size() * 2 / 3));
    THEORADEC *d = Open(cut, 4);
    ASSERT_NE(d, nullptr);
    const int frames = (int)d->frameCount;
    EXPECT_GT(frames, 8);
    EXPECT_LT(frames, 40);
    for (int i = 0; i < frames + 3; i++) {
        ASSERT_EQ(Describe(Current(d), reference[i % frames]), "same") << "frame " << i % frames;
        StepTheoraFrames(d, 1);
    }

    BUFSTREAM *stream = nullptr;
    d = Open(movie, 2, &stream);
    ASSERT_NE(d, nullptr);
    while (d->state != THEORA_STOCK_FULL) Sleep(1);  // the thread leaves the stream alone now
    stream->size /= 2;  // the data ends early from now on
    StepTheoraFrames(d, 35);
    EXPECT_EQ(ConvertTheoraFrame(d, 1, 0), 0);
    EXPECT_EQ(d->decodeError, 1);
    // A seek back to frame 0 reads what is left and plays again.
    SeekTheoraFrame(d, 0);
    EXPECT_EQ(ConvertTheoraFrame(d, 1, 0), 1);
    EXPECT_EQ(Describe(movies::FromImage(GetTheoraImage(d)), reference[0]), "same");
}

}  // namespace
