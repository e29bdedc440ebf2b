// MQO text models: the Material chunk read in a first scan, then each Object chunk as one frame
// with one mesh. z is negated; mirrored halves get reversed corners. Every index, count and
// string length is checked before use and the file refused with its line when it does not fit.
#include "library/base/log.h"
#include "library/base/path.h"
#include "library/base/pathchar.h"
#include "library/base/strings.h"
#include "library/model/model_load_data.h"
#include "library/model/model_readers.h"
#include "library/model/mqo_reader.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kHeader[] = "Metasequoia Document";
constexpr double kPi = 3.141592653589793;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNumberChar(char c) { return IsDigit(c) || c == '-' || c == '.'; }

// The reader's log line: its prefix, then what is wrong.
#define Fail(format, ...) WriteLogFmt("MQO Load Error : " format, ##__VA_ARGS__)

// The next token without moving on.
int PeekToken(MQOSCAN *scan, char *token) {
    const int position = scan->position;
    const int result = ReadMqoToken(scan, token);
    scan->position = position;
    return result;
}

bool Is(const char *token, const char *text) { return std::strcmp(token, text) == 0; }

// Reads a token and compares it.
bool Expect(MQOSCAN *scan, const char *text) {
    char token[MQO_TOKEN_BUFFER];
    return ReadMqoToken(scan, token) == 0 && Is(token, text);
}

bool ReadDouble(MQOSCAN *scan, double *value) {
    char token[MQO_TOKEN_BUFFER];
    if (ReadMqoToken(scan, token) != 0 || !IsNumberChar(token[0])) {
        *value = -1.0;
        return false;
    }
    *value = TextToDouble(token);
    return true;
}

bool ReadFloat(MQOSCAN *scan, float *value) {
    double v;
    const bool ok = ReadDouble(scan, &v);
    *value = (float)v;
    return ok;
}

bool ReadInt(MQOSCAN *scan, int *value) {
    char token[MQO_TOKEN_BUFFER];
    if (ReadMqoToken(scan, token) != 0 || !IsNumberChar(token[0])) {
        *value = -1;
        return false;
    }
    *value = TextToInt(token);
    return true;
}

// A quoted string, its quotes removed.
bool ReadQuoted(MQOSCAN *scan, char *out) {
    char token[MQO_TOKEN_BUFFER];
    if (ReadMqoToken(scan, token) != 0) return false;
    const size_t length = std::strlen(token);
    if (length < 2 || token[0] != '"' || token[length - 1] != '"') return false;
    std::memcpy(out, token + 1, length - 2);
    out[length - 2] = '\0';
    return true;
}

// Up to the first "{", then past its balanced "}". 0, 1 at the end of the data, -1 for a token
// error.
int SkipChunk(MQOSCAN *scan) {
    char token[MQO_TOKEN_BUFFER];
    int depth = 0;
    for (;;) {
        const int result = ReadMqoToken(scan, token);
        if (result != 0) return result;
        if (Is(token, "{")) ++depth;
        else if (Is(token, "}") && depth > 0 && --depth == 0) return 0;
    }
}

// ---- materials -----------------------------------------------------------------------

// Past blanks and tabs: whether a line end (or the data's end) comes next. A bare line feed ends
// a line as a carriage return does.
bool AtLineEnd(MQOSCAN *scan) {
    while (scan->position < scan->size && (scan->image[scan->position] == ' ' || scan->image[scan->position] == '\t'))
        ++scan->position;
    if (scan->position >= scan->size) return true;
    const char c = scan->image[scan->position];
    return c == '\r' || c == '\n';
}

MODELLOADTEXTURE *AddTexture(MODELLOADDATA *data, const char *name, const char *colour, int bump) {
    return AddModelLoadTexture(data, name, colour, nullptr, bump, 0.1f, 1);
}

