// Opening a Theora stream (headers, the decode thread, the index, the first frame), closing it,
// and the page and packet reading both sides of the decoder share.
#include <cstring>
#include <new>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/movie/theora_internal.h"

namespace {

constexpr int kReadChunk = 4096;
constexpr int kTableGrowth = 1000;

int ReadMore(THEORADEC *d) {
    char *buffer = ogg_sync_buffer(&d->codec->sync, kReadChunk);
    int n = buffer ? d->stream.Read(buffer, 1, kReadChunk, d->streamHandle) : 0;
    if (n <= 0) return 0;
    ogg_sync_wrote(&d->codec->sync, n);
    return n;
}

// Reads until three Theora headers are decoded: 0, or -1 with the log line for running out.
int ReadHeaders(THEORADEC *d) {
    THEORACODEC *c = d->codec;
    for (;;) {
        if (ReadTheoraPage(d, nullptr) == 0) {
            WriteLog("End of file while searching for codec headers.");
            return -1;
        }
        if (ogg_page_bos(&c->page)) {
            // Beginning pages come first: the first one whose packet is a Theora header is ours.
            if (c->streamReady) continue;
            ogg_stream_state trial;
            ogg_stream_init(&trial, ogg_page_serialno(&c->page));
            ogg_stream_pagein(&trial, &c->page);
            ogg_packet p;
            if (ogg_stream_packetout(&trial, &p) == 1 && theora_decode_header(&c->info, &c->comment, &p) >= 0) {
                c->stream = trial;
                c->streamReady = 1;
                c->serial = ogg_page_serialno(&c->page);
                c->headerCount = 1;
            } else {
                ogg_stream_clear(&trial);
            }
        } else if (c->streamReady && ogg_page_serialno(&c->page) == c->serial) {
            ogg_stream_pagein(&c->stream, &c->page);
        } else if (!c->streamReady) {
            return -1;  // past the beginning pages without a Theora stream
        }
        while (c->streamReady && c->headerCount < 3) {
            int r = ogg_stream_packetout(&c->stream, &c->packet);
            if (r == 0) break;
            if (r < 0 || theora_decode_header(&c->info, &c->comment, &c->packet) < 0) return -1;
            c->headerCount++;
        }
        if (c->headerCount == 3) return 0;
    }
}

// Room for `needed` entries, grown by a thousand at a time; false (the table kept) when it cannot.
template <class T>
bool Grow(T **table, int32_t *capacity, int32_t needed) {
    if (needed <= *capacity) return true;
    int32_t next = *capacity + kTableGrowth;
    T *grown = (T *)MEM_REALLOC(*table, sizeof(T) * (size_t)next);
    if (!grown) return false;
    memset(grown + *capacity, 0, sizeof(T) * kTableGrowth);
    *table = grown;
    *capacity = next;
    return true;
}

// One pass over the whole file: the page table and the keyframe table; 0 / -1.
int IndexStream(THEORADEC *d) {
    THEORACODEC *c = d->codec;
    d->pages = (THEORAPAGE *)MEM_ALLOC_ZERO(sizeof(THEORAPAGE) * kTableGrowth);
    if (!d->pages) return WriteLog("Theora ページ情報格納用メモリの確保に失敗しました\n");
    d->pageCapacity = kTableGrowth;
    d->keyframes = (uint8_t *)MEM_ALLOC_ZERO(kTableGrowth);
    if (!d->keyframes) return WriteLog("Theora キーフレーム情報格納用メモリの確保に失敗しました\n");
    d->keyframeCapacity = kTableGrowth;

    int64_t offset = 0, skipped = 0;
    int32_t frames = 0, headers = 0;
    for (int length; (length = ReadTheoraPage(d, &skipped)) > 0; offset += length) {
        offset += skipped;
        skipped = 0;
        if (ogg_page_serialno(&c->page) != c->serial) continue;
        THEORAPAGE entry{};
        entry.offset = offset;
        entry.framesBefore = frames;
        entry.continued = ogg_page_continued(&c->page) ? 1 : 0;
        const bool afterHeaders = headers >= 3;
        ogg_stream_pagein(&c->stream, &c->page);
        while (ogg_stream_packetout(&c->stream, &c->packet) != 0) {
            if (IsTheoraHeaderPacket(c->packet)) {
                headers++;
                continue;
            }
            if (!Grow(&d->keyframes, &d->keyframeCapacity, frames + 1))
                return WriteLog("Theora キーフレーム情報格納用メモリの確保に失敗しました\n");
            const bool key = theora_packet_iskeyframe(&c->packet) == 1;
            d->keyframes[frames++] = key ? 1 : 0;
            entry.keyframe |= key ? 1 : 0;
            entry.framesIn++;
        }
        if (!afterHeaders && entry.framesIn == 0) continue;  // header pages
        if (!Grow(&d->pages, &d->pageCapacity, d->pageCount + 1))
            return WriteLog("Theora ページ情報格納用メモリの確保に失敗しました\n");
        d->pages[d->pageCount++] = entry;
    }
    d->frameCount = frames;
    return 0;
}

int CopyPicture(THEORADEC *d) {
    const theora_info &ti = d->codec->info;
    d->width = (int32_t)ti.frame_width;
    d->height = (int32_t)ti.frame_height;
    d->offsetX = (int32_t)ti.offset_x;
    d->offsetY = (int32_t)ti.offset_y;
    if (d->width <= 0 || d->height <= 0 || (uint32_t)d->offsetX + ti.frame_width > ti.width ||
        (uint32_t)d->offsetY + ti.frame_height > ti.height)
        return -1;
    d->chromaShiftX = ti.pixelformat == OC_PF_444 ? 0 : 1;
    d->chromaShiftY = ti.pixelformat == OC_PF_420 ? 1 : 0;
    d->chromaPhaseX = d->offsetX & d->chromaShiftX;
    d->chromaPhaseY = d->offsetY & d->chromaShiftY;
    d->chromaX = d->offsetX >> d->chromaShiftX;
    d->chromaY = d->offsetY >> d->chromaShiftY;
    d->frameRate = ti.fps_denominator ? (double)ti.fps_numerator / ti.fps_denominator : 0.0;
    return 0;
}

}  // namespace

