// Sound handles: the handle table, loading whole sounds into a ring of duplicate buffers,
// playing them in turn, stopping, the volume law and deletion.
#include <cmath>
#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/pump.h"
#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/kernel32/kernel32.h"

namespace {

constexpr int kHandleType = 2;
constexpr DWORD kPlainFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                              DSBCAPS_GLOBALFOCUS;
constexpr DWORD kFallbackFlags = DSBCAPS_STATIC | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
constexpr DWORD kStreamFlags = kPlainFlags | DSBCAPS_GETCURRENTPOSITION2;

int MakeHandle(int slot, int check) { return (kHandleType << 27) + check * 65536 + slot; }

IDirectSoundBuffer *CreateBuffer(const WAVEFORMATEX *format, int bytes, DWORD flags) {
    WAVEFORMATEX f = *format;
    f.cbSize = 0;
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = flags;
    d.dwBufferBytes = (DWORD)bytes;
    d.lpwfxFormat = &f;
    IDirectSoundBuffer *b = nullptr;
    if (FAILED(g_sound.device->CreateSoundBuffer(&d, &b, nullptr))) return nullptr;
    return b;
}

// The PCM into every created buffer; 0 / -1 with the log line of the failed step.
int TransferPcm(SOUNDREC *rec, const uint8_t *pcm, int size) {
    for (int i = 0; i < rec->bufferCount; i++) {
        IDirectSoundBuffer *b = rec->buffers[i].buffer;
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (FAILED(b->Lock(0, (DWORD)size, &p1, &n1, &p2, &n2, 0))) {
            WriteLog("サウンドデータの転送に失敗しました_1");
            return -1;
        }
        memcpy(p1, pcm, n1);
        if (p2 && n2) memcpy(p2, pcm + n1, n2);
        if (FAILED(b->Unlock(p1, n1, p2, n2))) {
            WriteLog("サウンドデータの転送に失敗しました_2");
            return -1;
        }
    }
    return 0;
}

int LoadStreamSound(const char *path) {
    int handle = AddSoundData(-1);
    if (handle < 0) return -1;
    uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) {
        WriteLogFmt("右記のＷＡＶファイルのロードに失敗しました：%s ", path);
        DeleteSoundHandle(handle);
        return -1;
    }
    STREAMREF ref;
    MakeStreamRef(&ref, GetFileStreamFuncs(), file);
    int keepOpen = 0;
    if (AddSreamSound(&ref, 0, handle, STREAM_SOURCE_FROM_STREAM, &keepOpen, -1) != 0) {
        WriteLogFmt("右記のＷＡＶファイルのセットアップに失敗しました：%s ", path);
        CloseDataFile(file);
        DeleteSoundHandle(handle);
        return -1;
    }
    GetSoundRec(handle)->closeFlag = 1;
    PrepareStreamSound(handle);
    return handle;
}

// The whole file in one new block; 0 / -1 with its log line.
int ReadWholeFile(const char *path, void **image, int *size) {
    uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) {
        WriteLogFmt("右記のファイルのオープンに失敗しました：%s", path);
        return -1;
    }
    SeekDataFile(file, 0, 2);
    int n = TellDataFile(file);
    SeekDataFile(file, 0, 0);
    void *p = n >= 0 ? MEM_ALLOC(n > 0 ? (size_t)n : 1) : nullptr;
    if (!p) {
        WriteLogFmt("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", path);
        CloseDataFile(file);
        return -1;
    }
    int got = n > 0 ? ReadDataFile(p, 1, (size_t)n, file) : 0;
    CloseDataFile(file);
    *image = p;
    *size = got < 0 ? 0 : got;
    return 0;
}

// Plays one buffer of a plain sound; the index advances first.
int PlayPlainSound(int handle, SOUNDREC *rec, int type, int fromTop) {
    if (rec->bufferCount <= 0 || !rec->buffers[0].valid) return -1;
    DWORD cursor = 0;
    SNDBUF &last = rec->buffers[rec->lastPlayed];
    if (last.valid) last.buffer->GetCurrentPosition(&cursor, nullptr);
    rec->lastPlayed = (rec->lastPlayed + 1) % rec->bufferCount;
    IDirectSoundBuffer *b = rec->buffers[rec->lastPlayed].buffer;
    DWORD status = 0;
    if (FAILED(b->GetStatus(&status))) return -1;
    if (status & DSBSTATUS_PLAYING) {
        if (fromTop == 0) return 0;
        b->Stop();
    }
    b->SetCurrentPosition(fromTop == 1 ? 0 : cursor);
    if (FAILED(b->Play(0, 0, type == SOUND_PLAY_LOOP ? DSBPLAY_LOOPING : 0))) return -1;
    if (type == SOUND_PLAY_WAIT)
        while (PumpWindowMessages() == 0 && IsSoundHandlePlaying(handle) == 1) Sleep(1);
    return 0;
}

}  // namespace

