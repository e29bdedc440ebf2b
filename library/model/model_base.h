// The records of the 3D models. A loaded model exists twice: the model base (MV1BASE) holds what
// a model file defines and is shared; a model (MV1INSTANCE) is one drawable copy of a base with
// its own placement, opacity, per-frame matrices and change bits, and per-mesh and per-material
// draw state. Both live behind handles in two tables of their own (MODELSYSTEM).
//
// Ownership of a base: the record itself comes from the library allocator; everything a reader
// or converter makes hangs on the base's block chain (`chain`) or in its vertex block, both
// freed with the base. Arrays that a rebuild replaced carry an owned flag and are freed one by one.
#pragma once

#include "library/base/vecmath.h"
#include "library/model/bitset.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

constexpr int32_t HTYPE_MODELBASE = 1;
constexpr int32_t HTYPE_MODEL = 2;
constexpr int32_t MODELBASE_HANDLE_BIT = HTYPE_MODELBASE << 27;  // 0x08000000
constexpr int32_t MODEL_HANDLE_BIT = HTYPE_MODEL << 27;          // 0x10000000
constexpr int32_t MODEL_HANDLE_TYPE_MASK = 0x78000000;
constexpr int32_t MODEL_HANDLE_SLOT_MASK = 0x1FFFF;
constexpr int32_t MODEL_TABLE_STEP = 1024;
constexpr int32_t MODEL_SLOT_LIMIT = 0x10000;  // a model handle's slot stays below this
constexpr int MODEL_PALETTE_BONES = 54;        // bones of one skinned triangle list
constexpr int MODEL_UV_SETS_MAX = 8;
constexpr int MODEL_LAYERS_MAX = 8;
constexpr int MODEL_BUFFER_CHAINS = 3 * 2 * 9;  // skin kind x tangent need x UV sets
constexpr float MODEL_DEFAULT_SMOOTHING = 1.5620697f;  // 89.5 degrees

struct MV1BASE;
struct MV1FRAME;
struct MV1MESH;
struct MV1MATERIAL;
struct MV1INSTANCE;
struct MV1FRAMESTATE;
struct MV1MESHSTATE;

struct COLOUR_F {
    float r, g, b, a;
};

// ---- the base -------------------------------------------------------------------------

// A triangle of a mesh: its skin class, its triangle list's number within the mesh, and three
// mesh-vertex indices.
struct MV1FACE {
    uint16_t value;
    uint16_t list;
    int32_t vertex[3];
};
static_assert(sizeof(MV1FACE) == 16);

// A normal record of a frame.
struct MV1NORMAL {
    VEC3 normal, tangent, binormal;
};
static_assert(sizeof(MV1NORMAL) == 36);

// A mesh vertex record: position and normal indices, two colours (ARGB), then one (u, v) pair
// per texture-coordinate set. Record size = 16 + 8 x sets.
struct MV1MESHVERTEX {
    int32_t position;
    int32_t normal;
    uint32_t diffuse;
    uint32_t specular;
    float uv[MODEL_UV_SETS_MAX][2];
};
constexpr int MeshVertexSize(int uvSets) { return 16 + 8 * uvSets; }

// A position record of a frame: x, y, z, then (bone, weight) pairs ending early at bone -1; the
// bone is an index into the frame's skin-matrix references.
struct MV1POSITION {
    VEC3 position;
    struct {
        int32_t bone;
        float weight;
    } weights[1];
};
constexpr int PositionRecordSize(int maxWeights) { return 12 + 8 * maxWeights; }

// A bind offset that skinned vertices reference, with the bone frame it follows. The skin matrix
// of a model is the bone frame's world times this matrix.
struct MV1SKINBONE {
    MAT34 matrix;
    int32_t translateOnly;  // the rotation part is exactly the identity
    int32_t boneFrame;      // frame index
    int32_t useCount;
    int32_t referenceCount;  // (frame index, slot) pairs of the frames that refer to it
    int32_t *references;
};

// Vertex kinds of triangle lists (skin classes).
enum : int32_t {
    MV1_KIND_RIGID = 0,   // 32 bytes: position, 1, normal, 0
    MV1_KIND_FOUR = 1,    // 48 bytes: 4 weights, position, 1, normal, 4 slot bytes
    MV1_KIND_EIGHT = 2,   // 64 bytes: 8 weights, normal, 4 slot bytes, position, 4 slot bytes
    MV1_KIND_FREE = 3,    // position, 1, normal, 0, then (bone, weight) pairs
};
constexpr int kKindVertexSize[3] = {32, 48, 64};

