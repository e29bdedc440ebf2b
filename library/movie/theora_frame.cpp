// The caller's side of the decoder: moving the current frame, and converting it into the RGB image
// or the YUV surface.
#include <cstring>

#include "library/graphics/graph_bridge.h"
#include "library/movie/theora_internal.h"

namespace {

// The stock entry holding the current frame, pinned; null when the thread ended or the stream
// broke off first.
THEORAFRAME *PinCurrent(THEORADEC *d) {
    const int32_t current = d->currentFrame;
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(d->stockLock);
            for (int i = 0; i < d->stockCount; i++) {
                THEORAFRAME &e = d->stock[i];
                if (e.filled && e.frame == current) {
                    e.pinned = 1;
                    return &e;
                }
            }
        }
        if (d->state == THEORA_ENDED || (d->decodeError && !d->seekRequest)) return nullptr;
        SetEvent(d->wake);
        WaitForSingleObject(d->changed, INFINITE);
    }
}

void Unpin(THEORADEC *d, THEORAFRAME *e) {
    {
        std::lock_guard<std::mutex> hold(d->stockLock);
        e->pinned = 0;
    }
    SetEvent(d->wake);
}

void ConvertToRgb(const THEORADEC *d, const THEORAFRAME *e, BASEIMAGE *out) {
    for (int row = 0; row < e->yHeight; row++) {
        const int c = (row + d->chromaPhaseY) >> d->chromaShiftY;
        uint32_t *dst = reinterpret_cast<uint32_t *>(out->pixels + (size_t)row * out->pitch);
        const uint8_t *y = e->y + (size_t)row * e->yStride;
        const uint8_t *u = e->u + (size_t)c * e->uvStride, *v = e->v + (size_t)c * e->uvStride;
        if (d->chromaShiftX && !d->chromaPhaseX) {
            const int pairs = e->yWidth / 2;
            ConvertYuvRowPairs(dst, y, u, v, pairs);
            if (e->yWidth & 1) ConvertYuvRow(dst + 2 * pairs, y + 2 * pairs, u + pairs, v + pairs, 1, 1, 0);
        } else {
            ConvertYuvRow(dst, y, u, v, e->yWidth, d->chromaShiftX, d->chromaPhaseX);
        }
    }
}

// The chroma sample under picture pixel (x, y).
inline int ChromaAt(const THEORADEC *d, const THEORAFRAME *e, const uint8_t *plane, int x, int y) {
    const int cx = (x + d->chromaPhaseX) >> d->chromaShiftX, cy = (y + d->chromaPhaseY) >> d->chromaShiftY;
    return plane[(size_t)cy * e->uvStride + cx];
}

// YV12: the luma plane, then V, then U, each chroma plane halved both ways at half the pitch.
void CopyToYv12(const THEORADEC *d, const THEORAFRAME *e, uint8_t *bits, int pitch) {
    const int w = e->yWidth, h = e->yHeight, cw = (w + 1) / 2, ch = (h + 1) / 2, cp = pitch / 2;
    for (int row = 0; row < h; row++) memcpy(bits + (size_t)row * pitch, e->y + (size_t)row * e->yStride, (size_t)w);
    uint8_t *vPlane = bits + (size_t)pitch * h, *uPlane = vPlane + (size_t)cp * ch;
    for (int row = 0; row < ch; row++)
        for (int x = 0; x < cw; x++) {
            vPlane[(size_t)row * cp + x] = (uint8_t)ChromaAt(d, e, e->v, 2 * x, 2 * row);
            uPlane[(size_t)row * cp + x] = (uint8_t)ChromaAt(d, e, e->u, 2 * x, 2 * row);
        }
}

// Packed 4:2:2: per pair of pixels two luma samples with one U and one V, in YUY2 or UYVY order.
void CopyToPacked(const THEORADEC *d, const THEORAFRAME *e, uint8_t *bits, int pitch, bool uyvy) {
    const int w = e->yWidth, h = e->yHeight;
    for (int row = 0; row < h; row++) {
        uint8_t *out = bits + (size_t)row * pitch;
        const uint8_t *y = e->y + (size_t)row * e->yStride;
        for (int x = 0; x < w; x += 2) {
            const uint8_t y0 = y[x], y1 = x + 1 < w ? y[x + 1] : y[x];
            const uint8_t u = (uint8_t)ChromaAt(d, e, e->u, x, row), v = (uint8_t)ChromaAt(d, e, e->v, x, row);
            uint8_t *p = out + (size_t)x * 2;
            if (uyvy) {
                p[0] = u, p[1] = y0, p[2] = v, p[3] = y1;
            } else {
                p[0] = y0, p[1] = u, p[2] = y1, p[3] = v;
            }
        }
    }
}

