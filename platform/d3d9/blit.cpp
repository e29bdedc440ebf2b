// Whole-surface operations: Clear, ColorFill, StretchRect, UpdateSurface,
// GetRenderTargetData, and presentation with its 60 Hz pacing.
#include "platform/d3d9/internal.h"
#include "platform/kernel32/kernel32.h"

#include <algorithm>
#include <cmath>

namespace d3d9 {

namespace {

bool Intersect(RECT &r, const RECT &clip) {
    r.left = std::max(r.left, clip.left);
    r.top = std::max(r.top, clip.top);
    r.right = std::min(r.right, clip.right);
    r.bottom = std::min(r.bottom, clip.bottom);
    return r.left < r.right && r.top < r.bottom;
}

bool InsideImage(const RECT &r, const Image &image) {
    return r.left >= 0 && r.top >= 0 && r.right <= image.width && r.bottom <= image.height && r.left < r.right &&
           r.top < r.bottom;
}

void FillColour(Image &image, const RECT &r, D3DCOLOR colour) {
    uint8_t pixel[4] = {};
    EncodePixel(image.format, pixel, colour);
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = image.Row(y) + (size_t)r.left * image.bytes;
        if (image.bytes == 4) {
            uint32_t v;
            memcpy(&v, pixel, 4);
            uint32_t *q = reinterpret_cast<uint32_t *>(p);
            std::fill(q, q + (r.right - r.left), v);
        } else {
            for (int x = r.left; x < r.right; ++x, p += image.bytes) memcpy(p, pixel, (size_t)image.bytes);
        }
    }
    ++image.version;
}

void FillDepth(Image &image, const RECT &r, float z) {
    image.FillDepthLater(r, z);
    ++image.version;
}

// The platform's own clock, so that the test face's fake clock paces presentation too.
double PacingClock() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return frequency.QuadPart ? (double)count.QuadPart / (double)frequency.QuadPart : 0.0;
}

void SleepSeconds(double seconds) {
    if (seconds > 0) Sleep((DWORD)std::ceil(seconds * 1000.0));
}

const double kRefreshPeriod = 1.0 / 60.0;

}  // namespace

void WaitForVerticalBlankStart() {
    if (!PacingOn()) return;
    double now = PacingClock();
    double tick = (std::floor(now / kRefreshPeriod) + 1.0) * kRefreshPeriod;
    SleepSeconds(tick - now);
}

// The blank takes the first 45 of 525 lines of every refresh period.
bool InVerticalBlank() {
    double now = PacingClock();
    return now - std::floor(now / kRefreshPeriod) * kRefreshPeriod < kRefreshPeriod * 45.0 / 525.0;
}

