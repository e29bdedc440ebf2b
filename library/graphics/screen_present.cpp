// Showing a finished frame, the sub back buffer of full screen, and copying the screen into
// a graph.
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/memimg.h"
#include "library/graphics/pixel_convert.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/screen_log.h"
#include "library/graphics/screen_surfaces.h"
#include "library/graphics/vertex_batch.h"
#include "platform/gdi32/gdi32.h"
#include "platform/kernel32/kernel32.h"
#include "platform/user32/user32.h"

#include <cstring>

namespace {

// The on-screen log over the whole screen, in plain blending and white. The area goes
// through SetDrawClipRect both ways, so that the device's viewport and scissor follow it.
void DrawScreenLogOverFrame(int width, int height) {
    int32_t requested[4];
    std::memcpy(requested, g_screenState.requested, sizeof requested);
    const int mode = g_drawState.blendMode, parameter = g_drawState.blendParam;
    const uint32_t brightness = g_drawState.brightness;
    SetDrawClipRect(0, 0, width, height);
    SetBlendMode(0, 0);
    SetBrightnessRGB(255, 255, 255);
    DrawScreenLog();
    FlushVertexBatch();
    SetBlendMode(mode, parameter);
    SetBrightnessColour(brightness);
    SetDrawClipRect(requested[0], requested[1], requested[2], requested[3]);
}

struct PRESENTRECTS {
    RECT source, dest;
    bool useRects;
    bool emulated;  // 320 x 240 shown on the 640 x 480 screen
};

PRESENTRECTS PresentRects() {
    int w, h;
    GetScreenExtent(&w, &h);
    PRESENTRECTS r{{0, 0, w, h}, {0, 0, w, h}, true, g_drawState.emulation320 && w == 640 && h == 480};
    if (r.emulated) r.source = RECT{0, 0, 320, 240};
    if (IsWindowMode()) {
        if (IsWindowBottomAligned()) {
            const LONG bottom = g_window.clientScreenRect.bottom - g_window.clientScreenRect.top;
            r.dest = RECT{0, bottom - h, w, bottom};
        }
    } else if (!r.emulated) {
        r.useRects = false;
    }
    return r;
}

// A top-down bitmap header over the screen image, with the masks of its colour format.
struct SCREENBITMAPINFO {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

// The software screen into the main window's client area.
int PresentSoftwareScreen(const PRESENTRECTS &r) {
    const MEMIMG &screen = g_softScreen.screen;
    if (!IsMemImgValid(&screen)) return 0;
    if (!g_drawState.vsyncWaitOff) WaitVerticalBlank();
    const COLOURFORMAT *format = screen.base->colourFormat;
    SCREENBITMAPINFO info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    // The rows are as long as the image's pitch; the rectangles below keep to its width.
    info.header.biWidth = screen.base->pitch / format->bytesPerPixel;
    info.header.biHeight = -screen.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = format->bitsPerPixel;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = format->redMask;
    info.masks[1] = format->greenMask;
    info.masks[2] = format->blueMask;
    const BITMAPINFO *bmi = reinterpret_cast<const BITMAPINFO *>(&info);
    HDC dc = GetDC(g_window.window);
    if (!dc) return 0;
    const int w = screen.width, h = screen.height;
    const int destW = r.dest.right - r.dest.left, destH = r.dest.bottom - r.dest.top;
    if (r.emulated) {
        // The source's lower edge 240 rows up from the bottom: the top-left 320 x 240.
        StretchDIBits(dc, 0, 0, 640, 480, 0, 240, 320, 240, screen.pixels, bmi, DIB_RGB_COLORS, SRCCOPY);
    } else if (destW == w && destH == h) {
        SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, screen.pixels, bmi, DIB_RGB_COLORS);
    } else {
        StretchDIBits(dc, r.dest.left, r.dest.top, destW, destH, 0, 0, w, h, screen.pixels, bmi, DIB_RGB_COLORS,
                      SRCCOPY);
    }
    ReleaseDC(g_window.window, dc);
    return 0;
}

}  // namespace