int CopyToSurface(THEORADEC *d, const THEORAFRAME *e) {
    D3DLOCKED_RECT locked{};
    HRESULT hr = E_FAIL;
    for (int tries = 0; tries < 3 && FAILED(hr); tries++) hr = d->surface->LockRect(&locked, nullptr, 0);
    if (FAILED(hr)) return -1;
    uint8_t *bits = static_cast<uint8_t *>(locked.pBits);
    if (d->surfaceFormat == D3DFMT_YV12) CopyToYv12(d, e, bits, locked.Pitch);
    else CopyToPacked(d, e, bits, locked.Pitch, d->surfaceFormat == D3DFMT_UYVY);
    d->surface->UnlockRect();
    return 0;
}

}  // namespace

void WaitTheoraIdle(THEORADEC *d) {
    d->stopRequest = 1;
    SetEvent(d->wake);
    while (d->state != THEORA_IDLE) WaitForSingleObject(d->changed, INFINITE);
}

int GetTheoraFrameNumber(THEORADEC *d) { return d ? (int)d->currentFrame : -1; }

int StepTheoraFrames(THEORADEC *d, int n) {
    if (!d) return -1;
    if (n <= 0) return 0;
    const int64_t count = d->frameCount;
    d->currentFrame = (int32_t)((d->currentFrame + (int64_t)n) % count);
    d->rgbConverted = d->surfaceConverted = 0;
    SetEvent(d->wake);
    return 0;
}

int SeekTheoraFrame(THEORADEC *d, int f) {
    if (!d) return -1;
    if (f < 0) f = 0;
    if (f > d->frameCount - 1) f = (int)(d->frameCount - 1);
    // The same target again changes nothing unless the frame moved on since.
    if (f == d->lastTarget && f == d->currentFrame) return 0;
    d->rgbConverted = d->surfaceConverted = 0;
    WaitTheoraIdle(d);
    d->lastTarget = f;
    d->seekTarget = f;
    d->currentFrame = f;
    d->seekRequest = 1;
    // Not idle any more from here, so that a later wait sees the thread take this request first.
    d->state = THEORA_SEEKING;
    d->stopRequest = 0;
    SetEvent(d->wake);
    return 0;
}

int ConvertTheoraFrame(THEORADEC *d, int toRgb, int toSurface) {
    if (!d) return 0;
    const bool wantRgb = toRgb && !d->rgbConverted;
    const bool wantSurface = toSurface && d->surface && !d->surfaceConverted;
    if (!wantRgb && !wantSurface) return 0;
    THEORAFRAME *e = PinCurrent(d);
    if (!e) return 0;
    if (wantSurface && CopyToSurface(d, e) == 0) d->surfaceConverted = 1;
    if (wantRgb) {
        ConvertToRgb(d, e, &d->rgb);
        d->rgbConverted = 1;
    }
    Unpin(d, e);
    return 1;
}

IDirect3DSurface9 *GetTheoraYuvSurface(THEORADEC *d) { return d ? d->surface : nullptr; }

BASEIMAGE *GetTheoraImage(THEORADEC *d) { return d ? &d->rgb : nullptr; }

int CreateTheoraYuvSurface(THEORADEC *d) {
    if (!d) return -1;
    if (d->surface) {
        d->surface->Release();
        d->surface = nullptr;
        d->surfaceFormat = D3DFMT_UNKNOWN;
    }
    d->surfaceConverted = 0;
    IDirect3DDevice9 *device = g_graphBridge.device;
    if (!device) return -1;
    for (D3DFORMAT format : {D3DFMT_YV12, D3DFMT_YUY2, D3DFMT_UYVY}) {
        IDirect3DSurface9 *surface = nullptr;
        if (SUCCEEDED(device->CreateOffscreenPlainSurface((UINT)d->width, (UINT)d->height, format, D3DPOOL_DEFAULT,
                                                          &surface, nullptr)) &&
            surface) {
            d->surface = surface;
            d->surfaceFormat = format;
            return 0;
        }
    }
    return -1;
}
