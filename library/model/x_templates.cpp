// X files: the members of each known template, in the text form (one token per value, each member
// ended by its ";" or ",") and in the binary form (integer and float lists). Every count is
// checked against what is left of the body before anything is allocated for it, and every index
// against the table it points into.
#include "library/base/log.h"
#include "library/base/pathchar.h"
#include "library/base/strings.h"
#include "library/model/x_parse.h"

#include <charconv>
#include <cstring>

namespace {

// ---- text values -------------------------------------------------------------------------

// Past the member's ";" or ","; a "}" met first is left for the tree.
void EndMember(XPARSESTATE *s) {
    if (SkipXTextUntil(s, ";,}") == 0 && s->body[s->position] != '}') ++s->position;
}

int TextInt(XPARSESTATE *s, int32_t *value) {
    if (ReadXInt(s, value) != 0) return -1;
    EndMember(s);
    return 0;
}

// The runtime's decimal conversion (a leading "+" allowed, trailing bytes ignored, 0 for none).
float ConvertFloat(const char *text, int length) {
    const char *end = text + length;
    if (text < end && *text == '+') ++text;
    double value = 0.0;
    if (std::from_chars(text, end, value).ec != std::errc()) value = 0.0;
    return (float)value;
}

int TextFloat(XPARSESTATE *s, float *value) {
    int start;
    const int length = ScanXToken(s, &start);
    if (length < 0) return -1;
    *value = ConvertFloat(s->body + start, length);
    EndMember(s);
    return 0;
}

int TextFloats(XPARSESTATE *s, float *out, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        if (TextFloat(s, &out[i]) != 0) return -1;
    return 0;
}

// Whether `count` items of `values` values each can still stand in the body (each value takes a
// byte at least).
bool Fits(const XPARSESTATE *s, int64_t count, int64_t values) {
    return count >= 0 && count * values <= (int64_t)s->size - s->position;
}

// ---- binary values ------------------------------------------------------------------------

// Integers taken from consecutive integer lists (or single integers) as they come.
struct INTCURSOR {
    XBINLIST list;
    int32_t next;
};

int CursorInt(XPARSESTATE *s, INTCURSOR *c, int32_t *value) {
    while (c->next >= c->list.count) {
        if (PeekXBinaryCode(s) == XB_INTEGER) return ReadXInt(s, value);
        if (ReadXBinaryList(s, XB_INTEGER_LIST, &c->list) != 0) return -1;
        c->next = 0;
    }
    *value = XBinaryInt(&c->list, c->next++);
    return 0;
}

int ReadInt(XPARSESTATE *s, INTCURSOR *c, int32_t *value) { return s->binary ? CursorInt(s, c, value) : TextInt(s, value); }

template <class T>
T *Alloc(XOBJECTLIST *list, int64_t count, const char *failure) {
    void *block = AllocChainBlock(sizeof(T) * (size_t)(count > 0 ? count : 1), &list->chain);
    if (!block && failure) WriteLogFmt("Load XFile : %s", failure);
    return static_cast<T *>(block);
}

// A float list of exactly `count` values into out; the messages name the template.
int BinaryFloats(XPARSESTATE *s, float *out, int64_t count, const char *what) {
    XBINLIST l;
    if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0) return WriteLogFmt("Load XFile : %s FloadList", what);
    if (l.count != count) return WriteLogFmt("Load XFile : %s Not %d ( %d )", what, (int)count, (int)l.count);
    for (int i = 0; i < l.count; ++i) out[i] = XBinaryFloat(&l, i);
    return 0;
}

// ---- faces -----------------------------------------------------------------------------

int TooManyCorners(int corners) {
    return WriteLogFmt("Load XFile : 一つの面で使用できる頂点数の最大数 %d を超えた面がありました( %d 個の頂点 )",
                       XFACE_CORNERS_MAX, corners);
}

// Faces of fewer than three corners are refused: the read-data takes polygons only.
bool FaceFits(int corners) { return corners >= 3; }

// A first capacity for `estimate` values, no more than the body has bytes left for.
int64_t FirstCapacity(const XPARSESTATE *s, int64_t estimate) {
    const int64_t left = (int64_t)s->size - s->position;
    return (estimate < left ? estimate : left) + 1;
}

