#include "library/model/model_draw_setup.h"

#include "library/base/memory.h"
#include "library/graphics/render_device.h"
#include "library/graphics/state3d.h"
#include "library/model/model_texture.h"
#include "library/model/model_vertices.h"

#include <cstring>

namespace {

// Minification, magnification and mip filter of a texture's filter mode.
constexpr int kFilterTriples[3][3] = {{D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE},
                                      {D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE},
                                      {D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR, D3DTEXF_LINEAR}};

void SetStage(DRAWSTATESTAGE &s, intptr_t graph, int coords, int a1, int a2, int aop, int c1, int c2, int cop) {
    s.texture = graph;
    s.texCoordIndex = coords;
    s.alphaArg1 = (int16_t)a1, s.alphaArg2 = (int16_t)a2, s.alphaOp = (int16_t)aop;
    s.colourArg1 = (int16_t)c1, s.colourArg2 = (int16_t)c2, s.colourOp = (int16_t)cop;
}

// The texture of a model's texture entry on a stage: its graph, address modes and filters.
int BindModelTexture(const MV1INSTANCE *model, int index, int stage, bool filters = true) {
    if (index < 0 || index >= model->base->textureCount) return 0;
    const MV1TEXTURESTATE &t = model->textures[index];
    SetTextureWrapUV(t.addressU, t.addressV, stage);
    if (filters) {
        const int mode = t.filterMode >= 0 && t.filterMode <= 2 ? t.filterMode : 0;
        SetSamplerFilter(stage, 17, kFilterTriples[mode][0]);
        SetSamplerFilter(stage, 16, kFilterTriples[mode][1]);
        SetSamplerFilter(stage, 18, kFilterTriples[mode][2]);
    }
    return ModelTextureGraph(&t);
}

int DiffuseGraph(const MV1MESHSTATE *mesh) {
    const MV1MATERIALSTATE *m = mesh->material;
    if (m && m->hasDiffuseTexture) {
        const int graph = BindModelTexture(mesh->frame->model, m->diffuseTexture, 0);
        if (graph > 0) return graph;
    }
    const int white = ModelWhiteTexture();
    return white > 0 ? white : 0;
}

COLOUR_F Scaled(const COLOUR_F &c, const COLOUR_F &s, bool on) {
    return on ? COLOUR_F{c.r * s.r, c.g * s.g, c.b * s.b, c.a * s.a} : c;
}

D3DCOLORVALUE Value(const COLOUR_F &c) { return D3DCOLORVALUE{c.r, c.g, c.b, c.a}; }

// The fixed-function stage list: the texture modulated by the vertex colour, a factor stage when
// the opacity is below 1, and the closing stage.
void FixedFunctionStages(DRAWSTATEBLOCK *block, int graph, int mode) {
    int n = 0;
    SetStage(block->stages[n++], graph, 0, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
             D3DTOP_MODULATE);
    if (block->textureFactor != 0xFFFFFFFFu) {
        if (mode == 11)
            SetStage(block->stages[n++], 0, 0, D3DTA_CURRENT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_CURRENT,
                     D3DTA_TFACTOR, D3DTOP_BLENDFACTORALPHA);
        else
            SetStage(block->stages[n++], 0, 0, D3DTA_CURRENT, D3DTA_TFACTOR, D3DTOP_MODULATE, D3DTA_CURRENT,
                     D3DTA_DIFFUSE, D3DTOP_SELECTARG1);
    }
    SetStage(block->stages[n++], 0, 0, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
             D3DTOP_DISABLE);
    block->stageCount = n;
    ApplyDrawStateBlock(block, 0, 1);
}

int EffectiveMode(const MV1MESHSTATE *mesh) {
    if (mesh->blendModeOverride != -1) return mesh->blendModeOverride;
    return mesh->material ? mesh->material->blendMode : 0;
}

int EffectiveParam(const MV1MESHSTATE *mesh) {
    if (mesh->blendParamOverride != -1) return mesh->blendParamOverride;
    return mesh->material ? mesh->material->blendParam : 255;
}

}  // namespace

int SetModelRenderStates(MV1INSTANCE *model) {
    RefreshLights();
    g_modelSystem.modelSetupDone = 0;
    EnterDeviceScene();
    EnableDepthTest(model->depthTest);
    EnableDepthWrite(model->depthWrite);
    SetDepthCompare(model->depthCompare);
    SetDepthBias(model->depthBias);
    SetShadingMode(D3DSHADE_GOURAUD);
    SyncFogEnable();
    for (int stage = 0; stage < 3; ++stage) SetSamplerAnisotropy(stage, model->maxAnisotropy);
    g_renderState.anisotropy = -1;
    return 0;
}

void BoxCorners(const VEC3 &n, const VEC3 &x, VEC3 c[8]) {
    c[0] = VEC3{n.x, n.y, n.z};
    c[1] = VEC3{x.x, n.y, n.z};
    c[2] = VEC3{x.x, x.y, n.z};
    c[3] = VEC3{n.x, x.y, n.z};
    c[4] = VEC3{n.x, x.y, x.z};
    c[5] = VEC3{n.x, n.y, x.z};
    c[6] = VEC3{x.x, n.y, x.z};
    c[7] = VEC3{x.x, x.y, x.z};
}

