// The DirectSound device object and its buffers over the software mixer.
#include "platform/dsound/dsound.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>

#include "platform/dsound/mixer.h"
#include "platform/testing/sound.h"

const CLSID CLSID_DirectSound = {0x47D4D946, 0x62E8, 0x11CF, {0x93, 0xBC, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

DSCAPS DefaultCaps() {
    DSCAPS c{};
    c.dwSize = sizeof(DSCAPS);
    c.dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO |
                DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
    c.dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    c.dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    c.dwPrimaryBuffers = 1;
    return c;
}

struct SOUNDSTANDIN {
    int failAfter[SOUNDFAIL_COUNT];
    DWORD refusedFlags = 0;
    DSCAPS caps = DefaultCaps();
    WAVEFORMATEX primaryFormat{};
    bool primarySet = false;
    DWORD lastFlags = 0;
    int devices = 0;
    int buffers = 0;
    std::atomic<int> blocks{0};
    SOUNDSTANDIN() { std::fill(failAfter, failAfter + SOUNDFAIL_COUNT, -1); }
};

SOUNDSTANDIN &Standin() {
    static SOUNDSTANDIN s;
    return s;
}

bool Fails(SOUND_FAILPOINT point) {
    int &n = Standin().failAfter[point];
    if (n < 0) return false;
    if (n == 0) return true;
    n--;
    return false;
}

// Sample memory shared by a buffer and its duplicates; counted so tests see the sharing.
struct SampleBlock : std::vector<uint8_t> {
    explicit SampleBlock(size_t n) : std::vector<uint8_t>(n, 0) { Standin().blocks++; }
    ~SampleBlock() { Standin().blocks--; }
};

bool ValidPcm(const WAVEFORMATEX *f) {
    if (!f || f->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f->nChannels < 1 || f->nChannels > 2) return false;
    if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
    if (f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8) return false;
    return f->nSamplesPerSec >= DSBFREQUENCY_MIN && f->nSamplesPerSec <= DSBFREQUENCY_MAX;
}

class Device;

class Buffer final : public IDirectSoundBuffer {
public:
    Buffer(bool primary, DWORD flags) : primary_(primary), flags_(flags) { Standin().buffers++; }

    HRESULT QueryInterface(REFIID iid, void **out) override {
        return QueryOneInterface<IDirectSoundBuffer>(this, IID_IDirectSoundBuffer, iid, out);
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            {
                std::lock_guard<std::mutex> g(SoundMixLock());
                if (!primary_) SoundRemoveVoice(&voice_);
                voice_.data.reset();
            }
            Standin().buffers--;
            delete this;
        }
        return n;
    }

    HRESULT GetCaps(LPDSBCAPS caps) override {
        if (!caps || caps->dwSize < sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
        caps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
        caps->dwBufferBytes = primary_ ? 0 : (DWORD)voice_.data->size();
        caps->dwUnlockTransferRate = 0;
        caps->dwPlayCpuOverhead = 0;
        return DS_OK;
    }
    HRESULT GetCurrentPosition(DWORD *play, DWORD *write) override {
        if (primary_) {
            if (play) *play = 0;
            if (write) *write = 0;
            return DS_OK;
        }
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        DWORD at = Cursor();
        if (play) *play = at;
        if (write) *write = at;
        return DS_OK;
    }
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD size, DWORD *written) override {
        const WAVEFORMATEX &f = primary_ ? Standin().primaryFormat : voice_.format;
        DWORD n = sizeof(WAVEFORMATEX);
        if (!format) {
            if (!written) return DSERR_INVALIDPARAM;
            *written = n;
            return DS_OK;
        }
        if (size < sizeof(PCMWAVEFORMAT)) return DSERR_INVALIDPARAM;
        if (size < n) n = sizeof(PCMWAVEFORMAT);
        memcpy(format, &f, n);
        if (written) *written = n;
        return DS_OK;
    }
    HRESULT GetVolume(LONG *volume) override {
        if (!volume) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard<std::mutex> g(SoundMixLock());
        *volume = voice_.volume;
        return DS_OK;
    }
    HRESULT GetPan(LONG *pan) override {
        if (!pan) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard<std::mutex> g(SoundMixLock());
        *pan = voice_.pan;
        return DS_OK;
    }
    HRESULT GetFrequency(DWORD *frequency) override {
        if (!frequency) return DSERR_INVALIDPARAM;
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
        std::lock_guard<std::mutex> g(SoundMixLock());
        *frequency = voice_.frequency ? voice_.frequency : voice_.format.nSamplesPerSec;
        return DS_OK;
    }
    HRESULT GetStatus(DWORD *status) override {
        if (!status) return DSERR_INVALIDPARAM;
        if (Fails(SOUNDFAIL_GETSTATUS)) return DSERR_GENERIC;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        *status = 0;
        if (voice_.playing) *status = DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
        return DS_OK;
    }
    HRESULT Initialize(IDirectSound *, LPCDSBUFFERDESC) override { return DSERR_ALREADYINITIALIZED; }

    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID *ptr1, DWORD *bytes1, LPVOID *ptr2, DWORD *bytes2,
                 DWORD flags) override {
        if (!ptr1 || !bytes1) return DSERR_INVALIDPARAM;
        if (primary_) return DSERR_PRIOLEVELNEEDED;
        if (Fails(SOUNDFAIL_LOCK)) return DSERR_GENERIC;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        const DWORD size = (DWORD)voice_.data->size();
        if (flags & DSBLOCK_FROMWRITECURSOR) offset = Cursor();
        if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        if (locked_) return DSERR_INVALIDCALL;
        // The caller writes into a staging copy; Unlock moves it into the memory the mixer reads.
        DWORD first = bytes <= size - offset ? bytes : size - offset;
        DWORD second = bytes - first;
        if (second && !ptr2) return DSERR_INVALIDPARAM;
        staging_.assign(voice_.data->begin() + offset, voice_.data->begin() + offset + first);
        staging_.insert(staging_.end(), voice_.data->begin(), voice_.data->begin() + second);
        locked_ = true;
        lockOffset_ = offset;
        lockFirst_ = first;
        *ptr1 = staging_.data();
        *bytes1 = first;
        if (ptr2) *ptr2 = second ? staging_.data() + first : nullptr;
        if (bytes2) *bytes2 = second;
        return DS_OK;
    }
    HRESULT Unlock(LPVOID ptr1, DWORD bytes1, LPVOID ptr2, DWORD bytes2) override {
        if (primary_) return DSERR_INVALIDCALL;
        std::lock_guard<std::mutex> g(SoundMixLock());
        if (!locked_ || ptr1 != staging_.data() || bytes1 > lockFirst_) return DSERR_INVALIDPARAM;
        DWORD second = (DWORD)staging_.size() - lockFirst_;
        if (bytes2 > second || (bytes2 && ptr2 != staging_.data() + lockFirst_)) return DSERR_INVALIDPARAM;
        locked_ = false;
        if (Fails(SOUNDFAIL_UNLOCK)) return DSERR_GENERIC;
        SoundCatchUp();
        memcpy(voice_.data->data() + lockOffset_, staging_.data(), bytes1);
        if (bytes2) memcpy(voice_.data->data(), staging_.data() + lockFirst_, bytes2);
        staging_.clear();
        staging_.shrink_to_fit();
        return DS_OK;
    }
    HRESULT Play(DWORD, DWORD, DWORD flags) override {
        if (Fails(SOUNDFAIL_PLAY)) return DSERR_GENERIC;
        if (primary_) return (flags & DSBPLAY_LOOPING) ? DS_OK : DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        voice_.playing = true;
        voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD position) override {
        if (primary_) return DSERR_INVALIDCALL;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        if (position >= voice_.data->size()) return DSERR_INVALIDPARAM;
        voice_.position = (uint64_t)(position / voice_.format.nBlockAlign) << 32;
        return DS_OK;
    }
    HRESULT SetFormat(LPCWAVEFORMATEX format) override {
        if (!primary_) return DSERR_INVALIDCALL;
        if (!ValidPcm(format)) return DSERR_BADFORMAT;
        if (Fails(SOUNDFAIL_SETFORMAT)) return DSERR_GENERIC;
        Standin().primaryFormat = *format;
        Standin().primaryFormat.cbSize = 0;
        Standin().primarySet = true;
        return DS_OK;
    }
    HRESULT SetVolume(LONG volume) override {
        if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        voice_.volume = volume;
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override {
        if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        voice_.pan = pan;
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD frequency) override {
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY) || primary_) return DSERR_CONTROLUNAVAIL;
        if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        voice_.frequency = frequency;
        return DS_OK;
    }
    HRESULT Stop() override {
        if (primary_) return DS_OK;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundCatchUp();
        voice_.playing = false;
        return DS_OK;
    }
    HRESULT Restore() override { return DS_OK; }

    // Secondary buffer set-up; lock not needed before the voice is added.
    void Attach(std::shared_ptr<std::vector<uint8_t>> data, const WAVEFORMATEX &format) {
        voice_.data = std::move(data);
        voice_.format = format;
        voice_.format.cbSize = 0;
        std::lock_guard<std::mutex> g(SoundMixLock());
        SoundAddVoice(&voice_);
    }
    bool primary() const { return primary_; }
    DWORD flags() const { return flags_; }
    // Lock held.
    const SOUND_VOICE &voice() const { return voice_; }

