// The compression manager stand-in: suggestion, stream life, and its three codecs decoding
// test-made data through 2,048-byte block-aligned conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "fixtures/sound_fixtures.h"
#include "platform/msacm/msacm.h"

namespace {

// The coded format block as a WAVE fmt chunk holds it (with its extras).
std::vector<uint8_t> FormatBlock(uint16_t tag, int ch, int rate, const fixtures::Encoded &e) {
    return fixtures::FmtBody(tag, (uint16_t)ch, (uint32_t)rate,
                             (uint32_t)((uint64_t)rate * e.blockAlign / e.samplesPerBlock), e.blockAlign, 4,
                             &e.extra);
}

WAVEFORMATEX Suggest(WAVEFORMATEX *src) {
    WAVEFORMATEX dst{};
    dst.wFormatTag = WAVE_FORMAT_PCM;
    EXPECT_EQ(acmFormatSuggest(nullptr, src, &dst, sizeof dst, ACM_FORMATSUGGESTF_WFORMATTAG), MMSYSERR_NOERROR);
    return dst;
}

// Decodes as the library's converter does: at most 2,048 source bytes a call, whole blocks only,
// until a call gives nothing.
std::vector<int16_t> DecodeAll(WAVEFORMATEX *src, const std::vector<uint8_t> &coded, DWORD outBytes) {
    WAVEFORMATEX dst = Suggest(src);
    HACMSTREAM s = nullptr;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), MMSYSERR_NOERROR);
    if (!s) return {};
    std::vector<uint8_t> out(outBytes), pcm;
    size_t pos = 0;
    while (pos < coded.size()) {
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = const_cast<uint8_t *>(coded.data()) + pos;
        h.cbSrcLength = (DWORD)std::min<size_t>(2048, coded.size() - pos);
        h.pbDst = out.data();
        h.cbDstLength = (DWORD)out.size();
        EXPECT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
        EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), MMSYSERR_NOERROR);
        if (h.cbDstLengthUsed == 0) break;
        pcm.insert(pcm.end(), out.begin(), out.begin() + h.cbDstLengthUsed);
        pos += h.cbSrcLengthUsed;
    }
    EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
    std::vector<int16_t> v(pcm.size() / 2);
    memcpy(v.data(), pcm.data(), v.size() * 2);
    return v;
}

