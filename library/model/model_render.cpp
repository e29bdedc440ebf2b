// RenderModel: stale matrices and draw states brought up to date, frames outside the view
// skipped, each visible mesh drawn list by list on the programmable path when its shaders
// exist, else on the fixed-function path (software skinning for skinned lists).
#include "library/model/model_render.h"

#include "library/graphics/device.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/shader_pack.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"
#include "library/model/model.h"
#include "library/model/model_buffers.h"
#include "library/model/model_draw_setup.h"
#include "library/model/model_matrix.h"
#include "library/model/model_vertices.h"

#include <cstring>

namespace {

constexpr int kSkinShaderStep = 8192;
constexpr UINT kMatrixRegister = 94;

void RefreshMeshState(MV1MESHSTATE &m) {
    m.effectiveOpacity = m.opacity * m.frame->effectiveOpacity;
    m.effectiveVisible = (uint8_t)(m.visible && m.frame->effectiveVisible);
    *m.drawStateRef.word &= ~m.drawStateRef.range->firstBitMask;
}

void RefreshFrameState(MV1FRAMESTATE &s) {
    const MV1INSTANCE *model = s.model;
    const bool parentVisible = s.parent ? s.parent->effectiveVisible != 0 : model->visible != 0;
    const float parentOpacity = s.parent ? s.parent->effectiveOpacity : model->opacity;
    s.effectiveVisible = (uint8_t)(s.visible && parentVisible);
    s.effectiveOpacity = s.opacity * parentOpacity;
    for (int i = 0; i < s.base->meshCount; ++i) RefreshMeshState(s.firstMesh[i]);
}

// ---- device bindings ------------------------------------------------------------------

void BindBuffers(IDirect3DDevice9 *d, IDirect3DVertexBuffer9 *vb, int stride, IDirect3DIndexBuffer9 *ib) {
    MODELSYSTEM &S = g_modelSystem;
    if (vb != S.lastStream) {
        d->SetStreamSource(0, vb, 0, (UINT)stride);
        S.lastStream = vb;
    }
    if (ib != S.lastIndices) {
        d->SetIndices(ib);
        S.lastIndices = ib;
    }
}

void UseFixedFunction(IDirect3DDevice9 *d, int uvSets) {
    if (g_renderState.vertexShader || g_renderState.pixelShader || g_renderState.vertexDecl) {
        FlushVertexBatch();
        SendFixedFunction(d);
    }
    SetVertexFormat(ModelVertexFvf(uvSets));
}

// The declaration that matches the list's buffer: its layout and its UV sets.
void BindDeclaration(IDirect3DDevice9 *d, int kind, int tangents, int uvSets) {
    IDirect3DVertexDeclaration9 *decl = RenderVertexDeclaration((tangents * 3 + kind) * VERTEX_DECL_COORD_COUNTS + uvSets);
    if (decl && decl != g_renderState.vertexDecl) {
        d->SetVertexDeclaration(decl);
        g_renderState.vertexDecl = decl;
        g_renderState.fvf = 0;
    }
}

void LoadMatrixConstants(IDirect3DDevice9 *d, UINT reg, const MAT34 *m) { d->SetVertexShaderConstantF(reg, m->m, 3); }

UINT Primitives(const MV1TRIANGLELIST &list) { return (UINT)(list.indexCount / 3); }

// ---- one list -------------------------------------------------------------------------

struct LISTDRAW {
    IDirect3DDevice9 *device;
    MV1MESHSTATE *mesh;
    int vertexShader, pixelShader;
    bool shaderPath;
    int uvSets;
};

void DrawSoftVertices(const LISTDRAW &c, MV1TRIANGLELIST &list, const MAT44 *world) {
    LoadWorldMatrix(reinterpret_cast<const D3DMATRIX *>(world));
    UseFixedFunction(c.device, c.uvSets);
    c.device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, (UINT)list.vertexCount, Primitives(list), list.indices,
                                     D3DFMT_INDEX16, list.softVertices, list.softVertexSize);
    // A user-pointer draw leaves no stream or indices bound.
    g_modelSystem.lastStream = nullptr;
    g_modelSystem.lastIndices = nullptr;
}

