// X files, first stage: the file image parsed into a tree of data objects, one XOBJECT per
// object of a template the reader knows (every other object, and every template declaration, is
// skipped whole). The text form and the uncompressed binary form (32- or 64-bit floats) give the
// same tree. References ("{ name }") are resolved after the parse, both ways: the referring
// object sees the named one and the named one sees the referrer.
//
// The tree's template data (vertices, faces, keys, strings) lives on the object list's block
// chain; each XOBJECT is a block of its own. FreeXObjectTree releases both.
#pragma once

#include "library/model/bitset.h"

#include <cstdint>

struct MODELLOADFRAME;
struct MODELLOADMATERIAL;

constexpr int XFILE_HEADER_SIZE = 16;
constexpr int XFACE_CORNERS_MAX = 32;   // corners of one face
constexpr int XNEST_MAX = 64;           // open objects, the root included
constexpr int XTOKEN_BUFFER = 256;      // bytes of a copied token (numbers, template names)
constexpr int XREF_GROWTH = 32;
constexpr int XMESH_MATERIALS_MAX = 256;

// Template indices: positions in XTEMPLATES, empty slots counted.
enum : int32_t {
    XT_COORDS2D = 2,
    XT_MATRIX4X4,
    XT_COLORRGBA,
    XT_COLORRGB,
    XT_MATERIAL,
    XT_TEXTUREFILENAME,
    XT_MESHFACE,
    XT_MESHTEXTURECOORDS,
    XT_MESHNORMALS,
    XT_MESHMATERIALLIST,
    XT_INDEXEDCOLOR,
    XT_MESHVERTEXCOLORS,
    XT_MESH,
    XT_FRAMETRANSFORMMATRIX,
    XT_FRAME,
    XT_FLOATKEYS,
    XT_TIMEDFLOATKEYS,
    XT_ANIMATIONKEY,
    XT_ANIMATIONOPTION,
    XT_ANIMATION,
    XT_ANIMATIONSET,
    XT_XSKINMESHHEADER,
    XT_SKINWEIGHTS,
    XT_SLOTS = 29,
};
extern const char *const XTEMPLATES[XT_SLOTS];
// The index of a template name (exact, case included), or -1.
int FindXTemplate(const char *name);

// ---- the tokenizer -----------------------------------------------------------------

constexpr int XSEPARATORS_MAX = 15;

struct XPARSESTATE {
    const char *body;                       // the first byte after the header
    char separators[XSEPARATORS_MAX + 1];   // normally " \r\n\t,;"
    int32_t separatorCount;
    int32_t position;
    int32_t size;                           // body bytes
    uint8_t binary;                         // a "bin " file
    uint8_t doubles;                        // binary floats are 8 bytes ("0064")
    uint8_t isSeparator[256];               // the separator set as a table
};

// Header check and state set-up: 0; -1 silently when the image is not an X file; -1 after the
// format line for a form other than "txt " and "bin ".
int StartXParse(XPARSESTATE *state, const void *image, int size);
void SetXSeparators(XPARSESTATE *state, const char *separators);

// Text tokens. The token is copied NUL-terminated into a buffer of bufferSize bytes; the result
// is its length, or -1 at the body's end or when it does not fit (a token is never cut).
int ReadXToken(XPARSESTATE *state, char *buffer, int bufferSize);
// With extra separators for this one read; the Peek form leaves the position where it was.
int ReadXTokenWith(XPARSESTATE *state, const char *extra, char *buffer, int bufferSize);
int PeekXTokenWith(XPARSESTATE *state, const char *extra, char *buffer, int bufferSize);
// The next token as a span of the body: its start and length, or -1 at the end.
int ScanXToken(XPARSESTATE *state, int *start);
// Advances to the first of the characters (double-byte characters and "//" comments stepped
// over); 0, or -1 at the end.
int SkipXTextUntil(XPARSESTATE *state, const char *characters);
// To the next "{", past it and past its balanced "}"; 0 / -1.
int SkipXTextBlock(XPARSESTATE *state);

