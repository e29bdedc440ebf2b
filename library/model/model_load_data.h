// The read data: the one in-memory form that every model reader other than the library's own
// file fills (frames, meshes of polygons, materials, textures, skin weights, shapes and
// animation keys) and that the converter turns into a model base. Every block hangs on the
// record's block chain, so TermModelLoadData frees it all whatever state a failed read left.
//
// The builders allocate from the chain and free nothing; a null result means an allocation
// failed (the chain has logged it): the reader stops and calls TermModelLoadData.
#pragma once

#include "library/base/vecmath.h"
#include "library/model/bitset.h"

#include <cstdint>

constexpr int MODELLOAD_FACE_CORNERS = 32;
constexpr int MODELLOAD_UV_SETS = 8;
constexpr int MODELLOAD_MESH_MATERIALS = 256;
constexpr int MODELLOAD_MESH_SKINWEIGHTS = 4096;
constexpr int MODELLOAD_MATERIAL_LAYERS = 256;
constexpr float MODELLOAD_FRAME_SMOOTHING = 1.5207964f;  // pi / 2 - 0.05

struct MODELLOADMESH;
struct MODELLOADSHAPE;
struct MODELLOADTEXTURE;
struct MODELLOADANIMSET;
struct MODELLOADANIM;
struct MODELLOADKEYSET;
struct MV1FRAME;

struct MODELLOADFRAME {
    MODELLOADFRAME *prev, *next;  // the record's frame list, depth first
    int32_t index;
    const char *name;
    int32_t piecesBelow, framesBelow;  // converter work
    int32_t visible;
    MAT44 matrix;
    VEC3 translation;
    VEC3 scale;
    VEC3 rotation;
    int32_t rotationOrder;
    float quaternion[4];               // x, y, z, w
    int32_t weightCount;               // converter work: the largest pair count of a position
    float smoothingAngle;
    int32_t meshCount;
    MODELLOADMESH *firstMesh, *lastMesh;
    int32_t shapeCount;
    MODELLOADSHAPE *firstShape, *lastShape;
    MODELLOADFRAME *parent;
    MODELLOADFRAME *firstChild, *lastChild;
    MODELLOADFRAME *nextSibling, *prevSibling;
    MV1FRAME *baseFrame;               // converter work
    int32_t pieces;                    // converter work: pieces of its own meshes
};

// One corner of a face: its index into each of the mesh's arrays. A slot no reader fills stays 0.
struct MODELLOADCORNER {
    int32_t position;
    int32_t normal;
    int32_t colour;
    int32_t uvs[MODELLOAD_UV_SETS];
};

// A polygon; its corners lie in a pool sized by the corners the faces really have, so a large
// mesh of triangles and quads does not carry 32 slots a face.
struct MODELLOADFACE {
    int32_t vertexCount;  // 3 to 32
    int32_t triangleCount;
    MODELLOADCORNER *corners;  // vertexCount records
    int32_t material;
    VEC3 faceNormal;
};

struct MODELLOADSKINWEIGHT {
    MAT44 offset;      // bind offset matrix
    int32_t boneFrame; // frame index, -1 when no frame was found
    int32_t count;
    struct PAIR {
        int32_t position;
        float weight;
    } *pairs;
};

// The converter's plan of one piece (a mesh's faces of one material): triangles by skin class
// and the triangle lists of classes 1 and 2 with their bone palettes.
struct MODELLOADLISTPLAN {
    int32_t boneCount;
    uint16_t bones[54];
    int32_t triangles;
};
struct MODELLOADPIECEPLAN {
    int32_t classTriangles[4];
    int32_t weightCount;
    int32_t rigidLists;
    int32_t listCount[2];  // classes 1 and 2
    int32_t listCapacity[2];
    MODELLOADLISTPLAN *lists[2];
};

struct MODELLOADMESH {
    MODELLOADMESH *prev, *next;
    int32_t index;
    int32_t faceCount;
    MODELLOADFACE *faces;
    int32_t positionCount;
    VEC3 *positions;
    int32_t normalCount;
    VEC3 *normals;  // null: the converter computes them
    int32_t colourCount;
    float (*colours)[4];  // r, g, b, a in 0..1
    int32_t uvCounts[MODELLOAD_UV_SETS];
    VEC3 *uvs[MODELLOAD_UV_SETS];  // u, v and a third value that stays 0
    int32_t words[8];
    int32_t materialCount;  // 0 is treated as one piece
    struct MODELLOADMATERIAL *materials[MODELLOAD_MESH_MATERIALS];
    int32_t skinWeightCount;
    MODELLOADSKINWEIGHT *skinWeights[MODELLOAD_MESH_SKINWEIGHTS];
    // Converter work.
    int32_t triangleTotal;
    BITSET vertexBones;     // a row per position, a bit per skin weight
    float *boneWeights;     // positions x skin weights
    BITSET faceBones;       // a row per face
    uint8_t *faceClass;
    uint16_t *faceBoneCount;
    uint16_t *faceList;     // the face's list within its piece and class
    MODELLOADPIECEPLAN *plans;  // max(material count, 1)
    int32_t positionBase, normalBase, skinBase;  // its first position, normal and skin slot in its frame
    int32_t firstPiece;
    int32_t hasShapes;
    MODELLOADFRAME *frame;
    MODELLOADMESH *nextInFrame, *prevInFrame;
};

