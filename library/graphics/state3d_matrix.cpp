// The 3D matrices and the projection settings: setters store, mark the combined matrices stale
// and, on the Direct3D path, load the device (and the shader constants with programmable shaders).
#include "library/graphics/state3d.h"

#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

namespace {

STATE3D &T = g_state3D;

const D3DMATRIX *AsDevice(const MAT44 *m) { return reinterpret_cast<const D3DMATRIX *>(m); }

MAT44 Identity() {
    MAT44 m;
    MakeIdentityMatrix(&m);
    return m;
}

void LoadTransposedConstants(UINT start, const MAT44 *m) {
    MAT44 t;
    MakeTransposedMatrix(&t, m);
    GetRenderDevice()->SetVertexShaderConstantF(start, t.m, 4);
}

// Device projection: the projection, then from target pixels back into the draw area's NDC, so
// the 3D picture keeps its place on the target and is only cut to the area.
int LoadDeviceProjection() {
    if (!GetRenderDevice()) return 0;
    MAT44 p;
    MakeProductMatrix(&p, &T.projection, &T.screenViewport);
    MakeProductMatrix(&p, &p, &T.areaViewportInverse);
    int r = LoadProjectionMatrix(&p);
    T.projectionLoaded = 1;
    return r;
}

}  // namespace

STATE3D g_state3D;

namespace {
// Identity matrices and the default projection settings from the start.
struct InitialState3D {
    InitialState3D() { ResetState3D(); }
} g_initialState3D;
}  // namespace

void ResetState3D() {
    T.world = T.view = T.projection = T.screenViewport = Identity();
    T.areaViewport = T.areaViewportInverse = Identity();
    T.viewProjection = T.worldViewProjectionViewport = T.billboard = Identity();
    T.combinedValid = 0;
    T.projectionLoaded = 0;
    T.projectionKind = PROJECTION_PERSPECTIVE;
    T.nearZ = 10.0f;
    T.farZ = 10000.0f;
    T.aspectFactor = 1.0f;
    T.fieldOfView = 1.0471976f;
    T.orthoSize = 1.0f;
    T.projectionSource = Identity();
}

// ---- matrices ---------------------------------------------------------------------

int SetWorldMatrix(const MAT44 *m) {
    FlushVertexBatch();
    T.world = *m;
    T.combinedValid = 0;
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    d->SetTransform(D3DTS_WORLD, AsDevice(m));
    g_drawState.worldMatrixLoaded = 1;
    return 0;
}

int SetViewMatrix(const MAT44 *m) {
    FlushVertexBatch();
    T.view = *m;
    T.combinedValid = 0;
    if (!GetRenderDevice()) return 0;
    LoadViewMatrix(m);
    g_drawState.viewMatrixLoaded = 1;
    return 0;
}

int SetProjectionMatrix(const MAT44 *m) {
    FlushVertexBatch();
    T.projection = *m;
    T.combinedValid = 0;
    LoadDeviceProjection();
    return 0;
}

int SetScreenViewportMatrix(const MAT44 *m) {
    FlushVertexBatch();
    T.screenViewport = *m;
    T.combinedValid = 0;
    LoadDeviceProjection();
    return 0;
}

int SetDrawAreaViewportMatrix(const MAT44 *m) {
    FlushVertexBatch();
    MAT44 inverse;
    if (MakeInverseMatrix(&inverse, m) != 0) return -1;
    T.areaViewport = *m;
    T.areaViewportInverse = inverse;
    LoadDeviceProjection();
    return 0;
}

int LoadViewMatrix(const MAT44 *m) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    FlushVertexBatch();
    int r = FAILED(d->SetTransform(D3DTS_VIEW, AsDevice(m))) ? -1 : 0;
    if (RenderDeviceUsesShaders()) {
        LoadTransposedConstants(6, m);
        // The lights' view-space position and direction follow the view.
        for (int i = 0; i < 4; ++i) {
            const D3DLIGHT9 &l = g_renderState.lights[i];
            VEC3 p{l.Position.x, l.Position.y, l.Position.z}, dir{l.Direction.x, l.Direction.y, l.Direction.z};
            TransformPoint(&p, &p, m);
            TransformDirection(&dir, &dir, m);
            const float c[8] = {p.x, p.y, p.z, 1.0f, dir.x, dir.y, dir.z, 0.0f};
            d->SetVertexShaderConstantF(14 + 7 * i, c, 2);
        }
    }
    return r;
}