// Binary tokens: a 16-bit code, then its data.
enum : int32_t {
    XB_NAME = 1,
    XB_STRING = 2,
    XB_INTEGER = 3,
    XB_GUID = 5,
    XB_INTEGER_LIST = 6,
    XB_FLOAT_LIST = 7,
    XB_OBRACE = 10,
    XB_CBRACE = 11,
};
// The code at the position, or -1 when fewer than two bytes are left.
int PeekXBinaryCode(const XPARSESTATE *state);
int SkipXBinaryToken(XPARSESTATE *state);
int SkipXBinaryTo(XPARSESTATE *state, int code);
int SkipXBinaryBlock(XPARSESTATE *state);
// A name token's characters copied NUL-terminated (length, or -1 when the token is not a name or
// does not fit); Read steps over it.
int PeekXBinaryName(XPARSESTATE *state, char *buffer, int bufferSize);
int ReadXBinaryName(XPARSESTATE *state, char *buffer, int bufferSize);

// A list token of the binary form, its elements read in place.
struct XBINLIST {
    int32_t count;
    const uint8_t *data;
    uint8_t floats;
    uint8_t doubles;
};
// The list token at the position (an integer list or a float list as asked), stepped over; -1
// (position kept) when the token is something else or runs past the body.
int ReadXBinaryList(XPARSESTATE *state, int code, XBINLIST *list);
int32_t XBinaryInt(const XBINLIST *list, int i);
float XBinaryFloat(const XBINLIST *list, int i);

// Both forms. An integer: a text token through TextToInt; a binary integer, or an integer list of
// exactly one element. 0 / -1.
int ReadXInt(XPARSESTATE *state, int32_t *value);

// ---- the tree -------------------------------------------------------------------------

struct XOBJECT;

struct XOBJECT {
    int32_t templateIndex;
    char *name;                 // "" when the file gives none; stored behind the record
    XOBJECT *parent;
    XOBJECT *firstChild, *lastChild, *nextSibling;
    int32_t refCapacity, refCount;
    char **refNames;            // names as written (null for back-references)
    XOBJECT **refObjects;       // resolved objects, null while unresolved
    XOBJECT *nextGlobal;        // every object in order of creation, the root first
    XOBJECT *nextSameName;      // the next object of this name (once the tree is parsed)
    void *data;                 // the template's data record (below), or null
};

struct XOBJECTLIST {
    XOBJECT *first, *last;
    int32_t count;
    MEMCHAIN *chain;            // the template data
    XOBJECT **nameSlots;        // the first object of each name (once the tree is parsed)
    uint32_t nameMask;
};

// A record on the list, under `parent` (null for the root); its data record is allocated for the
// templates that have one. Null after a log line.
XOBJECT *AddXObject(XOBJECTLIST *list, int templateIndex, const char *name, int nameLength, XOBJECT *parent);
// Header, body and references. The root must be in place. 0, or -1 after a log line (silently for
// a file that is not an X file).
int ParseXObjectTree(const void *image, int size, XOBJECTLIST *list);
// The data of the first child of the template, else of the first resolved reference of it; null.
void *FindXChild(int templateIndex, const XOBJECT *object);
// Children of the template in file order, then resolved references of it; the count. With an
// output array (room for the count) the objects are listed there.
int CollectXChildren(XOBJECT **out, int templateIndex, const XOBJECT *object);
// The data of the first object of the template with exactly this name, or null.
void *FindXObject(const XOBJECTLIST *list, int templateIndex, const char *name);
// The object a data record belongs to (every data record starts with its object).
inline XOBJECT *XObjectOf(const void *data) { return data ? *static_cast<XOBJECT *const *>(data) : nullptr; }
void FreeXObjectTree(XOBJECTLIST *list);

// ---- template data -------------------------------------------------------------------
// Every record starts with its object. Faces are stored flat: for each face its corner count,
// then its indices.