SOUNDREC *GetSoundRec(int handle) {
    if (!g_sound.device || handle < 0 || ((handle >> 27) & 0xF) != kHandleType) return nullptr;
    int slot = handle & 0xFFFF;
    int check = (handle >> 16) & 0x7FF;
    if (slot >= SOUND_MAX_HANDLES) return nullptr;
    SOUNDREC *rec = g_sound.handles[slot];
    return rec && rec->checkId == check ? rec : nullptr;
}

bool SoundBufferFits(const WAVEFORMATEX *f, int64_t bytes) {
    if (f->wFormatTag != WAVE_FORMAT_PCM || f->nChannels < 1 || f->nChannels > 2) return false;
    if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return false;
    if (f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8) return false;
    if (f->nSamplesPerSec < DSBFREQUENCY_MIN || f->nSamplesPerSec > DSBFREQUENCY_MAX) return false;
    return bytes >= DSBSIZE_MIN && bytes <= DSBSIZE_MAX;
}

int CreateSoundBuffers(SOUNDREC *rec, const WAVEFORMATEX *format, int bytes, int stream, int count) {
    rec->bufferCount = 0;
    if (stream) {
        IDirectSoundBuffer *b = CreateBuffer(format, bytes, kStreamFlags);
        if (!b) {
            WriteLog("ストリーム風サウンドバッファの作成に失敗しました");
            return -1;
        }
        rec->buffers[0] = {1, b};
        rec->bufferCount = 1;
        return 0;
    }
    if (count <= 0) return 0;  // no buffer: the handle exists, its plays fail
    IDirectSoundBuffer *first = CreateBuffer(format, bytes, kPlainFlags);
    if (!first) first = CreateBuffer(format, bytes, kFallbackFlags);
    if (!first) {
        WriteLog("DirectSoundBuffer の作成に失敗しました");
        return -1;
    }
    rec->buffers[0] = {1, first};
    rec->bufferCount = 1;
    for (int i = 1; i < count && i < SOUND_MAX_BUFFERS; i++) {
        IDirectSoundBuffer *dup = nullptr;
        if (FAILED(g_sound.device->DuplicateSoundBuffer(first, &dup)) || !dup) break;
        rec->buffers[i] = {1, dup};
        rec->bufferCount = i + 1;
    }
    return 0;
}

int AddSoundData(int) {
    if (g_sound.usedCount >= SOUND_MAX_HANDLES) {
        WriteLog("サウンドの数が許容量を越えました\n");
        return -1;
    }
    int slot = g_sound.endIndex;
    if (slot >= SOUND_MAX_HANDLES)
        for (slot = 0; slot < SOUND_MAX_HANDLES && g_sound.handles[slot]; slot++) {
        }
    SOUNDREC *rec = (SOUNDREC *)MEM_ALLOC_ZERO(sizeof(SOUNDREC));
    if (!rec) {
        WriteLog("メモリ領域の確保に失敗しました in AddSoundData");
        return -1;
    }
    rec->checkId = g_sound.nextCheckId;
    g_sound.nextCheckId = g_sound.nextCheckId >= 2047 ? 0 : g_sound.nextCheckId + 1;
    g_sound.handles[slot] = rec;
    g_sound.usedCount++;
    if (g_sound.endIndex < slot + 1) g_sound.endIndex = slot + 1;
    if (g_sound.endIndex < g_sound.usedCount) g_sound.endIndex = g_sound.usedCount;
    return MakeHandle(slot, rec->checkId);
}

int LoadSound(const char *path, int bufferCount, int) {
    if (!g_sound.device || !path) return -1;
    if (bufferCount > SOUND_MAX_BUFFERS) bufferCount = SOUND_MAX_BUFFERS;
    if (g_sound.createType == 3) return LoadStreamSound(path);
    void *image = nullptr;
    int size = 0;
    if (ReadWholeFile(path, &image, &size) != 0) {
        WriteLogFmt("右記の音声ファイルのロードに失敗しました_1：%s", path);
        return -1;
    }
    int handle = LoadSoundFromMemory(image, size, bufferCount, -1);
    if (handle < 0) WriteLogFmt("右記の音声ファイルのロードに失敗しました_2：%s", path);
    MEM_FREE(image);
    return handle;
}