// The face count and the faces, stored flat; indices are checked against `limit`.
int ReadFaces(XPARSESTATE *s, XOBJECTLIST *list, int32_t limit, int32_t *count, int32_t **faces, int32_t *tally,
              const char *failure) {
    *tally = 0;
    if (s->binary) {
        XBINLIST l;
        if (ReadXBinaryList(s, XB_INTEGER_LIST, &l) != 0 || l.count < 1) return -1;
        const int32_t n = XBinaryInt(&l, 0);
        if (n < 0 || n > l.count) return -1;
        int32_t *out = Alloc<int32_t>(list, l.count - 1, failure);
        if (!out) return -1;
        int p = 1;
        for (int f = 0; f < n; ++f) {
            if (p >= l.count) return -1;
            const int32_t corners = XBinaryInt(&l, p);
            if (corners > XFACE_CORNERS_MAX) return TooManyCorners(corners);
            if (!FaceFits(corners) || corners > l.count - p - 1) return -1;
            out[p - 1] = corners;
            for (int k = 1; k <= corners; ++k) {
                const int32_t index = XBinaryInt(&l, p + k);
                if (index < 0 || index >= limit) return -1;
                out[p - 1 + k] = index;
            }
            *tally += corners == 4 ? 2 : 1;
            p += corners + 1;
        }
        *count = n;
        *faces = out;
        return 0;
    }
    int32_t n;
    if (TextInt(s, &n) != 0 || !Fits(s, n, 4)) return -1;
    // Room for triangles and quads at first; a longer face moves the faces to a block twice as large.
    int64_t capacity = FirstCapacity(s, (int64_t)n * 5), used = 0;
    int32_t *out = Alloc<int32_t>(list, capacity, failure);
    if (!out) return -1;
    for (int f = 0; f < n; ++f) {
        int32_t corners;
        if (TextInt(s, &corners) != 0) return -1;
        if (corners > XFACE_CORNERS_MAX) return TooManyCorners(corners);
        if (!FaceFits(corners)) return -1;
        if (used + corners + 1 > capacity) {
            capacity = capacity * 2 + corners + 1;
            int32_t *grown = Alloc<int32_t>(list, capacity, failure);
            if (!grown) return -1;
            std::memcpy(grown, out, sizeof(int32_t) * (size_t)used);
            out = grown;
        }
        out[used++] = corners;
        for (int k = 0; k < corners; ++k) {
            int32_t index;
            if (TextInt(s, &index) != 0 || index < 0 || index >= limit) return -1;
            out[used++] = index;
        }
        *tally += corners == 4 ? 2 : 1;
    }
    *count = n;
    *faces = out;
    return 0;
}

// A count, then that many vectors of `width` floats (positions, normals, texture coordinates).
int ReadVectors(XPARSESTATE *s, XOBJECTLIST *list, int width, int32_t *count, float **out, const char *what,
                const char *failure) {
    int32_t n;
    if (ReadXInt(s, &n) != 0) return -1;
    if (!s->binary) EndMember(s);
    if (!Fits(s, n, width)) return -1;
    float *values = Alloc<float>(list, (int64_t)n * width, failure);
    if (!values) return -1;
    if (s->binary ? BinaryFloats(s, values, (int64_t)n * width, what) : TextFloats(s, values, (int64_t)n * width))
        return -1;
    *count = n;
    *out = values;
    return 0;
}

// ---- templates ---------------------------------------------------------------------------

int ParseMaterial(XPARSESTATE *s, XMATERIAL *m) {
    float v[11];
    if (s->binary) {
        XBINLIST l;
        if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0) return WriteLogFmt("Load XFile : Material FloadList");
        if (l.count != 11) return WriteLogFmt("Load XFile : Material Not 11");
        for (int i = 0; i < 11; ++i) v[i] = XBinaryFloat(&l, i);
    } else if (TextFloats(s, v, 11) != 0) {
        return -1;
    }
    std::memcpy(m->face, v, sizeof m->face);
    m->power = v[4];
    std::memcpy(m->specular, v + 5, sizeof m->specular);
    std::memcpy(m->emissive, v + 8, sizeof m->emissive);
    return 0;
}

