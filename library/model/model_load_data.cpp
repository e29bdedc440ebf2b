// The read data's builders: every record and string from the record's block chain, lists kept
// in the order the converter walks them.
#include "library/model/model_load_data.h"

#include "library/base/path.h"
#include "library/base/stream.h"
#include "library/base/strings.h"

#include <cstdint>
#include <cstring>

namespace {

template <class T>
T *NewRecord(MODELLOADDATA *data) {
    return static_cast<T *>(AllocModelLoadBlock(data, sizeof(T)));
}

// Appends a record to a list of previous / next links (by default the record's own list).
template <class T>
void Append(T *record, T *&first, T *&last, T *T::*prev = &T::prev, T *T::*next = &T::next) {
    record->*prev = last;
    record->*next = nullptr;
    if (last) last->*next = record;
    else first = record;
    last = record;
}

// Takes a record out of such a list.
template <class T>
void Unlink(T *record, T *&first, T *&last, T *T::*prev = &T::prev, T *T::*next = &T::next) {
    if (record->*prev) (record->*prev)->*next = record->*next;
    else first = record->*next;
    if (record->*next) (record->*next)->*prev = record->*prev;
    else last = record->*prev;
    record->*prev = record->*next = nullptr;
}

bool FileOpens(const char *path) {
    const uintptr_t file = OpenDataFile(path, 0, 0, 0);
    if (!file) return false;
    CloseDataFile(file);
    return true;
}

// A texture path as the read data keeps it: relative to the current directory when a file opens
// there, else the bare name when that opens, else the relative path.
void ResolveTexturePath(const char *path, const char *currentDir, char *out) {
    if (BuildRelativePath(path, currentDir, out) != 0) CopyStringN(out, path, PATH_BUFFER_SIZE - 1);
    if (FileOpens(out)) return;
    char name[PATH_BUFFER_SIZE];
    SplitFilePath(out, name, nullptr);
    if (FileOpens(name)) std::strcpy(out, name);
}

bool SamePath(const char *a, const char *b) {
    if (!a || !b) return a == b;
    return CompareStrings(a, b) == 0;
}

}  // namespace

int ModelKeyValueSize(int dataType) {
    switch (dataType) {
    case MODELKEY_QUATERNION:
    case MODELKEY_QUATERNION_COLUMN: return 16;
    case MODELKEY_VECTOR: return 12;
    case MODELKEY_MATRIX4X3: return 48;
    case MODELKEY_MATRIX3X3: return 36;
    case 4:
    case 5:
    case 6: return 4;
    default: return 0;
    }
}

int InitModelLoadData(MODELLOADDATA *data) {
    *data = MODELLOADDATA{};
    return 0;
}

int TermModelLoadData(MODELLOADDATA *data) {
    FreeChainBlocks(&data->chain);
    data->chain = nullptr;
    return 0;
}

void *AllocModelLoadBlock(MODELLOADDATA *data, size_t bytes) { return AllocChainBlock(bytes, &data->chain); }

MODELLOADCORNER *AllocModelLoadCorners(MODELLOADDATA *data, size_t count) {
    // An impossible size fails in the chain (logged) rather than wrapping.
    const size_t bytes = count > SIZE_MAX / sizeof(MODELLOADCORNER) ? SIZE_MAX : sizeof(MODELLOADCORNER) * (count ? count : 1);
    return static_cast<MODELLOADCORNER *>(AllocModelLoadBlock(data, bytes));
}

MODELLOADFACE *AllocModelLoadFaces(MODELLOADDATA *data, size_t count, int cornersEach) {
    const size_t perFace = sizeof(MODELLOADFACE) + sizeof(MODELLOADCORNER) * (size_t)(cornersEach > 0 ? cornersEach : 0);
    const size_t bytes = count > SIZE_MAX / perFace ? SIZE_MAX : perFace * (count ? count : 1);
    auto *faces = static_cast<MODELLOADFACE *>(AllocModelLoadBlock(data, bytes));
    if (!faces || cornersEach <= 0) return faces;
    auto *corners = reinterpret_cast<MODELLOADCORNER *>(faces + count);
    for (size_t f = 0; f < count; ++f) faces[f].corners = corners + f * (size_t)cornersEach;
    return faces;
}

