// Conversion to PCM over memory streams: the WAVE walk on good and broken files, compressed
// WAVE, Ogg Vorbis against a direct vorbisfile decode, MP3 frame walks, seeking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "fixtures/ogg_fixture.h"
#include "fixtures/sound_fixtures.h"
#include "library/base/memory.h"
#include "library/sound/pcm_convert.h"
#include "library/sound/pcm_readers.h"

namespace {

using fixtures::FmtBody;
using fixtures::Riff;

const std::vector<uint8_t> kNoExtra;

// A conversion over a memory stream of an image.
struct Conv {
    std::vector<uint8_t> image;
    BUFSTREAM *mem = nullptr;
    STREAMREF ref{};
    PCMCONV conv{};
    int rc = -1;
    explicit Conv(std::vector<uint8_t> bytes) : image(std::move(bytes)) {
        mem = OpenMemStream(image.data(), (int)image.size());
        MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)mem);
        rc = SetupSoundConvert(&ref, &conv);
    }
    ~Conv() {
        if (rc == 0) EndSoundConvert(&conv);
        CloseMemStream((uintptr_t)mem);
    }
    std::vector<int16_t> Whole() {
        WAVEFORMATEX f;
        void *block = nullptr;
        int size = 0;
        EXPECT_EQ(ConvertWholeSound(&conv, &f, &block, &size), 0);
        std::vector<int16_t> v((size_t)size / 2);
        if (size) memcpy(v.data(), block, v.size() * 2);
        MEM_FREE(block);
        return v;
    }
    std::vector<int16_t> Read(int bytes) {
        std::vector<int16_t> v((size_t)bytes / 2);
        int got = ReadConvertedData(&conv, v.data(), bytes);
        v.resize(got > 0 ? (size_t)got / 2 : 0);
        return v;
    }
};

// Quiet data: no 0xFF bytes, so nothing in it can look like an MP3 frame.
std::vector<uint8_t> Quiet(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; i++) v[i] = (uint8_t)(i % 50);
    return v;
}

