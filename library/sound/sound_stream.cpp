// Stream sounds: one six-second ring buffer refilled from the message pump, 3 to 4 seconds
// ahead of the play cursor, from a conversion record decoding straight from the open file.
#include <cstring>

#include "library/base/log.h"
#include "library/base/pump.h"
#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/kernel32/kernel32.h"

namespace {

// Ring order: x lies strictly between a and b going forward from a.
bool StrictlyBetween(int64_t x, int64_t a, int64_t b) {
    if (a < b) return a < x && x < b;
    return x > a || x < b;
}

DWORD Cursor(SOUNDREC *rec) {
    DWORD c = 0;
    rec->buffers[0].buffer->GetCurrentPosition(&c, nullptr);
    return c;
}

bool BufferPlaying(SOUNDREC *rec) {
    DWORD s = 0;
    return SUCCEEDED(rec->buffers[0].buffer->GetStatus(&s)) && (s & DSBSTATUS_PLAYING);
}

uint8_t SilenceByte(const SOUNDREC *rec) { return rec->format.wBitsPerSample == 8 ? 127 : 0; }

// A locked span of the ring: two regions, addressed as one run of bytes.
struct LOCKSPAN {
    uint8_t *p1, *p2;
    DWORD n1, n2;
    int32_t offset;  // ring offset of the first byte
    uint8_t *At(int32_t i, int32_t *run) const {
        if ((DWORD)i < n1) {
            *run = (int32_t)(n1 - i);
            return p1 + i;
        }
        *run = (int32_t)(n1 + n2 - i);
        return p2 + (i - n1);
    }
};

void FillSilence(const SOUNDREC *rec, const LOCKSPAN &span, int32_t from, int32_t to) {
    while (from < to) {
        int32_t run;
        uint8_t *p = span.At(from, &run);
        if (run > to - from) run = to - from;
        memset(p, SilenceByte(rec), (size_t)run);
        from += run;
    }
}

void RestartSource(SOUNDREC *rec) {
    rec->sourcePosition = 0;
    SeekSoundConvert(&rec->source.conv, 0);
}

// The source ran out at byte `written` of the span; -1 once the data has ended. An empty
// source (nothing even right after a restart) ends as a sound played once would.
int AdvanceStreamSource(SOUNDREC *rec, const LOCKSPAN &span, int32_t written, int32_t n, bool empty) {
    rec->repeatCounter++;
    if (!empty && rec->repeatCounter <= rec->source.repeat) {
        RestartSource(rec);
        return 0;
    }
    rec->repeatCounter = 0;
    rec->allDone = 1;
    const int32_t next = (int32_t)((span.offset + written) % rec->ringSize);
    if (!empty && rec->streamPlayType == SOUND_PLAY_LOOP) {
        rec->loopStart = 0;
        if (rec->wrapCount < (int32_t)(sizeof rec->wrapQueue / sizeof rec->wrapQueue[0]))
            rec->wrapQueue[rec->wrapCount++] = next;
        rec->wrapPending = 1;
        rec->wrapRingPosition = rec->wrapQueue[0];
        RestartSource(rec);
        return 0;
    }
    rec->endFlag = 1;
    rec->endRingPosition = next;
    rec->cursorAtEnd = (int32_t)Cursor(rec);
    // The silence stays inside the lock; the whole rest of it is made silent so that nothing
    // old in the ring is heard before the stop.
    FillSilence(rec, span, written, n);
    return -1;
}

void UpdateStreamPlayCount(SOUNDREC *rec, int64_t cursor) {
    const uint32_t c = cursor < 0 ? Cursor(rec) : (uint32_t)cursor;
    const uint32_t l = rec->lastCursor;
    if (c == l) return;
    bool wrapped = false;
    while (rec->wrapCount > 0) {
        const int64_t w = rec->wrapQueue[0];
        if (!(l < c ? (l < w && w <= c) : (w > l || w <= c))) break;
        int64_t d = (int64_t)c - w;
        if (d < 0) d += rec->ringSize;
        rec->playedBytes = d + rec->loopStart;
        memmove(rec->wrapQueue, rec->wrapQueue + 1, sizeof(int32_t) * (size_t)--rec->wrapCount);
        wrapped = true;
    }
    rec->wrapPending = rec->wrapCount > 0;
    if (rec->wrapPending) rec->wrapRingPosition = rec->wrapQueue[0];
    if (!wrapped) {
        int64_t d = (int64_t)c - l;
        if (d < 0) d += rec->ringSize;
        rec->playedBytes += d;
    }
    rec->lastCursor = c;
}

void RestartFromBeginning(SOUNDREC *rec) {
    rec->allDone = 0;
    rec->sourcePosition = 0;
    rec->playedBytes = 0;
    rec->wrapPending = 0;
    rec->wrapCount = 0;
    rec->repeatCounter = 0;
    rec->currentSource = 0;
    rec->prepared = 0;
}

SOUNDREC *StreamRec(int handle) {
    SOUNDREC *rec = GetSoundRec(handle);
    return rec && rec->streamFlag ? rec : nullptr;
}

}  // namespace