int ParseMeshFace(XPARSESTATE *s, XMESHFACE *face) {
    INTCURSOR c{};
    int32_t corners;
    if (ReadInt(s, &c, &corners) != 0) return -1;
    if (corners > XFACE_CORNERS_MAX) return TooManyCorners(corners);
    if (!FaceFits(corners)) return -1;
    for (int k = 0; k < corners; ++k)
        if (ReadInt(s, &c, &face->indices[k]) != 0) return -1;
    face->count = corners;
    return 0;
}

int ParseMesh(XPARSESTATE *s, XOBJECTLIST *list, XMESH *mesh) {
    if (ReadVectors(s, list, 3, &mesh->vertexCount, &mesh->vertices, "Mesh", "頂点座標を格納するメモリ領域の確保に失敗しました") != 0)
        return -1;
    return ReadFaces(s, list, mesh->vertexCount, &mesh->faceCount, &mesh->faces, &mesh->faceTally,
                     "頂点面情報を格納するメモリ領域の確保に失敗しました");
}

int ParseMeshNormals(XPARSESTATE *s, XOBJECTLIST *list, XMESHNORMALS *normals) {
    if (ReadVectors(s, list, 3, &normals->count, &normals->normals, "MeshNormals", "法線を格納するメモリ領域の確保に失敗しました") != 0)
        return -1;
    int32_t tally;
    return ReadFaces(s, list, normals->count, &normals->faceCount, &normals->faces, &tally,
                     "法線面情報を格納するメモリ領域の確保に失敗しました");
}

int ParseTextureCoords(XPARSESTATE *s, XOBJECTLIST *list, XMESHTEXTURECOORDS *uvs) {
    return ReadVectors(s, list, 2, &uvs->count, &uvs->uv, "MeshTextureCorrds", "UV座標を格納するメモリ領域の確保に失敗しました");
}

int BadMaterialIndex() { return WriteLogFmt("Load XFile : nMaterials より大きいマテリアルインデックスがありました"); }

int ParseMaterialList(XPARSESTATE *s, XOBJECTLIST *list, XMESHMATERIALLIST *ml) {
    const char *failure = "マテリアルと面の関係情報を格納するメモリ領域の確保に失敗しました";
    if (s->binary) {
        XBINLIST l;
        if (ReadXBinaryList(s, XB_INTEGER_LIST, &l) != 0) return WriteLogFmt("Load XFile : MeshMaterialList IntergerList");
        if (l.count < 2) return -1;
        ml->materialCount = XBinaryInt(&l, 0);
        ml->indexCount = XBinaryInt(&l, 1);
        if (ml->materialCount < 0 || ml->indexCount < 0 || ml->indexCount > l.count - 2) return -1;
        if (!(ml->indices = Alloc<int32_t>(list, ml->indexCount, failure))) return -1;
        for (int i = 0; i < ml->indexCount; ++i) {
            ml->indices[i] = XBinaryInt(&l, i + 2);
            if (ml->indices[i] < 0 || ml->indices[i] >= ml->materialCount) return BadMaterialIndex();
        }
    } else {
        if (TextInt(s, &ml->materialCount) != 0 || TextInt(s, &ml->indexCount) != 0) return -1;
        if (ml->materialCount < 0 || !Fits(s, ml->indexCount, 1)) return -1;
        if (!(ml->indices = Alloc<int32_t>(list, ml->indexCount, failure))) return -1;
        for (int i = 0; i < ml->indexCount; ++i) {
            if (TextInt(s, &ml->indices[i]) != 0) return -1;
            if (ml->indices[i] < 0 || ml->indices[i] >= ml->materialCount) return BadMaterialIndex();
        }
    }
    if (ml->materialCount > XMESH_MATERIALS_MAX)
        return WriteLogFmt("Load XFile : メッシュのマテリアルの数( %d )が上限の %d を超えています", ml->materialCount,
                           XMESH_MATERIALS_MAX);
    return 0;
}