struct MODELLOADMATERIAL {
    MODELLOADMATERIAL *prev, *next;
    int32_t index;
    const char *name;
    int32_t kind;
    int32_t diffuseLayerCount;
    MODELLOADTEXTURE *diffuseLayers[MODELLOAD_MATERIAL_LAYERS];
    int32_t specularLayerCount;
    MODELLOADTEXTURE *specularLayers[MODELLOAD_MATERIAL_LAYERS];
    int32_t normalLayerCount;
    MODELLOADTEXTURE *normalLayers[MODELLOAD_MATERIAL_LAYERS];
    float ambient[4], diffuse[4], specular[4], emissive[4];
    float power;
    MODELLOADTEXTURE *toonTexture, *sphereTexture;
    int32_t toonKind, sphereMode;
    float edgeSize;
    float edgeColour[4];
    int32_t blendMode, blendParam;
};

struct MODELLOADTEXTURE {
    MODELLOADTEXTURE *prev, *next;
    int32_t index;
    const char *name;
    int32_t addressU, addressV;
    int32_t filterMode;
    const char *colourPath;
    const char *alphaPath;
    int32_t bump;
    float bumpHeight;
    int32_t word;  // copied into the material layer entries
};

struct MODELLOADSHAPE {
    MODELLOADSHAPE *prev, *next;
    int32_t index;
    const char *name;
    MODELLOADMESH *mesh;
    int32_t hasNormals;
    int32_t vertexCount;
    struct VERTEX {
        int32_t position;
        VEC3 offset;
        VEC3 normal;
    } *vertices;
    int32_t *table;  // converter work: position -> shape vertex, -1 none
    MODELLOADFRAME *frame;
    MODELLOADSHAPE *nextInFrame, *prevInFrame;
};

struct MODELLOADANIMSET {
    MODELLOADANIMSET *prev, *next;
    int32_t index;
    const char *name;
    int32_t word0;
    float totalTime;
    int32_t word;
    int32_t splitProtect;  // set: key normalisation does not split its vector key sets
    int32_t animCount;
    MODELLOADANIM *firstAnim, *lastAnim;
};

struct MODELLOADANIM {
    MODELLOADANIMSET *set;
    MODELLOADANIM *prev, *next;
    int32_t index;
    const char *frameName;
    int32_t frameIndex;
    float value;
    int32_t word;
    int32_t work;
    int32_t keySetCount;
    MODELLOADKEYSET *firstKeySet, *lastKeySet;
    MODELLOADANIM *nextInSet, *prevInSet;
};

// Key data types (the size of one value) and the kinds key normalisation produces or reads.
enum : uint8_t {
    MODELKEY_QUATERNION = 0,  // 16 bytes
    MODELKEY_VECTOR = 1,      // 12
    MODELKEY_MATRIX4X3 = 2,   // 48
    MODELKEY_MATRIX3X3 = 3,   // 36
    MODELKEY_FLOAT = 5,       // 4 (types 4 to 6)
    MODELKEY_QUATERNION_COLUMN = 7,
};
enum : uint8_t {
    MODELKEY_ROTATE = 0,  // 1, 2, 3: about x, y, z
    MODELKEY_SCALE = 5,   // 6, 7, 8: x, y, z
    MODELKEY_TRANSLATE = 10,  // 11, 12, 13: x, y, z
    MODELKEY_MATRIX = 15,
    MODELKEY_ROTATE_MATRIX = 17,
    MODELKEY_SHAPE = 18,
};

struct MODELLOADKEYSET {
    MODELLOADKEYSET *prev, *next;
    int32_t index;
    uint8_t dataType;
    uint8_t kind;
    uint8_t timeType;  // 1 one time per key, 0 evenly spaced
    uint8_t reserved;
    int32_t word;      // target 18: the shape number
    float baseTime;
    int32_t keyCount;
    float step;        // time type 0
    float start;       // time type 0
    float *times;      // time type 1
    float *values;
    MODELLOADKEYSET *prevInAnim, *nextInAnim;
};

struct MODELLOADDATA {
    MEMCHAIN *chain;
    const char *filePath;
    const char *fileName;
    int32_t flag;
    int32_t ownSmoothing;    // every frame keeps its own smoothing angle (normals always made)
    int32_t keyDataSize;     // bytes of every key set's values and times
    int32_t pieceTotal;      // converter totals
    int32_t drawStateWords, matrixWords;
    int32_t frameCount;
    MODELLOADFRAME *firstFrame, *lastFrame;
    int32_t materialCount;
    MODELLOADMATERIAL *firstMaterial, *lastMaterial;
    int32_t textureCount;
    MODELLOADTEXTURE *firstTexture, *lastTexture;
    int32_t meshCount;
    MODELLOADMESH *firstMesh, *lastMesh;
    int32_t shapeCount;
    MODELLOADSHAPE *firstShape, *lastShape;
    int32_t shapeMeshTotal, shapeVertexTotal, counters;
    int32_t animSetCount;
    MODELLOADANIMSET *firstAnimSet, *lastAnimSet;
    int32_t animCount;
    MODELLOADANIM *firstAnim, *lastAnim;
    int32_t keySetCount;
    MODELLOADKEYSET *firstKeySet, *lastKeySet;
    int64_t triangleTotal;   // converter totals
    int32_t largestPositions, largestTriangles;
    int32_t stringTotal;     // (length + 1) of every copied string rounded up to 4
    int32_t skinWeightCount;
};