int ReadMaterialLine(MQOSCAN *scan, MODELLOADDATA *data, int i) {
    char name[MQO_TOKEN_BUFFER];
    if (!ReadQuoted(scan, name)) return Fail("No.%d の Material 名の取得に失敗しました\n", i);
    MODELLOADMATERIAL *m = AddModelLoadMaterial(data, name);
    if (!m) return Fail("No.%d の Material オブジェクトの追加に失敗しました\n", i);
    float col[4] = {1, 1, 1, 1};
    char word[MQO_TOKEN_BUFFER], text[MQO_TOKEN_BUFFER];
    while (!AtLineEnd(scan)) {
        if (ReadMqoToken(scan, word) != 0) return Fail("No.%d の Material の読み込み中にエラーが発生しました\n", i);
        int values = 0;
        if (Is(word, "col")) values = 4;
        else if (Is(word, "dif") || Is(word, "amb") || Is(word, "emi") || Is(word, "spc") || Is(word, "power")) values = 1;
        else if (Is(word, "tex") || Is(word, "aplane") || Is(word, "bump")) values = -1;
        else continue;  // anything else is skipped token by token
        if (!Expect(scan, "(")) return Fail("No.%d の Material の %s の後に ( がありませんでした\n", i, word);
        float v[4] = {};
        if (values > 0) {
            for (int k = 0; k < values; ++k)
                if (!ReadFloat(scan, &v[k])) return Fail("No.%d の Material の読み込み中にエラーが発生しました\n", i);
        } else if (!ReadQuoted(scan, text)) {
            return Fail("No.%d の %s の文字列読み込みに失敗しました\n", i, word);
        }
        if (Is(word, "col")) {
            std::memcpy(col, v, sizeof col);
        } else if (Is(word, "dif")) {
            for (int k = 0; k < 3; ++k) m->diffuse[k] = v[0] * col[k];
            m->diffuse[3] = 1.0f;
        } else if (Is(word, "amb")) {
            for (int k = 0; k < 3; ++k) m->ambient[k] = v[0];
            m->ambient[3] = 0;
        } else if (Is(word, "emi")) {
            for (int k = 0; k < 3; ++k) m->emissive[k] = v[0] * col[k];
            m->emissive[3] = 0;
        } else if (Is(word, "spc")) {
            for (int k = 0; k < 3; ++k) m->specular[k] = v[0];
            m->specular[3] = 0;
        } else if (Is(word, "power")) {
            m->power = v[0] * 4;
        } else if (Is(word, "tex")) {
            if (!(m->diffuseLayers[0] = AddTexture(data, text, text, 0)))
                return Fail("No.%d の テクスチャオブジェクトの作成に失敗しました\n", i);
            m->diffuseLayerCount = 1;
        } else if (Is(word, "aplane")) {
            if (m->diffuseLayerCount == 0) {
                if (!(m->diffuseLayers[0] = AddTexture(data, text, "", 0)))
                    return Fail("No.%d の テクスチャオブジェクトの作成に失敗しました\n", i);
                m->diffuseLayerCount = 1;
            }
            if (!(m->diffuseLayers[0]->alphaPath = AddModelLoadString(data, text)))
                return Fail("No.%d の aplane の文字列の保存に失敗しました\n", i);
        } else {
            char bare[PATH_BUFFER_SIZE];
            if (std::strlen(text) >= PATH_BUFFER_SIZE || SplitFilePath(text, bare, nullptr) != 0)
                return Fail("No.%d の bump の文字列読み込みに失敗しました\n", i);
            if (!(m->normalLayers[0] = AddTexture(data, bare, text, 1)))
                return Fail("No.%d の テクスチャオブジェクトの作成に失敗しました\n", i);
            m->normalLayerCount = 1;
        }
        if (!Expect(scan, ")")) return Fail("No.%d の Material の %s の数値の後に ) がありませんでした\n", i, word);
    }
    m->diffuse[3] = col[3];
    return 0;
}

int ReadMaterialChunk(MQOSCAN *scan, MODELLOADDATA *data) {
    int count;
    if (!ReadInt(scan, &count) || count < 0) return Fail("マテリアルの数( %d )が不正です\n", count);
    if (!Expect(scan, "{")) return Fail("Material 数の後に { がありません\n");
    for (int i = 0; i < count; ++i)
        if (ReadMaterialLine(scan, data, i) != 0) return -1;
    if (!Expect(scan, "}")) return Fail("Material チャンクの終端に } がありません\n");
    return 0;
}

