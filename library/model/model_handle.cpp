// The life of models and bases: the system's start and end, a model made from a base in one
// block, deletion, and the references models hold on their base.
#include "library/base/memory.h"
#include "library/base/sine_table.h"
#include "library/graphics/graph.h"
#include "library/graphics/render_device.h"
#include "library/graphics/screen.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_buffers.h"
#include "library/model/model_matrix.h"
#include "library/model/model_texture.h"
#include "library/model/model_vertices.h"

#include <cstring>

namespace {

void RebuildTexturesLink() { RebuildAllModelTextures(); }
void CreateBuffersLink() { CreateAllModelBaseVertexBuffers(); }

void FreeTable(MODELTABLE *t) {
    FreeMemBlock(t->entries);
    *t = MODELTABLE{};
}

void FreeSlot(MODELTABLE *t, int slot) {
    t->entries[slot] = 0;
    --t->used;
}

// The slot of a handle that names a record; a merely reserved slot is freed on the way.
enum : int { kBadHandle = -1, kReservedFreed = -2 };
int RecordSlot(MODELTABLE *t, int handle, int typeBit) {
    const int slot = ModelTableSlot(t, handle, typeBit);
    if (slot < 0) return kBadHandle;
    if (t->entries[slot] != MODEL_SLOT_RESERVED) return slot;
    FreeSlot(t, slot);
    return kReservedFreed;
}

// Places regions one after the other in one block, each on an alignment boundary.
struct BLOCKLAYOUT {
    size_t size = 0;
    size_t Place(size_t bytes, size_t align = 16) {
        size = (size + align - 1) & ~(align - 1);
        const size_t at = size;
        size += bytes;
        return at;
    }
};

template <class T>
T *At(uint8_t *block, size_t offset) {
    return reinterpret_cast<T *>(block + offset);
}

int MaterialIndexOf(const MV1BASE *base, const MV1MATERIAL *material) {
    if (!material) return -1;
    const ptrdiff_t i = material - base->materials;
    return i >= 0 && i < base->materialCount ? (int)i : -1;
}

// The refs of every frame must name skin bones of the base: the model points into its own copy.
bool SkinRefsValid(const MV1BASE *base) {
    for (int i = 0; i < base->frameCount; ++i) {
        const MV1FRAME &f = base->frames[i];
        for (int j = 0; j < f.skinRefCount; ++j) {
            const ptrdiff_t k = f.skinRefs[j] - base->skinBones;
            if (k < 0 || k >= base->skinBoneCount) return false;
        }
        if (f.shapeCount > 0 && (f.shapes - base->shapes < 0 || f.shapes - base->shapes + f.shapeCount > base->shapeCount))
            return false;
    }
    return true;
}

void FreeOwnedGeometry(MV1BASE *base) {
    // A reader that ran out of memory may leave a count beside an array it never got.
    for (int i = 0; base->frames && i < base->frameCount; ++i) {
        MV1FRAME &f = base->frames[i];
        if (f.positionsOwned) FreeMemBlock(f.positions);
        if (f.normalsOwned) FreeMemBlock(f.normals);
    }
    for (int i = 0; base->meshes && i < base->meshCount; ++i)
        if (base->meshes[i].verticesOwned) FreeMemBlock(base->meshes[i].vertices);
    for (int i = 0; base->triangleLists && i < base->triangleListCount; ++i) {
        MV1TRIANGLELIST &l = base->triangleLists[i];
        if (l.vertexMapOwned) FreeMemBlock(l.vertexMap);
        FreeMemBlock(l.vertexDataBlock);
        FreeMemBlock(l.softVertices);
    }
    for (int i = 0; base->shapes && i < base->shapeCount; ++i)
        for (int m = 0; base->shapes[i].meshes && m < base->shapes[i].meshCount; ++m)
            if (base->shapes[i].meshes[m].owned) FreeMemBlock(base->shapes[i].meshes[m].vertices);
}

int DetachModelAnimation(MV1INSTANCE *model, int slot) {
    if (slot < 0 || slot >= model->animationCapacity) return -1;
    MV1ANIMSLOT &s = model->animations[slot];
    if (s.used) {
        FreeMemBlock(s.state);
        s.state = nullptr;
        s.used = 0;
        --model->animationCount;
    }
    model->animationValid = 0;
    model->matricesValid = 0;
    return 0;
}

}  // namespace

