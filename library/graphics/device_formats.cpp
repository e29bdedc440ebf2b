// The formats the device is asked for at creation: each field takes the first candidate the
// device accepts, and writes one log line naming it.
#include "library/base/log.h"
#include "library/graphics/device.h"

namespace {

struct CANDIDATE {
    D3DFORMAT format;
    const char *name;  // as the log prints it
};

bool TextureOk(D3DFORMAT format, DWORD usage) {
    return SUCCEEDED(g_deviceState.direct3D->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                               g_deviceFormats.screen, usage, D3DRTYPE_TEXTURE,
                                                               format));
}

bool DepthOk(D3DFORMAT format) {
    IDirect3D9 *d3d = g_deviceState.direct3D;
    D3DFORMAT screen = g_deviceFormats.screen;
    return SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, screen, D3DUSAGE_DEPTHSTENCIL,
                                            D3DRTYPE_SURFACE, format)) &&
           SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, screen, screen, format));
}

// The first accepted candidate, or null.
const CANDIDATE *FirstAccepted(const CANDIDATE *list, int count, DWORD usage) {
    for (int i = 0; i < count; ++i)
        if (TextureOk(list[i].format, usage)) return &list[i];
    return nullptr;
}

// A field the device cannot do without: its name line, or its failure line and false.
bool Required(D3DFORMAT *field, const CANDIDATE *list, int count, const char *nameLine, const char *missing) {
    const CANDIDATE *c = FirstAccepted(list, count, 0);
    if (!c) {
        *field = D3DFMT_UNKNOWN;
        WriteLog(missing);
        return false;
    }
    *field = c->format;
    WriteLogFmt(nameLine, c->name);
    return true;
}

// A draw-target field: 0 and only its failure line when nothing is accepted.
void DrawTarget(D3DFORMAT *field, const CANDIDATE *list, int count, const char *nameLine, const char *missing) {
    const CANDIDATE *c = FirstAccepted(list, count, D3DUSAGE_RENDERTARGET);
    if (!c) {
        *field = D3DFMT_UNKNOWN;
        WriteLog(missing);
        return;
    }
    *field = c->format;
    WriteLogFmt(nameLine, c->name);
}

const char *TextureName(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R5G6B5: return "D_D3DFMT_R5G6B5";
    case D3DFMT_X1R5G5B5: return "D_D3DFMT_X1R5G5B5";
    case D3DFMT_X8R8G8B8: return "D_D3DFMT_X8R8G8B8";
    case D3DFMT_A4R4G4B4: return "D_D3DFMT_A4R4G4B4";
    case D3DFMT_A8R8G8B8: return "D_D3DFMT_A8R8G8B8";
    case D3DFMT_A1R5G5B5: return "D_D3DFMT_A1R5G5B5";
    default: return "";
    }
}

}  // namespace

