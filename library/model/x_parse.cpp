// X files: the object tree. A stack of open objects (the root first) takes objects, references and
// closing braces in turn; the members of each known object are read by its template's parser;
// unknown objects and template declarations are skipped whole. References are resolved after the
// whole body is read.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/pathchar.h"
#include "library/base/strings.h"
#include "library/model/x_parse.h"

#include <cstring>

const char *const XTEMPLATES[XT_SLOTS] = {
    "", "", "Coords2d", "Matrix4x4", "ColorRGBA", "ColorRGB", "Material", "TextureFilename", "MeshFace",
    "MeshTextureCoords", "MeshNormals", "MeshMaterialList", "IndexedColor", "MeshVertexColors", "Mesh",
    "FrameTransformMatrix", "Frame", "FloatKeys", "TimedFloatKeys", "AnimationKey", "AnimationOption", "Animation",
    "AnimationSet", "XSkinMeshHeader", "SkinWeights", "", "", "", "",
};

int FindXTemplate(const char *name) {
    for (int i = 0; i < XT_SLOTS; ++i)
        if (XTEMPLATES[i][0] != '\0' && std::strcmp(XTEMPLATES[i], name) == 0) return i;
    return -1;
}

namespace {

// Bytes of each template's data record (0: none).
size_t DataSize(int templateIndex) {
    switch (templateIndex) {
    case XT_MATERIAL: return sizeof(XMATERIAL);
    case XT_TEXTUREFILENAME: return sizeof(XTEXTUREFILENAME);
    case XT_MESHFACE: return sizeof(XMESHFACE);
    case XT_MESHTEXTURECOORDS: return sizeof(XMESHTEXTURECOORDS);
    case XT_MESHNORMALS: return sizeof(XMESHNORMALS);
    case XT_MESHMATERIALLIST: return sizeof(XMESHMATERIALLIST);
    case XT_INDEXEDCOLOR: return sizeof(XINDEXEDCOLORDATA);
    case XT_MESHVERTEXCOLORS: return sizeof(XMESHVERTEXCOLORS);
    case XT_MESH: return sizeof(XMESH);
    case XT_FRAMETRANSFORMMATRIX: return sizeof(XFRAMETRANSFORMMATRIX);
    case XT_FRAME: return sizeof(XFRAME);
    case XT_FLOATKEYS:
    case XT_TIMEDFLOATKEYS: return sizeof(XFLOATKEYS);
    case XT_ANIMATIONKEY: return sizeof(XANIMATIONKEY);
    case XT_ANIMATIONOPTION: return sizeof(XANIMATIONOPTION);
    case XT_ANIMATION: return sizeof(XANIMATION);
    case XT_ANIMATIONSET: return sizeof(XANIMATIONSET);
    case XT_XSKINMESHHEADER: return sizeof(XSKINMESHHEADER);
    case XT_SKINWEIGHTS: return sizeof(XSKINWEIGHTS);
    default: return 0;
    }
}

// Appends an entry to an object's reference list (growing it by XREF_GROWTH); 0 / -1 logged.
int AppendReference(XOBJECT *object, char *name, XOBJECT *resolved) {
    if (object->refCount == object->refCapacity) {
        const int capacity = object->refCapacity + XREF_GROWTH;
        auto **block = static_cast<void **>(AllocMemBlock(sizeof(void *) * 2 * (size_t)capacity, nullptr, -1));
        if (!block) return WriteLogFmt("Load XFile : 間接参照用ポインタを格納するメモリ領域の確保に失敗しました");
        auto **names = reinterpret_cast<char **>(block);
        auto **objects = reinterpret_cast<XOBJECT **>(block + capacity);
        if (object->refCount > 0) {
            std::memcpy(names, object->refNames, sizeof(char *) * (size_t)object->refCount);
            std::memcpy(objects, object->refObjects, sizeof(XOBJECT *) * (size_t)object->refCount);
        }
        FreeMemBlock(object->refNames);
        object->refNames = names;
        object->refObjects = objects;
        object->refCapacity = capacity;
    }
    object->refNames[object->refCount] = name;
    object->refObjects[object->refCount] = resolved;
    ++object->refCount;
    return 0;
}

// Offset of a single-byte character in a token (pairs stepped over whole), or -1.
int FindInToken(const char *token, int length, char c) {
    for (int i = 0; i < length;) {
        if (IsPathLeadByte((uint8_t)token[i]) && i + 1 < length) {
            i += 2;
            continue;
        }
        if (token[i] == c) return i;
        ++i;
    }
    return -1;
}

int UnexpectedEnd() { return WriteLogFmt("予期しない EOF です"); }

// The steps shared by both forms once an object's template and name are known: add it, check the
// depth, step past its "{" and read its members.
int OpenObject(XPARSESTATE *s, XOBJECTLIST *list, XOBJECT **stack, int *depth, int templateIndex,
               const char *name, int nameLength) {
    char shown[XTOKEN_BUFFER];
    CopyStringN(shown, name, nameLength < XTOKEN_BUFFER - 1 ? nameLength : XTOKEN_BUFFER - 1);
    XOBJECT *object = AddXObject(list, templateIndex, name, nameLength, stack[*depth - 1]);
    if (!object)
        return WriteLogFmt("Load XFile : オブジェクト %s ( %s ) の追加に失敗しました", shown, XTEMPLATES[templateIndex]);
    if (*depth >= XNEST_MAX) {
        WriteLogFmt("階層構造の限界数 %d を超えました", XNEST_MAX);
        return WriteLogFmt("Load XFile : オブジェクト %s ( %s ) のネストが深すぎます", shown, XTEMPLATES[templateIndex]);
    }
    if (s->binary) {
        if (SkipXBinaryTo(s, XB_OBRACE) != 0) return UnexpectedEnd();
        s->position += 2;
    } else {
        if (SkipXTextUntil(s, "{") != 0) return UnexpectedEnd();
        s->position += 1;
    }
    stack[(*depth)++] = object;
    if (ParseXTemplateMembers(s, list, object) != 0)
        return WriteLogFmt("Load XFile : オブジェクト %s ( %s ) 解析中にエラーが発生しました", shown,
                           XTEMPLATES[templateIndex]);
    return 0;
}

int StrayClose(XOBJECT *root) {
    return WriteLogFmt("Load XFile : オブジェクト %s ( %s ) 解析中にエラーが発生しました", root->name,
                       XTEMPLATES[root->templateIndex]);
}

int AddReferenceName(XOBJECTLIST *list, XOBJECT *current, const char *name, int length) {
    auto *copy = static_cast<char *>(AllocChainBlock((size_t)length + 1, &list->chain));
    if (!copy) return WriteLogFmt("Load XFile : 間接参照のオブジェクト名を保存するメモリ領域の確保に失敗しました");
    std::memcpy(copy, name, (size_t)length);
    return AppendReference(current, copy, nullptr);
}

int ParseText(XPARSESTATE *s, XOBJECTLIST *list, XOBJECT **stack, int *depth) {
    for (;;) {
        int start;
        const int length = ScanXToken(s, &start);
        if (length < 0) return 0;
        const char *token = s->body + start;
        XOBJECT *current = stack[*depth - 1];
        if (token[0] == '{') {
            // A reference: the name between the braces, cut where it touches the "}".
            s->position = start + 1;
            int nameStart;
            const int nameLength = ScanXToken(s, &nameStart);
            if (nameLength < 0) return UnexpectedEnd();
            const int cut = FindInToken(s->body + nameStart, nameLength, '}');
            if (cut >= 0) {
                s->position = nameStart + cut + 1;
            } else if (SkipXTextUntil(s, "}") != 0) {
                return UnexpectedEnd();
            } else {
                s->position += 1;
            }
            if (AddReferenceName(list, current, s->body + nameStart, cut >= 0 ? cut : nameLength) != 0) return -1;
            continue;
        }
        const int close = FindInToken(token, length, '}');
        if (close >= 0) {
            if (*depth == 1) return StrayClose(stack[0]);
            --*depth;
            s->position = start + close + 1;
            continue;
        }
        const int brace = FindInToken(token, length, '{');
        const int templateLength = brace >= 0 ? brace : length;
        int templateIndex = -1;
        if (templateLength < XTOKEN_BUFFER) {
            char name[XTOKEN_BUFFER];
            std::memcpy(name, token, (size_t)templateLength);
            name[templateLength] = '\0';
            templateIndex = FindXTemplate(name);
        }
        if (templateIndex < 0) {
            s->position = start;
            if (SkipXTextBlock(s) != 0) return UnexpectedEnd();
            continue;
        }
        const char *name = "";
        int nameLength = 0;
        if (brace >= 0) {
            s->position = start + brace;
        } else {
            int nameStart;
            nameLength = ScanXToken(s, &nameStart);
            if (nameLength < 0) return UnexpectedEnd();
            if (s->body[nameStart] == '{') {
                nameLength = 0;
                s->position = nameStart;
            } else {
                const int cut = FindInToken(s->body + nameStart, nameLength, '{');
                if (cut >= 0) {
                    nameLength = cut;
                    s->position = nameStart + cut;
                }
                name = s->body + nameStart;
            }
        }
        if (OpenObject(s, list, stack, depth, templateIndex, name, nameLength) != 0) return -1;
    }
}

int ParseBinary(XPARSESTATE *s, XOBJECTLIST *list, XOBJECT **stack, int *depth) {
    char token[XTOKEN_BUFFER];
    while (s->position < s->size) {
        const int code = PeekXBinaryCode(s);
        if (code < 0) return UnexpectedEnd();
        XOBJECT *current = stack[*depth - 1];
        if (code == XB_OBRACE) {
            s->position += 2;
            const int before = s->position;
            if (PeekXBinaryCode(s) != XB_NAME || SkipXBinaryToken(s) != 0) return UnexpectedEnd();
            const int length = s->position - before - 6;
            if (AddReferenceName(list, current, s->body + before + 6, length) != 0) return -1;
            if (SkipXBinaryTo(s, XB_CBRACE) != 0) return UnexpectedEnd();
            s->position += 2;
            continue;
        }
        if (code == XB_CBRACE) {
            if (*depth == 1) return StrayClose(stack[0]);
            --*depth;
            s->position += 2;
            continue;
        }
        const int templateIndex = ReadXBinaryName(s, token, sizeof token) >= 0 ? FindXTemplate(token) : -1;
        if (templateIndex < 0) {
            if (SkipXBinaryBlock(s) != 0) return UnexpectedEnd();
            continue;
        }
        const char *name = "";
        int nameLength = 0;
        if (PeekXBinaryCode(s) == XB_NAME) {
            const int before = s->position;
            if (SkipXBinaryToken(s) != 0) return UnexpectedEnd();
            name = s->body + before + 6;
            nameLength = s->position - before - 6;
        }
        if (OpenObject(s, list, stack, depth, templateIndex, name, nameLength) != 0) return -1;
    }
    return 0;
}

// ---- the name index ------------------------------------------------------------------
// Objects by name: the first of each name in an open-addressed table, later ones chained behind
// it in file order, so that resolving references and finding frames by name stay linear in the
// file's size.

uint32_t HashName(const char *name) {
    uint32_t h = 2166136261u;
    for (const uint8_t *p = reinterpret_cast<const uint8_t *>(name); *p; ++p) h = (h ^ *p) * 16777619u;
    return h;
}

XOBJECT **NameSlot(const XOBJECTLIST *list, const char *name) {
    uint32_t i = HashName(name) & list->nameMask;
    while (list->nameSlots[i] && std::strcmp(list->nameSlots[i]->name, name) != 0) i = (i + 1) & list->nameMask;
    return &list->nameSlots[i];
}

int BuildNameIndex(XOBJECTLIST *list) {
    uint32_t slots = 16;
    while (slots < (uint32_t)list->count * 2u) slots <<= 1;
    // The table, then a tail per slot while it is filled.
    list->nameSlots = static_cast<XOBJECT **>(AllocMemBlockZero(sizeof(XOBJECT *) * 2 * (size_t)slots, nullptr, -1));
    if (!list->nameSlots) return WriteLogFmt("Load XFile : 間接参照用ポインタを格納するメモリ領域の確保に失敗しました");
    list->nameMask = slots - 1;
    XOBJECT **tails = list->nameSlots + slots;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal) {
        XOBJECT **slot = NameSlot(list, o->name);
        XOBJECT *&tail = tails[slot - list->nameSlots];
        if (!*slot) *slot = o;
        else tail->nextSameName = o;
        tail = o;
    }
    return 0;
}

}  // namespace