int ReadTheoraPage(THEORADEC *d, int64_t *skipped) {
    for (;;) {
        long r = ogg_sync_pageseek(&d->codec->sync, &d->codec->page);
        if (r > 0) return (int)r;
        if (r < 0) {
            if (skipped) *skipped += -r;
            continue;
        }
        if (ReadMore(d) == 0) return 0;
    }
}

int ReadTheoraPacket(THEORADEC *d) {
    THEORACODEC *c = d->codec;
    for (;;) {
        int r = ogg_stream_packetout(&c->stream, &c->packet);
        if (r == 1) return 1;
        if (r < 0) continue;  // a hole: go on with the next whole packet
        do {
            if (ReadTheoraPage(d, nullptr) == 0) return 0;
        } while (ogg_page_serialno(&c->page) != c->serial);
        ogg_stream_pagein(&c->stream, &c->page);
    }
}

void RewindTheoraStream(THEORADEC *d, int64_t offset) {
    ogg_sync_reset(&d->codec->sync);
    ogg_stream_reset(&d->codec->stream);
    d->stream.Seek(d->streamHandle, (int)offset, 0);
}

THEORADEC *OpenTheoraDecoder(const STREAMFUNCS *stream, uintptr_t handle, int stockCount) {
    if (!stream || stockCount <= 0) return nullptr;
    char magic[4] = {};
    if (stream->Read(magic, 1, 4, handle) != 4 || memcmp(magic, "OggS", 4) != 0) return nullptr;
    stream->Seek(handle, 0, 0);
    if (!g_yuvTables.built) BuildYuvToRgbTables();

    void *block = MEM_ALLOC_ZERO(sizeof(THEORADEC));
    THEORACODEC *codec = (THEORACODEC *)MEM_ALLOC_ZERO(sizeof(THEORACODEC));
    if (!block || !codec) {
        MEM_FREE(block);
        MEM_FREE(codec);
        WriteLog("Theora ムービーデコード処理用のメモリ確保に失敗しました\n");
        return nullptr;
    }
    THEORADEC *d = new (block) THEORADEC();
    d->codec = codec;
    d->stream = *stream;
    d->streamHandle = handle;
    d->currentFrame = -1;
    d->lastTarget = -1;
    d->lastDecoded = -1;
    // The thread is made idle: it waits until the index is built and the stream rewound.
    d->stopRequest = 1;
    d->state = THEORA_IDLE;
    ogg_sync_init(&codec->sync);
    theora_info_init(&codec->info);
    theora_comment_init(&codec->comment);

    if (ReadHeaders(d) != 0 || CopyPicture(d) != 0) {
        CloseTheoraDecoder(d);
        return nullptr;
    }
    d->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    d->changed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (d->wake && d->changed) d->thread = CreateThread(nullptr, 0, TheoraDecodeThread, d, 0, &d->threadId);
    if (!d->thread) {
        WriteLog("Theora ムービーデコード用スレッドの作成に失敗しました\n");
        CloseTheoraDecoder(d);
        return nullptr;
    }
    if (theora_decode_init(&codec->decoder, &codec->info) != 0) {
        CloseTheoraDecoder(d);
        return nullptr;
    }
    codec->decoderReady = 1;
    RewindTheoraStream(d, 0);
    if (IndexStream(d) != 0) {
        CloseTheoraDecoder(d);
        return nullptr;
    }
    RewindTheoraStream(d, 0);
    if (d->frameCount <= 0 || d->frameRate <= 0 || d->pageCount == 0) {
        WriteLog("Theora ムービーに再生できるフレームがありません\n");
        CloseTheoraDecoder(d);
        return nullptr;
    }
    if (AllocBaseImageXRGB8(d->width, d->height, &d->rgb) != 0) {
        WriteLog("Theora ムービーデコードフレームストック用画像バッファの確保に失敗しました\n");
        CloseTheoraDecoder(d);
        return nullptr;
    }
    d->stock = (THEORAFRAME *)MEM_ALLOC_ZERO(sizeof(THEORAFRAME) * (size_t)stockCount);
    if (!d->stock) {
        WriteLog("Theora ムービーデコードフレームストック用のメモリ確保に失敗しました\n");
        CloseTheoraDecoder(d);
        return nullptr;
    }
    d->stockCount = stockCount;
    SeekTheoraFrame(d, 0);
    ConvertTheoraFrame(d, 1, 0);
    return d;
}