int InitModelSystem() {
    MODELSYSTEM &S = g_modelSystem;
    if (S.started || !GetRenderDevice()) return 0;
    FillSineTable();
    FreeTable(&S.bases);
    FreeTable(&S.models);
    S.defaultSmoothing = MODEL_DEFAULT_SMOOTHING;
    S.loadRecalcNormals = 0;
    S.loadOptimiseVertices = 0;
    S.whiteTexture = 0;
    S.lastStream = nullptr;
    S.lastIndices = nullptr;
    g_screenState.links.rebuildModelTextures = RebuildTexturesLink;
    g_screenState.links.createModelVertexBuffers = CreateBuffersLink;
    S.started = 1;
    return 0;
}

int AddModelSlot() {
    if (!g_modelSystem.started) return -1;
    const int slot = ReserveModelTableSlot(&g_modelSystem.models, MODEL_SLOT_LIMIT);
    return slot < 0 ? -1 : slot | MODEL_HANDLE_BIT;
}

int CreateModelFromBase(int modelHandle, int baseHandle) {
    MODELTABLE &models = g_modelSystem.models;
    const int slot = ModelTableSlot(&models, modelHandle, MODEL_HANDLE_BIT);
    MV1BASE *base = GetModelBase(baseHandle);
    if (slot < 0 || models.entries[slot] != MODEL_SLOT_RESERVED || !base || !SkinRefsValid(base)) return -1;

    int shapeMeshVertices = 0;
    for (int i = 0; i < base->meshCount; ++i)
        if (base->meshes[i].hasShapes && base->meshes[i].vertexCount > shapeMeshVertices)
            shapeMeshVertices = base->meshes[i].vertexCount;
    BLOCKLAYOUT layout;
    const size_t oModel = layout.Place(sizeof(MV1INSTANCE));
    const size_t oFrames = layout.Place(sizeof(MV1FRAMESTATE) * base->frameCount);
    const size_t oPointers = layout.Place(sizeof(MV1FRAMESTATE *) * base->frameCount);
    const size_t oMeshes = layout.Place(sizeof(MV1MESHSTATE) * base->meshCount);
    const size_t oLists = layout.Place(sizeof(MV1LISTSTATE) * base->triangleListCount);
    const size_t oMaterials = layout.Place(sizeof(MV1MATERIALSTATE) * base->materialCount);
    const size_t oTextures = layout.Place(sizeof(MV1TEXTURESTATE) * base->textureCount);
    const int drawWords = (base->frameCount + base->meshCount + 32) / 32;
    const int matrixWords = (base->frameCount + 32) / 32;
    const size_t oDrawBits = layout.Place((size_t)drawWords * 4);
    const size_t oMatrixBits = layout.Place((size_t)matrixWords * 4);
    const size_t oSkin = layout.Place(sizeof(MAT34) * base->skinBoneCount);
    const size_t oSkinPointers = layout.Place(sizeof(MAT34 *) * base->skinRefTotal);
    const size_t oShapeWeights = layout.Place(sizeof(float) * base->shapeCount);
    const size_t oShapeWork = layout.Place(2 * sizeof(VEC3) * (size_t)shapeMeshVertices);
    auto shapedSize = [](const MV1TRIANGLELIST &l) {
        return ((size_t)l.vertexCount * ListVertexBytes(&l) + 15) & ~(size_t)15;
    };
    size_t shapedBytes = 0;
    for (int i = 0; i < base->triangleListCount; ++i)
        if (base->triangleLists[i].mesh->hasShapes) shapedBytes += shapedSize(base->triangleLists[i]);
    const size_t oShaped = layout.Place(shapedBytes);
    auto *block = static_cast<uint8_t *>(AllocMemBlockZero(layout.size + 16, nullptr, -1));
    if (!block) return -1;
    // The block's own alignment may be 8; regions rely on 16.
    uint8_t *aligned = reinterpret_cast<uint8_t *>(((uintptr_t)block + 15) & ~(uintptr_t)15);

    MV1INSTANCE *model = At<MV1INSTANCE>(aligned, oModel);
    model->frames = At<MV1FRAMESTATE>(aligned, oFrames);
    model->meshes = At<MV1MESHSTATE>(aligned, oMeshes);
    model->lists = At<MV1LISTSTATE>(aligned, oLists);
    model->materials = At<MV1MATERIALSTATE>(aligned, oMaterials);
    model->textures = At<MV1TEXTURESTATE>(aligned, oTextures);
    model->drawStateBits = At<uint32_t>(aligned, oDrawBits);
    model->matrixBits = At<uint32_t>(aligned, oMatrixBits);
    model->drawStateBytes = drawWords * 4;
    model->matrixBytes = matrixWords * 4;
    model->skinMatrices = At<MAT34>(aligned, oSkin);
    model->shapeWeights = At<float>(aligned, oShapeWeights);
    model->shapeWork = At<VEC3>(aligned, oShapeWork);
    model->allocation = block;

    // 3. First in the base's list.
    model->next = base->firstModel;
    if (base->firstModel) base->firstModel->prev = model;
    else base->lastModel = model;
    base->firstModel = model;
    ++base->modelCount;
    models.entries[slot] = reinterpret_cast<uintptr_t>(model);

    // 4. Placement and settings.
    model->validity = 0;
    model->handle = modelHandle;
    model->baseHandle = baseHandle;
    model->base = base;
    model->scale = VEC3{1, 1, 1};
    model->rotationKind = MV1_ROTATION_ANGLES;
    model->visible = 1;
    model->animationValid = 1;
    model->opacity = 1.0f;
    model->depthTest = 1;
    model->depthWrite = 1;
    model->depthCompare = 4;
    model->depthBias = 0.0f;
    model->maxAnisotropy = 2;
    std::memset(model->drawStateBits, 0xFF, (size_t)model->drawStateBytes);
    std::memset(model->matrixBits, 0xFF, (size_t)model->matrixBytes);

    // 5. Textures.
    for (int i = 0; i < base->textureCount; ++i) {
        const MV1TEXTURE &t = base->textures[i];
        MV1TEXTURESTATE &s = model->textures[i];
        s.base = &t;
        s.files.alphaPath = t.files.alphaPath;
        s.files.colourPath = t.files.colourPath;
        s.bump = t.bump;
        s.bumpHeight = t.bumpHeight;
        s.ownTexture = 0;
        s.ownGraph = -1;
        s.replaced = t.replaced;
        s.replacementGraph = t.replacementGraph;
        s.addressU = t.addressU;
        s.addressV = t.addressV;
        s.filterMode = t.filterMode;
    }
    // 6. Materials, then meshes and their lists' shaped areas.
    for (int i = 0; i < base->materialCount; ++i) {
        const MV1MATERIAL &m = base->materials[i];
        MV1MATERIALSTATE &s = model->materials[i];
        s.base = &m;
        s.diffuse = m.diffuse;
        s.ambient = m.ambient;
        s.specular = m.specular;
        s.emissive = m.emissive;
        s.power = m.power;
        s.hasDiffuseTexture = m.diffuseLayerCount > 0;
        s.diffuseTexture = m.diffuseLayerCount > 0 ? m.diffuseLayers[0].texture : -1;
        s.hasSpecularMap = m.specularLayerCount > 0;
        s.specularMapTexture = m.specularLayerCount > 0 ? m.specularLayers[0].texture : -1;
        s.toonTexture = m.toonTexture;
        s.sphereTexture = m.sphereTexture;
        s.toonKind = m.toonKind;
        s.sphereMode = m.sphereMode;
        s.edgeSize = m.edgeSize;
        s.edgeColour = m.edgeColour;
        s.blendMode = m.blendMode;
        s.blendParam = m.blendParam;
    }
    const COLOUR_F one{1, 1, 1, 1};
    for (int i = 0; i < base->meshCount; ++i) {
        const MV1MESH &m = base->meshes[i];
        MV1MESHSTATE &s = model->meshes[i];
        s.frame = &model->frames[m.frame->index];
        s.base = &m;
        const int material = MaterialIndexOf(base, m.material);
        s.material = material >= 0 ? &model->materials[material] : nullptr;
        s.visible = m.visible;
        s.effectiveVisible = m.visible;
        s.diffuseScale = s.ambientScale = s.specularScale = s.emissiveScale = one;
        s.opacity = 1.0f;
        s.effectiveOpacity = 1.0f;
        s.blendModeOverride = -1;
        s.blendParamOverride = -1;
        s.drawStateRef = BITRANGEREF{&m.drawStateRange, model->drawStateBits + m.drawStateRange.wordIndex};
    }
    uint8_t *shaped = aligned + oShaped;
    for (int i = 0; i < base->triangleListCount; ++i) {
        const MV1TRIANGLELIST &l = base->triangleLists[i];
        if (!l.mesh->hasShapes) continue;
        model->lists[i].shaped = shaped;
        shaped += shapedSize(l);
    }

    // 7. Frame states in the base's tree.
    auto **pointers = At<MV1FRAMESTATE *>(aligned, oPointers);
    auto **skinPointers = At<MAT34 *>(aligned, oSkinPointers);
    int rootCount = 0;
    for (int i = 0; i < base->frameCount; ++i) rootCount += base->frames[i].parent == nullptr;
    model->roots = pointers;
    pointers += rootCount;
    for (int i = 0; i < base->frameCount; ++i) {
        const MV1FRAME &f = base->frames[i];
        MV1FRAMESTATE &s = model->frames[i];
        std::memcpy(s.marker, "FRM_", 4);
        s.modelHandle = modelHandle;
        s.model = model;
        s.base = &f;
        s.matrixRef = BITRANGEREF{&f.matrixRange, model->matrixBits + f.matrixRange.wordIndex};
        s.drawStateRef = BITRANGEREF{&f.drawStateRange, model->drawStateBits + f.drawStateRange.wordIndex};
        MakeIdentityMatrix(&s.world);
        s.localToWorld = MAT34{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}};
        s.visible = (uint8_t)(f.flags & 1);
        s.effectiveVisible = s.visible;
        s.opacity = 1.0f;
        s.effectiveOpacity = 1.0f;
        int children = 0;
        for (int k = i + 1; k < base->frameCount; ++k) children += base->frames[k].parent == &f;
        s.children = pointers;
        pointers += children;
        s.skinMatrices = skinPointers;
        for (int j = 0; j < f.skinRefCount; ++j) skinPointers[j] = &model->skinMatrices[f.skinRefs[j] - base->skinBones];
        skinPointers += f.skinRefCount;
        s.shapeWeights = f.shapeCount > 0 ? &model->shapeWeights[f.shapes - base->shapes] : nullptr;
        s.firstMesh = f.meshCount > 0 ? &model->meshes[f.meshes - base->meshes] : nullptr;
        if (f.parent) {
            MV1FRAMESTATE &p = model->frames[f.parent->index];
            s.parent = &p;
            s.childIndex = p.childCount;
            p.children[p.childCount++] = &s;
            if (s.childIndex > 0) p.children[s.childIndex - 1]->next = &s;
            else p.firstChild = &s;
        } else {
            s.childIndex = model->rootCount;
            model->roots[model->rootCount++] = &s;
            if (s.childIndex > 0) model->roots[s.childIndex - 1]->next = &s;
        }
    }

    // 8, 9.
    ++base->refCount;
    ComputeModelExtents(modelHandle, nullptr, nullptr);
    return 0;
}