int WaitVerticalBlank() {
    Sleep(0);
    IDirectDraw7 *dd = g_deviceState.directDraw;
    if (!dd) return -1;
    BOOL inBlank = FALSE;
    if (FAILED(dd->GetVerticalBlankStatus(&inBlank))) return -1;
    if (!inBlank) dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    return 0;
}

int PresentBackScreen() {
    if (!g_library.initialised || g_window.quit) return -1;
    int w, h;
    GetScreenExtent(&w, &h);
    if (GetScreenLogUsed()) DrawScreenLogOverFrame(w, h);
    const PRESENTRECTS r = PresentRects();
    if (!g_screenSetup.direct3D) return PresentSoftwareScreen(r);
    DEVICESTATE &d = g_deviceState;
    if (!GetRenderDevice() || !d.swapChain) return -1;
    FlushVertexBatch();
    LeaveDeviceScene();
    if (d.subBackBuffer && FAILED(d.device->StretchRect(d.subBackBuffer, nullptr, d.backBuffer, nullptr,
                                                       D3DTEXF_NONE)))
        return -1;
    const HRESULT hr = r.useRects ? d.swapChain->Present(&r.source, &r.dest, g_window.window, nullptr, 0)
                                  : d.swapChain->Present(nullptr, nullptr, g_window.window, nullptr, 0);
    if (FAILED(hr)) {
        g_screenState.deviceLost = 1;
        return -1;
    }
    return 0;
}

int ShowFrame() {
    // A present that failed while the window stayed active is mended here.
    if (g_screenState.deviceLost && RecoverLostDevice() != 0) return -1;
    if (!IsWindowMode() && g_screenSetup.direct3D) UseSubBackBuffer();
    return PresentBackScreen();
}

void FrontScreenTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(g_window.window, kFrontScreenTimer);
    g_screenState.frontTimerArmed = 0;
    if (g_drawState.drawTarget != FRONT_PAGE) return;
    ShowFrame();
    SetTimer(g_window.window, kFrontScreenTimer, kFrontScreenTimerMs, FrontScreenTimerProc);
    g_screenState.frontTimerArmed = 1;
}

int UseSubBackBuffer() {
    DEVICESTATE &d = g_deviceState;
    if (d.subBackBuffer) return 0;
    if (!GetRenderDevice()) return -1;
    FlushVertexBatch();
    LeaveDeviceScene();
    if (CreateSubBackBuffer() == -1 || !d.subBackBuffer) return -1;
    d.device->StretchRect(d.backBuffer, nullptr, d.subBackBuffer, nullptr, D3DTEXF_NONE);
    // A graph target keeps its own surface; the screen pages move to the sub back buffer.
    if (g_drawState.drawTarget == BACK_PAGE || g_drawState.drawTarget == FRONT_PAGE) {
        g_renderState.forceAll = 1;
        SetDeviceRenderTarget(DrawTargetSurface());
        g_renderState.forceAll = 0;
    }
    return 0;
}

