// Graph handles: a graph names a rectangle of a shared, reference-counted source image held in
// power-of-two texture tiles; the table of graphs, creation from sizes, images and files,
// sub-graphs and division, deletion, the file records that bring graphs back after a lost
// device, and the settings that steer how later graphs are made.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/base_image.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/memimg.h"
#include "platform/d3d9/d3d9.h"
#include "platform/windef.h"

constexpr int32_t HTYPE_GRAPH = 1;
constexpr int32_t kMaxGraphs = 32768;
constexpr int32_t kHandleCheckMask = 0x7FF;

// One texture tile of a source.
struct GRAPHTILE {
    IDirect3DTexture9 *texture;
    IDirect3DSurface9 *surface;      // level 0
    IDirect3DSurface9 *workSurface;  // drawable sources
    int32_t x, y;                    // place inside the source
    int32_t usedWidth, usedHeight;   // part of the texture the source covers
    int32_t textureWidth, textureHeight;
};

// How a source is made: the part of GRAPHSOURCE that picks its texture format.
struct GRAPHDESC {
    uint8_t hardware;
    uint8_t alpha;
    uint8_t drawable;
    uint8_t software;
    uint8_t defaultPool;
    uint8_t compressedKind;  // 0 none, 1..5 DXT1..DXT5
    uint8_t mipLevels;
    uint8_t alphaTest;       // transparency by one-bit alpha
    uint8_t colourBits;      // 16 or 32
    uint8_t reserved;
    uint8_t palette;
};

// The shared source image. Hardware sources are followed by their tiles (GraphTiles).
struct GRAPHSOURCE {
    int32_t refCount;
    int32_t formatCode;  // GRAPHFMT_*
    GRAPHDESC desc;
    uint32_t transparentKey;  // 0x00RRGGBB when the source was made
    int32_t width, height;
    int32_t mipLevelCount;
    int32_t tileCount;
};

static_assert(sizeof(GRAPHSOURCE) % alignof(void *) == 0, "tails follow the head");

// Software source formats.
enum : int32_t {
    GRAPHFMT_SOFT16 = 15,
    GRAPHFMT_SOFT16_ALPHA = 16,
    GRAPHFMT_SOFT32 = 17,
    GRAPHFMT_SOFT32_ALPHA = 18,
};

inline GRAPHTILE *GraphTiles(GRAPHSOURCE *source) { return reinterpret_cast<GRAPHTILE *>(source + 1); }

// Tail of a software source: its pixels, and the image made when the graph is drawn to.
struct GRAPHSOFTSOURCE {
    MEMIMG image;
    MEMIMG *drawImage;  // owned, null until made
};

inline GRAPHSOFTSOURCE *GraphSoftSource(GRAPHSOURCE *source) {
    return reinterpret_cast<GRAPHSOFTSOURCE *>(source + 1);
}

// Corners in the order top-left, top-right, bottom-left, bottom-right.
struct TEXCORNER {
    float x, y, u, v;
};

// One tile of the source that a graph's rectangle overlaps.
struct TEXPART {
    int32_t graphX, graphY;  // where the part starts inside the graph
    int32_t tileX, tileY;    // where it starts inside the tile's texture
    int32_t width, height;
    TEXCORNER corners[4];
    uint8_t cornerFlags[4];  // 1 when the corner lies on or above the graph's falling diagonal
    GRAPHTILE *tile;
};

// Shared full path of the file a graph came from: {count, path}.
struct GRAPHFILEREC {
    int32_t count;
    char path[1];  // zero-terminated, allocated to its length
};

// One graph. Hardware graphs are followed by their TEXPARTs (GraphTexParts), software graphs by
// their MEMIMG view (GraphMemImg).
struct GRAPHENTRY {
    int32_t checkCount;
    int32_t handle;
    int32_t *deletedFlag;
    GRAPHSOURCE *source;
    int32_t boundMovie;  // -1 none
    GRAPHFILEREC *restoreFile;
    int32_t fileX, fileY;  // the graph's top-left inside its file
    int32_t loadFlag;
    int32_t sourceX, sourceY;  // the graph's top-left inside its source
    int32_t width, height;
    void *auxBuffers[2];
    int32_t texPartCount;
};

static_assert(sizeof(GRAPHENTRY) % alignof(void *) == 0, "tails follow the head");

inline TEXPART *GraphTexParts(GRAPHENTRY *entry) { return reinterpret_cast<TEXPART *>(entry + 1); }
// Software graphs are followed by their view of the source image instead.
inline MEMIMG *GraphMemImg(GRAPHENTRY *entry) { return reinterpret_cast<MEMIMG *>(entry + 1); }

// The graph table and the settings family.
struct GRAPHSYS {
    GRAPHENTRY *slots[kMaxGraphs];
    int32_t count;
    int32_t usedEnd;  // one past the highest occupied slot
    int32_t nextCheck;
    int32_t colourBits;      // new graphs' colour bits, 0 = the screen's
    int32_t drawableMode;    // new graphs are render targets
    int32_t alphaTestMode;   // new graphs use one-bit alpha
    int32_t blankAlpha;      // CreateBlankGraph makes graphs with alpha
    int32_t defaultPool;     // textures in the default pool
    int32_t oneTexturePerSide;  // SplitTextureLength gives one piece per side
    int32_t userMaxTexture;     // 0 = the device maximum
    MEMIMG *softBlendImage;     // the blend graph's image on the software path, null none
};