int DeleteModel(int modelHandle) {
    MODELTABLE &models = g_modelSystem.models;
    const int slot = RecordSlot(&models, modelHandle, MODEL_HANDLE_BIT);
    if (slot < 0) return slot == kReservedFreed ? 0 : -1;
    MV1INSTANCE *model = reinterpret_cast<MV1INSTANCE *>(models.entries[slot]);
    for (int i = 0; i < model->animationCapacity; ++i) DetachModelAnimation(model, i);
    ReleaseModelDeviceResources(modelHandle);
    FreeMemBlock(model->animations);
    model->animations = nullptr;
    for (int i = 0; i < model->base->textureCount; ++i) {
        MV1TEXTURESTATE &t = model->textures[i];
        if (!t.ownTexture) continue;
        FreeMemBlock(t.files.colourImage);
        FreeMemBlock(t.files.alphaImage);
        t.files.colourImage = t.files.alphaImage = nullptr;
        DestroyGraph(t.ownGraph);
        t.ownGraph = -1;
        t.ownTexture = 0;
    }
    MV1BASE *base = model->base;
    if (model->prev) model->prev->next = model->next;
    else base->firstModel = model->next;
    if (model->next) model->next->prev = model->prev;
    else base->lastModel = model->prev;
    --base->modelCount;
    ReleaseModelBase(model->baseHandle);
    FreeMemBlock(model->allocation);
    FreeSlot(&models, slot);
    return 0;
}