int LoadProjectionMatrix(const MAT44 *m) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    FlushVertexBatch();
    int r = FAILED(d->SetTransform(D3DTS_PROJECTION, AsDevice(m))) ? -1 : 0;
    if (RenderDeviceUsesShaders()) LoadTransposedConstants(2, m);
    return r;
}

void UpdateCombinedMatrices() {
    if (T.combinedValid) return;
    MakeProductMatrix(&T.viewProjection, &T.view, &T.projection);
    MakeProductMatrix(&T.worldViewProjectionViewport, &T.world, &T.viewProjection);
    MakeProductMatrix(&T.worldViewProjectionViewport, &T.worldViewProjectionViewport, &T.screenViewport);
    MAT44 b = Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) b.m[r * 4 + c] = T.view.m[c * 4 + r];
    T.billboard = b;
    T.combinedValid = 1;
}

int ReloadDeviceMatrices() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    int r = 0;
    if (FAILED(d->SetTransform(D3DTS_WORLD, AsDevice(&T.world)))) r = -1;
    if (LoadViewMatrix(&T.view) != 0) r = -1;
    if (LoadDeviceProjection() != 0) r = -1;
    return r;
}

// ---- projection -------------------------------------------------------------------

int SetProjectionTarget(int width, int height) {
    T.targetWidth = width;
    T.targetHeight = height;
    return 0;
}

int RefreshProjection() {
    // Height over width; without a target size the matrix maker uses the screen's.
    float aspect = T.targetWidth > 0 ? (float)T.targetHeight / (float)T.targetWidth * T.aspectFactor : -1.0f;
    MAT44 m;
    switch (T.projectionKind) {
    case PROJECTION_PERSPECTIVE:
        // A failing matrix (a field of view of 0) keeps the projection loaded before.
        if (MakePerspectiveMatrix(&m, T.fieldOfView, T.nearZ, T.farZ, aspect) != 0) return -1;
        T.projectionSource = m;
        break;
    case PROJECTION_ORTHOGRAPHIC:
        if (MakeOrthographicMatrix(&m, T.orthoSize, T.nearZ, T.farZ, aspect) != 0) return -1;
        T.projectionSource = m;
        break;
    default:
        m = T.projectionSource;
        break;
    }
    return SetProjectionMatrix(&m);
}

int SetPerspectiveFov(float fieldOfView) {
    T.projectionKind = PROJECTION_PERSPECTIVE;
    T.fieldOfView = fieldOfView;
    return RefreshProjection();
}

int SetProjectionRange(float nearZ, float farZ) {
    T.nearZ = nearZ;
    T.farZ = farZ;
    return RefreshProjection();
}

int SetProjectionMatrixExplicit(const MAT44 *m) {
    T.projectionKind = PROJECTION_EXPLICIT;
    T.projectionSource = *m;
    return RefreshProjection();
}

// ---- vectors ----------------------------------------------------------------------

int TransformPoint(VEC3 *out, const VEC3 *in, const MAT44 *m) { return TransformVector(out, in, m); }

int TransformDirection(VEC3 *out, const VEC3 *in, const MAT44 *m) {
    const VEC3 v = *in;
    out->x = v.x * m->m[0] + v.y * m->m[4] + v.z * m->m[8];
    out->y = v.x * m->m[1] + v.y * m->m[5] + v.z * m->m[9];
    out->z = v.x * m->m[2] + v.y * m->m[6] + v.z * m->m[10];
    return 0;
}

int SubtractVec(VEC3 *out, const VEC3 *a, const VEC3 *b) { return SubtractVector(out, a, b); }
int CrossVec(VEC3 *out, const VEC3 *a, const VEC3 *b) { return CrossVectors(out, a, b); }