int ParseIndexedColor(XPARSESTATE *s, XINDEXEDCOLOR *colour) {
    if (ReadXInt(s, &colour->vertex) != 0) return -1;
    if (!s->binary) {
        EndMember(s);
        return TextFloats(s, colour->rgba, 4);
    }
    XBINLIST l;
    if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0 || l.count != 4) return WriteLogFmt("Load XFile : IndexedColor FloadList");
    for (int i = 0; i < 4; ++i) colour->rgba[i] = XBinaryFloat(&l, i);
    return 0;
}

int ParseVertexColors(XPARSESTATE *s, XOBJECTLIST *list, XMESHVERTEXCOLORS *vc) {
    int32_t n;
    if (ReadXInt(s, &n) != 0) return -1;
    if (!s->binary) EndMember(s);
    if (!Fits(s, n, 5)) return -1;
    if (!(vc->colours = Alloc<XINDEXEDCOLOR>(list, n, "頂点カラーを格納するメモリ領域の確保に失敗しました"))) return -1;
    for (int i = 0; i < n; ++i)
        if (ParseIndexedColor(s, &vc->colours[i]) != 0) return -1;
    vc->count = n;
    return 0;
}

int ParseFrameMatrix(XPARSESTATE *s, XFRAMETRANSFORMMATRIX *fm) {
    if (!s->binary) return TextFloats(s, fm->m, 16);
    XBINLIST l;
    if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0) return WriteLogFmt("Load XFile : FrameTransformMatrix FloadList");
    if (l.count == 16) {
        for (int i = 0; i < 16; ++i) fm->m[i] = XBinaryFloat(&l, i);
        return 0;
    }
    if (l.count != 4) return WriteLogFmt("Load XFile : FrameTransformMatrix Not 16 ( %d )", (int)l.count);
    for (int row = 0; row < 4; ++row) {
        if (row > 0 && ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0)
            return WriteLogFmt("Load XFile : FrameTransformMatrix MatrixLine No.%d FloadList", row);
        if (l.count != 4) return WriteLogFmt("Load XFile : FrameTransformMatrix MatrixLine No.%d Not 4 ( %d )", row, (int)l.count);
        for (int i = 0; i < 4; ++i) fm->m[row * 4 + i] = XBinaryFloat(&l, i);
    }
    return 0;
}

// A count and that many floats (FloatKeys), with a time before them for TimedFloatKeys.
int ParseFloatKeys(XPARSESTATE *s, XOBJECTLIST *list, XFLOATKEYS *keys, bool timed) {
    INTCURSOR c{};
    if (timed && ReadInt(s, &c, &keys->time) != 0) return -1;
    if (ReadInt(s, &c, &keys->count) != 0 || !Fits(s, keys->count, 1)) return -1;
    keys->values = Alloc<float>(list, keys->count,
                                timed ? "浮動小数点キーデータを格納するメモリ領域の確保に失敗しました"
                                      : "浮動小数点リストを格納するメモリ領域の確保に失敗しました");
    if (!keys->values) return -1;
    if (!s->binary) return TextFloats(s, keys->values, keys->count);
    XBINLIST l;
    if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0 || l.count != keys->count) return -1;
    for (int i = 0; i < l.count; ++i) keys->values[i] = XBinaryFloat(&l, i);
    return 0;
}

int ParseAnimationKey(XPARSESTATE *s, XOBJECTLIST *list, XANIMATIONKEY *key) {
    INTCURSOR c{};
    if (ReadInt(s, &c, &key->keyType) != 0 || ReadInt(s, &c, &key->keyCount) != 0) return -1;
    const int32_t n = key->keyCount;
    if (!Fits(s, n, 2)) return -1;
    int32_t *arrays = Alloc<int32_t>(list, (int64_t)n * 3, "アニメーションキーリストを格納するメモリ領域の確保に失敗しました");
    if (!arrays) return -1;
    key->times = arrays;
    key->valueCounts = arrays + n;
    key->valueStarts = arrays + 2 * n;
    const char *failure = "アニメーションキーの浮動小数点値を格納するメモリ領域の確保に失敗しました";
    int64_t capacity = FirstCapacity(s, (int64_t)n * 4), used = 0;
    float *values = Alloc<float>(list, capacity, failure);
    if (!values) return -1;
    for (int k = 0; k < n; ++k) {
        int32_t count;
        if (ReadInt(s, &c, &key->times[k]) != 0 || ReadInt(s, &c, &count) != 0 || !Fits(s, count, 1)) return -1;
        if (used + count > capacity) {
            capacity = capacity * 2 + count;
            float *grown = Alloc<float>(list, capacity, failure);
            if (!grown) return -1;
            std::memcpy(grown, values, sizeof(float) * (size_t)used);
            values = grown;
        }
        if (s->binary) {
            XBINLIST l;
            if (ReadXBinaryList(s, XB_FLOAT_LIST, &l) != 0 || l.count != count) return -1;
            for (int i = 0; i < count; ++i) values[used + i] = XBinaryFloat(&l, i);
        } else if (TextFloats(s, values + used, count) != 0) {
            return -1;
        }
        key->valueCounts[k] = count;
        key->valueStarts[k] = (int32_t)used;
        used += count;
    }
    key->values = values;
    key->endTime = n > 0 ? key->times[n - 1] : 0;
    return 0;
}

