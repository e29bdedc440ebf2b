// The 3D camera state shared by the 2D draws (whose camera maps world units to pixels) and the
// model renderer: world, view and projection matrices, the projection settings the projection is
// rebuilt from, the viewport matrices, the light table with its handles, fog settings and the
// lighting switch. Setters store, mark the combined matrices stale and load the device.
#pragma once

#include "library/base/vecmath.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

constexpr int32_t HTYPE_LIGHT = 12;
constexpr int LIGHT_SLOTS = 4096;
constexpr int LIGHT_CHECK_IDS = 2048;

struct LIGHTREC {
    int32_t checkId;
    int32_t handle;
    D3DLIGHT9 light;
    int32_t deviceIndex;  // -1 = none
    int32_t enabled;
    int32_t changed;
};

enum : int32_t {
    PROJECTION_PERSPECTIVE = 0,
    PROJECTION_ORTHOGRAPHIC = 1,
    PROJECTION_EXPLICIT = 2,
};

struct STATE3D {
    MAT44 world, view, projection;
    MAT44 screenViewport;                       // NDC to target pixels
    MAT44 areaViewport, areaViewportInverse;    // NDC to the draw area, and back
    MAT44 viewProjection;
    MAT44 worldViewProjectionViewport;
    MAT44 billboard;                            // the view's rotation transposed, no translation
    int32_t combinedValid;
    int32_t projectionLoaded;                   // the device projection is current

    // Projection settings.
    int32_t targetWidth, targetHeight;
    int32_t projectionKind;
    float nearZ, farZ;
    float aspectFactor;
    float fieldOfView;                          // radians
    float orthoSize;
    MAT44 projectionSource;                     // the explicit matrix, or the last one computed

    // Light table.
    LIGHTREC *lights[LIGHT_SLOTS];
    int32_t lightCount;
    int32_t lightUsedEnd;                       // one past the highest occupied slot
    int32_t lightCheckId;                       // the next check id
    int32_t defaultLight;                       // handle, 0 none
    int32_t lightsForce;
    int32_t deviceLightEnd;                     // one past the highest device index in use

    // Shader base numbers (programmable path).
    int32_t vertexShaderBase;
    int32_t pixelShaderBase;
};

extern STATE3D g_state3D;

// The defaults of the projection settings and identity matrices; the light table is kept.
void ResetState3D();

// ---- matrices ---------------------------------------------------------------------
int SetWorldMatrix(const MAT44 *m);
int SetViewMatrix(const MAT44 *m);
int SetProjectionMatrix(const MAT44 *m);
int SetScreenViewportMatrix(const MAT44 *m);
// The draw-area viewport matrix (its inverse is computed); reloads the device projection.
int SetDrawAreaViewportMatrix(const MAT44 *m);
int LoadViewMatrix(const MAT44 *m);
int LoadProjectionMatrix(const MAT44 *m);
void UpdateCombinedMatrices();
// Re-sends world, view and the device projection (after a restore).
int ReloadDeviceMatrices();

// ---- projection -------------------------------------------------------------------
// The draw target's size the aspect is taken from (no refresh).
int SetProjectionTarget(int width, int height);
int RefreshProjection();
int SetPerspectiveFov(float fieldOfView);
int SetProjectionRange(float nearZ, float farZ);
int SetProjectionMatrixExplicit(const MAT44 *m);

// ---- the draw target's camera -----------------------------------------------------
// World identity, viewport matrices of the whole target, the eye on the target's centre at the
// distance where 60 degrees span its height, and a perspective projection around it.
int ResetTargetCamera(int width, int height);
// The draw-area viewport matrix of the area (x, y, width, height); reloads the device projection.
int SetDrawAreaViewport(int x, int y, int width, int height);
// Copies of view, projection and screen viewport taken before a device rebuild, and loading them
// again (with the world matrix as stored) once the new device is up.
void KeepCameraMatrices();
void RestoreCameraMatrices();

// ---- vectors ----------------------------------------------------------------------
int TransformPoint(VEC3 *out, const VEC3 *in, const MAT44 *m);
int TransformDirection(VEC3 *out, const VEC3 *in, const MAT44 *m);
int SubtractVec(VEC3 *out, const VEC3 *a, const VEC3 *b);
int CrossVec(VEC3 *out, const VEC3 *a, const VEC3 *b);

// ---- lights -----------------------------------------------------------------------
int CreateLight();
int CreateDirectionalLight(const VEC3 *direction);
int DeleteLight(int handle);
int DeleteAllLights();
int DeleteDefaultLight();
// The record of a live light handle, null otherwise.
LIGHTREC *GetLightRec(int handle);
// The default directional light; created once, kept until ShutdownState3D.
int CreateDefaultLight();
void RefreshLights();
// Every light is sent again at the next refresh (device restore).
void MarkLightsChanged();
int EnableLighting(int flag);
// Deletes every light including the default one (graphics shut-down).
void ShutdownState3D();

// ---- fog --------------------------------------------------------------------------
int SetFogMode2D(int mode);
int SetFogColour(int r, int g, int b);
int SetFogRangeSetting(float start, float end);
int SyncFogEnable();

// ---- programmable path ------------------------------------------------------------
// Light constants of device light `index` below 4 (view-space position and direction, colours,
// range, attenuation and spot factors); nothing without shaders.
void LoadLightShaderConstants(int index, const D3DLIGHT9 *light);
void UploadLightShaderConstants();
void ComputeShaderSelection();