// The first scan: the Material chunk, every other chunk skipped. The materials read, or -1.
int ReadMaterials(MQOSCAN *scan, MODELLOADDATA *data) {
    char token[MQO_TOKEN_BUFFER];
    for (;;) {
        const int result = ReadMqoToken(scan, token);
        if (result == 1 || (result == 0 && Is(token, "Eof"))) return 0;
        if (result < 0) return Fail("予期せぬ EOF です\n");
        if (Is(token, "Material")) return ReadMaterialChunk(scan, data);
        const int skipped = SkipChunk(scan);
        if (skipped == 1) return 0;
        if (skipped < 0) return Fail("予期せぬ EOF です\n");
    }
}

// ---- objects -------------------------------------------------------------------------------

struct OBJECTREAD {
    MODELLOADDATA *data;
    const char *name;
    MODELLOADFRAME *frame;
    MODELLOADMESH *mesh;
    MODELLOADMATERIAL **materials;  // by number, the "NoMaterial" one last
    int materialCount;              // read from the Material chunk
    uint8_t *used;                  // per material number, the last "NoMaterial"
    int16_t listSlot[MQO_MATERIAL_NUMBERS + 1];  // number -> the mesh's list, -1 unused
    int mirror, mirrorAxis;
};

int ObjectFail(const OBJECTREAD *o, const char *what) { return Fail("Object %s チャンクの%s\n", o->name, what); }

int ReadVertices(MQOSCAN *scan, OBJECTREAD *o) {
    int count;
    // A vertex takes six bytes at least ("0 0 0 "): a count beyond what is left is refused before
    // anything is allocated for it.
    if (!ReadInt(scan, &count) || count < 0 || (int64_t)count * 6 > scan->size - scan->position)
        return ObjectFail(o, "頂点数が不正です");
    auto *positions = static_cast<VEC3 *>(AllocModelLoadBlock(o->data, sizeof(VEC3) * (size_t)(count > 0 ? count : 1)));
    if (!positions) return ObjectFail(o, "頂点座標を保存するメモリ領域の確保に失敗しました");
    if (!Expect(scan, "{")) return ObjectFail(o, " vertex 後に { がありません");
    for (int i = 0; i < count; ++i) {
        float v[3] = {};
        for (float &c : v)
            if (!ReadFloat(scan, &c)) return ObjectFail(o, "頂点座標が不正です");
        positions[i] = VEC3{v[0], v[1], -v[2]};
    }
    if (!Expect(scan, "}")) return ObjectFail(o, " vertex の終端に } がありません");
    o->mesh->positions = positions;
    o->mesh->positionCount = count;
    return 0;
}

// A bracketed list of n values after its word; false after the line.
bool OpenBracket(MQOSCAN *scan, const OBJECTREAD *o, const char *word, int *failed) {
    if (Expect(scan, "(")) return true;
    char what[64];
    std::snprintf(what, sizeof what, " face の %s の ( がありません", word);
    *failed = ObjectFail(o, what);
    return false;
}
bool CloseBracket(MQOSCAN *scan, const OBJECTREAD *o, const char *word, int *failed) {
    if (Expect(scan, ")")) return true;
    char what[64];
    std::snprintf(what, sizeof what, " face の %s の ) がありません", word);
    *failed = ObjectFail(o, what);
    return false;
}

// The mesh's list slot of a material number (entered at its first use).
int MaterialSlot(OBJECTREAD *o, int number) {
    if (o->listSlot[number] >= 0) return o->listSlot[number];
    MODELLOADMESH *mesh = o->mesh;
    if (mesh->materialCount >= MODELLOAD_MESH_MATERIALS)
        return Fail("Object %s チャンクのマテリアルの数が上限の %d を超えています\n", o->name, MODELLOAD_MESH_MATERIALS);
    mesh->materials[mesh->materialCount] = o->materials[number];
    o->used[number] = 1;
    return o->listSlot[number] = (int16_t)mesh->materialCount++;
}