int ParseAnimationOption(XPARSESTATE *s, XANIMATIONOPTION *option) {
    INTCURSOR c{};
    return ReadInt(s, &c, &option->open) != 0 || ReadInt(s, &c, &option->quality) != 0 ? -1 : 0;
}

int ParseSkinMeshHeader(XPARSESTATE *s, XSKINMESHHEADER *header) {
    int32_t v[3];
    if (s->binary) {
        XBINLIST l;
        if (ReadXBinaryList(s, XB_INTEGER_LIST, &l) != 0) return WriteLogFmt("Load XFile : XSkinMeshHeader IntergerList");
        if (l.count != 3) return WriteLogFmt("Load XFile : XSkinMeshHeader Not 3 ( %d )", (int)l.count);
        for (int i = 0; i < 3; ++i) v[i] = XBinaryInt(&l, i);
    } else {
        for (int i = 0; i < 3; ++i)
            if (TextInt(s, &v[i]) != 0) return -1;
    }
    for (int i = 0; i < 3; ++i) header->values[i] = (uint16_t)v[i];
    return 0;
}

int ParseSkinWeights(XPARSESTATE *s, XOBJECTLIST *list, XSKINWEIGHTS *sw) {
    if (ReadXString(s, list, &sw->boneName) != 0) return -1;
    const char *vertexFailure = "スキンメッシュのウエイト値情報のターゲット頂点インデックスを格納するためのメモリ領域の確保に失敗しました";
    const char *weightFailure = "スキンメッシュのウエイト値情報のウエイト値を格納するためのメモリ領域の確保に失敗しました";
    if (s->binary) {
        XBINLIST l;
        if (ReadXBinaryList(s, XB_INTEGER_LIST, &l) != 0 || l.count < 1)
            return WriteLogFmt("Load XFile : SkinWeights TargetVertex IntegerList");
        const int32_t n = XBinaryInt(&l, 0);
        if (n < 0 || (int64_t)n + 1 != l.count)
            return WriteLogFmt("Load XFile : SkinWeights TargetVertex Not %d ( %d )", n < 0 ? n : n + 1, (int)l.count);
        if (!(sw->vertices = Alloc<int32_t>(list, n, vertexFailure))) return -1;
        for (int i = 0; i < n; ++i) sw->vertices[i] = XBinaryInt(&l, i + 1);
        XBINLIST w;
        if (ReadXBinaryList(s, XB_FLOAT_LIST, &w) != 0) return WriteLogFmt("Load XFile : SkinWeights WeightValue FloatList");
        if ((int64_t)w.count != (int64_t)n + 16)
            return WriteLogFmt("Load XFile : SkinWeights WeightValue Not %d ( %d )", n + 16, (int)w.count);
        if (!(sw->weights = Alloc<float>(list, n, weightFailure))) return -1;
        for (int i = 0; i < n; ++i) sw->weights[i] = XBinaryFloat(&w, i);
        for (int i = 0; i < 16; ++i) sw->matrix[i] = XBinaryFloat(&w, n + i);
        sw->count = n;
        return 0;
    }
    EndMember(s);
    int32_t n;
    if (TextInt(s, &n) != 0 || !Fits(s, n, 2)) return -1;
    if (!(sw->vertices = Alloc<int32_t>(list, n, vertexFailure))) return -1;
    if (!(sw->weights = Alloc<float>(list, n, weightFailure))) return -1;
    for (int i = 0; i < n; ++i)
        if (TextInt(s, &sw->vertices[i]) != 0) return -1;
    if (TextFloats(s, sw->weights, n) != 0 || TextFloats(s, sw->matrix, 16) != 0) return -1;
    sw->count = n;
    return 0;
}

}  // namespace