TEST(WaveWalk, TableOfGoodAndBrokenFiles) {
    const auto fmt16 = FmtBody(1, 2, 44100, 176400, 4, 16);
    const auto data = Quiet(400);
    struct Case {
        const char *name;
        std::vector<uint8_t> image;
        bool accepted;
        int dataStart, dataSize;
    };
    std::vector<Case> cases = {
        {"plain", Riff().Chunk("fmt ", fmt16).Chunk("data", data).Done(), true, 44, 400},
        {"18-byte fmt", Riff().Chunk("fmt ", FmtBody(1, 1, 8000, 8000, 1, 8, &kNoExtra)).Chunk("data", data).Done(), true, 46, 400},
        {"LIST before data", Riff().Chunk("fmt ", fmt16).Chunk("LIST", Quiet(30)).Chunk("data", data).Done(), true, 82, 400},
        {"odd chunk and its pad", Riff().Chunk("fmt ", fmt16).Chunk("note", Quiet(7)).Chunk("data", data).Done(), true, 60, 400},
        {"data runs past the file", Riff().Chunk("fmt ", fmt16).Chunk("data", data, 100000).Done(), true, 44, 400},
        {"data size 0xFFFFFFF8", Riff().Chunk("fmt ", fmt16).Chunk("data", data, 0xFFFFFFF8).Done(), true, 44, 400},
        {"zero-length data", Riff().Chunk("fmt ", fmt16).Chunk("data", nullptr, 0).Done(), true, 44, 0},
        {"fmt not first", Riff().Chunk("LIST", Quiet(30)).Chunk("fmt ", fmt16).Chunk("data", data).Done(), false, 0, 0},
        {"no data chunk", Riff().Chunk("fmt ", fmt16).Chunk("LIST", Quiet(30)).Done(), false, 0, 0},
        {"skip of 0xFFFFFFF8", Riff().Chunk("fmt ", fmt16).Chunk("junk", Quiet(8), 0xFFFFFFF8).Chunk("data", data).Done(), false, 0, 0},
        {"skip of 0x7FFFFFFF", Riff().Chunk("fmt ", fmt16).Chunk("junk", Quiet(8), 0x7FFFFFFF).Chunk("data", data).Done(), false, 0, 0},
        {"channels 0", Riff().Chunk("fmt ", FmtBody(1, 0, 44100, 0, 4, 16)).Chunk("data", data).Done(), false, 0, 0},
        {"block align 0", Riff().Chunk("fmt ", FmtBody(1, 2, 44100, 0, 0, 16)).Chunk("data", data).Done(), false, 0, 0},
        {"fmt of 14 bytes", Riff().Chunk("fmt ", Quiet(14)).Chunk("data", data).Done(), false, 0, 0},
        {"fmt larger than the file", Riff().Chunk("fmt ", fmt16, 0xFFFFFFFF).Done(), false, 0, 0},
        {"not RIFF", [] { auto v = Riff().Chunk("fmt ", FmtBody(1, 2, 44100, 176400, 4, 16)).Done(); v[0] = 'X'; return v; }(), false, 0, 0},
        {"header cut short", std::vector<uint8_t>{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A'}, false, 0, 0},
    };
    for (Case &c : cases) {
        Conv cv(c.image);
        EXPECT_EQ(cv.rc == 0, c.accepted) << c.name;
        if (cv.rc != 0 || !c.accepted) continue;
        EXPECT_EQ(cv.conv.kind, PCMCONV_WAVE) << c.name;
        EXPECT_EQ(cv.conv.dataStart, c.dataStart) << c.name;
        EXPECT_EQ(cv.conv.dataSize, c.dataSize) << c.name;
        EXPECT_EQ(GetConvertedSize(&cv.conv), c.dataSize) << c.name;
        auto whole = cv.Whole();
        EXPECT_EQ(whole.size() * 2, (size_t)c.dataSize) << c.name;
    }
}

TEST(WaveWalk, FormatIsTakenAndMended) {
    // 16-byte chunk: bits from block align and channels; the average byte rate recomputed.
    auto data = Quiet(40);
    Conv a(Riff().Chunk("fmt ", FmtBody(1, 2, 22050, 7, 4, 8)).Chunk("data", data).Done());
    ASSERT_EQ(a.rc, 0);
    WAVEFORMATEX f;
    GetConvertFormat(&a.conv, &f);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(f.cbSize, 0);
    // 24-bit PCM passes the reader (the sound loader refuses it).
    Conv b(Riff().Chunk("fmt ", FmtBody(1, 2, 44100, 264600, 6, 24, &kNoExtra)).Chunk("data", data).Done());
    ASSERT_EQ(b.rc, 0);
    GetConvertFormat(&b.conv, &f);
    EXPECT_EQ(f.wBitsPerSample, 24);
}

TEST(WaveWalk, PcmReadsAcrossBlocksAndSeeks) {
    auto pcm = fixtures::Tone(30000, 2, 22050);  // longer than one second's block
    Conv cv(fixtures::PcmWave(pcm, 2, 22050));
    ASSERT_EQ(cv.rc, 0);
    EXPECT_EQ(cv.conv.outSize, 88200);
    auto got = cv.Read(100000);
    got.resize(got.size());
    auto rest = cv.Read(1000000);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, pcm);
    EXPECT_EQ(cv.Read(4).size(), 0u);  // at the end

    SeekSoundConvert(&cv.conv, 1000);
    EXPECT_EQ(cv.conv.endFlag, 0);
    auto at = cv.Read(8);
    EXPECT_EQ(at, std::vector<int16_t>(pcm.begin() + 2000, pcm.begin() + 2004));
    // Within 16 bytes: nothing moves.
    SeekSoundConvert(&cv.conv, 1000);
    EXPECT_EQ(cv.Read(4), std::vector<int16_t>(pcm.begin() + 2004, pcm.begin() + 2006));
    // Past the end: clamped, nothing more to read.
    SeekSoundConvert(&cv.conv, 1 << 28);
    EXPECT_EQ(cv.conv.position, cv.conv.dataSize);
    EXPECT_EQ(cv.Read(4).size(), 0u);
}

TEST(AcmWave, AdpcmWavesDecodeToTheEncodersPcm) {
    for (int ch = 1; ch <= 2; ch++) {
        auto pcm = fixtures::Tone(30000, ch, 22050);
        auto ima = fixtures::EncodeIma(pcm, ch, (uint16_t)(256 * ch));
        Conv a(fixtures::CodedWave(WAVE_FORMAT_IMA_ADPCM, ima, ch, 22050));
        ASSERT_EQ(a.rc, 0);
        EXPECT_EQ(a.conv.kind, PCMCONV_ACM);
        EXPECT_EQ(GetConvertedSize(&a.conv), (int64_t)ima.decoded.size() * 2);
        EXPECT_EQ(a.Whole(), ima.decoded);

        auto ms = fixtures::EncodeMsAdpcm(pcm, ch, (uint16_t)(512 * ch));
        Conv b(fixtures::CodedWave(WAVE_FORMAT_ADPCM, ms, ch, 22050));
        ASSERT_EQ(b.rc, 0);
        auto whole = b.Whole();
        EXPECT_EQ(whole, ms.decoded);
        // Seeks: forward drops blocks, backward starts the conversion again.
        SeekSoundConvert(&b.conv, 20000);
        EXPECT_EQ(b.Read(8), std::vector<int16_t>(ms.decoded.begin() + 20000 * ch, ms.decoded.begin() + 20000 * ch + 4));
        SeekSoundConvert(&b.conv, 7);
        EXPECT_EQ(b.Read(8), std::vector<int16_t>(ms.decoded.begin() + 7 * ch, ms.decoded.begin() + 7 * ch + 4));
    }
}

// Damaged Microsoft ADPCM blocks: a step size at the top of its 16-bit range that ten nibbles of
// -8 grow again (then one of +7 must lift the floor to the top), and coefficients and history
// at the ends of their ranges (a prediction of 2^31 / 256). Step and prediction keep their
// range, so the samples are the clamped ones.
TEST(AcmWave, MsAdpcmStepAndPredictionStayInRange) {
    struct Case {
        const char *name;
        int16_t coef1, coef2, history;
        int minusEights;                        // nibbles of -8 first, then +7 to the end
        std::vector<std::pair<int, int>> want;  // sample index, value
    } cases[] = {
        {"growing step", 256, 0, 0, 10, {{2, -32768}, {11, -32768}, {12, 32767}}},
        {"extreme coefficients and history", -32768, -32768, -32768, 50, {{2, 32767}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::Encoded e;
        e.blockAlign = 32;
        e.samplesPerBlock = (32 - 7) * 2 + 2;
        fixtures::Put16(e.extra, e.samplesPerBlock);
        fixtures::Put16(e.extra, 1);
        fixtures::Put16(e.extra, (uint16_t)c.coef1);
        fixtures::Put16(e.extra, (uint16_t)c.coef2);
        e.data.push_back(0);                           // predictor 0
        fixtures::Put16(e.data, 0x7FFF);               // step size
        fixtures::Put16(e.data, (uint16_t)c.history);  // sample 1
        fixtures::Put16(e.data, (uint16_t)c.history);  // sample 0
        for (int n = 0; n < (e.samplesPerBlock - 2); n += 2)
            e.data.push_back((uint8_t)((n < c.minusEights ? 0x80 : 0x70) | (n + 1 < c.minusEights ? 0x08 : 0x07)));
        Conv cv(fixtures::CodedWave(WAVE_FORMAT_ADPCM, e, 1, 22050));
        ASSERT_EQ(cv.rc, 0);
        auto whole = cv.Whole();
        ASSERT_EQ(whole.size(), (size_t)e.samplesPerBlock);
        for (const auto &[index, value] : c.want) EXPECT_EQ(whole[index], value) << index;
    }
}

TEST(AcmWave, CompressedFormatWithoutACodecIsRefused) {
    Conv a(Riff().Chunk("fmt ", FmtBody(WAVE_FORMAT_ALAW, 1, 8000, 8000, 1, 8, &kNoExtra)).Chunk("data", Quiet(100)).Done());
    EXPECT_EQ(a.rc, -1);
    // Extras that claim more than the chunk holds.
    std::vector<uint8_t> extra{0xF9, 0x01};
    auto body = FmtBody(WAVE_FORMAT_IMA_ADPCM, 1, 22050, 11100, 256, 4, &extra);
    body[16] = 0xFF;  // cbSize 255 in a 20-byte chunk
    Conv b(Riff().Chunk("fmt ", body).Chunk("data", Quiet(512)).Done());
    EXPECT_EQ(b.rc, 0);  // clamped to the two extra bytes the chunk has
}

TEST(Ogg, DecodesBitIdenticallyToVorbisfile) {
    struct Case {
        int ch, rate;
    } cases[] = {{1, 22050}, {2, 44100}};
    for (const Case &c : cases) {
        auto ogg = fixtures::EncodeOgg(fixtures::Tone(c.rate * 3 / 2, c.ch, c.rate), c.ch, c.rate);
        ASSERT_FALSE(ogg.empty());
        auto direct = fixtures::DecodeOggDirect(ogg);
        Conv cv(ogg);
        ASSERT_EQ(cv.rc, 0);
        EXPECT_EQ(cv.conv.kind, PCMCONV_OGG);
        WAVEFORMATEX f;
        GetConvertFormat(&cv.conv, &f);
        EXPECT_EQ(f.nChannels, c.ch);
        EXPECT_EQ(f.nSamplesPerSec, (DWORD)c.rate);
        EXPECT_EQ(f.nBlockAlign, c.ch * 2);
        const int64_t total = (int64_t)direct.size() / c.ch;
        EXPECT_EQ(GetConvertedSize(&cv.conv), c.ch * (total + 44100) * 2);
        EXPECT_EQ(GetDecodedDataSize(&cv.conv), c.ch * total * 2);
        EXPECT_EQ(cv.Whole(), direct);
        SeekSoundConvert(&cv.conv, 10000);
        EXPECT_EQ(cv.conv.position, 10000 * c.ch * 2);
        auto after = cv.Read(64);
        EXPECT_EQ(after, std::vector<int16_t>(direct.begin() + 10000 * c.ch, direct.begin() + 10000 * c.ch + 32));
    }
}

// Two seconds of mono noise as Ogg pages (noise, so that the sound takes several pages): two
// header pages, the second holding the setup header at its end, then the sound.
std::vector<OggPageBytes> NoisePages() {
    std::vector<float> samples(2 * 22050);
    uint32_t seed = 1;
    for (float &v : samples) v = (float)((seed = seed * 1103515245u + 12345u) >> 16 & 0x7FFF) / 32768.0f - 0.5f;
    OggSpec spec;
    spec.channels = 1;
    spec.rate = 22050;
    return EncodeVorbisPages(samples.data(), samples.size(), spec);
}

std::vector<uint8_t> JoinPages(const std::vector<OggPageBytes> &pages) {
    std::vector<uint8_t> out;
    for (const OggPageBytes &p : pages) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

// Ogg files the open refuses: a last page claiming 2^62 samples (the size check must not
// overflow), and streams cut inside or right after their headers.
TEST(Ogg, FilesTheOpenRefuses) {
    const std::vector<OggPageBytes> pages = NoisePages();
    ASSERT_GE(pages.size(), 4u);
    std::vector<OggPageBytes> huge = pages;
    const int64_t granule = (int64_t)1 << 62;
    ASSERT_TRUE(ResealOggPage(huge.back(), &granule));
    const std::vector<uint8_t> whole = JoinPages(pages);
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"2^62 samples", JoinPages(huge)},
        {"cut inside the headers", std::vector<uint8_t>(whole.begin(), whole.begin() + pages[0].bytes.size() + 20)},
        {"first page only", std::vector<uint8_t>(whole.begin(), whole.begin() + pages[0].bytes.size())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Conv cv(c.bytes);
        EXPECT_EQ(cv.rc, -1);
    }
}

// A bit flipped in the setup header's codebooks (155 bytes before the end of its page) leaves
// libvorbis with books that divide by zero when it decodes after a seek. Such streams fail on
// their first block, so the open refuses them; a stream it takes seeks and reads safely.
TEST(Ogg, DamagedSetupHeaderIsRefusedBeforeAnySeek) {
    const std::vector<OggPageBytes> pages = NoisePages();
    ASSERT_GE(pages.size(), 4u);
    int refused = 0;
    for (int bit = 0; bit < 8; bit++) {
        SCOPED_TRACE(bit);
        std::vector<OggPageBytes> damaged = pages;
        std::vector<uint8_t> &setup = damaged[1].bytes;
        ASSERT_GT(setup.size(), 155u);
        setup[setup.size() - 155] ^= (uint8_t)(1 << bit);
        ASSERT_TRUE(ResealOggPage(damaged[1]));
        Conv cv(JoinPages(damaged));
        if (cv.rc != 0) {
            ++refused;
            continue;
        }
        SeekSoundConvert(&cv.conv, 10000);
        cv.Read(8192);
    }
    EXPECT_GT(refused, 0);
}

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: 417 bytes (418 padded), 1,152 samples.
std::vector<uint8_t> Frame(uint8_t h1, uint8_t h2, uint8_t h3, int bytes) {
    std::vector<uint8_t> f((size_t)bytes, 0);
    f[0] = 0xFF;
    f[1] = h1;
    f[2] = h2;
    f[3] = h3;
    return f;
}

TEST(Mp3, FrameHeadersGiveSizesAndSamples) {
    struct Case {
        uint8_t h1, h2, h3;
        int ok, mpeg1, layer, kbps, rate, channels, bytes, samples;
    } cases[] = {
        {0xFB, 0x90, 0x00, 1, 1, 2, 128, 44100, 2, 417, 1152},
        {0xFB, 0x92, 0xC0, 1, 1, 2, 128, 44100, 1, 418, 1152},
        {0xFB, 0xE4, 0x00, 1, 1, 2, 320, 48000, 2, 960, 1152},
        {0xF3, 0x80, 0x00, 1, 0, 2, 64, 22050, 2, 208, 576},
        {0xF3, 0x18, 0x00, 1, 0, 2, 8, 16000, 2, 36, 576},
        {0xFD, 0x90, 0x00, 1, 1, 1, 160, 44100, 2, 522, 1152},
        {0xFF, 0x90, 0x00, 1, 1, 0, 288, 44100, 2, 312, 384},
        {0xF5, 0x80, 0x00, 1, 0, 1, 64, 22050, 2, 417, 1152},
        {0xFB, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},  // free format
        {0xFB, 0xF0, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},  // bit-rate index 15
        {0xFB, 0x9C, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},  // sample-rate index 3
        {0xF9, 0x90, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},  // reserved layer
        {0xE3, 0x90, 0x00, 0, 0, 0, 0, 0, 0, 0, 0},  // MPEG-2.5 is not taken
    };
    for (const Case &c : cases) {
        uint8_t h[4] = {0xFF, c.h1, c.h2, c.h3};
        MP3FRAMEINFO f{};
        int r = ParseMp3FrameHeader(h, &f);
        EXPECT_EQ(r == 0, c.ok == 1) << std::hex << (int)c.h1 << " " << (int)c.h2;
        if (r != 0) continue;
        EXPECT_EQ(f.mpeg1, c.mpeg1);
        EXPECT_EQ(f.layer, c.layer);
        EXPECT_EQ(f.kbps, c.kbps);
        EXPECT_EQ(f.sampleRate, c.rate);
        EXPECT_EQ(f.channels, c.channels);
        EXPECT_EQ(f.frameBytes, c.bytes) << std::hex << (int)c.h1 << " " << (int)c.h2;
        EXPECT_EQ(f.samples, c.samples);
    }
}

TEST(Mp3, FrameWalkSkipsTagsAndCountsFrames) {
    auto frames = [](int n) {
        std::vector<uint8_t> v;
        for (int i = 0; i < n; i++) {
            auto f = Frame(0xFB, 0x90, 0x00, 417);
            v.insert(v.end(), f.begin(), f.end());
        }
        return v;
    };
    auto id3v2 = [](int major, int flags, int size) {
        std::vector<uint8_t> v{'I', 'D', '3', (uint8_t)major, 0, (uint8_t)flags, 0, 0, (uint8_t)(size >> 7), (uint8_t)(size & 0x7F)};
        v.resize(10 + size + ((flags & 0x10) ? 10 : 0), 0);
        return v;
    };
    std::vector<uint8_t> tag1(128, 0);
    memcpy(tag1.data(), "TAG", 3);
    struct Case {
        const char *name;
        std::vector<uint8_t> image;
        bool ok;
        int dataStart, dataSize, samples;
    };
    auto join = [](std::vector<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> v;
        for (auto &p : parts) v.insert(v.end(), p.begin(), p.end());
        return v;
    };
    const auto oneFrame = frames(1);
    const std::vector<uint8_t> cutFrame(oneFrame.begin(), oneFrame.begin() + 100);
    std::vector<Case> cases = {
        {"bare frames", frames(5), true, 0, 5 * 417, 5 * 1152},
        {"ID3v2 and ID3v1", join({id3v2(3, 0, 300), frames(4), tag1}), true, 310, 4 * 417, 4 * 1152},
        {"ID3v2.4 with footer", join({id3v2(4, 0x10, 200), frames(3)}), true, 220, 3 * 417, 3 * 1152},
        {"last frame cut short", join({frames(3), cutFrame}), true, 0, 3 * 417 + 100, 4 * 1152},
        {"free format", join({Frame(0xFB, 0x00, 0, 417), frames(2)}), false, 0, 0, 0},
        {"Layer II", join({Frame(0xFD, 0x90, 0, 417), frames(2)}), false, 0, 0, 0},
        {"bad rate in the middle", join({frames(2), Frame(0xFB, 0x9C, 0, 417)}), false, 0, 0, 0},
        {"no frame", std::vector<uint8_t>(2000, 0x11), false, 0, 0, 0},
    };
    for (Case &c : cases) {
        Conv cv(c.image);
        EXPECT_EQ(cv.rc == 0, c.ok) << c.name;
        if (cv.rc != 0 || !c.ok) continue;
        EXPECT_EQ(cv.conv.kind, PCMCONV_ACM) << c.name;
        EXPECT_EQ(cv.conv.dataStart, c.dataStart) << c.name;
        EXPECT_EQ(cv.conv.dataSize, c.dataSize) << c.name;
        EXPECT_EQ(GetConvertedSize(&cv.conv), (int64_t)c.samples * 4) << c.name;
        const MPEGLAYER3WAVEFORMAT *mf = reinterpret_cast<const MPEGLAYER3WAVEFORMAT *>(cv.conv.acm.sourceFormat);
        EXPECT_EQ(mf->nBlockSize, 417) << c.name;
        EXPECT_EQ(mf->wfx.nAvgBytesPerSec, 16000u) << c.name;
    }
}

TEST(Mp3, LameEncodedFileDecodesToTheTone) {
    const int rate = 44100;
    auto pcm = fixtures::Tone(rate, 2, rate, 441.0, 9000.0);
    auto mp3 = fixtures::EncodeMp3WithLame(fixtures::PcmWave(pcm, 2, rate), ::testing::TempDir(), "-b 160");
    ASSERT_FALSE(mp3.empty()) << "lame did not run";
    Conv cv(mp3);
    ASSERT_EQ(cv.rc, 0);
    WAVEFORMATEX f;
    GetConvertFormat(&cv.conv, &f);
    EXPECT_EQ(f.nChannels, 2);
    EXPECT_EQ(f.nSamplesPerSec, (DWORD)rate);
    auto got = cv.Whole();
    EXPECT_NEAR((double)got.size() / 2, (double)rate, 4 * 1152.0);
    EXPECT_LE((int64_t)got.size() * 2, GetConvertedSize(&cv.conv));
    // Left carries 441 Hz, right 882 Hz.
    int crossL = 0, crossR = 0;
    for (size_t i = 2 * 3000; i + 2 < 2 * 40000 && i + 2 < got.size(); i += 2) {
        crossL += (got[i] < 0) != (got[i + 2] < 0);
        crossR += (got[i + 1] < 0) != (got[i + 3] < 0);
    }
    EXPECT_NEAR(crossL, 37000.0 * 2 * 441 / rate, 8);
    EXPECT_NEAR(crossR, 37000.0 * 2 * 882 / rate, 12);
}

}  // namespace