int LoadSoundFromMemory(const void *image, int size, int bufferCount, int) {
    if (!g_sound.device || bufferCount > SOUND_MAX_BUFFERS || !image || size < 0) return -1;
    int handle = AddSoundData(-1);
    if (handle < 0) return -1;
    SOUNDREC *rec = GetSoundRec(handle);
    BUFSTREAM *mem = OpenMemStream(image, size);
    if (!mem) {
        DeleteSoundHandle(handle);
        return -1;
    }
    STREAMREF ref;
    MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)mem);
    PCMCONV conv;
    if ((g_sound.movieSound ? SetupOggSoundConvert(&ref, &conv) : SetupSoundConvert(&ref, &conv)) != 0) {
        WriteLog("音声ファイルのＰＣＭへの変換に失敗しました");
        CloseMemStream((uintptr_t)mem);
        DeleteSoundHandle(handle);
        return -1;
    }
    WAVEFORMATEX format{};
    void *pcm = nullptr;
    int pcmSize = 0;
    int converted = ConvertWholeSound(&conv, &format, &pcm, &pcmSize);
    EndSoundConvert(&conv);
    CloseMemStream((uintptr_t)mem);
    if (converted != 0) {
        WriteLog("音声ファイルを格納するメモリ領域の確保に失敗しました");
        DeleteSoundHandle(handle);
        return -1;
    }
    // A sound no buffer can hold is refused here rather than at creation.
    int result = -1;
    if (!SoundBufferFits(&format, pcmSize)) {
        WriteLog("DirectSoundBuffer の作成に失敗しました");
    } else if (CreateSoundBuffers(rec, &format, pcmSize, 0, bufferCount) == 0) {
        rec->format = format;
        rec->format.cbSize = 0;
        result = TransferPcm(rec, (const uint8_t *)pcm, pcmSize);
    }
    MEM_FREE(pcm);
    if (result != 0) {
        DeleteSoundHandle(handle);
        return -1;
    }
    return handle;
}

int PlaySoundHandle(int handle, int playType, int fromTop) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    if (rec->streamFlag) return PlayStreamSound(handle, playType, fromTop);
    return PlayPlainSound(handle, rec, playType, fromTop);
}

int StopSoundHandle(int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    if (rec->streamFlag) return StopStreamSound(handle);
    for (int i = 0; i < rec->bufferCount; i++) {
        DWORD status = 0;
        if (FAILED(rec->buffers[i].buffer->GetStatus(&status))) return -1;
        if (status & DSBSTATUS_PLAYING) rec->buffers[i].buffer->Stop();
    }
    return 0;
}

int IsSoundHandlePlaying(int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    if (rec->streamFlag) return IsStreamSoundPlaying(handle);
    for (int i = 0; i < rec->bufferCount; i++) {
        DWORD status = 0;
        if (SUCCEEDED(rec->buffers[i].buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING)) return 1;
    }
    return 0;
}

int SetSoundHandleVolume(int volume, int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    if (volume > 255) volume = 255;
    LONG hundredths = DSBVOLUME_MIN;
    if (volume > 0) {
        hundredths = (LONG)std::trunc(std::log10(volume / 255.0) * 10 * 100);
        if (hundredths < DSBVOLUME_MIN) hundredths = DSBVOLUME_MIN;
    }
    for (int i = 0; i < rec->bufferCount; i++)
        if (rec->buffers[i].valid) rec->buffers[i].buffer->SetVolume(hundredths);
    return 0;
}

int GetSoundHandlePlayTime(int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    if (rec->streamFlag) return GetStreamPlayTime(handle);
    const SNDBUF &b = rec->buffers[rec->lastPlayed];
    if (!b.valid || rec->format.nAvgBytesPerSec == 0) return -1;
    DWORD cursor = 0;
    if (FAILED(b.buffer->GetCurrentPosition(&cursor, nullptr))) return -1;
    return (int)((int64_t)cursor * 1000 / rec->format.nAvgBytesPerSec);
}

int DeleteSoundHandle(int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec) return -1;
    StopSoundHandle(handle);
    if (rec->streamFlag) {
        ReleaseStreamSound(rec);
    } else {
        for (int i = 0; i < SOUND_MAX_BUFFERS; i++)
            if (rec->buffers[i].valid) {
                rec->buffers[i].buffer->Release();
                rec->buffers[i] = {0, nullptr};
            }
    }
    int slot = handle & 0xFFFF;
    MEM_FREE(rec);
    g_sound.handles[slot] = nullptr;
    g_sound.usedCount--;
    if (slot == g_sound.endIndex - 1)
        while (g_sound.endIndex > 0 && !g_sound.handles[g_sound.endIndex - 1]) g_sound.endIndex--;
    return 0;
}

int DeleteAllSoundHandles() {
    if (!g_sound.device) return -1;
    for (int slot = 0; slot < SOUND_MAX_HANDLES; slot++)
        if (g_sound.handles[slot]) DeleteSoundHandle(MakeHandle(slot, g_sound.handles[slot]->checkId));
    return 0;
}

int SetSoundCreateType(int type) {
    if (type < 0 || type > 3) return -1;
    g_sound.createType = type;
    return 0;
}

int GetSoundCreateType() { return g_sound.createType; }

void SetMovieSoundFlag(int flag) { g_sound.movieSound = flag != 0; }