int ReadFaces(MQOSCAN *scan, OBJECTREAD *o) {
    MODELLOADMESH *mesh = o->mesh;
    int count;
    // A face takes ten bytes at least ("3 V(0 0 0)").
    if (!ReadInt(scan, &count) || count < 0 || (int64_t)count * 10 > scan->size - scan->position)
        return ObjectFail(o, "面の数が不正です");
    const size_t slots = (size_t)(count > 0 ? count : 1) * 4;
    // Only triangles and quads are kept: four corners a face.
    mesh->faces = AllocModelLoadFaces(o->data, (size_t)count, 4);
    if (!mesh->faces) return ObjectFail(o, "面情報を保存するメモリ領域の確保に失敗しました");
    mesh->uvs[0] = static_cast<VEC3 *>(AllocModelLoadBlock(o->data, sizeof(VEC3) * slots));
    if (!mesh->uvs[0]) return ObjectFail(o, " uv座標を保存するメモリ領域の確保に失敗しました");
    mesh->colours = static_cast<float(*)[4]>(AllocModelLoadBlock(o->data, sizeof(float[4]) * slots));
    if (!mesh->colours) return ObjectFail(o, " 頂点カラーを保存するメモリ領域の確保に失敗しました");
    for (size_t i = 0; i < slots; ++i)
        for (float &c : mesh->colours[i]) c = 1.0f;
    if (!Expect(scan, "{")) return ObjectFail(o, " face 後に { がありません");

    char token[MQO_TOKEN_BUFFER];
    int kept = 0, failed = -1;
    for (int f = 0; f < count; ++f) {
        int corners;
        if (!ReadInt(scan, &corners) || corners < 1 || corners > MQO_FACE_CORNERS)
            return Fail("Object %s チャンクの face の頂点数( %d )が不正です\n", o->name, corners);
        if (!Expect(scan, "V")) return ObjectFail(o, " face の頂点数の数の後に V がありません");
        if (!OpenBracket(scan, o, "V", &failed)) return failed;
        int v[MQO_FACE_CORNERS];
        for (int k = 0; k < corners; ++k)
            if (!ReadInt(scan, &v[k]) || v[k] < 0 || v[k] >= mesh->positionCount)
                return Fail("Object %s チャンクの face の %d番目の V の頂点インデックスが不正です\n", o->name, k);
        if (!CloseBracket(scan, o, "V", &failed)) return failed;

        int number = o->materialCount;  // "NoMaterial"
        bool hasM = false, hasUV = false, hasCol = false;
        float uv[MQO_FACE_CORNERS][2];
        uint32_t col[MQO_FACE_CORNERS];
        for (;;) {
            if (PeekToken(scan, token) != 0) break;
            if (Is(token, "M")) {
                ReadMqoToken(scan, token);
                if (!OpenBracket(scan, o, "M", &failed)) return failed;
                if (!ReadInt(scan, &number) || number < 0 || number >= o->materialCount || number >= MQO_MATERIAL_NUMBERS)
                    return Fail("Object %s チャンクの face の M の値( %d )が不正です\n", o->name, number);
                if (!CloseBracket(scan, o, "M", &failed)) return failed;
                hasM = true;
            } else if (Is(token, "UV")) {
                ReadMqoToken(scan, token);
                if (!OpenBracket(scan, o, "UV", &failed)) return failed;
                for (int k = 0; k < corners; ++k)
                    if (!ReadFloat(scan, &uv[k][0]) || !ReadFloat(scan, &uv[k][1])) return ObjectFail(o, " face の UV の値が不正です");
                if (!CloseBracket(scan, o, "UV", &failed)) return failed;
                hasUV = true;
            } else if (Is(token, "COL")) {
                ReadMqoToken(scan, token);
                if (!OpenBracket(scan, o, "COL", &failed)) return failed;
                for (int k = 0; k < corners; ++k) {
                    double c;
                    if (!ReadDouble(scan, &c)) return ObjectFail(o, " face の COL の値が不正です");
                    col[k] = (uint32_t)(int64_t)c;
                }
                if (!CloseBracket(scan, o, "COL", &failed)) return failed;
                hasCol = true;
            } else {
                break;
            }
        }
        if (corners < 3 || corners > 4) continue;

        MODELLOADFACE &face = mesh->faces[kept];
        const int slot = MaterialSlot(o, number);
        if (slot < 0) return -1;
        face.vertexCount = corners;
        face.material = slot;
        const float *diffuse = hasM ? o->materials[number]->diffuse : nullptr;
        for (int k = 0; k < corners; ++k) {
            const int entry = kept * 4 + k;
            MODELLOADCORNER &corner = face.corners[k];
            corner.position = v[k];
            corner.uvs[0] = entry;
            corner.colour = entry;
            if (hasUV) mesh->uvs[0][entry] = VEC3{uv[k][0], uv[k][1], 0};
            float *c = mesh->colours[entry];
            if (hasCol) {
                for (int b = 0; b < 4; ++b) c[b] = (float)((col[k] >> (8 * b)) & 0xFF) / 255.0f * (diffuse ? diffuse[b] : 1.0f);
            } else if (diffuse) {
                std::memcpy(c, diffuse, sizeof(float) * 4);
            }
        }
        ++kept;
    }
    if (!Expect(scan, "}")) return ObjectFail(o, " face の終端に } がありません");
    mesh->faceCount = kept;
    mesh->uvCounts[0] = kept * 4;
    mesh->colourCount = kept * 4;
    return 0;
}