// One pair of shared device buffers (Part of the vertex-buffer build).
struct MV1BUFFERNODE {
    IDirect3DVertexBuffer9 *vertexBuffer;
    IDirect3DIndexBuffer9 *indexBuffer;
    int32_t vertexTotal, indexTotal;
    uint8_t *lockedVertices;
    uint16_t *lockedIndices;
    DWORD fvf;
    int32_t vertexSize;
    int32_t skinKind, tangents, uvSets;
    MV1BUFFERNODE *next, *prev;
};

struct MV1TRIANGLELIST {
    MV1MESH *mesh;
    int32_t index;
    uint16_t kind;            // MV1_KIND_*
    uint16_t vertexSize;      // of the kind's layout (the list's own for kind 3)
    uint16_t softVertexSize;  // (UV sets + 2) x 16, once the software copy exists
    uint16_t reserved;
    int32_t vertexCount;
    int32_t maxWeights;       // kind 3: pairs per vertex
    int32_t boneCount;        // kinds 1, 2: the palette
    int32_t bones[MODEL_PALETTE_BONES];  // indices into the frame's skin-matrix references
    int32_t indexCount;
    uint16_t *indices;        // relative to the list's first vertex
    int32_t *vertexMap;       // mesh-vertex index of each list vertex
    int32_t vertexMapOwned;
    uint8_t *vertexData;      // kind layout, start on a 16-byte boundary
    void *vertexDataBlock;    // the owned allocation behind vertexData, or null
    uint8_t *softVertices;    // owned: position, normal, colours, UV sets as four floats
    MV1BUFFERNODE *node;      // shared buffers, or null
    int32_t firstVertex, firstIndex;
};

struct MV1MESH {
    MV1FRAME *frame;
    MV1MATERIAL *material;
    int32_t index;
    BITRANGE drawStateRange;  // one bit
    uint8_t visible;
    uint8_t cullMode;         // SetCullingMode's value: 1 culls counter-clockwise faces
    uint8_t hasShapes;
    uint8_t uvSetCount;
    uint8_t vertexDiffuse;    // the vertices' colours replace the material's
    uint8_t vertexSpecular;
    uint8_t needsAlpha;
    uint8_t reserved;
    int32_t vertexCount;
    int32_t vertexSize;
    uint8_t *vertices;        // MV1MESHVERTEX records of vertexSize bytes
    int32_t verticesOwned;
    int32_t faceCount;
    MV1FACE *faces;
    int32_t triangleListCount;
    MV1TRIANGLELIST *triangleLists;
    VEC3 boxMin, boxMax;      // frame space
};

struct MV1SHAPEVERTEX {
    int32_t vertex;  // mesh-vertex index
    VEC3 position;   // offsets
    VEC3 normal;
};

struct MV1SHAPEMESH {
    MV1MESH *mesh;
    int32_t vertexCount;
    MV1SHAPEVERTEX *vertices;
    int32_t owned;
};

struct MV1SHAPE {
    MV1FRAME *frame;
    const char *name;
    int32_t index;  // in the base
    int32_t meshCount;
    MV1SHAPEMESH *meshes;
};

// Local matrix kinds.
enum : int32_t {
    MV1_LOCAL_IDENTITY = 0,
    MV1_LOCAL_TRANSLATE = 1,
    MV1_LOCAL_FULL = 2,
};

struct MV1FRAME {
    MV1BASE *base;
    int32_t index;
    const char *name;
    BITRANGE drawStateRange;  // itself and every frame and mesh below it
    BITRANGE matrixRange;     // itself and every frame below it
    int32_t meshesBelow, framesBelow;
    MV1FRAME *parent;
    MV1FRAME *firstChild, *lastChild;
    MV1FRAME *prev, *next;    // siblings (roots among the roots)
    int32_t childCount;
    MAT34 bindWorld, inverseBindWorld;
    int32_t localKind;
    MAT34 local;
    VEC3 translation;
    VEC3 scale;
    int32_t rotationOrder;    // 0-5
    VEC3 rotation;
    float quaternion[4];      // x, y, z, w
    VEC3 boxMin, boxMax;      // frame space
    uint32_t flags;           // bit 0 shown
    int32_t noCull;
    int32_t meshCount;
    MV1MESH *meshes;
    int32_t skinRefCount;     // also the pairs per position record
    MV1SKINBONE **skinRefs;
    int32_t firstSkinBone;    // the first entry whose bone is this frame, -1 none
    int32_t skinBoneCount;    // entries in a row from it
    float smoothingAngle;
    int32_t normalsRecalculated;
    int32_t positionCount, positionSize;
    uint8_t *positions;
    int32_t positionsOwned;
    int32_t normalCount;
    MV1NORMAL *normals;
    int32_t normalsOwned;
    int32_t shapeCount;
    MV1SHAPE *shapes;
    int32_t meshVertexTotal;  // over the frame's meshes
    struct MV1ATTACHMENT *attachment;  // a model file's attachment record, or null
};

