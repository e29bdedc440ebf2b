// The decode thread: seeks when asked, and otherwise decodes on from the stream position into the
// stock, keeping the frames from the current one on; around the end it starts again at frame 0.
#include <algorithm>
#include <cstring>

#include "library/base/memory.h"
#include "library/movie/theora_internal.h"

namespace {

// Steps forward from frame `from` to frame `to` on a loop of n frames.
int32_t Ahead(int32_t from, int32_t to, int32_t n) { return ((to - from) % n + n) % n; }

int32_t LastKeyframe(const THEORADEC *d, int32_t f) {
    while (f > 0 && !d->keyframes[f]) f--;
    return f;
}

int32_t FirstFrameOf(const THEORAPAGE &p) { return p.framesBefore + p.continued; }

// The last page from which reading reaches frame f.
int32_t PageFor(const THEORADEC *d, int32_t f) {
    int32_t lo = 0, hi = d->pageCount - 1;
    while (lo < hi) {
        int32_t mid = (lo + hi + 1) / 2;
        if (FirstFrameOf(d->pages[mid]) <= f) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

void ReadFrom(THEORADEC *d, int32_t page) {
    RewindTheoraStream(d, d->pages[page].offset);
    d->streamFrame = FirstFrameOf(d->pages[page]);
}

bool Reserve(uint8_t **plane, int32_t *bytes, int32_t needed) {
    if (*plane && *bytes >= needed) return true;
    MEM_FREE(*plane);
    *plane = (uint8_t *)MEM_ALLOC((size_t)needed);
    *bytes = *plane ? needed : 0;
    return *plane != nullptr;
}

void CopyPlane(uint8_t *dst, int32_t dstStride, const unsigned char *src, int srcStride, int x, int y, int w, int h) {
    for (int row = 0; row < h; row++)
        memcpy(dst + (size_t)row * dstStride, src + (ptrdiff_t)(y + row) * srcStride + x, (size_t)w);
}

// libtheora's picture into a stock entry: the picture's luma and the chroma samples covering it.
bool CopyOut(THEORADEC *d, THEORAFRAME *e, const yuv_buffer &yuv) {
    const int cw = ((d->offsetX + d->width - 1) >> d->chromaShiftX) - d->chromaX + 1;
    const int ch = ((d->offsetY + d->height - 1) >> d->chromaShiftY) - d->chromaY + 1;
    if (d->offsetX + d->width > yuv.y_width || d->offsetY + d->height > yuv.y_height ||
        d->chromaX + cw > yuv.uv_width || d->chromaY + ch > yuv.uv_height)
        return false;
    if (!Reserve(&e->y, &e->yBytes, d->width * d->height) || !Reserve(&e->u, &e->uvBytes, cw * ch) ||
        !Reserve(&e->v, &e->uvBytes, cw * ch))
        return false;
    e->yWidth = e->yStride = d->width;
    e->yHeight = d->height;
    e->uvWidth = e->uvStride = cw;
    e->uvHeight = ch;
    CopyPlane(e->y, e->yStride, yuv.y, yuv.y_stride, d->offsetX, d->offsetY, d->width, d->height);
    CopyPlane(e->u, e->uvStride, yuv.u, yuv.uv_stride, d->chromaX, d->chromaY, cw, ch);
    CopyPlane(e->v, e->uvStride, yuv.v, yuv.uv_stride, d->chromaX, d->chromaY, cw, ch);
    return true;
}

// Hands the packet just read to libtheora as frame f; with an entry, stocks its picture there.
bool Decode(THEORADEC *d, int32_t f, THEORAFRAME *entry) {
    THEORACODEC *c = d->codec;
    theora_decode_packetin(&c->decoder, &c->packet);  // a damaged packet leaves the last picture
    d->lastDecoded = f;
    d->packetsDecoded++;
    if (!entry) return true;
    yuv_buffer yuv;
    if (theora_decode_YUVout(&c->decoder, &yuv) != 0 || !CopyOut(d, entry, yuv)) return false;
    {
        std::lock_guard<std::mutex> hold(d->stockLock);
        entry->frame = f;
        entry->filled = 1;
    }
    SetEvent(d->changed);
    return true;
}

// The next data packet of the stream: its frame number, or -1 when the data ended.
int32_t NextFrame(THEORADEC *d) {
    for (;;) {
        if (!ReadTheoraPacket(d)) return -1;
        if (!IsTheoraHeaderPacket(d->codec->packet)) return d->streamFrame++;
    }
}

// Reads from the keyframe at or before the target up to it; the stock is emptied and then holds
// the target.
void SeekTo(THEORADEC *d, int32_t target) {
    d->state = THEORA_SEEKING;
    THEORAFRAME *entry = nullptr;
    {
        std::lock_guard<std::mutex> hold(d->stockLock);
        for (int i = 0; i < d->stockCount; i++) {
            if (d->stock[i].pinned) continue;
            d->stock[i].filled = 0;
            if (!entry) entry = &d->stock[i];
        }
    }
    const int32_t key = LastKeyframe(d, target);
    ReadFrom(d, PageFor(d, key));
    for (;;) {
        int32_t f = NextFrame(d);
        if (f < 0 || f > target) {
            d->decodeError = 1;
            return;
        }
        if (f < key) continue;
        if (!Decode(d, f, f == target ? entry : nullptr)) {
            d->decodeError = 1;
            return;
        }
        if (f == target) return;
    }
}

// One step of the normal work; false when there is nothing to do until the caller moves.
bool DecodeStep(THEORADEC *d) {
    const int32_t n = (int32_t)d->frameCount;
    const int32_t window = std::min(d->stockCount, n);
    const int32_t current = d->currentFrame;
    if (d->streamFrame >= n) ReadFrom(d, 0);  // around the end: frame 0 again
    const int32_t next = d->streamFrame;
    const int32_t ahead = Ahead(current, next, n);
    THEORAFRAME *entry = nullptr;
    bool idle = false;  // nothing to decode until the caller moves
    {
        std::lock_guard<std::mutex> hold(d->stockLock);
        bool stocked = false, haveCurrent = false;
        for (int i = 0; i < d->stockCount; i++) {
            THEORAFRAME &e = d->stock[i];
            if (e.filled && !e.pinned && Ahead(current, e.frame, n) >= window) e.filled = 0;
            if (e.filled && e.frame == next) stocked = true;
            if (e.filled && e.frame == current) haveCurrent = true;
        }
        if (ahead < window) {
            if (!stocked)
                for (int i = 0; i < d->stockCount && !entry; i++)
                    if (!d->stock[i].filled && !d->stock[i].pinned) entry = &d->stock[i];
            idle = !entry;
        } else if (ahead == window) {
            idle = true;  // the window is stocked up to its end
        }
        // The caller waits for the current frame. It can be missing with the stream already past
        // it when the caller moved while this step ran on an older frame number (it was evicted
        // or passed over unstocked); only a seek brings it back then.
        if (idle && (haveCurrent || current < 0)) return false;
    }
    if (idle) {
        SeekTo(d, current);
        return true;
    }
    if (!entry) {
        // The current frame moved past the stream position: jump when a keyframe lies between.
        const int32_t key = LastKeyframe(d, current);
        if (key != next && Ahead(next, key, n) <= Ahead(next, current, n)) {
            SeekTo(d, current);
            return true;
        }
    }
    d->state = THEORA_DECODING;
    int32_t f = NextFrame(d);
    if (f < 0) {
        // The stream ran out before its indexed end: it is damaged.
        d->decodeError = 1;
        return true;
    }
    if (!Decode(d, f, entry)) d->decodeError = 1;
    return true;
}

void Idle(THEORADEC *d, int32_t state) {
    d->state = state;
    SetEvent(d->changed);
    WaitForSingleObject(d->wake, INFINITE);
}

}  // namespace

DWORD TheoraDecodeThread(LPVOID param) {
    THEORADEC *d = static_cast<THEORADEC *>(param);
    while (!d->endRequest) {
        if (d->stopRequest) {
            Idle(d, THEORA_IDLE);
        } else if (d->seekRequest) {
            d->decodeError = 0;
            SeekTo(d, d->seekTarget);
            d->seekRequest = 0;
            SetEvent(d->changed);
        } else if (d->decodeError) {
            Idle(d, THEORA_IDLE);
        } else if (!DecodeStep(d)) {
            Idle(d, THEORA_STOCK_FULL);
        }
    }
    d->state = THEORA_ENDED;
    SetEvent(d->changed);
    return 0;
}