int ChooseDeviceFormats() {
    DEVICEFORMATS &f = g_deviceFormats;

    static const CANDIDATE kDepth[] = {
        {D3DFMT_D16, "D3DFMT_D16"}, {D3DFMT_D24X8, "D3DFMT_D24X8"}, {D3DFMT_D32, "D3DFMT_D32"}};
    f.depth = D3DFMT_UNKNOWN;
    for (const CANDIDATE &c : kDepth)
        if (DepthOk(c.format)) {
            f.depth = c.format;
            WriteLogFmt("Ｚバッファのフォーマットは %s です", c.name);
            break;
        }
    if (f.depth == D3DFMT_UNKNOWN) {
        WriteLog("使用できる Zバッファフォーマットが見つかりませんでした\n");
        return -1;
    }

    static const CANDIDATE kColour16[] = {{D3DFMT_R5G6B5, "D_D3DFMT_R5G6B5"}, {D3DFMT_X1R5G5B5, "D_D3DFMT_X1R5G5B5"}};
    if (!Required(&f.colour16, kColour16, 2, "16bit カラーフォーマットは %s です",
                  "使用できる 16bit カラーフォーマットが見つかりませんでした\n"))
        return -1;

    // No 32-bit colour texture: the 16-bit one stands in, under its own name.
    f.colour32 = TextureOk(D3DFMT_X8R8G8B8, 0) ? D3DFMT_X8R8G8B8 : f.colour16;
    WriteLogFmt("32bit カラーフォーマットは %s です", TextureName(f.colour32));

    static const CANDIDATE kAlpha16[] = {{D3DFMT_A4R4G4B4, "D_D3DFMT_A4R4G4B4"},
                                         {D3DFMT_A8R8G8B8, "D_D3DFMT_A8R8G8B8"}};
    if (!Required(&f.alpha16, kAlpha16, 2, "アルファ付き 16bit カラーフォーマットは %s です",
                  "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\n"))
        return -1;
    static const CANDIDATE kAlpha32[] = {{D3DFMT_A8R8G8B8, "D_D3DFMT_A8R8G8B8"},
                                         {D3DFMT_A4R4G4B4, "D_D3DFMT_A4R4G4B4"}};
    if (!Required(&f.alpha32, kAlpha32, 2, "アルファ付き 32bit カラーフォーマットは %s です",
                  "使用できるアルファ付き 32bit カラーフォーマットが見つかりませんでした\n"))
        return -1;
    static const CANDIDATE kAlphaTest16[] = {{D3DFMT_A1R5G5B5, "D_D3DFMT_A1R5G5B5"},
                                             {D3DFMT_A8R8G8B8, "D_D3DFMT_A8R8G8B8"},
                                             {D3DFMT_A4R4G4B4, "D_D3DFMT_A4R4G4B4"}};
    if (!Required(&f.alphaTest16, kAlphaTest16, 3, "アルファテスト用 16bit カラーフォーマットは %s です",
                  "使用できるアルファテスト用 16bit カラーフォーマットが見つかりませんでした\n"))
        return -1;
    static const CANDIDATE kAlphaTest32[] = {{D3DFMT_A8R8G8B8, "D_D3DFMT_A8R8G8B8"},
                                             {D3DFMT_A1R5G5B5, "D_D3DFMT_A1R5G5B5"},
                                             {D3DFMT_A4R4G4B4, "D_D3DFMT_A4R4G4B4"}};
    if (!Required(&f.alphaTest32, kAlphaTest32, 3, "アルファテスト用 32bit カラーフォーマットは %s です",
                  "使用できるアルファテスト用 32bit カラーフォーマットが見つかりませんでした\n"))
        return -1;

    // Block formats the device lacks are stored plain: DXT1 as the 16-bit alpha-test format
    // (its one-bit alpha), the others as the 32-bit alpha format.
    static const D3DFORMAT kDxt[5] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
    static const char *const kDxtLine[5] = {"ＤＸＴ１テクスチャフォーマットは%s", "ＤＸＴ２テクスチャフォーマットは%s",
                                            "ＤＸＴ３テクスチャフォーマットは%s", "ＤＸＴ４テクスチャフォーマットは%s",
                                            "ＤＸＴ５テクスチャフォーマットは%s"};
    static const char *const kDxtName[5] = {" D_D3DFMT_DXT1 です", " D_D3DFMT_DXT2 です", " D_D3DFMT_DXT3 です",
                                            " D_D3DFMT_DXT4 です", " D_D3DFMT_DXT5 です"};
    for (int i = 0; i < 5; ++i) {
        bool ok = TextureOk(kDxt[i], 0);
        f.dxt[i] = ok ? kDxt[i] : (i == 0 ? f.alphaTest16 : f.alpha32);
        WriteLogFmt(kDxtLine[i], ok ? kDxtName[i] : "使えません");
    }

    // The first candidate of the 16-bit draw target follows the screen; each format prints
    // one name on the first try and another on the second.
    const CANDIDATE kTarget16Screen565[] = {{D3DFMT_R5G6B5, "D3DFMT_R5G6B5"},
                                            {D3DFMT_X1R5G5B5, "D3DFMT_R5G5B5"},
                                            {D3DFMT_X8R8G8B8, "D_D3DFMT_X8R8G8B8"}};
    const CANDIDATE kTarget16Other[] = {{D3DFMT_X1R5G5B5, "D_D3DFMT_R5G5B5"},
                                        {D3DFMT_R5G6B5, "D_D3DFMT_R5G6B5"},
                                        {D3DFMT_X8R8G8B8, "D_D3DFMT_X8R8G8B8"}};
    DrawTarget(&f.drawTarget16, f.screen == D3DFMT_R5G6B5 ? kTarget16Screen565 : kTarget16Other, 3,
               "描画用 16bit カラーフォーマットは %s です",
               "使用できる描画用 16bit カラーフォーマットがありませんでした\n");
    static const CANDIDATE kTarget32[] = {{D3DFMT_X8R8G8B8, "D_D3DFMT_X8R8G8B8"},
                                          {D3DFMT_R5G6B5, "D3DFMT_R5G6B5"},
                                          {D3DFMT_X1R5G5B5, "D3DFMT_R5G5B5"}};
    DrawTarget(&f.drawTarget32, kTarget32, 3, "描画用 32bit カラーフォーマットは %s です",
               "使用できる描画用 32bit カラーフォーマットがありませんでした\n");
    static const CANDIDATE kAlphaTarget32[] = {{D3DFMT_A8R8G8B8, "D_D3DFMT_A8R8G8B8"},
                                               {D3DFMT_A4R4G4B4, "D3DFMT_A4R4G4B4"}};
    DrawTarget(&f.alphaDrawTarget32, kAlphaTarget32, 2, "描画用アルファ付き 32bit カラーフォーマットは %s です",
               "使用できる描画用アルファ付き 32bit カラーフォーマットがありませんでした\n");

    bool screen32 = g_screenSetup.bits == 32;
    f.drawTarget = screen32 ? f.drawTarget32 : f.drawTarget16;
    f.alphaTest = screen32 ? f.alphaTest32 : f.alphaTest16;
    return 0;
}