// The mirrored half: vertices copied with the axis negated (plane vertices shared), faces copied
// with their corners reversed.
int Mirror(OBJECTREAD *o) {
    MODELLOADMESH *mesh = o->mesh;
    const int axis = o->mirrorAxis == 1 ? 0 : o->mirrorAxis == 2 ? 1 : o->mirrorAxis == 4 ? 2 : -1;
    if (axis < 0) return 0;
    const int n = mesh->positionCount, faces = mesh->faceCount;
    auto *positions = static_cast<VEC3 *>(AllocModelLoadBlock(o->data, sizeof(VEC3) * (size_t)(n > 0 ? 2 * n : 1)));
    if (!positions) return ObjectFail(o, "ミラーリング頂点データ格納用メモリの確保に失敗しました");
    // The copies' corners in one pool; the originals keep theirs.
    size_t cornerTotal = 0;
    for (int f = 0; f < faces; ++f) cornerTotal += (size_t)mesh->faces[f].vertexCount;
    auto *copy = AllocModelLoadFaces(o->data, 2 * (size_t)faces, 0);
    MODELLOADCORNER *corners = copy ? AllocModelLoadCorners(o->data, cornerTotal) : nullptr;
    if (!corners) return ObjectFail(o, "ミラーリング面データ格納用メモリの確保に失敗しました");
    std::memcpy(positions, mesh->positions, sizeof(VEC3) * (size_t)n);
    for (int i = 0; i < n; ++i) {
        float *c = &positions[n + i].x;
        positions[n + i] = positions[i];
        c[axis] = -c[axis];
    }
    std::memcpy(copy, mesh->faces, sizeof(MODELLOADFACE) * (size_t)faces);
    for (int f = 0; f < faces; ++f) {
        const MODELLOADFACE &from = mesh->faces[f];
        MODELLOADFACE &to = copy[faces + f];
        to = from;
        to.corners = corners;
        corners += from.vertexCount;
        for (int k = 0; k < from.vertexCount; ++k) {
            to.corners[k] = from.corners[from.vertexCount - 1 - k];
            const int p = to.corners[k].position;
            const float *c = &positions[p].x;
            to.corners[k].position = c[axis] == 0.0f ? p : p + n;
        }
    }
    mesh->positions = positions;
    mesh->positionCount = 2 * n;
    mesh->faces = copy;
    mesh->faceCount = 2 * faces;
    return 0;
}