int CloseTheoraDecoder(THEORADEC *d) {
    if (!d) return -1;
    if (d->thread) {
        d->endRequest = 1;
        SetEvent(d->wake);
        WaitForSingleObject(d->thread, INFINITE);
        CloseHandle(d->thread);
    }
    if (d->wake) CloseHandle(d->wake);
    if (d->changed) CloseHandle(d->changed);
    for (int i = 0; i < d->stockCount; i++) {
        MEM_FREE(d->stock[i].y);
        MEM_FREE(d->stock[i].u);
        MEM_FREE(d->stock[i].v);
    }
    MEM_FREE(d->stock);
    if (d->surface) d->surface->Release();
    MEM_FREE(d->pages);
    MEM_FREE(d->keyframes);
    if (d->rgb.pixels) FreeBaseImage(&d->rgb);
    THEORACODEC *c = d->codec;
    if (c->decoderReady) theora_clear(&c->decoder);
    if (c->streamReady) ogg_stream_clear(&c->stream);
    ogg_sync_clear(&c->sync);
    theora_comment_clear(&c->comment);
    theora_info_clear(&c->info);
    MEM_FREE(c);
    d->~THEORADEC();
    MEM_FREE(d);
    return 0;
}

int GetTheoraInfo(THEORADEC *d, THEORAINFO *out) {
    if (!d || !out) return -1;
    out->frameRate = d->frameRate;
    out->frameCount = d->frameCount;
    out->width = d->width;
    out->height = d->height;
    return 0;
}