void DrawSkinnedInSoftware(const LISTDRAW &c, MV1TRIANGLELIST &list, int index) {
    MV1INSTANCE *model = c.mesh->frame->model;
    if (!BuildTriangleListSoftVertices(&list)) return;
    const uint8_t *source = model->lists[index].shaped ? model->lists[index].shaped : list.vertexData;
    SkinTriangleList(&list, source, c.mesh->frame->skinMatrices, list.softVertices, list.softVertexSize);
    MAT44 identity;
    MakeIdentityMatrix(&identity);
    DrawSoftVertices(c, list, &identity);
}

void DrawList(const LISTDRAW &c, MV1TRIANGLELIST &list, int index) {
    MV1FRAMESTATE *frame = c.mesh->frame;
    MV1INSTANCE *model = frame->model;
    const MV1LISTSTATE &own = model->lists[index];
    const bool shaped = own.shaped != nullptr;
    MV1BUFFERNODE *node = list.node;
    IDirect3DVertexBuffer9 *vb = node ? (shaped ? own.buffer : node->vertexBuffer) : nullptr;
    const INT baseVertex = shaped ? 0 : list.firstVertex;
    switch (list.kind) {
    case MV1_KIND_RIGID:
        if (c.shaderPath && vb && SelectVertexShader(c.vertexShader) && SelectPixelShader(c.pixelShader)) {
            BindDeclaration(c.device, 0, node->tangents, node->uvSets);
            BindBuffers(c.device, vb, node->vertexSize, node->indexBuffer);
            LoadMatrixConstants(c.device, kMatrixRegister, &frame->localToWorld);
            c.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, baseVertex, 0, (UINT)list.vertexCount,
                                           (UINT)list.firstIndex, Primitives(list));
            return;
        }
        if (vb) {
            LoadWorldMatrix(reinterpret_cast<const D3DMATRIX *>(FrameWorldMatrix(frame)));
            UseFixedFunction(c.device, c.uvSets);
            BindBuffers(c.device, vb, node->vertexSize, node->indexBuffer);
            c.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, baseVertex, 0, (UINT)list.vertexCount,
                                           (UINT)list.firstIndex, Primitives(list));
            return;
        }
        if (BuildTriangleListSoftVertices(&list)) DrawSoftVertices(c, list, FrameWorldMatrix(frame));
        return;
    case MV1_KIND_FOUR:
    case MV1_KIND_EIGHT:
        if (c.shaderPath && vb && SelectVertexShader(c.vertexShader + kSkinShaderStep * list.kind) &&
            SelectPixelShader(c.pixelShader)) {
            BindDeclaration(c.device, list.kind, node->tangents, node->uvSets);
            BindBuffers(c.device, vb, node->vertexSize, node->indexBuffer);
            const int refs = frame->base->skinRefCount;
            for (int k = 0; k < list.boneCount && k < MODEL_PALETTE_BONES; ++k) {
                const int bone = list.bones[k];
                if (bone >= 0 && bone < refs) LoadMatrixConstants(c.device, kMatrixRegister + 3 * k, frame->skinMatrices[bone]);
            }
            c.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, baseVertex, 0, (UINT)list.vertexCount,
                                           (UINT)list.firstIndex, Primitives(list));
            return;
        }
        DrawSkinnedInSoftware(c, list, index);
        return;
    case MV1_KIND_FREE:
        DrawSkinnedInSoftware(c, list, index);
        return;
    default:
        return;
    }
}

void DrawLists(const LISTDRAW &c) {
    const MV1MESH *mesh = c.mesh->base;
    MV1BASE *base = mesh->frame->base;
    for (int i = 0; i < mesh->triangleListCount; ++i) {
        MV1TRIANGLELIST &list = mesh->triangleLists[i];
        DrawList(c, list, (int)(&list - base->triangleLists));
    }
}

