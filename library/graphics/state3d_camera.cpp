// The camera a draw target brings: world units are the target's pixels, the draw area cuts the
// 3D picture without moving it, and a device rebuild gives the camera back as it was.
#include "library/graphics/state3d.h"

namespace {

STATE3D &T = g_state3D;

// tan 30 degrees: at this distance the 60-degree view spans the target's height.
constexpr float kTanHalfView = 0.5773502588272095f;
constexpr float kTargetFieldOfView = 1.0471976f;

struct KEPTCAMERA {
    MAT44 view, projection, screenViewport;
} g_keptCamera;

}  // namespace

int ResetTargetCamera(int width, int height) {
    MAT44 m;
    MakeIdentityMatrix(&m);
    SetWorldMatrix(&m);
    MakeViewportMatrix(&m, (float)(width / 2), (float)(height / 2), (float)width, (float)height);
    SetScreenViewportMatrix(&m);
    SetDrawAreaViewportMatrix(&m);

    const float d = (float)(height / 2) / kTanHalfView;
    const VEC3 eye{width * 0.5f, height * 0.5f, -d}, target{width * 0.5f, height * 0.5f, -d + 1.0f},
        up{0.0f, 1.0f, 0.0f};
    MakeLookAtMatrix(&m, &eye, &target, &up);
    SetViewMatrix(&m);

    SetProjectionTarget(width, height);
    T.projectionKind = PROJECTION_PERSPECTIVE;
    T.fieldOfView = kTargetFieldOfView;
    T.nearZ = d * 0.1f;
    T.farZ = d + 20000.0f;
    return RefreshProjection();
}

int SetDrawAreaViewport(int x, int y, int width, int height) {
    MAT44 m;
    MakeViewportMatrix(&m, width * 0.5f + (float)x, height * 0.5f + (float)y, (float)width, (float)height);
    return SetDrawAreaViewportMatrix(&m);
}

void KeepCameraMatrices() {
    g_keptCamera.view = T.view;
    g_keptCamera.projection = T.projection;
    g_keptCamera.screenViewport = T.screenViewport;
}

void RestoreCameraMatrices() {
    const MAT44 world = T.world;
    SetWorldMatrix(&world);
    SetViewMatrix(&g_keptCamera.view);
    SetScreenViewportMatrix(&g_keptCamera.screenViewport);
    SetProjectionMatrix(&g_keptCamera.projection);
}