int AddSreamSound(const STREAMREF *stream, int repeat, int handle, int kind, int *keepOpen, int) {
    SOUNDREC *rec = GetSoundRec(handle);
    if (!rec || !stream) return -1;
    memset(&rec->source, 0, sizeof rec->source);
    rec->source.kind = kind;
    rec->source.stream = *stream;
    stream->Seek(stream->handle, 0, 0);
    const int opened = g_sound.movieSound ? SetupOggSoundConvert(&rec->source.stream, &rec->source.conv)
                                          : SetupSoundConvert(&rec->source.stream, &rec->source.conv);
    if (opened != 0) {
        WriteLog("音声データのオープンに失敗しました");
        return -1;
    }
    if (keepOpen) *keepOpen = 0;
    WAVEFORMATEX format;
    GetConvertFormat(&rec->source.conv, &format);
    const int64_t ring = (int64_t)format.nAvgBytesPerSec * 6;
    if (!SoundBufferFits(&format, ring)) {
        WriteLog("ストリーム風サウンドバッファの作成に失敗しました");
        EndSoundConvert(&rec->source.conv);
        return -1;
    }
    if (CreateSoundBuffers(rec, &format, (int)ring, 1, 1) != 0) {
        EndSoundConvert(&rec->source.conv);
        return -1;
    }
    rec->format = format;
    rec->format.cbSize = 0;
    rec->streamFlag = 1;
    LinkHandleNode(&g_sound.streamHead, &rec->listNode, handle, rec);
    rec->ringSize = (int32_t)ring;
    rec->source.repeat = (int8_t)repeat;
    rec->sourceCount = 1;
    // The length is the decoded data, without the whole-sound allowance.
    rec->totalSamples = (int32_t)(GetDecodedDataSize(&rec->source.conv) / format.nBlockAlign);
    return 0;
}

int PrepareStreamSound(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec) return -1;
    if (BufferPlaying(rec) || rec->prepared) return 0;
    rec->buffers[0].buffer->SetCurrentPosition(0);
    rec->writePosition = SOUND_WRITE_UNFILLED;
    rec->guardPosition = -1;
    rec->lastCursor = 0;
    rec->endFlag = 0;
    SeekSoundConvert(&rec->source.conv, rec->sourcePosition / rec->format.nBlockAlign);
    rec->prepared = 1;
    RefillStreamSound(handle);
    return 0;
}