// The model's own vertex buffer of a shaped list: the shared buffer's layout, rewritten each draw.
IDirect3DVertexBuffer9 *ShapeBuffer(MV1LISTSTATE &own, const MV1TRIANGLELIST &list) {
    if (!own.buffer)
        own.buffer = CreateDeviceVertexBuffer((UINT)list.vertexCount * list.node->vertexSize,
                                              D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, list.node->fvf, D3DPOOL_DEFAULT);
    return own.buffer;
}

}  // namespace

void RefreshDrawState(MV1FRAMESTATE *frame, MV1MESHSTATE *mesh) {
    if (!frame) {
        if (mesh) RefreshMeshState(*mesh);
        return;
    }
    MV1INSTANCE *model = frame->model;
    MV1FRAMESTATE *start = nullptr;
    if (model->drawStateBits[0] & 1) {
        std::memset(model->drawStateBits, 0, (size_t)model->drawStateBytes);
        start = model->rootCount > 0 ? model->roots[0] : nullptr;
    } else {
        for (MV1FRAMESTATE *f = frame; f; f = f->parent)
            if (BitRangeMarked(&f->drawStateRef)) start = f;
        if (!start) start = frame;
        ClearBitRange(&start->drawStateRef);
    }
    // Depth first: a frame, its subtree, then its next sibling (a root's siblings too).
    const bool alone = start && start->parent != nullptr;
    for (MV1FRAMESTATE *f = start; f;) {
        RefreshFrameState(*f);
        if (f->firstChild) {
            f = f->firstChild;
            continue;
        }
        while (f) {
            if (f == start && alone) {
                f = nullptr;
                break;
            }
            if (f->next) {
                f = f->next;
                break;
            }
            f = f->parent;
            if (f == start && alone) f = nullptr;
        }
    }
}