extern GRAPHSYS g_graphs;

// ---- handles ----------------------------------------------------------------------
int AllocGraphHandle();
GRAPHENTRY *GetGraphEntry(int handle);
int IsGraphHandleValid(int handle);
int SetGraphDeletedFlag(int handle, int32_t *flag);
int SetGraphRestoreFile(int handle, const char *fileName, int otherGraph);
int SetupGraphSource(int handle, int width, int height, int alpha, int palette, int compressedKind,
                     int mipLevels);
int InitSubGraph(GRAPHENTRY *parent, GRAPHENTRY *child, int x, int y, int width, int height);
int DestroyGraph(int handle);
void DeleteAllGraphs();
int GraphFormatCode(const GRAPHDESC *desc);
int GetGraphSize(int handle, int *width, int *height);

// ---- creation --------------------------------------------------------------------
int TransferImageToGraph(int graph, const char *fileName, BASEIMAGE *colour, BASEIMAGE *alpha, const RECT *srcRect,
                         int x, int y, int loadFlag);
int TransferBaseImageToGraph(BASEIMAGE *colour, BASEIMAGE *alpha, const char *fileName, int imageX, int imageY,
                             int graph, int loadFlag);
int MakeGraphForBaseImage(BASEIMAGE *image, BASEIMAGE *alpha);
int CreateBlankGraph(int width, int height);
int CreateSubGraph(int x, int y, int width, int height, int parent);
int MakeGraphFromBaseImage(BASEIMAGE *image, BASEIMAGE *alpha, int option, int turn, int turnNow);
int ReloadGraphFromBaseImage(BASEIMAGE *image, BASEIMAGE *alpha, int graph, int ignored, int turn, int turnNow);
int CreateDivGraphFromGraphImage(BASEIMAGE *image, BASEIMAGE *alpha, int total, int columns, int rows,
                                 int cellWidth, int cellHeight, int *handles, int option, int turn, int turnNow);
int LoadGraphFile(const char *fileName, int option, int turn, int movieOption);
int LoadDivGraphFile(const char *fileName, int total, int columns, int rows, int cellWidth, int cellHeight,
                     int *handles, int option, int turn);
int OpenImageAsGraph(const char *fileName, int flag);
int OpenImageAsDivGraphs(const char *fileName, int total, int columns, int rows, int cellWidth, int cellHeight,
                         int *handles, int flag);
int MakeGraphFromMemory(const void *image, int size, const void *alphaImage, int alphaSize, int option, int turn);
int ReloadGraphFromMemory(const void *image, int size, int graph, const void *alphaImage, int alphaSize,
                          int ignored, int turn);
int FillGraphColour(int graph, int r, int g, int b, int a);

// The default device-restore callback: every graph loaded from a file is read again.
void RestoreGraphsFromFiles();

// ---- settings --------------------------------------------------------------------
int SetGraphColourBits(int bits);
int GetGraphColourBits();
int SetDrawableGraphMode(int flag);
int GetDrawableGraphMode();
int SetAlphaTestGraphMode(int flag);
int GetAlphaTestGraphMode();
int SetBlankGraphAlpha(int flag);
int GetBlankGraphAlpha();
int SetDefaultPoolGraphs(int flag);
int GetDefaultPoolGraphs();
int SetTransparentKey(int r, int g, int b);

// ---- blend graph (graph_blend.cpp) ----------------------------------------------------
// The first texture of a graph (the draw-state blocks' graph-handle stages); null when none.
IDirect3DBaseTexture9 *GraphFirstTexture(int graph);
// graph or -1; parameter and border range 0..255.
int SetBlendGraph(int graph, int parameter, int range);
// 0 when the blend graph is live and covers the graph, else -1.
int CheckBlendGraphSize(const GRAPHENTRY *graph);
// A graph being deleted stops being the blend graph.
void ForgetBlendGraph(int graph);

// ---- textures (graph_texture.cpp, graph_transfer.cpp) ---------------------------------
const COLOURFORMAT *GetGraphColourFormat(int code);
const COLOURFORMAT *GetSourceColourFormat(const GRAPHDESC *desc);
const COLOURFORMAT *ColourFormatForGraphKind(int alpha, int alphaTest, int bits32, int drawable);
// The pixel layout of a device format; 0, or -1 for block and unknown formats.
int ColourFormatOfD3DFormat(D3DFORMAT format, COLOURFORMAT *out);

int SplitTextureLength(int length, int *out, int one);
int CreateGraphTextures(GRAPHSOURCE *source);
void ReleaseGraphTextures(GRAPHSOURCE *source);
void ReleaseGraphWorkSurfaces(GRAPHSOURCE *source);
void ReleaseAllGraphTextures();
void RecreateAllGraphTextures();
int BuildTexParts(int graph);

// Moves the image rectangle srcRect to graph position (x, y). The transparent-colour flag gives
// pixels of the draw settings' key alpha 0 where the texture has alpha (or one-bit alpha).
int TransferImageToGraphTextures(int graph, const RECT *srcRect, int x, int y, BASEIMAGE *colour, BASEIMAGE *alpha,
                                 int transparentFlag);
// The frame callback installed on a movie bound to a graph.
void MovieFrameToGraph(int movie, int graph);
