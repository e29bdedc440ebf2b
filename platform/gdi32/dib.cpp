// Device-independent bitmaps drawn on a window's context: the pixels go into a picture of
// the window's client area, which is handed to the host after every call.
#include "platform/gdi32/gdi32.h"
#include "platform/host/host.h"
#include "platform/testing.h"
#include "platform/user32/user32.h"

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct CLIENTPICTURE {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // XRGB8888, top row first
};

struct DibState {
    std::mutex mu;
    std::map<HWND, CLIENTPICTURE> windows;
    int draws = 0;
};

DibState &S() {
    static DibState state;
    return state;
}

// A window's context is its handle with the low bit set; the screen's has no window.
HWND WindowOfDc(HDC dc) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(dc);
    if (!(value & 1) || value == 0x40001) return nullptr;
    HWND hwnd = reinterpret_cast<HWND>(value & ~static_cast<uintptr_t>(1));
    return IsWindow(hwnd) ? hwnd : nullptr;
}

// One channel of a mask, widened to 8 bits.
struct CHANNEL {
    uint32_t mask;
    int shift, width;
    uint32_t Take(uint32_t v) const {
        if (!width) return 0;
        const uint32_t c = (v & mask) >> shift;
        return width >= 8 ? c >> (width - 8) : c * 255 / ((1u << width) - 1);
    }
};

CHANNEL MakeChannel(uint32_t mask) {
    CHANNEL c{mask, 0, 0};
    if (!mask) return c;
    while (!(mask & 1)) mask >>= 1, ++c.shift;
    while (mask & 1) mask >>= 1, ++c.width;
    return c;
}

// What the header says about the source rows.
struct SOURCE {
    const uint8_t *bits;
    int width, height;  // height > 0
    bool topDown;
    int bytes;          // per pixel
    size_t stride;
    CHANNEL r, g, b;

    uint32_t Pixel(int x, int rowFromTop) const {
        const int row = topDown ? rowFromTop : height - 1 - rowFromTop;
        const uint8_t *p = bits + (size_t)row * stride + (size_t)x * bytes;
        uint32_t v = bytes == 2 ? (uint32_t)(p[0] | p[1] << 8)
                                : bytes == 3 ? (uint32_t)(p[0] | p[1] << 8 | p[2] << 16)
                                             : (uint32_t)(p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24);
        return r.Take(v) << 16 | g.Take(v) << 8 | b.Take(v);
    }
};

bool ReadHeader(const void *bits, const BITMAPINFO *info, UINT colourUse, SOURCE *out) {
    if (!bits || !info || colourUse != DIB_RGB_COLORS) return false;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0) return false;
    const int bpp = h.biBitCount;
    uint32_t masks[3];
    if (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        std::memcpy(masks, reinterpret_cast<const uint8_t *>(info) + h.biSize, sizeof masks);
    } else if (h.biCompression == BI_RGB && bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (h.biCompression == BI_RGB && (bpp == 24 || bpp == 32)) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    } else {
        return false;
    }
    out->bits = static_cast<const uint8_t *>(bits);
    out->width = h.biWidth;
    out->topDown = h.biHeight < 0;
    out->height = out->topDown ? -h.biHeight : h.biHeight;
    out->bytes = bpp / 8;
    out->stride = (((size_t)h.biWidth * bpp + 31) / 32) * 4;
    out->r = MakeChannel(masks[0]);
    out->g = MakeChannel(masks[1]);
    out->b = MakeChannel(masks[2]);
    return true;
}

// Draws source (x, y-from-bottom, w, h) scaled onto the client rectangle (dx, dy, dw, dh),
// clipped to both, then shows the client picture. Returns the source lines used.
int DrawOnWindow(HDC dc, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const SOURCE &src) {
    HWND hwnd = WindowOfDc(dc);
    if (!hwnd || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return 0;
    RECT client{};
    GetClientRect(hwnd, &client);
    const int cw = client.right - client.left, ch = client.bottom - client.top;
    const int top = src.height - (sy + sh);  // the source rectangle's top row, counted from the top
    std::vector<uint32_t> shown;
    {
        std::lock_guard<std::mutex> lock(S().mu);
        CLIENTPICTURE &pic = S().windows[hwnd];
        if (pic.width != cw || pic.height != ch) {
            pic.width = cw > 0 ? cw : 0;
            pic.height = ch > 0 ? ch : 0;
            pic.pixels.assign((size_t)pic.width * pic.height, 0);
        }
        for (int y = 0; y < dh; ++y) {
            const int ty = dy + y;
            const int row = top + (int)((int64_t)y * sh / dh);
            if (ty < 0 || ty >= pic.height || row < 0 || row >= src.height) continue;
            uint32_t *out = pic.pixels.data() + (size_t)ty * pic.width;
            for (int x = 0; x < dw; ++x) {
                const int tx = dx + x;
                const int column = sx + (int)((int64_t)x * sw / dw);
                if (tx < 0 || tx >= pic.width || column < 0 || column >= src.width) continue;
                out[tx] = src.Pixel(column, row);
            }
        }
        ++S().draws;
        shown = pic.pixels;
    }
    if (cw > 0 && ch > 0)
        host::Current().PresentFrame(reinterpret_cast<uintptr_t>(hwnd), shown.data(), cw, ch, cw * 4, nullptr);
    return sh;
}

}  // namespace

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void *bits, const BITMAPINFO *info, UINT colourUse) {
    SOURCE src;
    if (!ReadHeader(bits, info, colourUse, &src)) return 0;
    // Only whole images are passed: the bits hold every scan line.
    if (startScan != 0 || lines < (UINT)src.height) return 0;
    return DrawOnWindow(dc, xDest, yDest, (int)width, (int)height, xSrc, ySrc, (int)width, (int)height, src);
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void *bits, const BITMAPINFO *info, UINT colourUse, DWORD rop) {
    SOURCE src;
    if (rop != SRCCOPY || !ReadHeader(bits, info, colourUse, &src)) return 0;
    return DrawOnWindow(dc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, src);
}

std::vector<uint32_t> PlatformTestWindowPicture(HWND hwnd, int *width, int *height) {
    std::lock_guard<std::mutex> lock(S().mu);
    auto it = S().windows.find(hwnd);
    if (it == S().windows.end()) {
        if (width) *width = 0;
        if (height) *height = 0;
        return {};
    }
    if (width) *width = it->second.width;
    if (height) *height = it->second.height;
    return it->second.pixels;
}

int PlatformTestDibDrawCount() {
    std::lock_guard<std::mutex> lock(S().mu);
    return S().draws;
}

void PlatformTestResetDibs() {
    std::lock_guard<std::mutex> lock(S().mu);
    S().windows.clear();
    S().draws = 0;
}