namespace {

// The copy through a temporary render target and a system-memory surface, converted into
// every texture part of the graph.
int CopyRectIntoGraphTextures(IDirect3DSurface9 *source, D3DFORMAT format, const RECT &rect, GRAPHENTRY *e) {
    IDirect3DDevice9 *device = GetRenderDevice();
    const UINT w = rect.right - rect.left, h = rect.bottom - rect.top;
    COLOURFORMAT sourceFormat;
    if (ColourFormatOfD3DFormat(format, &sourceFormat) != 0) return -1;
    IDirect3DSurface9 *target = nullptr, *system = nullptr;
    if (FAILED(device->CreateRenderTarget(w, h, format, D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr))) {
        WriteLog("GetDrawScreenGraph 用描画可能サーフェスの作成に失敗しました\n");
        return -1;
    }
    if (FAILED(device->CreateOffscreenPlainSurface(w, h, format, D3DPOOL_SYSTEMMEM, &system, nullptr))) {
        WriteLog("GetDrawScreenGraph 用システムメモリサーフェスの作成に失敗しました\n");
        target->Release();
        return -1;
    }
    int result = -1;
    D3DLOCKED_RECT in{};
    if (SUCCEEDED(device->StretchRect(source, &rect, target, nullptr, D3DTEXF_NONE)) &&
        SUCCEEDED(device->GetRenderTargetData(target, system)) &&
        SUCCEEDED(system->LockRect(&in, nullptr, D3DLOCK_READONLY))) {
        TEXPART *parts = GraphTexParts(e);
        result = 0;
        for (int i = 0; i < e->texPartCount; ++i) {
            const TEXPART &p = parts[i];
            // The texture's own format: the device may have given a fall-back of another size.
            D3DSURFACE_DESC desc{};
            COLOURFORMAT textureFormat;
            if (FAILED(p.tile->texture->GetLevelDesc(0, &desc)) ||
                ColourFormatOfD3DFormat(desc.Format, &textureFormat) != 0) {
                result = -1;
                continue;
            }
            const RECT texRect{p.tileX, p.tileY, p.tileX + p.width, p.tileY + p.height};
            D3DLOCKED_RECT out{};
            if (FAILED(p.tile->texture->LockRect(0, &out, &texRect, 0))) {
                result = -1;
                continue;
            }
            const RECT part{p.graphX, p.graphY, p.graphX + p.width, p.graphY + p.height};
            ConvertPixelBlock(out.pBits, out.Pitch, &textureFormat, in.pBits, in.Pitch, &sourceFormat, nullptr, 0,
                              nullptr, 0, 0, &part, 0, 0, 0, DITHER_NONE, 0, 0, 0, 0);
            p.tile->texture->UnlockRect(0);
        }
        system->UnlockRect();
    }
    system->Release();
    target->Release();
    return result;
}

}  // namespace

int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph) {
    GRAPHENTRY *e = GetGraphEntry(graph);
    if (!e) return -1;
    if (GetRenderDevice()) {
        FlushVertexBatch();
        LeaveDeviceScene();
    }
    int width, height;
    if (GetGraphExtent(g_drawState.drawTarget, &width, &height) != 0) return -1;
    if (x1 < 0 || x1 >= x2 || x2 > width || y1 < 0 || y1 >= y2 || y2 > height) return -1;
    if (e->width != x2 - x1 || e->height != y2 - y1) return -1;
    if (!e->source->desc.hardware) {
        MEMIMG *from = DrawTargetMemImg();
        if (!IsMemImgValid(from)) return -1;
        const RECT rect{x1, y1, x2, y2};
        CopyMemImg(GraphMemImg(e), from, &rect, 0, 0);
        return 0;
    }
    if (!GetRenderDevice()) return -1;

    const int target = g_drawState.drawTarget;
    IDirect3DSurface9 *source =
        target == BACK_PAGE || target == FRONT_PAGE ? ScreenSurface() : GraphTargetSurface(GetGraphEntry(target));
    // The surface's own format, as for the graph's textures below.
    D3DSURFACE_DESC sourceDesc{};
    if (!source || FAILED(source->GetDesc(&sourceDesc))) return -1;
    const D3DFORMAT format = sourceDesc.Format;
    // A rectangle on a graph target is a rectangle of its source's surface.
    RECT rect{x1, y1, x2, y2};
    if (target != BACK_PAGE && target != FRONT_PAGE) {
        GRAPHENTRY *t = GetGraphEntry(target);
        rect = RECT{x1 + t->sourceX, y1 + t->sourceY, x2 + t->sourceX, y2 + t->sourceY};
    }
    if (IDirect3DSurface9 *own = GraphTargetSurface(e)) {
        const RECT dest{e->sourceX, e->sourceY, e->sourceX + e->width, e->sourceY + e->height};
        return SUCCEEDED(GetRenderDevice()->StretchRect(source, &rect, own, &dest, D3DTEXF_NONE)) ? 0 : -1;
    }
    return CopyRectIntoGraphTextures(source, format, rect, e);
}
