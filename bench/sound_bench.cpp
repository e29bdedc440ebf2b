// Sound: mixing playing buffers into 44.1 kHz stereo (as a multiple of real time), and Ogg
// Vorbis decoding through the conversion record against vorbisfile alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "fixtures/ogg_fixture.h"
#include "fixtures/sound_fixtures.h"
#include "library/base/memory.h"
#include "library/sound/pcm_convert.h"
#include "platform/dsound/dsound.h"
#include "platform/testing/sound.h"

namespace {

// count buffers of one second each, looping; rate and channels of the sources.
void Mix(benchmark::State &state, int rate, int channels, bool quieter) {
    const int count = (int)state.range(0);
    SoundTestReset();
    IDirectSound *ds = nullptr;
    if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) return state.SkipWithError("no device");
    ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, (WORD)channels, (DWORD)rate, (DWORD)(rate * channels * 2), (WORD)(channels * 2), 16, 0};
    auto tone = fixtures::Tone(rate, channels, rate, 440.0, 1000.0);
    std::vector<IDirectSoundBuffer *> buffers;
    for (int i = 0; i < count; i++) {
        DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x80E2, (DWORD)tone.size() * 2, 0, &f, {}};
        IDirectSoundBuffer *b = nullptr;
        ds->CreateSoundBuffer(&d, &b, nullptr);
        void *p1, *p2;
        DWORD n1, n2;
        b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0);
        memcpy(p1, tone.data(), n1);
        b->Unlock(p1, n1, p2, n2);
        if (quieter) b->SetVolume(-600 - 10 * i);
        b->SetCurrentPosition((DWORD)(i * 37 % rate) * f.nBlockAlign);
        b->Play(0, 0, DSBPLAY_LOOPING);
        buffers.push_back(b);
    }
    const int block = 1024;
    for (auto _ : state) SoundTestRender(block);
    state.SetItemsProcessed(state.iterations() * block);
    // Items per second / 44,100 is the multiple of real time.
    state.counters["x_realtime"] =
        benchmark::Counter((double)state.iterations() * block / 44100.0, benchmark::Counter::kIsRate);
    for (IDirectSoundBuffer *b : buffers) b->Release();
    ds->Release();
}

void BM_Mix_44k_Stereo_FullLevel(benchmark::State &s) { Mix(s, 44100, 2, false); }
void BM_Mix_44k_Stereo_Volume(benchmark::State &s) { Mix(s, 44100, 2, true); }
void BM_Mix_22k_Mono_Resampled(benchmark::State &s) { Mix(s, 22050, 1, true); }
BENCHMARK(BM_Mix_44k_Stereo_FullLevel)->Arg(32);
BENCHMARK(BM_Mix_44k_Stereo_Volume)->Arg(32);
BENCHMARK(BM_Mix_22k_Mono_Resampled)->Arg(32);

const std::vector<uint8_t> &OggFixture() {
    static const std::vector<uint8_t> ogg = fixtures::EncodeOgg(fixtures::Tone(44100 * 10, 2, 44100), 2, 44100);
    return ogg;
}

void BM_OggDecode_Library(benchmark::State &state) {
    const auto &ogg = OggFixture();
    for (auto _ : state) {
        BUFSTREAM *mem = OpenMemStream(ogg.data(), (int)ogg.size());
        STREAMREF ref;
        MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)mem);
        PCMCONV conv;
        if (SetupSoundConvert(&ref, &conv) != 0) return state.SkipWithError("not accepted");
        WAVEFORMATEX f;
        void *block = nullptr;
        int size = 0;
        ConvertWholeSound(&conv, &f, &block, &size);
        benchmark::DoNotOptimize(block);
        MEM_FREE(block);
        EndSoundConvert(&conv);
        CloseMemStream((uintptr_t)mem);
    }
    state.counters["x_realtime"] = benchmark::Counter((double)state.iterations() * 10, benchmark::Counter::kIsRate);
}

void BM_OggDecode_Vorbisfile(benchmark::State &state) {
    const auto &ogg = OggFixture();
    for (auto _ : state) benchmark::DoNotOptimize(fixtures::DecodeOggDirect(ogg));
    state.counters["x_realtime"] = benchmark::Counter((double)state.iterations() * 10, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_OggDecode_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggDecode_Vorbisfile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