HRESULT Device::Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
    Record("Clear", count, (const void *)rects, flags, colour, z, stencil);
    if ((flags & D3DCLEAR_ZBUFFER) && !state.depth) return D3DERR_INVALIDCALL;
    if (count && !rects) return D3DERR_INVALIDCALL;
    if (loss != LossState::Operational) return D3D_OK;
    const D3DVIEWPORT9 &vp = state.viewport;
    RECT area{(LONG)vp.X, (LONG)vp.Y, (LONG)(vp.X + vp.Width), (LONG)(vp.Y + vp.Height)};
    if (state.rs[D3DRS_SCISSORTESTENABLE]) Intersect(area, state.scissor);
    DWORD pieces = count ? count : 1;
    for (DWORD i = 0; i < pieces; ++i) {
        RECT r = area;
        if (count) {
            RECT piece{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2};
            if (!Intersect(r, piece)) continue;
        }
        if (flags & D3DCLEAR_TARGET) {
            Image &target = state.renderTarget->image;
            RECT t = r;
            if (Intersect(t, RECT{0, 0, target.width, target.height})) FillColour(target, t, colour);
        }
        if (flags & D3DCLEAR_ZBUFFER) {
            Image &depth = state.depth->image;
            RECT d = r;
            if (Intersect(d, RECT{0, 0, depth.width, depth.height})) FillDepth(depth, d, std::clamp(z, 0.0f, 1.0f));
        }
    }
    return D3D_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9 *surface, const RECT *rect, D3DCOLOR colour) {
    Record("ColorFill", (const void *)surface, (const void *)rect, colour);
    if (HRESULT hr = ScriptedFailure("ColorFill")) return hr;
    Surface *s = static_cast<Surface *>(surface);
    if (!s || s->pool != D3DPOOL_DEFAULT || s->image.depth || s->image.blockBytes ||
        !(s->IsRenderTarget() || s->kind == SurfaceKind::Offscreen))
        return D3DERR_INVALIDCALL;
    RECT r{0, 0, s->image.width, s->image.height};
    if (rect) {
        r = *rect;
        if (!InsideImage(r, s->image)) return D3DERR_INVALIDCALL;
    }
    if (loss == LossState::Operational) FillColour(s->image, r, colour);
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9 *source, const RECT *srcRect, IDirect3DSurface9 *dest,
                            const RECT *dstRect, D3DTEXTUREFILTERTYPE filter) {
    Record("StretchRect", (const void *)source, (const void *)srcRect, (const void *)dest, (const void *)dstRect,
           filter);
    if (HRESULT hr = ScriptedFailure("StretchRect")) return hr;
    Surface *src = static_cast<Surface *>(source);
    Surface *dst = static_cast<Surface *>(dest);
    if (!src || !dst || src->pool != D3DPOOL_DEFAULT || dst->pool != D3DPOOL_DEFAULT || src->image.depth ||
        dst->image.depth || src->image.blockBytes || dst->image.blockBytes || inScene)
        return D3DERR_INVALIDCALL;
    if (!dst->IsRenderTarget() && dst->kind != SurfaceKind::Offscreen) return D3DERR_INVALIDCALL;
    RECT sr = srcRect ? *srcRect : RECT{0, 0, src->image.width, src->image.height};
    RECT dr = dstRect ? *dstRect : RECT{0, 0, dst->image.width, dst->image.height};
    if (!InsideImage(sr, src->image) || !InsideImage(dr, dst->image)) return D3DERR_INVALIDCALL;
    int sw = sr.right - sr.left, sh = sr.bottom - sr.top, dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    // Plain surfaces cannot be stretched, and a surface cannot be copied onto itself.
    if (dst->kind == SurfaceKind::Offscreen && (sw != dw || sh != dh)) return D3DERR_INVALIDCALL;
    if (src == dst) {
        RECT overlap = sr;
        if (Intersect(overlap, dr)) return D3DERR_INVALIDCALL;
    }
    if (loss != LossState::Operational) return D3D_OK;
    Image &si = src->image;
    Image &di = dst->image;
    if (sw == dw && sh == dh) {
        for (int y = 0; y < dh; ++y) {
            if (si.format == di.format) {
                memcpy(di.Row(dr.top + y) + (size_t)dr.left * di.bytes, si.Row(sr.top + y) + (size_t)sr.left * si.bytes,
                       (size_t)dw * di.bytes);
            } else {
                for (int x = 0; x < dw; ++x) di.WriteArgb(dr.left + x, dr.top + y, si.ReadArgb(sr.left + x, sr.top + y));
            }
        }
    } else if (filter == D3DTEXF_LINEAR) {
        for (int y = 0; y < dh; ++y) {
            double fy = (y + 0.5) * sh / dh - 0.5;
            int y0 = (int)std::floor(fy);
            int wy = (int)std::lround((fy - y0) * 256.0);
            int ya = std::clamp(y0, 0, sh - 1) + sr.top, yb = std::clamp(y0 + 1, 0, sh - 1) + sr.top;
            for (int x = 0; x < dw; ++x) {
                double fx = (x + 0.5) * sw / dw - 0.5;
                int x0 = (int)std::floor(fx);
                int wx = (int)std::lround((fx - x0) * 256.0);
                int xa = std::clamp(x0, 0, sw - 1) + sr.left, xb = std::clamp(x0 + 1, 0, sw - 1) + sr.left;
                uint32_t c[4] = {si.ReadArgb(xa, ya), si.ReadArgb(xb, ya), si.ReadArgb(xa, yb), si.ReadArgb(xb, yb)};
                uint32_t out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    int top = (int)((c[0] >> shift) & 255) * (256 - wx) + (int)((c[1] >> shift) & 255) * wx;
                    int bottom = (int)((c[2] >> shift) & 255) * (256 - wx) + (int)((c[3] >> shift) & 255) * wx;
                    out |= (uint32_t)((top * (256 - wy) + bottom * wy + 32768) >> 16) << shift;
                }
                di.WriteArgb(dr.left + x, dr.top + y, out);
            }
        }
    } else if (si.format == di.format && (di.bytes == 4 || di.bytes == 2)) {
        std::vector<int> columns(dw);
        for (int x = 0; x < dw; ++x) columns[x] = sr.left + (int)(((int64_t)x * 2 + 1) * sw / (2 * (int64_t)dw));
        for (int y = 0; y < dh; ++y) {
            int sy = sr.top + (int)(((int64_t)y * 2 + 1) * sh / (2 * (int64_t)dh));
            if (di.bytes == 4) {
                const uint32_t *from = reinterpret_cast<const uint32_t *>(si.Row(sy));
                uint32_t *to = reinterpret_cast<uint32_t *>(di.Row(dr.top + y)) + dr.left;
                for (int x = 0; x < dw; ++x) to[x] = from[columns[x]];
            } else {
                const uint16_t *from = reinterpret_cast<const uint16_t *>(si.Row(sy));
                uint16_t *to = reinterpret_cast<uint16_t *>(di.Row(dr.top + y)) + dr.left;
                for (int x = 0; x < dw; ++x) to[x] = from[columns[x]];
            }
        }
    } else {
        for (int y = 0; y < dh; ++y) {
            int sy = sr.top + (int)(((int64_t)y * 2 + 1) * sh / (2 * (int64_t)dh));
            for (int x = 0; x < dw; ++x) {
                int sx = sr.left + (int)(((int64_t)x * 2 + 1) * sw / (2 * (int64_t)dw));
                di.WriteArgb(dr.left + x, dr.top + y, si.ReadArgb(sx, sy));
            }
        }
    }
    ++di.version;
    return D3D_OK;
}

