// The light table: handles over 4096 slots, the default light, and the refresh that gives the
// enabled lights consecutive device indices.
#include "library/base/library.h"
#include "library/base/memory.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/state3d.h"

namespace {

STATE3D &T = g_state3D;

int SlotOf(int handle) { return handle & 0xFFFF; }
int CheckIdOf(int handle) { return (handle >> 16) & 0x7FF; }
int TypeOf(int handle) { return (handle >> 27) & 0xF; }

}  // namespace

LIGHTREC *GetLightRec(int handle) {
    if (handle < 0 || TypeOf(handle) != HTYPE_LIGHT) return nullptr;
    int slot = SlotOf(handle);
    if (slot >= LIGHT_SLOTS) return nullptr;
    LIGHTREC *l = T.lights[slot];
    if (!l || l->checkId != CheckIdOf(handle)) return nullptr;
    return l;
}

int CreateLight() {
    int slot = -1;
    if (T.lightUsedEnd < LIGHT_SLOTS) {
        slot = T.lightUsedEnd;
    } else {
        for (int i = 0; i < LIGHT_SLOTS; ++i)
            if (!T.lights[i]) {
                slot = i;
                break;
            }
    }
    if (slot < 0) return -1;
    auto *l = static_cast<LIGHTREC *>(MEM_ALLOC_ZERO(sizeof(LIGHTREC)));
    if (!l) ExitWithError("ライト用のメモリの確保に失敗しました");
    l->light.Type = D3DLIGHT_DIRECTIONAL;
    l->light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    l->light.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    l->light.Ambient = D3DCOLORVALUE{0.33f, 0.33f, 0.33f, 0.33f};
    l->light.Falloff = 1.0f;
    l->light.Attenuation0 = 0.1f;
    l->deviceIndex = -1;
    l->enabled = 1;
    l->changed = 1;
    l->checkId = T.lightCheckId;
    T.lightCheckId = (T.lightCheckId + 1) % LIGHT_CHECK_IDS;
    l->handle = slot | (l->checkId | HTYPE_LIGHT << 11) << 16;
    T.lights[slot] = l;
    ++T.lightCount;
    if (slot == T.lightUsedEnd) T.lightUsedEnd = slot + 1;
    g_drawState.lightsChanged = 1;
    return l->handle;
}

int CreateDirectionalLight(const VEC3 *direction) {
    int handle = CreateLight();
    LIGHTREC *l = GetLightRec(handle);
    if (!l) return -1;
    VEC3 n;
    NormalizeVector(&n, direction);
    l->light.Type = D3DLIGHT_DIRECTIONAL;
    l->light.Direction = D3DVECTOR{n.x, n.y, n.z};
    return handle;
}

int DeleteLight(int handle) {
    LIGHTREC *l = GetLightRec(handle);
    if (!l) return -1;
    int slot = SlotOf(handle);
    if (l->deviceIndex >= 0) g_drawState.lightsChanged = 1;
    --T.lightCount;
    T.lights[slot] = nullptr;
    if (slot == T.lightUsedEnd - 1) {
        int end = slot;
        while (end > 0 && !T.lights[end - 1]) --end;
        T.lightUsedEnd = end;
    }
    if (handle == T.defaultLight) T.defaultLight = 0;
    MEM_FREE(l);
    g_drawState.lightsChanged = 1;
    return 0;
}

int DeleteAllLights() {
    for (int i = 0; i < T.lightUsedEnd; ++i) {
        LIGHTREC *l = T.lights[i];
        if (l && l->handle != T.defaultLight) DeleteLight(l->handle);
    }
    return 0;
}

int DeleteDefaultLight() {
    if (GetLightRec(T.defaultLight)) DeleteLight(T.defaultLight);
    T.defaultLight = 0;
    return 0;
}

int CreateDefaultLight() {
    if (GetLightRec(T.defaultLight)) return T.defaultLight;
    const VEC3 direction{1.0f, -1.0f, 1.0f};
    int handle = CreateDirectionalLight(&direction);
    T.defaultLight = handle < 0 ? 0 : handle;
    return handle;
}

void ShutdownState3D() {
    for (int i = 0; i < LIGHT_SLOTS; ++i)
        if (T.lights[i]) {
            MEM_FREE(T.lights[i]);
            T.lights[i] = nullptr;
        }
    T.lightCount = 0;
    T.lightUsedEnd = 0;
    T.defaultLight = 0;
    T.deviceLightEnd = 0;
    T.lightsForce = 0;
}

void MarkLightsChanged() {
    g_drawState.lightsChanged = 1;
    T.lightsForce = 1;
}

void RefreshLights() {
    EnableLightingState(!g_drawState.lightingOff);
    if (!GetRenderDevice()) return;
    if (!g_drawState.lightsChanged && !T.lightsForce) return;
    int next = 0;
    for (int i = 0; i < T.lightUsedEnd; ++i) {
        LIGHTREC *l = T.lights[i];
        if (!l) continue;
        if (!l->enabled) {
            l->deviceIndex = -1;
            continue;
        }
        int index = next++;
        if (index != l->deviceIndex || l->changed || T.lightsForce) {
            SetLightState(index, &l->light);
            EnableLightState(index, 1);
            l->changed = 0;
        }
        l->deviceIndex = index;
    }
    for (int i = next; i < T.deviceLightEnd; ++i) EnableLightState(i, 0);
    T.deviceLightEnd = next;
    g_drawState.lightsChanged = 0;
    T.lightsForce = 0;
    ComputeShaderSelection();
}

int EnableLighting(int flag) {
    int off = flag == 0;
    if (off == g_drawState.lightingOff) return 0;
    g_drawState.lightingOff = off;
    EnableLightingState(flag);
    ComputeShaderSelection();
    return 0;
}