int IsBoxOutsideView(const VEC3 corners[8]) {
    UpdateCombinedMatrices();
    const float *m = g_state3D.viewProjection.m;
    unsigned common = 0xFF;
    for (int i = 0; i < 8; ++i) {
        const VEC3 &p = corners[i];
        const float w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
        // On the eye plane the divide means nothing: such a corner keeps the box.
        if (w == 0.0f) return 0;
        float x = (p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12]) / w;
        float y = (p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13]) / w;
        const float z = (p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]) / w;
        if (w < 0.0f) x = -x, y = -y;
        unsigned code = 0;
        if (x < -1.0f) code |= 2;
        if (x > 1.0f) code |= 1;
        if (y < -1.0f) code |= 8;
        if (y > 1.0f) code |= 4;
        // Behind the eye is the near side, whatever the divided depth says (it can exceed 1
        // there, which would put the corner beyond the far plane).
        if (w < 0.0f || z < 0.0f) code |= 32;
        else if (z > 1.0f) code |= 16;
        if (code == 0) return 0;
        common &= code;
    }
    return common != 0 ? 1 : 0;
}

void SetModelBlendBlock(DRAWSTATEBLOCK *block, int mode, int param, float opacity) {
    block->alphaTestEnable = 0;
    block->alphaBlendEnable = 0;
    block->srcBlend = (int32_t)g_renderState.srcBlend;
    block->destBlend = (int32_t)g_renderState.destBlend;
    block->blendOp = (int32_t)g_renderState.blendOp;
    auto on = [&](int src, int dest) {
        block->alphaBlendEnable = 1;
        block->srcBlend = src;
        block->destBlend = dest;
        block->blendOp = D3DBLENDOP_ADD;
    };
    switch (mode) {
    case 1: case 10: on(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA); break;
    case 2: on(D3DBLEND_SRCALPHA, D3DBLEND_ONE); break;
    case 4: case 11: on(D3DBLEND_ZERO, D3DBLEND_SRCCOLOR); break;
    default: break;
    }
    int alpha = (int)(opacity * (float)param);
    alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
    block->textureFactor = (uint32_t)alpha << 24 | 0xFFFFFFu;
}

int *SetupMeshMaterial(int *shaderCount, int *shaderIndex, DRAWSTATEBLOCK *block, const MV1MESHSTATE *mesh) {
    const MV1MATERIALSTATE *m = mesh->material;
    const MV1MESH *base = mesh->base;
    const COLOUR_F white{1, 1, 1, 1}, black{0, 0, 0, 0};
    const bool scaled = mesh->colourScaled != 0;
    D3DMATERIAL9 material{};
    material.Diffuse = Value(Scaled(m ? m->diffuse : white, mesh->diffuseScale, scaled));
    material.Ambient = Value(Scaled(m ? m->ambient : black, mesh->ambientScale, scaled));
    material.Specular = Value(Scaled(m ? m->specular : black, mesh->specularScale, scaled));
    material.Emissive = Value(Scaled(m ? m->emissive : black, mesh->emissiveScale, scaled));
    material.Power = m ? m->power : 0.0f;
    ApplyMaterial(&material);
    SetCullingMode(base->cullMode);

    SetModelBlendBlock(block, EffectiveMode(mesh), EffectiveParam(mesh), mesh->effectiveOpacity);

    const bool specular = base->vertexSpecular || material.Specular.r > 0.00001f || material.Specular.g > 0.00001f ||
                          material.Specular.b > 0.00001f;
    EnableSpecular(specular);
    UseVertexDiffuse(base->vertexDiffuse);
    UseVertexSpecular(base->vertexSpecular);

    if (m && m->base->kind == 1) {
        *shaderIndex += 0x3600;
        if (m->toonKind == 2) *shaderIndex += 0x1B00;
        if (m->sphereMode == 1 && specular) *shaderIndex += 0xD80;
    }
    if (base->vertexDiffuse) *shaderIndex += 4, *shaderCount += 4;
    if (base->vertexSpecular) *shaderIndex += 2, *shaderCount += 2;
    if (m && m->base->normalLayerCount > 0) *shaderIndex += 216, *shaderCount += 2048;
    if (specular) *shaderIndex += 1, *shaderCount += 1;
    if (m && m->hasSpecularMap) *shaderIndex += 864;
    return shaderIndex;
}