inline MV1POSITION *FramePosition(const MV1FRAME *f, int i) {
    return reinterpret_cast<MV1POSITION *>(f->positions + (size_t)i * f->positionSize);
}
inline int FramePositionPairs(const MV1FRAME *f) { return (f->positionSize - 12) / 8; }
inline MV1MESHVERTEX *MeshVertex(const MV1MESH *m, int i) {
    return reinterpret_cast<MV1MESHVERTEX *>(m->vertices + (size_t)i * m->vertexSize);
}

struct MV1LAYER {
    int32_t texture;  // index into the textures
    int32_t blend;
};

struct MV1MATERIAL {
    int32_t index;
    const char *name;
    int32_t kind;  // 1 toon
    COLOUR_F diffuse, ambient, specular, emissive;
    float power;
    int32_t diffuseLayerCount;
    MV1LAYER diffuseLayers[MODEL_LAYERS_MAX];
    int32_t specularLayerCount;
    MV1LAYER specularLayers[MODEL_LAYERS_MAX];
    int32_t normalLayerCount;  // a normal map when above 0
    MV1LAYER normalLayers[MODEL_LAYERS_MAX];
    int32_t toonTexture, sphereTexture;  // -1 none
    int32_t toonKind, sphereMode;
    float edgeSize;
    COLOUR_F edgeColour;
    int32_t blendMode, blendParam;
};

// The image files a texture entry keeps (a restore composes the texture from them again).
struct MV1TEXTUREFILES {
    char *alphaPath;
    void *alphaImage;       // the whole alpha image file, or null
    int32_t alphaImageSize;
    char *colourPath;
    void *colourImage;      // the whole colour image file (the fall-back image for a missing one)
    int32_t colourImageSize;
};

struct MV1TEXTURE {
    const char *name;
    MV1TEXTUREFILES files;
    int32_t width, height;
    int32_t usesAlpha;
    int32_t bump;
    float bumpHeight;
    int32_t graph;
    int32_t replaced, replacementGraph;
    int32_t addressU, addressV, filterMode;
};

// Running sizes of a base's geometry, adjusted by every rebuild.
struct MV1TOTALS {
    int64_t positionBytes;
    int64_t meshVertexBytes;
    int64_t normalCount, normalBytes;
    int64_t listVertices;
    int64_t shapeVertices;
    int64_t total;
};

// Animation data a base carries for sampling (the readers fill it; nothing attaches it here).
struct MV1KEYSET {
    uint8_t valueKind;  // 0 quaternion (row form), 7 quaternion (column form), 1 vector, 5 float
    uint8_t target;
    uint8_t timing;     // 0 evenly spaced from start by step, 1 key times
    uint8_t reserved;
    int32_t keyCount;
    float start, step;
    const float *times;
    const float *values;
    int32_t shape;      // target 18: the shape whose weight the keys drive
};

struct MV1ANIMSET;

// One animated frame of an animation set: its key sets (contiguous in the base's array).
struct MV1ANIM {
    MV1ANIMSET *set;
    int32_t index;
    int32_t frame;      // frame index
    float value;
    int32_t word;
    int32_t keySetCount;
    MV1KEYSET *keySets;
};

struct MV1ANIMSET {
    const char *name;
    int32_t index;
    float totalTime;
    int32_t word;
    uint8_t flags;      // two kept booleans in bits 0 and 1
    uint8_t reserved[3];
    int32_t animCount;
    MV1ANIM *anims;     // contiguous in the base's array
};

// A frame attachment record of a model file, kept as read (nothing in this system uses one).
struct MV1ATTACHMENT {
    const char *name;
    int32_t values[15];  // the first is its number
    float floats[7];
};

// What a base read from a model file keeps beyond the drawing records, so that writing it again
// gives the same bytes: fields the format only carries, and how each record's data was packed.
struct MV1FILEKEPT {
    int32_t header[4];       // image offsets 8, 40, 164, 168
    int32_t frameRefs[2];    // the two frames the header names (44, 48), -1 none
    int32_t shapeHeader[5];  // shape header +40 and +48 to +60
    struct FRAME {
        int32_t words[5];    // +48, +52, +140, +144, +184
        uint16_t packing;    // +176
        uint16_t reserved;
        float quantise[6];   // minimum and scale of x, y, z with packing bit 2
    } *frames;
    struct MESH {
        int32_t words[5];    // +28, +32, +36, +40, +48
        uint8_t packing;     // +60
        uint8_t uvComponents;  // +59
        uint8_t reserved[2];
    } *meshes;
    uint8_t *lists;          // triangle-list flags (+18)
    int32_t *materials;      // three words a material: +676, +680, +684
    struct KEYSET {
        uint16_t flags;      // +2
        uint8_t timeHeader[2], valueHeader[2];
    } *keySets;
};