HRESULT Device::UpdateSurface(IDirect3DSurface9 *source, const RECT *srcRect, IDirect3DSurface9 *dest,
                              const POINT *dstPoint) {
    Record("UpdateSurface", (const void *)source, (const void *)srcRect, (const void *)dest, (const void *)dstPoint);
    if (HRESULT hr = ScriptedFailure("UpdateSurface")) return hr;
    Surface *src = static_cast<Surface *>(source);
    Surface *dst = static_cast<Surface *>(dest);
    if (!src || !dst || src->pool != D3DPOOL_SYSTEMMEM || dst->pool != D3DPOOL_DEFAULT ||
        src->image.format != dst->image.format || src->image.depth)
        return D3DERR_INVALIDCALL;
    Image &si = src->image;
    Image &di = dst->image;
    RECT sr = srcRect ? *srcRect : RECT{0, 0, si.width, si.height};
    POINT dp = dstPoint ? *dstPoint : POINT{0, 0};
    RECT dr{dp.x, dp.y, dp.x + (sr.right - sr.left), dp.y + (sr.bottom - sr.top)};
    if (!InsideImage(sr, si) || !InsideImage(dr, di)) return D3DERR_INVALIDCALL;
    if (si.blockBytes) {
        if ((sr.left | sr.top | dr.left | dr.top) & 3) return D3DERR_INVALIDCALL;
        int rows = (sr.bottom - sr.top + 3) / 4, bytes = (sr.right - sr.left + 3) / 4 * si.blockBytes;
        for (int y = 0; y < rows; ++y)
            memcpy(di.Row(dr.top / 4 + y) + (size_t)(dr.left / 4) * di.blockBytes,
                   si.Row(sr.top / 4 + y) + (size_t)(sr.left / 4) * si.blockBytes, (size_t)bytes);
    } else {
        for (int y = 0; y < sr.bottom - sr.top; ++y)
            memcpy(di.Row(dr.top + y) + (size_t)dr.left * di.bytes, si.Row(sr.top + y) + (size_t)sr.left * si.bytes,
                   (size_t)(sr.right - sr.left) * si.bytes);
    }
    ++di.version;
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9 *renderTarget, IDirect3DSurface9 *dest) {
    Record("GetRenderTargetData", (const void *)renderTarget, (const void *)dest);
    if (HRESULT hr = ScriptedFailure("GetRenderTargetData")) return hr;
    Surface *src = static_cast<Surface *>(renderTarget);
    Surface *dst = static_cast<Surface *>(dest);
    if (!src || !dst || !src->IsRenderTarget() || dst->pool != D3DPOOL_SYSTEMMEM ||
        src->image.format != dst->image.format || src->image.width != dst->image.width ||
        src->image.height != dst->image.height)
        return D3DERR_INVALIDCALL;
    if (loss != LossState::Operational) return D3DERR_DEVICELOST;
    for (int y = 0; y < src->image.height; ++y)
        memcpy(dst->image.Row(y), src->image.Row(y), (size_t)src->image.width * src->image.bytes);
    ++dst->image.version;
    return D3D_OK;
}

// ---- presentation ---------------------------------------------------------------

HRESULT Device::Present(const RECT *src, const RECT *dst, HWND win, const RGNDATA *) {
    Record("Present", (const void *)src, (const void *)dst, (const void *)win);
    return PresentFrame(src, dst, win);
}

HRESULT Device::PresentFrame(const RECT *src, const RECT *dst, HWND win) {
    if (HRESULT hr = ScriptedFailure("Present")) return hr;
    if (loss != LossState::Operational) return D3DERR_DEVICELOST;
    Image &image = backBuffer->image;
    RECT source{0, 0, image.width, image.height};
    if ((src || dst) && params.SwapEffect != D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
    if (src) {
        source = *src;
        if (!InsideImage(source, image)) return D3DERR_INVALIDCALL;
    }
    // A 32-bit back buffer is already XRGB8888 (the host ignores the top byte): it is handed over
    // as it stands; other formats are converted first.
    const bool direct = (image.format == D3DFMT_X8R8G8B8 || image.format == D3DFMT_A8R8G8B8) && image.pitch % 4 == 0;
    if (!direct) image.ToArgb(frame);
    D3D9PresentedFrame presented{direct ? reinterpret_cast<const uint32_t *>(image.Row(0)) : frame.data(),
                                 image.width,
                                 image.height,
                                 direct ? image.pitch / 4 : image.width,
                                 win ? win : window,
                                 source,
                                 dst ? *dst : RECT{0, 0, 0, 0},
                                 dst != nullptr};
    if (D3D9PresentHook hook = PresentHook()) {
        if (!hook(presented)) return D3DERR_DRIVERINTERNALERROR;
    }
    NotePresented(presented, image.format == D3DFMT_X8R8G8B8);
    UINT interval = params.PresentationInterval;
    if (interval == D3DPRESENT_INTERVAL_ONE || interval == D3DPRESENT_INTERVAL_DEFAULT) WaitForVerticalBlankStart();
    return D3D_OK;
}

}  // namespace d3d9