int ReleaseModelBase(int baseHandle) {
    MODELTABLE &bases = g_modelSystem.bases;
    const int slot = RecordSlot(&bases, baseHandle, MODELBASE_HANDLE_BIT);
    if (slot < 0) return slot == kReservedFreed ? 0 : -1;
    MV1BASE *base = reinterpret_cast<MV1BASE *>(bases.entries[slot]);
    if (--base->refCount > 0) return 0;
    ReleaseModelBaseDeviceResources(baseHandle);
    for (int i = 0; i < base->textureCount; ++i) {
        MV1TEXTURE &t = base->textures[i];
        FreeMemBlock(t.files.colourImage);
        FreeMemBlock(t.files.alphaImage);
        FreeMemBlock(t.files.colourPath);
        FreeMemBlock(t.files.alphaPath);
        // The graph goes with its texture entry; nothing else names it.
        if (t.graph > 0) DestroyGraph(t.graph);
        t = MV1TEXTURE{};
    }
    FreeOwnedGeometry(base);
    FreeMemBlock(base->vertexBlock);
    FreeChainBlocks(&base->chain);
    FreeMemBlock(base);
    FreeSlot(&bases, slot);
    return 0;
}

int DeleteAllModels() {
    MODELSYSTEM &S = g_modelSystem;
    if (!S.started) return 0;
    for (int i = 0; i < S.models.capacity; ++i)
        if (S.models.entries[i]) DeleteModel(i | MODEL_HANDLE_BIT);
    for (int i = 0; i < S.bases.capacity; ++i) {
        if (!S.bases.entries[i]) continue;
        // Whatever references are left, the base goes now.
        if (S.bases.entries[i] != MODEL_SLOT_RESERVED) reinterpret_cast<MV1BASE *>(S.bases.entries[i])->refCount = 0;
        ReleaseModelBase(i | MODELBASE_HANDLE_BIT);
    }
    FreeTable(&S.bases);
    FreeTable(&S.models);
    if (S.whiteTexture > 0) DestroyGraph(S.whiteTexture);
    S.whiteTexture = 0;
    S.lastStream = nullptr;
    S.lastIndices = nullptr;
    g_screenState.links.rebuildModelTextures = nullptr;
    g_screenState.links.createModelVertexBuffers = nullptr;
    S.started = 0;
    return 0;
}