int SetupOutlineMaterial(DRAWSTATEBLOCK *block, const MV1MESHSTATE *mesh) {
    const MV1MATERIALSTATE *m = mesh->material;
    D3DMATERIAL9 material{};
    if (m) material.Diffuse = D3DCOLORVALUE{m->edgeColour.r, m->edgeColour.g, m->edgeColour.b, 1.0f};
    ApplyMaterial(&material);
    if (IDirect3DDevice9 *d = GetRenderDevice()) {
        const float size = m ? m->edgeSize : 0.0f;
        const float edge[4] = {size, size, size, size};
        d->SetVertexShaderConstantF(42, edge, 1);
    }
    SetCullingMode(2);
    SetModelBlendBlock(block, EffectiveMode(mesh), EffectiveParam(mesh), mesh->effectiveOpacity);
    EnableSpecular(0);
    return UseVertexDiffuse(0);
}

void SetupMeshTextureStages(const MV1MESHSTATE *mesh, DRAWSTATEBLOCK *block, int shaderPath) {
    const MV1FRAMESTATE *frame = mesh->frame;
    const MV1MATERIALSTATE *m = mesh->material;
    if (!shaderPath) {
        SetTextureCoordTransform(frame->texCoordMatrixSet ? 1 : 0,
                                 frame->texCoordMatrixSet ? reinterpret_cast<const D3DMATRIX *>(&frame->texCoordMatrix)
                                                          : nullptr,
                                 -1);
        FixedFunctionStages(block, DiffuseGraph(mesh), EffectiveMode(mesh));
        return;
    }
    if (IDirect3DDevice9 *d = GetRenderDevice()) {
        float c[8] = {1, 0, 0, 0, 0, 1, 0, 0};
        if (frame->texCoordMatrixSet) {
            const float *t = frame->texCoordMatrix.m;
            const float rows[8] = {t[0], t[4], t[8], t[12], t[1], t[5], t[9], t[13]};
            std::memcpy(c, rows, sizeof c);
        }
        d->SetVertexShaderConstantF(88, c, 2);
    }
    const MV1INSTANCE *model = frame->model;
    int count = 1;
    for (int i = 0; i < 8; ++i) SetStage(block->stages[i], 0, i, -1, -1, -1, -1, -1, -1);
    block->stages[0].texture = DiffuseGraph(mesh);
    if (m && m->base->normalLayerCount > 0) {
        block->stages[1].texture = BindModelTexture(model, m->base->normalLayers[0].texture, 1);
        count = 2;
    }
    if (m && m->hasSpecularMap) {
        block->stages[2].texture = BindModelTexture(model, m->specularMapTexture, 2);
        count = 3;
    }
    if (m && m->base->kind == 1) {
        block->stages[3].texture = m->toonTexture >= 0 ? BindModelTexture(model, m->toonTexture, 3, false) : 0;
        block->stages[4].texture = m->sphereTexture >= 0 ? BindModelTexture(model, m->sphereTexture, 4) : 0;
        if (m->sphereTexture >= 0 && m->toonTexture >= 0) BindModelTexture(model, m->toonTexture, 3);
        count = 5;
    }
    block->stageCount = count;
    ApplyDrawStateBlock(block, 1, 1);
    ResetStageTexCoordIndex();
}

void SetupOutlineStages(const MV1MESHSTATE *mesh, DRAWSTATEBLOCK *block, int shaderPath) {
    const int white = ModelWhiteTexture();
    if (!shaderPath) {
        FixedFunctionStages(block, white > 0 ? white : 0, EffectiveMode(mesh));
        return;
    }
    for (int i = 0; i < 3; ++i) SetStage(block->stages[i], 0, i, -1, -1, -1, -1, -1, -1);
    block->stages[0].texture = white > 0 ? white : 0;
    block->stageCount = 3;
    ApplyDrawStateBlock(block, 1, 1);
    ResetStageTexCoordIndex();
}

bool BuildTriangleListSoftVertices(MV1TRIANGLELIST *list) {
    if (list->softVertices) return true;
    const MV1MESH *mesh = list->mesh;
    const int sets = mesh->uvSetCount > MODEL_UV_SETS_MAX ? MODEL_UV_SETS_MAX : mesh->uvSetCount;
    const int size = (sets + 2) * 16;
    auto *soft = static_cast<uint8_t *>(AllocMemBlockZero((size_t)list->vertexCount * size + 1, nullptr, -1));
    if (!soft) return false;
    list->softVertexSize = (uint16_t)size;
    const int bytes = ListVertexBytes(list);
    for (int i = 0; i < list->vertexCount; ++i) {
        uint8_t *out = soft + (size_t)i * size;
        const MV1MESHVERTEX *v = MeshVertex(mesh, list->vertexMap[i]);
        if (list->kind == MV1_KIND_RIGID) {
            const uint8_t *in = list->vertexData + (size_t)i * bytes;
            std::memcpy(out, in, 12);
            std::memcpy(out + 12, in + 16, 12);
        }
        std::memcpy(out + 24, &v->diffuse, 4);
        std::memcpy(out + 28, &v->specular, 4);
        for (int k = 0; k < sets; ++k) {
            const float uv[4] = {v->uv[k][0], v->uv[k][1], 1.0f, 1.0f};
            std::memcpy(out + 32 + 16 * k, uv, 16);
        }
    }
    list->softVertices = soft;
    return true;
}