struct MV1BASE {
    int32_t handle;
    int32_t modelCount;
    int32_t refCount;
    MV1INSTANCE *firstModel, *lastModel;
    const char *filePath, *name, *folder;

    int32_t frameCount;
    MV1FRAME *frames;          // parents before children
    int32_t rootCount;
    MV1FRAME *firstRoot;
    uint32_t *drawStateMasks;  // the frames' mask words
    uint32_t *matrixMasks;
    int32_t materialCount;
    MV1MATERIAL *materials;
    int32_t textureCount;
    MV1TEXTURE *textures;
    int32_t meshCount;
    MV1MESH *meshes;           // grouped by frame
    int32_t skinBoneCount;
    MV1SKINBONE *skinBones;
    int32_t skinRefTotal;      // sum of the frames' reference counts
    int32_t triangleListCount;
    MV1TRIANGLELIST *triangleLists;
    int32_t shapeCount;
    MV1SHAPE *shapes;
    int32_t kindVertices[4];   // kinds 0-2 vertex counts, kind 3 bytes
    MV1TOTALS totals;

    VEC3 boxMin, boxMax;
    int32_t extentsComputed;

    MV1BUFFERNODE *chainHead[MODEL_BUFFER_CHAINS];
    MV1BUFFERNODE *chainTail[MODEL_BUFFER_CHAINS];
    MV1BUFFERNODE *chainCurrent[MODEL_BUFFER_CHAINS];
    int32_t chainNodes[MODEL_BUFFER_CHAINS];
    int32_t nodeCount;
    int32_t buffersBuilt;

    // Animation data (nothing attaches it in this system).
    int32_t animSetCount;
    MV1ANIMSET *animSets;
    int32_t animCount;
    MV1ANIM *anims;            // grouped by set
    int32_t keySetCount;
    MV1KEYSET *keySets;        // grouped by animation
    MV1ANIM **animTable;       // set x frame count entries, null where a frame is not animated
    int32_t attachmentCount;
    MV1ATTACHMENT *attachments;
    MV1FILEKEPT *kept;         // null unless read from a model file

    MEMCHAIN *chain;           // everything the reader or converter made
    void *vertexBlock;         // owned, or null
};

// ---- the model ------------------------------------------------------------------------

struct MV1ANIMSTATE;

struct MV1FRAMESTATE {
    char marker[4];  // "FRM_"
    int32_t modelHandle;
    MV1INSTANCE *model;
    int32_t childIndex;
    const MV1FRAME *base;
    MV1FRAMESTATE *parent;
    MV1FRAMESTATE *firstChild, *next;
    int32_t childCount;
    MV1FRAMESTATE **children;
    BITRANGEREF matrixRef;
    MAT34 localToWorld;
    MAT44 world;              // from localToWorld, made on first fixed-function use
    uint8_t worldValid;
    uint8_t visible;
    uint8_t effectiveVisible;
    uint8_t hasOverride;      // `overrideMatrix` replaces the local matrix
    MAT34 overrideMatrix;
    int32_t texCoordMatrixSet;
    MAT44 texCoordMatrix;
    MAT34 **skinMatrices;     // the model's skin matrices of the frame's references
    MV1MESHSTATE *firstMesh;
    float *shapeWeights;      // one per shape of the frame
    BITRANGEREF drawStateRef;
    float opacity;
    float effectiveOpacity;
};

struct MV1MATERIALSTATE {
    const MV1MATERIAL *base;
    COLOUR_F diffuse, ambient, specular, emissive;
    float power;
    int32_t hasDiffuseTexture;
    int32_t diffuseTexture;
    int32_t hasSpecularMap;
    int32_t specularMapTexture;
    int32_t toonTexture, sphereTexture;
    int32_t toonKind, sphereMode;
    float edgeSize;
    COLOUR_F edgeColour;
    int32_t blendMode, blendParam;
};

struct MV1MESHSTATE {
    MV1FRAMESTATE *frame;
    const MV1MESH *base;
    MV1MATERIALSTATE *material;
    uint8_t colourScaled;
    uint8_t visible;
    uint8_t effectiveVisible;
    uint8_t reserved;
    COLOUR_F diffuseScale, ambientScale, specularScale, emissiveScale;
    float opacity;
    int32_t blendModeOverride, blendParamOverride;  // -1 = the material's
    BITRANGEREF drawStateRef;
    float effectiveOpacity;
};