const char *AddModelLoadString(MODELLOADDATA *data, const char *text) {
    const size_t length = std::strlen(text);
    auto *copy = static_cast<char *>(AllocModelLoadBlock(data, length + 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length + 1);
    data->stringTotal = (int32_t)((data->stringTotal + (int64_t)length + 4) & ~(int64_t)3);
    return copy;
}

MODELLOADFRAME *AddModelLoadFrame(MODELLOADDATA *data, const char *name, MODELLOADFRAME *parent) {
    auto *frame = NewRecord<MODELLOADFRAME>(data);
    if (!frame) return nullptr;
    // Depth first: after the parent's deepest last descendant (the parent itself when it has no
    // children yet), or at the end for a root.
    MODELLOADFRAME *after = data->lastFrame;
    if (parent) {
        after = parent;
        while (after->lastChild) after = after->lastChild;
    }
    if (!after) {
        data->firstFrame = data->lastFrame = frame;
    } else {
        frame->prev = after;
        frame->next = after->next;
        if (after->next) after->next->prev = frame;
        else data->lastFrame = frame;
        after->next = frame;
    }
    if (parent) {
        frame->prevSibling = parent->lastChild;
        if (parent->lastChild) parent->lastChild->nextSibling = frame;
        else parent->firstChild = frame;
        parent->lastChild = frame;
        frame->parent = parent;
    }
    int index = 0;
    for (MODELLOADFRAME *f = data->firstFrame; f; f = f->next) f->index = index++;
    ++data->frameCount;
    frame->name = AddModelLoadString(data, name ? name : "");
    if (!frame->name) return nullptr;
    MakeIdentityMatrix(&frame->matrix);
    frame->scale = VEC3{1, 1, 1};
    frame->quaternion[3] = 1.0f;
    frame->visible = 1;
    frame->smoothingAngle = MODELLOAD_FRAME_SMOOTHING;
    return frame;
}

MODELLOADMESH *AddModelLoadMesh(MODELLOADDATA *data, MODELLOADFRAME *frame) {
    auto *mesh = NewRecord<MODELLOADMESH>(data);
    if (!mesh) return nullptr;
    Append(mesh, data->firstMesh, data->lastMesh);
    mesh->index = data->meshCount++;
    if (frame) {
        Append(mesh, frame->firstMesh, frame->lastMesh, &MODELLOADMESH::prevInFrame, &MODELLOADMESH::nextInFrame);
        ++frame->meshCount;
        mesh->frame = frame;
    }
    return mesh;
}

void RemoveModelLoadMesh(MODELLOADDATA *data, MODELLOADFRAME *frame, MODELLOADMESH *mesh) {
    Unlink(mesh, data->firstMesh, data->lastMesh);
    --data->meshCount;
    if (!frame) return;
    Unlink(mesh, frame->firstMesh, frame->lastMesh, &MODELLOADMESH::prevInFrame, &MODELLOADMESH::nextInFrame);
    --frame->meshCount;
}

MODELLOADSHAPE *AddModelLoadShape(MODELLOADDATA *data, const char *name, MODELLOADFRAME *frame) {
    const char *copy = AddModelLoadString(data, name ? name : "");
    if (!copy) return nullptr;
    auto *shape = NewRecord<MODELLOADSHAPE>(data);
    if (!shape) return nullptr;
    shape->name = copy;
    Append(shape, data->firstShape, data->lastShape);
    shape->index = data->shapeCount++;
    if (frame) {
        Append(shape, frame->firstShape, frame->lastShape, &MODELLOADSHAPE::prevInFrame, &MODELLOADSHAPE::nextInFrame);
        ++frame->shapeCount;
        shape->frame = frame;
    }
    return shape;
}

MODELLOADMATERIAL *AddModelLoadMaterial(MODELLOADDATA *data, const char *name) {
    auto *m = NewRecord<MODELLOADMATERIAL>(data);
    if (!m) return nullptr;
    Append(m, data->firstMaterial, data->lastMaterial);
    m->index = data->materialCount++;
    m->name = AddModelLoadString(data, name ? name : "");
    if (!m->name) return nullptr;
    for (int i = 0; i < 4; ++i) m->diffuse[i] = 1.0f;
    m->toonKind = 2;
    m->sphereMode = 1;
    m->blendMode = 1;
    m->blendParam = 255;
    return m;
}

MODELLOADMATERIAL *GetModelLoadMaterial(MODELLOADDATA *data, int index) {
    MODELLOADMATERIAL *m = data->firstMaterial;
    for (int i = 0; i < index && m; ++i) m = m->next;
    return m;
}

MODELLOADTEXTURE *AddModelLoadTexture(MODELLOADDATA *data, const char *name, const char *colourPath,
                                      const char *alphaPath, int bump, float bumpHeight, int reuse) {
    char current[PATH_BUFFER_SIZE] = {};
    GetDataFileDir(current);
    char colour[PATH_BUFFER_SIZE], alpha[PATH_BUFFER_SIZE];
    if (colourPath) ResolveTexturePath(colourPath, current, colour);
    if (alphaPath) ResolveTexturePath(alphaPath, current, alpha);
    const char *c = colourPath ? colour : nullptr;
    const char *a = alphaPath ? alpha : nullptr;
    if (reuse)
        for (MODELLOADTEXTURE *t = data->firstTexture; t; t = t->next)
            if (SamePath(t->colourPath, c) && SamePath(t->alphaPath, a)) return t;

    auto *t = NewRecord<MODELLOADTEXTURE>(data);
    if (!t) return nullptr;
    Append(t, data->firstTexture, data->lastTexture);
    t->index = data->textureCount++;
    t->name = AddModelLoadString(data, name ? name : "");
    if (!t->name) return nullptr;
    t->addressU = t->addressV = 1;
    t->filterMode = 2;
    t->bump = bump;
    t->bumpHeight = bumpHeight;
    if (c && !(t->colourPath = AddModelLoadString(data, c))) return nullptr;
    if (a && !(t->alphaPath = AddModelLoadString(data, a))) return nullptr;
    return t;
}

MODELLOADSKINWEIGHT *AddModelLoadSkinWeight(MODELLOADDATA *data) {
    auto *w = NewRecord<MODELLOADSKINWEIGHT>(data);
    if (w) ++data->skinWeightCount;
    return w;
}

MODELLOADANIMSET *AddModelLoadAnimSet(MODELLOADDATA *data, const char *name) {
    auto *set = NewRecord<MODELLOADANIMSET>(data);
    if (!set) return nullptr;
    Append(set, data->firstAnimSet, data->lastAnimSet);
    set->index = data->animSetCount++;
    set->name = AddModelLoadString(data, name ? name : "");
    return set->name ? set : nullptr;
}

MODELLOADANIM *AddModelLoadAnim(MODELLOADDATA *data, MODELLOADANIMSET *set) {
    auto *anim = NewRecord<MODELLOADANIM>(data);
    if (!anim) return nullptr;
    Append(anim, data->firstAnim, data->lastAnim);
    anim->index = data->animCount++;
    anim->set = set;
    Append(anim, set->firstAnim, set->lastAnim, &MODELLOADANIM::prevInSet, &MODELLOADANIM::nextInSet);
    ++set->animCount;
    return anim;
}

MODELLOADKEYSET *AddModelLoadKeySet(MODELLOADDATA *data, MODELLOADANIM *anim) {
    auto *k = NewRecord<MODELLOADKEYSET>(data);
    if (!k) return nullptr;
    Append(k, data->firstKeySet, data->lastKeySet);
    k->index = data->keySetCount++;
    Append(k, anim->firstKeySet, anim->lastKeySet, &MODELLOADKEYSET::prevInAnim, &MODELLOADKEYSET::nextInAnim);
    ++anim->keySetCount;
    k->timeType = 1;
    return k;
}

void RemoveModelLoadKeySet(MODELLOADDATA *data, MODELLOADANIM *anim, MODELLOADKEYSET *k) {
    Unlink(k, anim->firstKeySet, anim->lastKeySet, &MODELLOADKEYSET::prevInAnim, &MODELLOADKEYSET::nextInAnim);
    --anim->keySetCount;
    Unlink(k, data->firstKeySet, data->lastKeySet);
    --data->keySetCount;
}