TEST(Acm, AdpcmCodecsGiveBackTheEncodersReconstruction) {
    struct Case {
        uint16_t tag;
        int ch;
        int rate;
        uint16_t align;
    } cases[] = {
        {WAVE_FORMAT_IMA_ADPCM, 1, 22050, 256}, {WAVE_FORMAT_IMA_ADPCM, 2, 44100, 2048},
        {WAVE_FORMAT_ADPCM, 1, 22050, 256},     {WAVE_FORMAT_ADPCM, 2, 44100, 1024},
    };
    for (const Case &c : cases) {
        auto pcm = fixtures::Tone(c.rate / 2, c.ch, c.rate);
        fixtures::Encoded e = c.tag == WAVE_FORMAT_ADPCM ? fixtures::EncodeMsAdpcm(pcm, c.ch, c.align)
                                                         : fixtures::EncodeIma(pcm, c.ch, c.align);
        auto fmt = FormatBlock(c.tag, c.ch, c.rate, e);
        WAVEFORMATEX *src = reinterpret_cast<WAVEFORMATEX *>(fmt.data());
        WAVEFORMATEX dst = Suggest(src);
        EXPECT_EQ(dst.nChannels, c.ch);
        EXPECT_EQ(dst.wBitsPerSample, 16);
        EXPECT_EQ(dst.nAvgBytesPerSec, (DWORD)c.rate * c.ch * 2);
        auto got = DecodeAll(src, e.data, dst.nAvgBytesPerSec);
        EXPECT_EQ(got, e.decoded) << "tag " << c.tag << " ch " << c.ch;
        // The encoders are not bad: the reconstruction stays near the tone.
        double err = 0;
        for (size_t i = 0; i < pcm.size(); i++) err += std::abs(pcm[i] - e.decoded[i]);
        EXPECT_LT(err / pcm.size(), 400.0);
        // Size bound of the whole data.
        HACMSTREAM s;
        ASSERT_EQ(acmStreamOpen(&s, nullptr, src, &dst, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
        DWORD bound = 0;
        EXPECT_EQ(acmStreamSize(s, (DWORD)e.data.size(), &bound, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
        EXPECT_EQ(bound, e.decoded.size() * 2);
        acmStreamClose(s, 0);
    }
}

TEST(Acm, SmallOutputBufferTakesOnlyTheBlocksThatFit) {
    auto pcm = fixtures::Tone(4000, 1, 22050);
    fixtures::Encoded e = fixtures::EncodeIma(pcm, 1, 256);
    auto fmt = FormatBlock(WAVE_FORMAT_IMA_ADPCM, 1, 22050, e);
    auto got = DecodeAll(reinterpret_cast<WAVEFORMATEX *>(fmt.data()), e.data, 505 * 2 * 2 + 7);
    EXPECT_EQ(got, e.decoded);
}

TEST(Acm, FormatsWithoutACodecOrBadBlocksAreRefused) {
    WAVEFORMATEX alaw{WAVE_FORMAT_ALAW, 1, 8000, 8000, 1, 8, 0};
    WAVEFORMATEX dst{};
    dst.wFormatTag = WAVE_FORMAT_PCM;
    EXPECT_EQ(acmFormatSuggest(nullptr, &alaw, &dst, sizeof dst, ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
    WAVEFORMATEX pcm{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    HACMSTREAM s = reinterpret_cast<HACMSTREAM>(1);
    EXPECT_EQ(acmStreamOpen(&s, nullptr, &alaw, &pcm, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(s, nullptr);
    // IMA ADPCM whose block align does not make whole sample groups.
    std::vector<uint8_t> extra{0, 0};
    auto bad = fixtures::FmtBody(WAVE_FORMAT_IMA_ADPCM, 1, 8000, 4000, 250, 4, &extra);
    EXPECT_EQ(acmStreamOpen(&s, nullptr, reinterpret_cast<WAVEFORMATEX *>(bad.data()), &pcm, nullptr, 0, 0, 0),
              ACMERR_NOTPOSSIBLE);
    // Microsoft ADPCM with a coefficient count its extras do not hold.
    std::vector<uint8_t> ms{0xF4, 0x01, 50, 0};
    auto badMs = fixtures::FmtBody(WAVE_FORMAT_ADPCM, 1, 8000, 4000, 256, 4, &ms);
    EXPECT_EQ(acmStreamOpen(&s, nullptr, reinterpret_cast<WAVEFORMATEX *>(badMs.data()), &pcm, nullptr, 0, 0, 0),
              ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acmStreamClose(reinterpret_cast<HACMSTREAM>(&pcm), 0), MMSYSERR_INVALHANDLE);
    DWORD size = 0;
    EXPECT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &size), MMSYSERR_NOERROR);
    EXPECT_GE(size, 30u);
}

TEST(Acm, Mp3DecodesThroughTheCodec) {
    const int rate = 44100;
    auto pcm = fixtures::Tone(rate, 1, rate, 441.0, 10000.0);
    auto mp3 = fixtures::EncodeMp3WithLame(fixtures::PcmWave(pcm, 1, rate), ::testing::TempDir(), "-b 128 -m m -t");
    ASSERT_FALSE(mp3.empty()) << "lame did not run";
    MPEGLAYER3WAVEFORMAT f{};
    f.wfx = {WAVE_FORMAT_MPEGLAYER3, 1, (DWORD)rate, 128000 / 8, 1, 0, MPEGLAYER3_WFX_EXTRA_BYTES};
    f.wID = MPEGLAYER3_ID_MPEG;
    f.nBlockSize = 417;
    f.nFramesPerBlock = 1;
    f.nCodecDelay = 700;
    auto got = DecodeAll(&f.wfx, mp3, rate * 2 * 4 / 3);
    // Lossy: the length within a few frames, the level and the pitch of the tone.
    EXPECT_NEAR((double)got.size(), (double)rate, 3 * 1152.0);
    double sum = 0;
    int crossings = 0;
    for (size_t i = 2000; i < got.size() && i < 40000; i++) {
        sum += (double)got[i] * got[i];
        if ((got[i - 1] < 0) != (got[i] < 0)) crossings++;
    }
    double rms = std::sqrt(sum / 38000);
    EXPECT_NEAR(rms, 10000 / std::sqrt(2.0), 700);
    EXPECT_NEAR(crossings, 38000.0 * 2 * 441 / rate, 8);
}

}  // namespace