// A triangle list as the model holds it: the shaped copy of its vertices (lists whose mesh has
// shapes) and the model's own vertex buffer for them.
struct MV1LISTSTATE {
    uint8_t *shaped;
    IDirect3DVertexBuffer9 *buffer;
};

struct MV1TEXTURESTATE {
    const MV1TEXTURE *base;
    MV1TEXTUREFILES files;  // the paths copied from the base entry; the images the model's own
    int32_t bump;
    float bumpHeight;
    int32_t ownTexture, ownGraph;
    int32_t replaced, replacementGraph;
    int32_t addressU, addressV, filterMode;
};

// One attached animation (none is attached by any operation of this system).
struct MV1ANIMSLOT {
    int32_t used;
    MV1ANIMSTATE *state;
};

// Rotation kinds of a model.
enum : int32_t {
    MV1_ROTATION_ANGLES = 0,
};

struct MV1INSTANCE {
    int32_t validity;
    MV1INSTANCE *next, *prev;  // next: made before this one
    int32_t handle;
    int32_t baseHandle;
    MV1BASE *base;
    uint32_t *drawStateBits;   // bit 0 the whole model, then a bit per frame and per mesh
    uint32_t *matrixBits;      // bit 0 the whole model, then a bit per frame
    int32_t drawStateBytes, matrixBytes;
    VEC3 translation;
    int32_t rotationKind;
    VEC3 rotation;
    VEC3 scale;
    MAT34 directMatrix;
    uint8_t matrixSetDirectly;
    uint8_t drawStateValid;
    uint8_t matricesValid;
    uint8_t animationValid;
    uint8_t visible;
    uint8_t opacityValid;
    uint8_t reserved[2];
    MAT34 modelMatrix;
    MV1FRAMESTATE *frames;
    int32_t rootCount;
    MV1FRAMESTATE **roots;
    MAT34 *skinMatrices;       // one per base skin bone
    float *shapeWeights;       // one per base shape
    VEC3 *shapeWork;           // position and normal per vertex of the largest shaped mesh
    MV1LISTSTATE *lists;
    MV1MESHSTATE *meshes;
    MV1MATERIALSTATE *materials;
    MV1TEXTURESTATE *textures;
    int32_t animationCount, animationCapacity;
    MV1ANIMSLOT *animations;
    int32_t animationsSampled;
    float opacity;
    int32_t depthTest, depthWrite, depthCompare;
    float depthBias;
    int32_t maxAnisotropy;
    int32_t recomputedFrames;  // frame matrices recomputed since the model was made
    void *allocation;          // the one block holding the model and its arrays
};

// ---- the module's state -----------------------------------------------------------------

// A handle table: 0 free, 1 reserved, otherwise the record.
struct MODELTABLE {
    uintptr_t *entries;
    int32_t capacity;
    int32_t used;
    int32_t last;  // the slot handed out last
};

constexpr uintptr_t MODEL_SLOT_RESERVED = 1;

struct MODELSYSTEM {
    uint8_t started;
    MODELTABLE bases;
    MODELTABLE models;
    float defaultSmoothing;
    int32_t loadRecalcNormals;    // load settings, off in this system
    float loadSmoothing;
    int32_t loadOptimiseVertices;
    int32_t whiteTexture;         // default white graph, 0 until made
    int32_t modelSetupDone;       // the mesh drawing's once-per-model set-up
    IDirect3DVertexBuffer9 *lastStream;  // last stream and indices set by the mesh drawing
    IDirect3DIndexBuffer9 *lastIndices;
};

extern MODELSYSTEM g_modelSystem;

// Reserves a model-base slot: its handle, or -1 when the table cannot grow.
int AddModelBaseSlot();
// The record behind a handle, null for a bad, reserved or empty one.
MV1BASE *GetModelBase(int handle);
MV1INSTANCE *GetModelInstance(int handle);
// Enters a filled base in its reserved slot (sets its handle).
int StoreModelBase(int handle, MV1BASE *base);
// Reserves a free slot below `limit`, searching from the one handed out last and wrapping to 0;
// a full table grows by MODEL_TABLE_STEP first. -1 when it cannot grow or no slot is left.
int ReserveModelTableSlot(MODELTABLE *table, int limit);
// The slot of a handle of the type's bit when it names a non-free entry, else -1.
int ModelTableSlot(const MODELTABLE *table, int handle, int typeBit);