struct XTEXTUREFILENAME {
    XOBJECT *object;
    char *name;
};

struct XMATERIAL {
    XOBJECT *object;
    float face[4];
    float power;
    float specular[3];
    float emissive[3];
    const XTEXTUREFILENAME *texture;
    int32_t number;
    MODELLOADMATERIAL *loaded;
};

struct XMESHFACE {
    XOBJECT *object;
    int32_t count;
    int32_t indices[XFACE_CORNERS_MAX];
};

struct XMESHTEXTURECOORDS {
    XOBJECT *object;
    int32_t count;
    float *uv;  // u, v per coordinate
};

struct XMESHNORMALS {
    XOBJECT *object;
    int32_t count;
    float *normals;
    int32_t faceCount;
    int32_t *faces;
};

struct XMESHMATERIALLIST {
    XOBJECT *object;
    int32_t materialCount;
    int32_t indexCount;
    int32_t *indices;
    int32_t found;
    XMATERIAL **materials;
};

struct XINDEXEDCOLOR {
    int32_t vertex;
    float rgba[4];
};

struct XINDEXEDCOLORDATA {
    XOBJECT *object;
    XINDEXEDCOLOR colour;
};

struct XMESHVERTEXCOLORS {
    XOBJECT *object;
    int32_t count;
    XINDEXEDCOLOR *colours;
};

struct XSKINWEIGHTS;
struct XFRAME;

struct XMESH {
    XOBJECT *object;
    int32_t vertexCount;
    float *vertices;
    int32_t faceCount;
    int32_t *faces;
    int32_t faceTally;       // 2 for each four-corner face, 1 for any other
    // Links made by the conversion.
    const XMESHVERTEXCOLORS *colours;
    const XMESHTEXTURECOORDS *uvs;
    const XMESHNORMALS *normals;
    const XMESHMATERIALLIST *materialList;
    int32_t skinWeightCount;
    XOBJECT **skinWeights;
    XFRAME *owner;           // the Frame the mesh is declared in
    MODELLOADFRAME *ownFrame;  // the frame made for a named or referenced mesh
};

struct XFRAMETRANSFORMMATRIX {
    XOBJECT *object;
    float m[16];
};

struct XFRAME {
    XOBJECT *object;
    const XFRAMETRANSFORMMATRIX *matrix;
    int32_t meshCount;
    XOBJECT **meshes;
    int32_t number;
    MODELLOADFRAME *loaded;
};

struct XFLOATKEYS {
    XOBJECT *object;
    int32_t time;  // TimedFloatKeys only
    int32_t count;
    float *values;
};

struct XANIMATIONKEY {
    XOBJECT *object;
    int32_t keyType;
    int32_t keyCount;
    int32_t *times;
    int32_t *valueCounts;
    int32_t *valueStarts;  // into values
    float *values;
    int32_t endTime;       // the last key's time
};

struct XANIMATIONOPTION {
    XOBJECT *object;
    int32_t open, quality;
};

struct XANIMATION {
    XOBJECT *object;
    int32_t keyCount;
    XOBJECT **keys;
    int32_t length;
    XFRAME *target;
};

struct XANIMATIONSET {
    XOBJECT *object;
    int32_t animationCount;
    XOBJECT **animations;
    int32_t length;
};

struct XSKINMESHHEADER {
    XOBJECT *object;
    uint16_t values[3];
};

struct XSKINWEIGHTS {
    XOBJECT *object;
    char *boneName;
    int32_t count;
    int32_t *vertices;
    float *weights;
    float matrix[16];
    XFRAME *bone;
};

// The members of one object (the position right after its "{"); 0, or -1 (after its own line
// where the template has one).
int ParseXTemplateMembers(XPARSESTATE *state, XOBJECTLIST *list, XOBJECT *object);
// A quoted string (text) or string token (binary) copied into the chain; 0 / -1 (logged when
// the copy fails).
int ReadXString(XPARSESTATE *state, XOBJECTLIST *list, char **out);