XOBJECT *AddXObject(XOBJECTLIST *list, int templateIndex, const char *name, int nameLength, XOBJECT *parent) {
    auto *object = static_cast<XOBJECT *>(AllocMemBlock(sizeof(XOBJECT) + (size_t)nameLength + 1, nullptr, -1));
    if (!object) {
        WriteLogFmt("Load XFile : オブジェクトのメモリ領域の確保に失敗しました");
        return nullptr;
    }
    std::memset(object, 0, sizeof *object);
    object->templateIndex = templateIndex;
    object->name = reinterpret_cast<char *>(object + 1);
    std::memcpy(object->name, name, (size_t)nameLength);
    object->name[nameLength] = '\0';
    object->parent = parent;
    if (list->last) list->last->nextGlobal = object;
    else list->first = object;
    list->last = object;
    ++list->count;
    if (parent) {
        if (parent->lastChild) parent->lastChild->nextSibling = object;
        else parent->firstChild = object;
        parent->lastChild = object;
    }
    if (const size_t size = DataSize(templateIndex)) {
        object->data = AllocChainBlock(size, &list->chain);
        if (!object->data) return nullptr;
        *static_cast<XOBJECT **>(object->data) = object;
    }
    return object;
}

int ParseXObjectTree(const void *image, int size, XOBJECTLIST *list) {
    XPARSESTATE state;
    if (!list->first || StartXParse(&state, image, size) != 0) return -1;
    XOBJECT *stack[XNEST_MAX];
    stack[0] = list->first;
    int depth = 1;
    const int result = state.binary ? ParseBinary(&state, list, stack, &depth) : ParseText(&state, list, stack, &depth);
    if (result != 0) return -1;
    if (depth != 1) return UnexpectedEnd();

    // References, resolved to the first object of the name in file order; the named object gets
    // the referring one as a resolved back-reference.
    if (BuildNameIndex(list) != 0) return -1;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal) {
        for (int i = 0; i < o->refCount; ++i) {
            if (o->refObjects[i] || !o->refNames[i]) continue;
            XOBJECT *found = *NameSlot(list, o->refNames[i]);
            if (!found) {
                WriteLogFmt("Load XFile : 間接参照が失敗しました");
                continue;
            }
            o->refObjects[i] = found;
            if (AppendReference(found, nullptr, o) != 0) return -1;
        }
    }
    return 0;
}