int RefillStreamSound(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec) return -1;
    if (!rec->prepared) return 0;
    UpdateStreamPlayCount(rec, -1);
    const int32_t A = (int32_t)rec->format.nAvgBytesPerSec;
    const int32_t B = rec->format.nBlockAlign;
    const int32_t ring = rec->ringSize;
    const int32_t eighth = A / 8 / B * B;
    IDirectSoundBuffer *buf = rec->buffers[0].buffer;

    if (rec->endFlag) {
        const int32_t c = (int32_t)Cursor(rec);
        if (rec->endRingPosition < c && (rec->cursorAtEnd < rec->endRingPosition || c < rec->cursorAtEnd)) {
            buf->Stop();
            rec->endFlag = 0;
            return 0;
        }
        if (StrictlyBetween(c, rec->writePosition, rec->guardPosition)) return -1;
        LOCKSPAN span{};
        span.offset = rec->writePosition;
        if (FAILED(buf->Lock((DWORD)rec->writePosition, (DWORD)eighth, (void **)&span.p1, &span.n1, (void **)&span.p2,
                             &span.n2, 0)))
            return -1;
        FillSilence(rec, span, 0, eighth);
        buf->Unlock(span.p1, span.n1, span.p2, span.n2);
        rec->writePosition = (rec->writePosition + eighth) % ring;
        rec->guardPosition = rec->writePosition - 4 * A;
        if (rec->guardPosition < 0) rec->guardPosition += ring;
        return 0;
    }

    int32_t n = eighth;
    const bool first = rec->writePosition == SOUND_WRITE_UNFILLED;
    int32_t at = rec->writePosition;
    if (BufferPlaying(rec)) {
        if (first) return -1;
        const int64_t c = Cursor(rec);
        if (StrictlyBetween(c, rec->writePosition, rec->guardPosition)) return -1;
        int64_t ahead = rec->writePosition - c;
        if (ahead < 0) ahead += ring;
        int64_t lead = ahead * 128 / A;
        if (lead < 384) n = (int32_t)((384 - lead) * A / 128 / B * B);
    } else {
        if (!first) return 0;
        at = 0;
        n = 4 * A / B * B;
    }
    if (n <= 0) return 0;

    LOCKSPAN span{};
    span.offset = at;
    if (FAILED(buf->Lock((DWORD)at, (DWORD)n, (void **)&span.p1, &span.n1, (void **)&span.p2, &span.n2, 0)))
        return -1;
    int32_t written = 0;
    bool restarted = false;
    while (written < n && !rec->endFlag) {
        int32_t run;
        uint8_t *p = span.At(written, &run);
        if (run > n - written) run = n - written;
        int got = ReadConvertedData(&rec->source.conv, p, run);
        if (got > 0) {
            written += got;
            rec->sourcePosition += got;
            restarted = false;
            continue;
        }
        if (AdvanceStreamSource(rec, span, written, n, restarted) != 0) break;
        restarted = true;
    }
    // The first fill claims its whole span: what the data did not fill is silence.
    if (first && written < n && !rec->endFlag) FillSilence(rec, span, written, n);
    buf->Unlock(span.p1, span.n1, span.p2, span.n2);

    if (first) {
        rec->writePosition = 4 * A % ring;
        rec->guardPosition = 0;
        return 0;
    }
    rec->writePosition = (rec->writePosition + n) % ring;
    rec->guardPosition = rec->writePosition - 4 * A;
    if (rec->guardPosition < 0) rec->guardPosition += ring;
    return 0;
}

int PlayStreamSound(int handle, int playType, int fromTop) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec) return -1;
    if (fromTop == 0 && BufferPlaying(rec)) return 0;
    StopStreamSound(handle);
    const bool loopChanged = (playType == SOUND_PLAY_LOOP) != (rec->streamPlayType == SOUND_PLAY_LOOP);
    if (loopChanged && rec->allDone) RestartFromBeginning(rec);
    if (fromTop == 1) {
        rec->allDone = 0;
        if (rec->playedBytes > 0) RestartFromBeginning(rec);
    }
    rec->streamPlayType = playType;
    PrepareStreamSound(handle);
    if (FAILED(rec->buffers[0].buffer->Play(0, 0, DSBPLAY_LOOPING))) return -1;
    if (playType == SOUND_PLAY_WAIT)
        while (PumpWindowMessages() == 0 && IsStreamSoundPlaying(handle) == 1) Sleep(1);
    return 0;
}

int StopStreamSound(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec) return -1;
    UpdateStreamPlayCount(rec, -1);
    if (BufferPlaying(rec)) rec->buffers[0].buffer->Stop();
    return 0;
}

int IsStreamSoundPlaying(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec) return -1;
    return BufferPlaying(rec) ? 1 : 0;
}

int RefillStreamSounds() {
    if (!g_sound.device) return -1;
    for (HANDLENODE *node = g_sound.streamHead.next; node && node != &g_sound.streamTail; node = node->next)
        RefillStreamSound(node->handle);
    return 0;
}

int GetStreamLengthTime(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec || rec->format.nSamplesPerSec == 0) return -1;
    return (int)((int64_t)rec->totalSamples * 1000 / rec->format.nSamplesPerSec);
}

int GetStreamPlayTime(int handle) {
    SOUNDREC *rec = StreamRec(handle);
    if (!rec || rec->format.nAvgBytesPerSec == 0) return -1;
    int64_t t = rec->playedBytes * 1000 / rec->format.nAvgBytesPerSec;
    int64_t length = GetStreamLengthTime(handle);
    return (int)(t < length ? t : length);
}

void ReleaseStreamSound(SOUNDREC *rec) {
    UnlinkHandleNode(&rec->listNode);
    EndSoundConvert(&rec->source.conv);
    if (rec->closeFlag && rec->source.stream.Close) rec->source.stream.Close(rec->source.stream.handle);
    if (rec->buffers[0].valid) rec->buffers[0].buffer->Release();
    rec->buffers[0] = {0, nullptr};
    rec->streamFlag = 0;
}