int ReadXString(XPARSESTATE *s, XOBJECTLIST *list, char **out) {
    int start, length;
    if (s->binary) {
        if (SkipXBinaryTo(s, XB_STRING) != 0) return -1;
        start = s->position + 6;
        if (SkipXBinaryToken(s) != 0) return -1;
        length = s->position - start - 2;
    } else {
        // The bytes between the quotes, blanks included; an unclosed string is refused.
        if (SkipXTextUntil(s, "\"") != 0) return -1;
        start = s->position + 1;
        int p = start;
        while (p < s->size && s->body[p] != '"') p += IsPathLeadByte((uint8_t)s->body[p]) && p + 1 < s->size ? 2 : 1;
        if (p >= s->size) return -1;
        length = p - start;
        s->position = p + 1;
    }
    auto *copy = static_cast<char *>(AllocChainBlock((size_t)length + 1, &list->chain));
    if (!copy) {
        char shown[XTOKEN_BUFFER];
        CopyStringN(shown, s->body + start, length < XTOKEN_BUFFER - 1 ? length : XTOKEN_BUFFER - 1);
        return WriteLogFmt("Load XFile : 文字列 %s を格納するメモリ領域の確保に失敗しました", shown);
    }
    std::memcpy(copy, s->body + start, (size_t)length);
    *out = copy;
    return 0;
}

int ParseXTemplateMembers(XPARSESTATE *s, XOBJECTLIST *list, XOBJECT *object) {
    void *d = object->data;
    switch (object->templateIndex) {
    case XT_MATERIAL: return ParseMaterial(s, static_cast<XMATERIAL *>(d));
    case XT_TEXTUREFILENAME: {
        auto *t = static_cast<XTEXTUREFILENAME *>(d);
        if (ReadXString(s, list, &t->name) != 0) return -1;
        if (!s->binary) EndMember(s);
        return 0;
    }
    case XT_MESHFACE: return ParseMeshFace(s, static_cast<XMESHFACE *>(d));
    case XT_MESHTEXTURECOORDS: return ParseTextureCoords(s, list, static_cast<XMESHTEXTURECOORDS *>(d));
    case XT_MESHNORMALS: return ParseMeshNormals(s, list, static_cast<XMESHNORMALS *>(d));
    case XT_MESHMATERIALLIST: return ParseMaterialList(s, list, static_cast<XMESHMATERIALLIST *>(d));
    case XT_INDEXEDCOLOR: return ParseIndexedColor(s, &static_cast<XINDEXEDCOLORDATA *>(d)->colour);
    case XT_MESHVERTEXCOLORS: return ParseVertexColors(s, list, static_cast<XMESHVERTEXCOLORS *>(d));
    case XT_MESH: return ParseMesh(s, list, static_cast<XMESH *>(d));
    case XT_FRAMETRANSFORMMATRIX: return ParseFrameMatrix(s, static_cast<XFRAMETRANSFORMMATRIX *>(d));
    case XT_FLOATKEYS: return ParseFloatKeys(s, list, static_cast<XFLOATKEYS *>(d), false);
    case XT_TIMEDFLOATKEYS: return ParseFloatKeys(s, list, static_cast<XFLOATKEYS *>(d), true);
    case XT_ANIMATIONKEY: return ParseAnimationKey(s, list, static_cast<XANIMATIONKEY *>(d));
    case XT_ANIMATIONOPTION: return ParseAnimationOption(s, static_cast<XANIMATIONOPTION *>(d));
    case XT_XSKINMESHHEADER: return ParseSkinMeshHeader(s, static_cast<XSKINMESHHEADER *>(d));
    case XT_SKINWEIGHTS: return ParseSkinWeights(s, list, static_cast<XSKINWEIGHTS *>(d));
    default: return 0;
    }
}
