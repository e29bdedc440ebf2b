// The programmable-shader trial of a new device and the model vertex declarations.
#include "library/base/log.h"
#include "library/graphics/device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/shader_pack.h"

namespace {

constexpr int kTrialVertexShader = 32774;
constexpr int kTrialPixelShader = 2454;

struct LAYOUTPART {
    WORD offset;
    BYTE type;
    BYTE usage;
    BYTE usageIndex;
};

constexpr BYTE F3 = D3DDECLTYPE_FLOAT3, F4 = D3DDECLTYPE_FLOAT4, U4 = D3DDECLTYPE_UBYTE4, COL = D3DDECLTYPE_D3DCOLOR;
constexpr BYTE POS = D3DDECLUSAGE_POSITION, NRM = D3DDECLUSAGE_NORMAL, CLR = D3DDECLUSAGE_COLOR,
               BI = D3DDECLUSAGE_BLENDINDICES, BW = D3DDECLUSAGE_BLENDWEIGHT;

// The six base layouts: their elements and their size before the texture coordinates.
struct BASELAYOUT {
    int count;
    LAYOUTPART parts[10];
    int size;
};

const BASELAYOUT kLayouts[VERTEX_DECL_LAYOUTS] = {
    {4, {{0, F3, POS, 0}, {12, F3, NRM, 0}, {24, COL, CLR, 0}, {28, COL, CLR, 1}}, 32},
    {6, {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}, {32, F3, NRM, 0}, {44, COL, CLR, 0}, {48, COL, CLR, 1}},
     52},
    {8,
     {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}, {52, F3, NRM, 0},
      {64, COL, CLR, 0}, {68, COL, CLR, 1}},
     72},
    {6, {{0, F3, POS, 0}, {12, F3, NRM, 0}, {24, F3, NRM, 1}, {36, F3, NRM, 2}, {48, COL, CLR, 0}, {52, COL, CLR, 1}},
     56},
    {8,
     {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}, {32, F3, NRM, 0}, {44, F3, NRM, 1}, {56, F3, NRM, 2},
      {68, COL, CLR, 0}, {72, COL, CLR, 1}},
     76},
    {10,
     {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}, {52, F3, NRM, 0},
      {64, F3, NRM, 1}, {76, F3, NRM, 2}, {88, COL, CLR, 0}, {92, COL, CLR, 1}},
     96},
};

const BASELAYOUT kSingles[3] = {
    {1, {{0, F3, POS, 0}}, 12},
    {3, {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}}, 32},
    {5, {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}}, 52},
};

D3DVERTEXELEMENT9 Element(WORD offset, BYTE type, BYTE usage, BYTE usageIndex) {
    return D3DVERTEXELEMENT9{0, offset, type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
}

// The layout's elements, `coords` four-float texture coordinates and the end mark.
int BuildElements(const BASELAYOUT &layout, int coords, D3DVERTEXELEMENT9 *out) {
    int n = 0;
    for (int i = 0; i < layout.count; ++i) {
        const LAYOUTPART &p = layout.parts[i];
        out[n++] = Element(p.offset, p.type, p.usage, p.usageIndex);
    }
    for (int k = 0; k < coords; ++k)
        out[n++] = Element(static_cast<WORD>(layout.size + 16 * k), F4, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(k));
    out[n++] = D3DDECL_END();
    return n;
}

}  // namespace

int SetupProgrammableShaders() {
    DEVICESTATE &d = g_deviceState;
    ReleaseShaderObjects();
    d.programmableShaders = d.vertexShaderUsable && d.pixelShaderUsable;
    if (!d.programmableShaders) {
        WriteLog("プログラマブルシェーダーを使用しません\n");
        return 0;
    }
    if (!LoadShaderPack()) {
        WriteLog("シェーダーコードを展開するメモリ領域の確保に失敗しました\n");
        WriteLog("プログラマブルシェーダーを使用しません\n");
        d.programmableShaders = 0;
        return 0;
    }
    if (!SelectVertexShader(kTrialVertexShader)) {
        d.programmableShaders = 0;
    } else if (!SelectPixelShader(kTrialPixelShader)) {
        d.programmableShaders = 0;
        WriteLog("プログラマブルシェーダーを使用しません\n");
    }
    if (d.programmableShaders) {
        WriteLog("プログラマブルシェーダーを使用します\n");
        static const float kVertexZeroOne[4] = {0.0f, 1.0f, 0.0f, 0.0f};
        static const float kPixelSteps[4] = {0.0f, 0.5f, 1.0f, 2.0f};
        d.device->SetVertexShaderConstantF(0, kVertexZeroOne, 1);
        d.device->SetPixelShaderConstantF(0, kPixelSteps, 1);
    }
    return 0;
}

int ReleaseVertexDeclarations() {
    DEVICESTATE &d = g_deviceState;
    if (d.device) {
        d.device->SetVertexShader(nullptr);
        d.device->SetPixelShader(nullptr);
    }
    g_renderState.vertexShader = nullptr;
    g_renderState.pixelShader = nullptr;
    g_renderState.vertexDecl = nullptr;
    for (IDirect3DVertexDeclaration9 *&decl : d.vertexDecls) {
        if (decl) decl->Release();
        decl = nullptr;
    }
    return 0;
}

int CreateVertexDeclarations() {
    DEVICESTATE &d = g_deviceState;
    ReleaseVertexDeclarations();
    if (!d.device) return -1;
    D3DVERTEXELEMENT9 elements[24];
    for (int layout = 0; layout < VERTEX_DECL_LAYOUTS; ++layout)
        for (int coords = 0; coords < VERTEX_DECL_COORD_COUNTS; ++coords) {
            BuildElements(kLayouts[layout], coords, elements);
            IDirect3DVertexDeclaration9 *&slot = d.vertexDecls[layout * VERTEX_DECL_COORD_COUNTS + coords];
            if (FAILED(d.device->CreateVertexDeclaration(elements, &slot))) slot = nullptr;
        }
    for (int i = 0; i < 3; ++i) {
        BuildElements(kSingles[i], 0, elements);
        IDirect3DVertexDeclaration9 *&slot = d.vertexDecls[VERTEX_DECL_SINGLE + i];
        if (FAILED(d.device->CreateVertexDeclaration(elements, &slot))) slot = nullptr;
    }
    return 0;
}