void *FindXChild(int templateIndex, const XOBJECT *object) {
    for (const XOBJECT *c = object->firstChild; c; c = c->nextSibling)
        if (c->templateIndex == templateIndex) return c->data;
    for (int i = 0; i < object->refCount; ++i)
        if (object->refObjects[i] && object->refObjects[i]->templateIndex == templateIndex)
            return object->refObjects[i]->data;
    return nullptr;
}

int CollectXChildren(XOBJECT **out, int templateIndex, const XOBJECT *object) {
    int count = 0;
    for (XOBJECT *c = object->firstChild; c; c = c->nextSibling)
        if (c->templateIndex == templateIndex) {
            if (out) out[count] = c;
            ++count;
        }
    for (int i = 0; i < object->refCount; ++i)
        if (object->refObjects[i] && object->refObjects[i]->templateIndex == templateIndex) {
            if (out) out[count] = object->refObjects[i];
            ++count;
        }
    return count;
}

void *FindXObject(const XOBJECTLIST *list, int templateIndex, const char *name) {
    if (list->nameSlots) {
        for (const XOBJECT *o = *NameSlot(list, name); o; o = o->nextSameName)
            if (o->templateIndex == templateIndex) return o->data;
        return nullptr;
    }
    for (const XOBJECT *o = list->first; o; o = o->nextGlobal)
        if (o->templateIndex == templateIndex && std::strcmp(o->name, name) == 0) return o->data;
    return nullptr;
}

void FreeXObjectTree(XOBJECTLIST *list) {
    XOBJECT *o = list->first;
    while (o) {
        XOBJECT *next = o->nextGlobal;
        FreeMemBlock(o->refNames);
        FreeMemBlock(o);
        o = next;
    }
    FreeChainBlocks(&list->chain);
    FreeMemBlock(list->nameSlots);
    *list = XOBJECTLIST{};
}
