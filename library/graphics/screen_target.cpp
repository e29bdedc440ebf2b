// The draw target, its draw area, clearing it, and the screen settings as stored.
#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/mask.h"
#include "library/graphics/memimg.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/screen_surfaces.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"
#include "platform/user32/user32.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsScreenPage(int handle) { return handle == BACK_PAGE || handle == FRONT_PAGE; }

constexpr size_t kScreenSurfaceInfoBytes = 380;

}  // namespace

IDirect3DSurface9 *GraphTargetSurface(GRAPHENTRY *e) {
    if (!e || !e->source->desc.hardware || !e->source->desc.drawable || e->source->tileCount < 1) return nullptr;
    return GraphTiles(e->source)[0].surface;
}

IDirect3DSurface9 *ScreenSurface() {
    return g_deviceState.subBackBuffer ? g_deviceState.subBackBuffer : g_deviceState.backBuffer;
}

IDirect3DSurface9 *DrawTargetSurface() {
    if (g_mask.drawOn && g_mask.screenSurface) return g_mask.screenSurface;
    if (IsScreenPage(g_drawState.drawTarget)) return ScreenSurface();
    return GraphTargetSurface(GetGraphEntry(g_drawState.drawTarget));
}

MEMIMG *DrawTargetMemImg() {
    if (IsScreenPage(g_drawState.drawTarget)) return &g_softScreen.screen;
    GRAPHENTRY *e = GetGraphEntry(g_drawState.drawTarget);
    return e && !e->source->desc.hardware ? GraphMemImg(e) : nullptr;
}

int GetGraphExtent(int handle, int *width, int *height) {
    int w, h;
    if (IsScreenPage(handle)) {
        w = g_screenSetup.width;
        h = g_screenSetup.height;
    } else if (GetGraphSize(handle, &w, &h) != 0) {
        return -1;
    }
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

int GetDrawTarget() { return g_drawState.drawTarget; }

int SetDrawTarget(int handle) {
    if (!g_library.initialised) return -1;
    if (!g_window.active) WaitWhileInactive();
    if (!IsScreenPage(handle)) {
        GRAPHENTRY *e = GetGraphEntry(handle);
        if (!e) return -1;
        // A software graph can always be drawn on; a hardware one needs its render-target surface.
        if (e->source->desc.hardware && !GraphTargetSurface(e)) return -1;
    }
    const int maskWas = IsMaskDrawOn();
    if (maskWas) SetMaskDraw(0);

    const int oldWidth = g_drawState.drawTargetWidth, oldHeight = g_drawState.drawTargetHeight;
    g_drawState.drawTarget = handle;
    if (GetRenderDevice()) {
        FlushVertexBatch();
        LeaveDeviceScene();
        if (g_renderState.drawTexture || g_renderState.forceAll) {
            FlushVertexBatch();
            g_renderState.blendDirty = 1;
            g_renderState.drawTexture = nullptr;
        }
        if (IDirect3DSurface9 *surface = DrawTargetSurface()) SetDeviceRenderTarget(surface);
    } else if (!g_screenSetup.direct3D) {
        g_softScreen.drawTarget = DrawTargetMemImg();
    }
    if (handle != FRONT_PAGE && g_screenState.frontTimerArmed) {
        // Leaving the front screen: its timer has no frame left to show.
        KillTimer(g_window.window, kFrontScreenTimer);
        g_screenState.frontTimerArmed = 0;
    }
    if (handle == FRONT_PAGE) {
        SetTimer(g_window.window, kFrontScreenTimer, kFrontScreenTimerMs, FrontScreenTimerProc);
        g_screenState.frontTimerArmed = 1;
    }

    int width = 0, height = 0;
    GetGraphExtent(handle, &width, &height);
    g_drawState.drawTargetWidth = width;
    g_drawState.drawTargetHeight = height;
    // The camera first: a kept draw area then cuts its picture instead of squeezing it.
    ResetTargetCamera(width, height);
    if (width != oldWidth || height != oldHeight)
        SetDrawClipRect(0, 0, width, height);
    else
        SetDrawClipRect(g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom);

    if (maskWas) SetMaskDraw(1);
    return 0;
}

int SetDrawClipRect(int x1, int y1, int x2, int y2) {
    if (g_drawState.drawingSuppressed) return 0;
    int width, height;
    if (GetGraphExtent(g_drawState.drawTarget, &width, &height) != 0) return -1;
    g_screenState.requested[0] = x1;
    g_screenState.requested[1] = y1;
    g_screenState.requested[2] = x2;
    g_screenState.requested[3] = y2;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x1 = std::clamp(x1, 0, width);
    x2 = std::clamp(x2, 0, width);
    y1 = std::clamp(y1, 0, height);
    y2 = std::clamp(y2, 0, height);
    g_drawArea = MakeDrawArea(x1, y1, x2, y2);
    if (x1 == x2 || y1 == y2) {
        g_drawState.emptyArea = 1;
        return 0;
    }
    g_drawState.emptyArea = 0;
    if (!g_screenSetup.direct3D) return 0;
    if (!GetRenderDevice()) return -1;
    SetViewportRect(x1, y1, x2, y2);
    const RECT scissor{x1, y1, x2, y2};
    SetScissorCached(&scissor);
    SetDrawAreaViewport(x1, y1, x2 - x1, y2 - y1);
    return 0;
}

int ClearDrawTarget() {
    const int rgb = GetWindowBackgroundColour() & 0xFFFFFF;
    if (!g_screenSetup.direct3D) {
        MEMIMG *target = DrawTargetMemImg();
        if (target && IsMemImgValid(target))
            FillMemImg(target, nullptr,
                       MakeColourCode(target->base->colourFormat, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255));
        return 0;
    }
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    FlushVertexBatch();
    LeaveDeviceScene();
    IDirect3DSurface9 *surface = DrawTargetSurface();
    if (surface) d->ColorFill(surface, nullptr, static_cast<D3DCOLOR>(rgb));
    if (g_deviceState.depthSurface) {
        SetViewportRect(0, 0, g_drawState.drawTargetWidth, g_drawState.drawTargetHeight);
        d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        SetViewportRect(g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom);
    }
    return 0;
}

int ClearScreen() { return ClearDrawTarget(); }

int SetRestoreCallback(void (*callback)()) {
    g_drawState.restoreCallback = callback ? callback : RestoreGraphsFromFiles;
    return 0;
}

int HasRestoreCallback() { return g_drawState.restoreCallback != nullptr; }

int GetScreenSettings(int *width, int *height, int *bits) {
    if (width) *width = g_screenSetup.width;
    if (height) *height = g_screenSetup.height;
    if (bits) *bits = g_screenSetup.bits;
    return 0;
}

int GetScreenExtent(int *width, int *height) {
    if (width) *width = g_screenSetup.width ? g_screenSetup.width : 640;
    if (height) *height = g_screenSetup.height ? g_screenSetup.height : 480;
    return 0;
}

int GetScreenColourBits() { return g_screenSetup.bits ? g_screenSetup.bits : 16; }

int IsFullScreen() { return !IsWindowMode(); }

int IsHardwareRenderingSelected() { return !g_screenSetup.softwareOnly; }

IDirectDraw7 *GetDirectDrawObject() { return g_deviceState.directDraw; }

void *ClearScreenSurfaceInfo(void *record) {
    if (record) std::memset(record, 0, kScreenSurfaceInfoBytes);
    return record;
}

void *GetNullSurface() { return nullptr; }