int ReadObject(MQOSCAN *scan, OBJECTREAD *o, MODELLOADFRAME **atDepth) {
    char name[MQO_TOKEN_BUFFER], token[MQO_TOKEN_BUFFER];
    if (!ReadQuoted(scan, name)) return Fail("Object チャンクの名前の取得に失敗しました\n");
    o->name = name;
    if (!Expect(scan, "{")) return Fail("Object チャンク名の後に { がありません\n");
    o->mirror = o->mirrorAxis = 0;
    std::memset(o->listSlot, 0xFF, sizeof o->listSlot);

    int depth = 0;
    if (PeekToken(scan, token) == 0 && Is(token, "depth")) {
        ReadMqoToken(scan, token);
        if (!ReadInt(scan, &depth) || depth < 0 || depth >= MQO_DEPTH_MAX)
            return Fail("Object %s チャンクの depth( %d )が不正です\n", name, depth);
    }
    MODELLOADFRAME *parent = depth > 0 ? atDepth[depth - 1] : nullptr;
    if (!(o->frame = AddModelLoadFrame(o->data, name, parent))) return Fail("フレームオブジェクトの追加に失敗しました\n");
    atDepth[depth] = o->frame;
    if (!(o->mesh = AddModelLoadMesh(o->data, o->frame))) return Fail("メッシュオブジェクトの追加に失敗しました\n");

    MODELLOADFRAME *frame = o->frame;
    for (;;) {
        if (ReadMqoToken(scan, token) != 0) return Fail("Object %s チャンクの解析中にエラーが発生しました\n", name);
        if (Is(token, "}")) break;
        int ok = 1;
        float v[3] = {};
        if (Is(token, "visible")) {
            int n;
            ok = ReadInt(scan, &n);
            frame->visible = n == 15;
        } else if (Is(token, "scale") || Is(token, "rotation") || Is(token, "translation")) {
            ok = ReadFloat(scan, &v[0]) && ReadFloat(scan, &v[1]) && ReadFloat(scan, &v[2]);
            const VEC3 value{v[0], v[1], v[2]};
            if (Is(token, "scale")) frame->scale = value;
            else if (Is(token, "translation")) frame->translation = value;
            else {
                // The file writes degrees.
                const float k = (float)(kPi / 180.0);
                frame->rotation = VEC3{v[0] * k, v[1] * k, v[2] * k};
                frame->rotationOrder = 0;
            }
        } else if (Is(token, "facet")) {
            double angle;
            ok = ReadDouble(scan, &angle);
            frame->smoothingAngle = (float)(angle * kPi / 180.0);
        } else if (Is(token, "mirror")) {
            ok = ReadInt(scan, &o->mirror);
        } else if (Is(token, "mirror_axis")) {
            ok = ReadInt(scan, &o->mirrorAxis);
        } else if (Is(token, "vertex")) {
            if (ReadVertices(scan, o) != 0) return -1;
        } else if (Is(token, "face")) {
            if (ReadFaces(scan, o) != 0) return -1;
        }
        if (!ok) return Fail("Object %s チャンクの解析中にエラーが発生しました\n", name);
    }

    MODELLOADMESH *mesh = o->mesh;
    if (mesh->faceCount == 0 || (mesh->materialCount == 1 && mesh->materials[0]->diffuse[3] == 0.0f)) {
        RemoveModelLoadMesh(o->data, frame, mesh);
        return 0;
    }
    return o->mirror == 1 ? Mirror(o) : 0;
}

// The second scan: Object chunks up to "Eof" or the data's end.
int ReadObjects(MQOSCAN *scan, OBJECTREAD *o) {
    auto **atDepth = static_cast<MODELLOADFRAME **>(AllocModelLoadBlock(o->data, sizeof(MODELLOADFRAME *) * MQO_DEPTH_MAX));
    if (!atDepth) return Fail("フレームオブジェクトの追加に失敗しました\n");
    char token[MQO_TOKEN_BUFFER];
    for (;;) {
        const int result = ReadMqoToken(scan, token);
        if (result == 1 || (result == 0 && Is(token, "Eof"))) return 0;
        if (result < 0) return Fail("チャンク解析中に文字列解析エラーが発生しました\n");
        if (Is(token, "Object")) {
            if (ReadObject(scan, o, atDepth) != 0) return -1;
            continue;
        }
        const int skipped = SkipChunk(scan);
        if (skipped == 1) return 0;
        if (skipped < 0) return Fail("チャンク解析中に文字列解析エラーが発生しました\n");
    }
}