// Key value bytes of a data type (0 for one that carries none).
int ModelKeyValueSize(int dataType);

int InitModelLoadData(MODELLOADDATA *data);
int TermModelLoadData(MODELLOADDATA *data);
// Zeroed bytes from the record's chain, null after logging.
void *AllocModelLoadBlock(MODELLOADDATA *data, size_t bytes);
// `count` zeroed faces, each pointing at `cornersEach` zeroed corners of its own (0: none, the
// caller places them), in one block of the chain; null after logging.
MODELLOADFACE *AllocModelLoadFaces(MODELLOADDATA *data, size_t count, int cornersEach);
// `count` zeroed corners from the chain, null after logging.
MODELLOADCORNER *AllocModelLoadCorners(MODELLOADDATA *data, size_t count);

const char *AddModelLoadString(MODELLOADDATA *data, const char *text);
MODELLOADFRAME *AddModelLoadFrame(MODELLOADDATA *data, const char *name, MODELLOADFRAME *parent);
MODELLOADMESH *AddModelLoadMesh(MODELLOADDATA *data, MODELLOADFRAME *frame);
void RemoveModelLoadMesh(MODELLOADDATA *data, MODELLOADFRAME *frame, MODELLOADMESH *mesh);
MODELLOADSHAPE *AddModelLoadShape(MODELLOADDATA *data, const char *name, MODELLOADFRAME *frame);
MODELLOADMATERIAL *AddModelLoadMaterial(MODELLOADDATA *data, const char *name);
// The material `index` steps from the first (0 or less: the first); the caller keeps it in range.
MODELLOADMATERIAL *GetModelLoadMaterial(MODELLOADDATA *data, int index);
// Paths are resolved against the current directory: the path relative to it when a file opens
// there, else its bare name when that opens, else the relative path. With `reuse`, a texture of
// the same two paths is returned instead of a new one.
MODELLOADTEXTURE *AddModelLoadTexture(MODELLOADDATA *data, const char *name, const char *colourPath,
                                      const char *alphaPath, int bump, float bumpHeight, int reuse);
MODELLOADSKINWEIGHT *AddModelLoadSkinWeight(MODELLOADDATA *data);
MODELLOADANIMSET *AddModelLoadAnimSet(MODELLOADDATA *data, const char *name);
MODELLOADANIM *AddModelLoadAnim(MODELLOADDATA *data, MODELLOADANIMSET *set);
MODELLOADKEYSET *AddModelLoadKeySet(MODELLOADDATA *data, MODELLOADANIM *anim);
// Unlinks a key set from its animation and from the record's list (both counts fall by one).
void RemoveModelLoadKeySet(MODELLOADDATA *data, MODELLOADANIM *anim, MODELLOADKEYSET *keySet);

// ---- conversion ---------------------------------------------------------------------------

// The read data as a new model base: its handle, or -1 after logging. The read data is left to
// the caller, who releases it (also after a failure). Textures are looked for against `folder`.
int ConvertModelLoadData(MODELLOADDATA *data, const char *folder);
// Polygons split into triangles in place (the first triangle replaces the face, the others are
// appended). 1, or 0 when the new face array cannot be allocated (logged).
int TriangulateModelLoadMesh(MODELLOADDATA *data, MODELLOADMESH *mesh);
// Normals of a mesh from its triangles by its frame's smoothing angle. 1, or 0 (logged).
int ComputeModelLoadNormals(MODELLOADDATA *data, MODELLOADMESH *mesh);
struct MV1BASE;
// Merges skin-bone entries of one bone frame and one matrix, sorts them by bone frame, points
// the frames' references at the result and links every bone frame to its first entry.
// 1, or 0 after logging.
int OptimizeModelSkinBones(MV1BASE *base);
// 1 when every element of the upper-left 3 x 3 parts lies strictly within epsilon.
int IsRotationPartNear(const MAT44 *a, const MAT44 *b, float epsilon);
// Every animation's keys rewritten into translation, scale, quaternion or single-axis tracks
// with as few keys as reproduce them within 0.00001.
void NormaliseModelLoadKeySets(MODELLOADDATA *data);
// Drops the keys a straight line between its neighbours reproduces; with `singleKeyOnly` the
// result is taken only when one key is left.
void ReduceModelLoadKeys(MODELLOADDATA *data, MODELLOADKEYSET *keySet, int singleKeyOnly);