int ApplyModelShapes(int handle) {
    MV1INSTANCE *model = GetModelInstance(handle);
    if (!model) return -1;
    const MV1BASE *base = model->base;
    for (int m = 0; m < base->meshCount; ++m) {
        const MV1MESH &mesh = base->meshes[m];
        if (!mesh.hasShapes) continue;
        const MV1FRAME &frame = *mesh.frame;
        const MV1FRAMESTATE &fs = model->frames[frame.index];
        VEC3 *work = model->shapeWork;
        for (int v = 0; v < mesh.vertexCount; ++v) {
            const MV1MESHVERTEX *mv = MeshVertex(&mesh, v);
            work[2 * v] = FramePosition(&frame, mv->position)->position;
            work[2 * v + 1] = frame.normals[mv->normal].normal;
        }
        for (int s = 0; s < frame.shapeCount; ++s) {
            const float w = fs.shapeWeights[s];
            if (!(w >= 1e-7f)) continue;
            const MV1SHAPE &shape = frame.shapes[s];
            for (int sm = 0; sm < shape.meshCount; ++sm) {
                if (shape.meshes[sm].mesh != &mesh) continue;
                for (int i = 0; i < shape.meshes[sm].vertexCount; ++i) {
                    const MV1SHAPEVERTEX &sv = shape.meshes[sm].vertices[i];
                    if (sv.vertex < 0 || sv.vertex >= mesh.vertexCount) continue;
                    VEC3 &p = work[2 * sv.vertex], &n = work[2 * sv.vertex + 1];
                    p.x += w * sv.position.x, p.y += w * sv.position.y, p.z += w * sv.position.z;
                    n.x += w * sv.normal.x, n.y += w * sv.normal.y, n.z += w * sv.normal.z;
                }
            }
        }
        for (int l = 0; l < mesh.triangleListCount; ++l) {
            MV1TRIANGLELIST &list = mesh.triangleLists[l];
            MV1LISTSTATE &own = model->lists[&list - base->triangleLists];
            if (!own.shaped) continue;
            const int bytes = ListVertexBytes(&list);
            std::memcpy(own.shaped, list.vertexData, (size_t)list.vertexCount * bytes);
            for (int i = 0; i < list.vertexCount; ++i) {
                const int v = list.vertexMap[i];
                SetListVertexPositionNormal(&list, own.shaped + (size_t)i * bytes, &work[2 * v], &work[2 * v + 1]);
            }
            if (list.node) {
                void *data = nullptr;
                IDirect3DVertexBuffer9 *vb = ShapeBuffer(own, list);
                if (vb && SUCCEEDED(vb->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
                    auto *out = static_cast<uint8_t *>(data);
                    for (int i = 0; i < list.vertexCount; ++i) {
                        const int v = list.vertexMap[i];
                        WriteBufferVertex(out + (size_t)i * list.node->vertexSize, &list, i, list.node->tangents,
                                          list.node->uvSets, &work[2 * v], &work[2 * v + 1]);
                    }
                    vb->Unlock();
                }
            }
            if (list.kind == MV1_KIND_RIGID && BuildTriangleListSoftVertices(&list))
                for (int i = 0; i < list.vertexCount; ++i) {
                    const int v = list.vertexMap[i];
                    uint8_t *out = list.softVertices + (size_t)i * list.softVertexSize;
                    std::memcpy(out, &work[2 * v], 12);
                    std::memcpy(out + 12, &work[2 * v + 1], 12);
                }
        }
    }
    return 0;
}

void DrawModelMesh(MV1MESHSTATE *mesh) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return;
    MODELSYSTEM &S = g_modelSystem;
    if (!S.modelSetupDone) {
        S.lastStream = nullptr;
        S.lastIndices = nullptr;
        S.modelSetupDone = 1;
    }
    int vertexShader = 0, pixelShader = 0;
    DRAWSTATEBLOCK block{};
    SetupMeshMaterial(&vertexShader, &pixelShader, &block, mesh);
    const bool shaderPath = RenderDeviceUsesShaders() != 0;
    SetupMeshTextureStages(mesh, &block, shaderPath);
    const int uvSets = mesh->base->uvSetCount > MODEL_UV_SETS_MAX ? MODEL_UV_SETS_MAX : mesh->base->uvSetCount;
    LISTDRAW c{d, mesh, g_state3D.vertexShaderBase + vertexShader, g_state3D.pixelShaderBase + pixelShader, shaderPath,
               uvSets};
    DrawLists(c);
    if (mesh->material && mesh->material->base->kind == 1) {
        // The toon outline: the same lists again, on the fixed-function path.
        DRAWSTATEBLOCK outline{};
        SetupOutlineMaterial(&outline, mesh);
        SetupOutlineStages(mesh, &outline, 0);
        c.shaderPath = false;
        DrawLists(c);
    }
}

int RenderModel(int handle) {
    if (!g_modelSystem.started) return -1;
    MV1INSTANCE *model = GetModelInstance(handle);
    if (!model) return -1;
    if (!model->visible) return 0;
    if (!model->matricesValid) UpdateModelLocalMatrix(model);
    ApplyModelShapes(handle);
    SetModelRenderStates(model);
    const MV1BASE *base = model->base;
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAMESTATE &fs = model->frames[i];
        const MV1FRAME &f = *fs.base;
        if (f.meshCount <= 0) continue;
        if (BitRangeMarked(&fs.drawStateRef)) RefreshDrawState(&fs, nullptr);
        if (!fs.effectiveVisible) continue;
        if (!f.noCull) {
            VEC3 corners[8];
            BoxCorners(f.boxMin, f.boxMax, corners);
            for (VEC3 &p : corners) TransformVector3x4(&fs.localToWorld, &p, &p);
            if (IsBoxOutsideView(corners)) continue;
        }
        for (int m = 0; m < f.meshCount; ++m) {
            MV1MESHSTATE &ms = fs.firstMesh[m];
            if (BitRangeMarked(&ms.drawStateRef)) RefreshDrawState(nullptr, &ms);
            if (ms.effectiveVisible) DrawModelMesh(&ms);
        }
    }
    model->drawStateValid = 1;
    return 0;
}