// Where scanning starts: after the header line and the format line; -1 for another file.
int BodyStart(const char *image, int size) {
    const int header = (int)sizeof kHeader - 1;
    if (size < header + 1 || std::memcmp(image, kHeader, (size_t)header) != 0) return -1;
    int p = header;
    if (image[p] == '\r') ++p;
    if (p >= size || image[p] != '\n') return -1;
    const void *end = std::memchr(image + p + 1, '\n', (size_t)(size - p - 1));
    return end ? (int)(static_cast<const char *>(end) - image) + 1 : size;
}

int FillMqo(const char *image, int size, int start, MODELLOADDATA *data) {
    MQOSCAN scan{image, size, start};
    if (ReadMaterials(&scan, data) != 0) return -1;
    OBJECTREAD o{};
    o.data = data;
    o.materialCount = data->materialCount;
    if (o.materialCount > MQO_MATERIAL_NUMBERS) return Fail("マテリアルの数( %d )が不正です\n", o.materialCount);
    MODELLOADMATERIAL *none = AddModelLoadMaterial(data, "NoMaterial");
    if (!none) return Fail("Material オブジェクトの追加に失敗しました\n");
    o.materials = static_cast<MODELLOADMATERIAL **>(AllocModelLoadBlock(data, sizeof(MODELLOADMATERIAL *) * (size_t)(o.materialCount + 1)));
    o.used = static_cast<uint8_t *>(AllocModelLoadBlock(data, (size_t)o.materialCount + 1));
    if (!o.materials || !o.used) return Fail("Material オブジェクトの追加に失敗しました\n");
    int i = 0;
    for (MODELLOADMATERIAL *m = data->firstMaterial; m; m = m->next) o.materials[i++] = m;

    scan.position = start;
    if (ReadObjects(&scan, &o) != 0) return -1;
    for (i = 0; i <= o.materialCount; ++i)
        if (!o.used[i]) o.materials[i]->diffuseLayerCount = 0;
    return 0;
}

}  // namespace

int ReadMqoToken(MQOSCAN *scan, char *token) {
    const char *b = scan->image;
    int p = scan->position;
    while (p < scan->size && (b[p] == ' ' || b[p] == '\t' || b[p] == '\r' || b[p] == '\n')) ++p;
    scan->position = p;
    if (p >= scan->size) return 1;
    const char c = b[p];
    int end = p + 1;
    if (c == '"') {
        while (end < scan->size && b[end] != '"') end += IsPathLeadByte((uint8_t)b[end]) && end + 1 < scan->size ? 2 : 1;
        if (end >= scan->size) return -1;
        ++end;
    } else if (c == '(' || c == ')' || c == '{' || c == '}') {
    } else if (IsNumberChar(c)) {
        while (end < scan->size && IsNumberChar(b[end])) ++end;
    } else if (IsLetter(c)) {
        while (end < scan->size && (IsLetter(b[end]) || IsDigit(b[end]) || b[end] == '_')) ++end;
    } else {
        return -1;
    }
    if (end - p >= MQO_TOKEN_BUFFER) return -1;
    std::memcpy(token, b + p, (size_t)(end - p));
    token[end - p] = '\0';
    scan->position = end;
    return 0;
}

int FillMqoLoadData(const void *image, int size, const char *path, const char *name, MODELLOADDATA *data) {
    const char *text = static_cast<const char *>(image);
    const int start = BodyStart(text, size);
    if (start < 0) return -1;
    InitModelLoadData(data);
    data->ownSmoothing = 1;
    if (!(data->filePath = AddModelLoadString(data, path)) || !(data->fileName = AddModelLoadString(data, name)) ||
        FillMqo(text, size, start, data) != 0) {
        TermModelLoadData(data);
        return -1;
    }
    return 0;
}

int ReadMqoModel(const void *image, int size, const char *path, const char *name, const char *folder) {
    MODELLOADDATA data;
    if (FillMqoLoadData(image, size, path, name, &data) != 0) return -1;
    const int base = ConvertModelLoadData(&data, folder);
    TermModelLoadData(&data);
    return base;
}