private:
    ~Buffer() = default;
    DWORD Cursor() const { return (DWORD)(voice_.position >> 32) * voice_.format.nBlockAlign; }

    std::atomic<ULONG> refs_{1};
    const bool primary_;
    const DWORD flags_;
    SOUND_VOICE voice_;
    std::vector<uint8_t> staging_;
    bool locked_ = false;
    DWORD lockOffset_ = 0, lockFirst_ = 0;
};

class Device final : public IDirectSound {
public:
    Device() { Standin().devices++; }

    HRESULT QueryInterface(REFIID iid, void **out) override {
        return QueryOneInterface<IDirectSound>(this, IID_IDirectSound, iid, out);
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            if (initialized_) SoundDeviceClosed();
            Standin().devices--;
            delete this;
        }
        return n;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER *out, LPUNKNOWN outer) override {
        if (!out) return DSERR_INVALIDPARAM;
        *out = nullptr;
        if (!desc || desc->dwSize < offsetof(DSBUFFERDESC, guid3DAlgorithm)) return DSERR_INVALIDPARAM;
        if (outer) return DSERR_NOAGGREGATION;
        if (!initialized_) return DSERR_UNINITIALIZED;
        if (!level_) return DSERR_PRIOLEVELNEEDED;
        Standin().lastFlags = desc->dwFlags;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
            if (Fails(SOUNDFAIL_PRIMARY)) return DSERR_GENERIC;
            *out = new Buffer(true, desc->dwFlags);
            return DS_OK;
        }
        if (desc->dwFlags & (DSBCAPS_CTRL3D | DSBCAPS_CTRLFX)) return DSERR_UNSUPPORTED;
        if (!ValidPcm(desc->lpwfxFormat)) return DSERR_BADFORMAT;
        if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
        if (Standin().refusedFlags && desc->dwFlags == Standin().refusedFlags) return DSERR_CONTROLUNAVAIL;
        if (Fails(SOUNDFAIL_SECONDARY)) return DSERR_OUTOFMEMORY;
        std::shared_ptr<std::vector<uint8_t>> data;
        try {
            data = std::make_shared<SampleBlock>(desc->dwBufferBytes);
        } catch (const std::bad_alloc &) {
            return DSERR_OUTOFMEMORY;
        }
        Buffer *b = new Buffer(false, desc->dwFlags);
        b->Attach(std::move(data), *desc->lpwfxFormat);
        *out = b;
        return DS_OK;
    }
    HRESULT GetCaps(LPDSCAPS caps) override {
        if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
        if (!initialized_) return DSERR_UNINITIALIZED;
        *caps = Standin().caps;
        caps->dwSize = sizeof(DSCAPS);
        return DS_OK;
    }
    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER *duplicate) override {
        if (!original || !duplicate) return DSERR_INVALIDPARAM;
        *duplicate = nullptr;
        if (!initialized_) return DSERR_UNINITIALIZED;
        Buffer *src = static_cast<Buffer *>(original);
        if (src->primary()) return DSERR_INVALIDCALL;
        if (Fails(SOUNDFAIL_DUPLICATE)) return DSERR_OUTOFMEMORY;
        Buffer *b = new Buffer(false, src->flags());
        std::shared_ptr<std::vector<uint8_t>> data;
        WAVEFORMATEX format;
        LONG volume, pan;
        DWORD frequency;
        {
            std::lock_guard<std::mutex> g(SoundMixLock());
            data = src->voice().data;
            format = src->voice().format;
            volume = src->voice().volume;
            pan = src->voice().pan;
            frequency = src->voice().frequency;
        }
        b->Attach(std::move(data), format);
        if (b->flags() & DSBCAPS_CTRLVOLUME) b->SetVolume(volume);
        if (b->flags() & DSBCAPS_CTRLPAN) b->SetPan(pan);
        if (b->flags() & DSBCAPS_CTRLFREQUENCY) b->SetFrequency(frequency);
        *duplicate = b;
        return DS_OK;
    }
    HRESULT SetCooperativeLevel(HWND, DWORD level) override {
        if (!initialized_) return DSERR_UNINITIALIZED;
        if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
        if (Fails(SOUNDFAIL_COOPERATIVE)) return DSERR_ALLOCATED;
        level_ = level;
        return DS_OK;
    }
    HRESULT Compact() override { return initialized_ ? DS_OK : DSERR_UNINITIALIZED; }
    HRESULT GetSpeakerConfig(DWORD *config) override {
        if (!config) return DSERR_INVALIDPARAM;
        *config = speakers_;
        return DS_OK;
    }
    HRESULT SetSpeakerConfig(DWORD config) override {
        speakers_ = config;
        return DS_OK;
    }
    HRESULT Initialize(const GUID *device) override {
        if (initialized_) return DSERR_ALREADYINITIALIZED;
        static const GUID none{};
        if (device && !IsEqualGUID(*device, none)) return DSERR_NODRIVER;
        if (Fails(SOUNDFAIL_INITIALIZE)) return DSERR_NODRIVER;
        initialized_ = true;
        SoundDeviceOpened();
        return DS_OK;
    }

private:
    ~Device() = default;
    std::atomic<ULONG> refs_{1};
    bool initialized_ = false;
    DWORD level_ = 0;
    DWORD speakers_ = 0x00000004;  // stereo
};

}  // namespace

// The class factory registered for CLSID_DirectSound.
HRESULT CreateDirectSoundObject(REFIID iid, void **out) {
    *out = nullptr;
    if (Fails(SOUNDFAIL_CREATE)) return REGDB_E_CLASSNOTREG;
    Device *d = new Device();
    HRESULT hr = d->QueryInterface(iid, out);
    d->Release();
    return hr;
}

HRESULT DirectSoundCreate(const GUID *device, LPDIRECTSOUND *out, LPUNKNOWN outer) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    void *p = nullptr;
    HRESULT hr = CreateDirectSoundObject(IID_IDirectSound, &p);
    if (FAILED(hr)) return hr;
    IDirectSound *ds = static_cast<IDirectSound *>(p);
    hr = ds->Initialize(device);
    if (FAILED(hr)) {
        ds->Release();
        return hr;
    }
    *out = ds;
    return DS_OK;
}

HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, LPVOID context) {
    if (!callback) return DSERR_INVALIDPARAM;
    // One device: the default one, with no GUID.
    callback(nullptr, "ソフトウェアミキサー 44.1kHz ステレオ", "mixer", context);
    return DS_OK;
}

void SoundTestFailAfter(SOUND_FAILPOINT point, int after) {
    if (point >= 0 && point < SOUNDFAIL_COUNT) Standin().failAfter[point] = after;
}
void SoundTestRefuseBufferFlags(DWORD flags) { Standin().refusedFlags = flags; }
void SoundTestSetCaps(const DSCAPS *caps) {
    Standin().caps = caps ? *caps : DefaultCaps();
    Standin().caps.dwSize = sizeof(DSCAPS);
}
void SoundEnumTestReset();
void SoundTestReset() {
    SOUNDSTANDIN &s = Standin();
    std::fill(s.failAfter, s.failAfter + SOUNDFAIL_COUNT, -1);
    s.refusedFlags = 0;
    s.caps = DefaultCaps();
    s.primarySet = false;
    s.primaryFormat = {};
    s.lastFlags = 0;
    SoundSinkTestReset();
    SoundEnumTestReset();
}
int SoundTestLiveDevices() { return Standin().devices; }
int SoundTestLiveBuffers() { return Standin().buffers; }
int SoundTestSampleBlocks() { return Standin().blocks; }
BOOL SoundTestPrimaryFormat(WAVEFORMATEX *out) {
    if (!Standin().primarySet) return FALSE;
    if (out) *out = Standin().primaryFormat;
    return TRUE;
}
DWORD SoundTestLastBufferFlags() { return Standin().lastFlags; }
