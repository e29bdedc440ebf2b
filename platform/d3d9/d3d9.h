// Direct3D 9 as the library uses it: a software device with the platform's names and
// numbers. It rasterises pre-transformed geometry with the platform's conventions
// (pixel centres at integer coordinates, top-left fill rule, texel centres at
// (i + 0.5) / size) through the fixed-function texture stages. Reached through
// LoadLibraryA("d3d9.dll") / GetProcAddress("Direct3DCreate9") or directly.
//
// Choices of this device where the platform leaves room:
// - 8-bit colour maths rounds to nearest: modulate = round(a * b / 255), blending
//   = round((src * srcFactor +- dst * dstFactor) / 255) clamped to 0..255.
// - Geometry is always clipped to the viewport and to the scissor rectangle (the
//   scissor rectangle is reset to the whole target by SetRenderTarget).
// - Vertex and pixel shaders are accepted and recorded but drawing always uses
//   the fixed-function stages; the capabilities report shader model 1.1.
#pragma once

#include "platform/com/com.h"
#include "platform/windef.h"

#define D3D_SDK_VERSION 32
#define D3DADAPTER_DEFAULT 0

#define MAKEFOURCC(a, b, c, d) \
    ((DWORD)(BYTE)(a) | ((DWORD)(BYTE)(b) << 8) | ((DWORD)(BYTE)(c) << 16) | ((DWORD)(BYTE)(d) << 24))

#define MAKE_D3DHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_WASSTILLDRAWING MAKE_D3DHRESULT(540)

typedef DWORD D3DCOLOR;
#define D3DCOLOR_ARGB(a, r, g, b) \
    ((D3DCOLOR)((((a) & 0xFF) << 24) | (((r) & 0xFF) << 16) | (((g) & 0xFF) << 8) | ((b) & 0xFF)))
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xFF, r, g, b)

// ---- enumerations (the platform's numbers) ---------------------------------------

typedef DWORD D3DFORMAT;
#define D3DFMT_UNKNOWN 0u
#define D3DFMT_R8G8B8 20u
#define D3DFMT_A8R8G8B8 21u
#define D3DFMT_X8R8G8B8 22u
#define D3DFMT_R5G6B5 23u
#define D3DFMT_X1R5G5B5 24u
#define D3DFMT_A1R5G5B5 25u
#define D3DFMT_A4R4G4B4 26u
#define D3DFMT_R3G3B2 27u
#define D3DFMT_A8 28u
#define D3DFMT_A8R3G3B2 29u
#define D3DFMT_X4R4G4B4 30u
#define D3DFMT_A2B10G10R10 31u
#define D3DFMT_A8B8G8R8 32u
#define D3DFMT_X8B8G8R8 33u
#define D3DFMT_G16R16 34u
#define D3DFMT_A2R10G10B10 35u
#define D3DFMT_D16_LOCKABLE 70u
#define D3DFMT_D32 71u
#define D3DFMT_D15S1 73u
#define D3DFMT_D24S8 75u
#define D3DFMT_D24X8 77u
#define D3DFMT_D16 80u
#define D3DFMT_VERTEXDATA 100u
#define D3DFMT_INDEX16 101u
#define D3DFMT_INDEX32 102u
#define D3DFMT_DXT1 MAKEFOURCC('D', 'X', 'T', '1')
#define D3DFMT_DXT2 MAKEFOURCC('D', 'X', 'T', '2')
#define D3DFMT_DXT3 MAKEFOURCC('D', 'X', 'T', '3')
#define D3DFMT_DXT4 MAKEFOURCC('D', 'X', 'T', '4')
#define D3DFMT_DXT5 MAKEFOURCC('D', 'X', 'T', '5')
#define D3DFMT_YUY2 MAKEFOURCC('Y', 'U', 'Y', '2')
#define D3DFMT_UYVY MAKEFOURCC('U', 'Y', 'V', 'Y')
#define D3DFMT_YV12 MAKEFOURCC('Y', 'V', '1', '2')

typedef DWORD D3DDEVTYPE;
#define D3DDEVTYPE_HAL 1u
#define D3DDEVTYPE_REF 2u
#define D3DDEVTYPE_SW 3u

typedef DWORD D3DRESOURCETYPE;
#define D3DRTYPE_SURFACE 1u
#define D3DRTYPE_VOLUME 2u
#define D3DRTYPE_TEXTURE 3u
#define D3DRTYPE_VOLUMETEXTURE 4u
#define D3DRTYPE_CUBETEXTURE 5u
#define D3DRTYPE_VERTEXBUFFER 6u
#define D3DRTYPE_INDEXBUFFER 7u

typedef DWORD D3DPOOL;
#define D3DPOOL_DEFAULT 0u
#define D3DPOOL_MANAGED 1u
#define D3DPOOL_SYSTEMMEM 2u
#define D3DPOOL_SCRATCH 3u

#define D3DUSAGE_RENDERTARGET 0x00000001u
#define D3DUSAGE_DEPTHSTENCIL 0x00000002u
#define D3DUSAGE_WRITEONLY 0x00000008u
#define D3DUSAGE_SOFTWAREPROCESSING 0x00000010u
#define D3DUSAGE_DONOTCLIP 0x00000020u
#define D3DUSAGE_POINTS 0x00000040u
#define D3DUSAGE_DYNAMIC 0x00000200u
#define D3DUSAGE_AUTOGENMIPMAP 0x00000400u

#define D3DLOCK_READONLY 0x00000010u
#define D3DLOCK_NOSYSLOCK 0x00000800u
#define D3DLOCK_NOOVERWRITE 0x00001000u
#define D3DLOCK_DISCARD 0x00002000u
#define D3DLOCK_DONOTWAIT 0x00004000u
#define D3DLOCK_NO_DIRTY_UPDATE 0x00008000u

typedef DWORD D3DMULTISAMPLE_TYPE;
#define D3DMULTISAMPLE_NONE 0u

typedef DWORD D3DSWAPEFFECT;
#define D3DSWAPEFFECT_DISCARD 1u
#define D3DSWAPEFFECT_FLIP 2u
#define D3DSWAPEFFECT_COPY 3u

#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000u
#define D3DPRESENT_INTERVAL_ONE 0x00000001u
#define D3DPRESENT_INTERVAL_TWO 0x00000002u
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000u
#define D3DPRESENTFLAG_LOCKABLE_BACKBUFFER 0x00000001u

#define D3DCREATE_FPU_PRESERVE 0x00000002u
#define D3DCREATE_MULTITHREADED 0x00000004u
#define D3DCREATE_PUREDEVICE 0x00000010u
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020u
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040u
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080u

typedef DWORD D3DBACKBUFFER_TYPE;
#define D3DBACKBUFFER_TYPE_MONO 0u

#define D3DCLEAR_TARGET 0x00000001u
#define D3DCLEAR_ZBUFFER 0x00000002u
#define D3DCLEAR_STENCIL 0x00000004u

typedef DWORD D3DPRIMITIVETYPE;
#define D3DPT_POINTLIST 1u
#define D3DPT_LINELIST 2u
#define D3DPT_LINESTRIP 3u
#define D3DPT_TRIANGLELIST 4u
#define D3DPT_TRIANGLESTRIP 5u
#define D3DPT_TRIANGLEFAN 6u

typedef DWORD D3DTEXTUREFILTERTYPE;
#define D3DTEXF_NONE 0u
#define D3DTEXF_POINT 1u
#define D3DTEXF_LINEAR 2u
#define D3DTEXF_ANISOTROPIC 3u

typedef DWORD D3DRENDERSTATETYPE;
#define D3DRS_ZENABLE 7u
#define D3DRS_FILLMODE 8u
#define D3DRS_SHADEMODE 9u
#define D3DRS_ZWRITEENABLE 14u
#define D3DRS_ALPHATESTENABLE 15u
#define D3DRS_LASTPIXEL 16u
#define D3DRS_SRCBLEND 19u
#define D3DRS_DESTBLEND 20u
#define D3DRS_CULLMODE 22u
#define D3DRS_ZFUNC 23u
#define D3DRS_ALPHAREF 24u
#define D3DRS_ALPHAFUNC 25u
#define D3DRS_DITHERENABLE 26u
#define D3DRS_ALPHABLENDENABLE 27u
#define D3DRS_FOGENABLE 28u
#define D3DRS_SPECULARENABLE 29u
#define D3DRS_FOGCOLOR 34u
#define D3DRS_FOGTABLEMODE 35u
#define D3DRS_FOGSTART 36u
#define D3DRS_FOGEND 37u
#define D3DRS_FOGDENSITY 38u
#define D3DRS_RANGEFOGENABLE 48u
#define D3DRS_STENCILENABLE 52u
#define D3DRS_TEXTUREFACTOR 60u
#define D3DRS_CLIPPING 136u
#define D3DRS_LIGHTING 137u
#define D3DRS_AMBIENT 139u
#define D3DRS_FOGVERTEXMODE 140u
#define D3DRS_COLORVERTEX 141u
#define D3DRS_LOCALVIEWER 142u
#define D3DRS_NORMALIZENORMALS 143u
#define D3DRS_DIFFUSEMATERIALSOURCE 145u
#define D3DRS_SPECULARMATERIALSOURCE 146u
#define D3DRS_AMBIENTMATERIALSOURCE 147u
#define D3DRS_EMISSIVEMATERIALSOURCE 148u
#define D3DRS_VERTEXBLEND 151u
#define D3DRS_CLIPPLANEENABLE 152u
#define D3DRS_MULTISAMPLEANTIALIAS 161u
#define D3DRS_COLORWRITEENABLE 168u
#define D3DRS_BLENDOP 171u
#define D3DRS_SCISSORTESTENABLE 174u
#define D3DRS_SLOPESCALEDEPTHBIAS 175u
#define D3DRS_DEPTHBIAS 195u
#define D3DRS_SEPARATEALPHABLENDENABLE 206u
#define D3DRS_SRCBLENDALPHA 207u
#define D3DRS_DESTBLENDALPHA 208u
#define D3DRS_BLENDOPALPHA 209u
#define D3D9_RENDER_STATE_COUNT 210u

#define D3DZB_FALSE 0u
#define D3DZB_TRUE 1u
#define D3DFILL_POINT 1u
#define D3DFILL_WIREFRAME 2u
#define D3DFILL_SOLID 3u
#define D3DSHADE_FLAT 1u
#define D3DSHADE_GOURAUD 2u
#define D3DCULL_NONE 1u
#define D3DCULL_CW 2u
#define D3DCULL_CCW 3u
#define D3DFOG_NONE 0u
#define D3DFOG_EXP 1u
#define D3DFOG_EXP2 2u
#define D3DFOG_LINEAR 3u
#define D3DMCS_MATERIAL 0u
#define D3DMCS_COLOR1 1u
#define D3DMCS_COLOR2 2u

typedef DWORD D3DCMPFUNC;
#define D3DCMP_NEVER 1u
#define D3DCMP_LESS 2u
#define D3DCMP_EQUAL 3u
#define D3DCMP_LESSEQUAL 4u
#define D3DCMP_GREATER 5u
#define D3DCMP_NOTEQUAL 6u
#define D3DCMP_GREATEREQUAL 7u
#define D3DCMP_ALWAYS 8u

#define D3DBLEND_ZERO 1u
#define D3DBLEND_ONE 2u
#define D3DBLEND_SRCCOLOR 3u
#define D3DBLEND_INVSRCCOLOR 4u
#define D3DBLEND_SRCALPHA 5u
#define D3DBLEND_INVSRCALPHA 6u
#define D3DBLEND_DESTALPHA 7u
#define D3DBLEND_INVDESTALPHA 8u
#define D3DBLEND_DESTCOLOR 9u
#define D3DBLEND_INVDESTCOLOR 10u
#define D3DBLEND_SRCALPHASAT 11u

#define D3DBLENDOP_ADD 1u
#define D3DBLENDOP_SUBTRACT 2u
#define D3DBLENDOP_REVSUBTRACT 3u
#define D3DBLENDOP_MIN 4u
#define D3DBLENDOP_MAX 5u

typedef DWORD D3DTEXTURESTAGESTATETYPE;
#define D3DTSS_COLOROP 1u
#define D3DTSS_COLORARG1 2u
#define D3DTSS_COLORARG2 3u
#define D3DTSS_ALPHAOP 4u
#define D3DTSS_ALPHAARG1 5u
#define D3DTSS_ALPHAARG2 6u
#define D3DTSS_TEXCOORDINDEX 11u
#define D3DTSS_TEXTURETRANSFORMFLAGS 24u
#define D3DTSS_COLORARG0 26u
#define D3DTSS_ALPHAARG0 27u
#define D3DTSS_RESULTARG 28u
#define D3D9_STAGE_STATE_COUNT 33u

#define D3DTOP_DISABLE 1u
#define D3DTOP_SELECTARG1 2u
#define D3DTOP_SELECTARG2 3u
#define D3DTOP_MODULATE 4u
#define D3DTOP_MODULATE2X 5u
#define D3DTOP_MODULATE4X 6u
#define D3DTOP_ADD 7u
#define D3DTOP_ADDSIGNED 8u
#define D3DTOP_ADDSIGNED2X 9u
#define D3DTOP_SUBTRACT 10u
#define D3DTOP_ADDSMOOTH 11u
#define D3DTOP_BLENDDIFFUSEALPHA 12u
#define D3DTOP_BLENDTEXTUREALPHA 13u
#define D3DTOP_BLENDFACTORALPHA 14u
#define D3DTOP_BLENDCURRENTALPHA 16u

#define D3DTA_SELECTMASK 0x0000000Fu
#define D3DTA_DIFFUSE 0x00000000u
#define D3DTA_CURRENT 0x00000001u
#define D3DTA_TEXTURE 0x00000002u
#define D3DTA_TFACTOR 0x00000003u
#define D3DTA_SPECULAR 0x00000004u
#define D3DTA_TEMP 0x00000005u
#define D3DTA_COMPLEMENT 0x00000010u
#define D3DTA_ALPHAREPLICATE 0x00000020u

#define D3DTTFF_DISABLE 0u
#define D3DTTFF_COUNT1 1u
#define D3DTTFF_COUNT2 2u
#define D3DTTFF_COUNT3 3u
#define D3DTTFF_COUNT4 4u
#define D3DTTFF_PROJECTED 256u

typedef DWORD D3DSAMPLERSTATETYPE;
#define D3DSAMP_ADDRESSU 1u
#define D3DSAMP_ADDRESSV 2u
#define D3DSAMP_ADDRESSW 3u
#define D3DSAMP_BORDERCOLOR 4u
#define D3DSAMP_MAGFILTER 5u
#define D3DSAMP_MINFILTER 6u
#define D3DSAMP_MIPFILTER 7u
#define D3DSAMP_MIPMAPLODBIAS 8u
#define D3DSAMP_MAXMIPLEVEL 9u
#define D3DSAMP_MAXANISOTROPY 10u
#define D3D9_SAMPLER_STATE_COUNT 14u

#define D3DTADDRESS_WRAP 1u
#define D3DTADDRESS_MIRROR 2u
#define D3DTADDRESS_CLAMP 3u
#define D3DTADDRESS_BORDER 4u

typedef DWORD D3DTRANSFORMSTATETYPE;
#define D3DTS_VIEW 2u
#define D3DTS_PROJECTION 3u
#define D3DTS_TEXTURE0 16u
#define D3DTS_TEXTURE1 17u
#define D3DTS_TEXTURE2 18u
#define D3DTS_TEXTURE3 19u
#define D3DTS_TEXTURE7 23u
#define D3DTS_WORLDMATRIX(index) ((D3DTRANSFORMSTATETYPE)((index) + 256))
#define D3DTS_WORLD D3DTS_WORLDMATRIX(0)

#define D3DFVF_XYZ 0x002u
#define D3DFVF_XYZRHW 0x004u
#define D3DFVF_XYZB1 0x006u
#define D3DFVF_XYZB2 0x008u
#define D3DFVF_XYZB3 0x00Au
#define D3DFVF_XYZB4 0x00Cu
#define D3DFVF_XYZB5 0x00Eu
#define D3DFVF_POSITION_MASK 0x400Eu
#define D3DFVF_NORMAL 0x010u
#define D3DFVF_PSIZE 0x020u
#define D3DFVF_DIFFUSE 0x040u
#define D3DFVF_SPECULAR 0x080u
#define D3DFVF_TEXCOUNT_MASK 0xF00u
#define D3DFVF_TEXCOUNT_SHIFT 8
#define D3DFVF_TEX0 0x000u
#define D3DFVF_TEX1 0x100u
#define D3DFVF_TEX2 0x200u
#define D3DFVF_TEX3 0x300u
#define D3DFVF_TEX4 0x400u
#define D3DFVF_TEX8 0x800u
#define D3DFVF_LASTBETA_UBYTE4 0x1000u
#define D3DFVF_LASTBETA_D3DCOLOR 0x8000u
#define D3DFVF_TEXTUREFORMAT1 3u
#define D3DFVF_TEXTUREFORMAT2 0u
#define D3DFVF_TEXTUREFORMAT3 1u
#define D3DFVF_TEXTUREFORMAT4 2u
#define D3DFVF_TEXCOORDSIZE1(i) (D3DFVF_TEXTUREFORMAT1 << ((i) * 2 + 16))
#define D3DFVF_TEXCOORDSIZE2(i) (D3DFVF_TEXTUREFORMAT2)
#define D3DFVF_TEXCOORDSIZE3(i) (D3DFVF_TEXTUREFORMAT3 << ((i) * 2 + 16))
#define D3DFVF_TEXCOORDSIZE4(i) (D3DFVF_TEXTUREFORMAT4 << ((i) * 2 + 16))

typedef DWORD D3DLIGHTTYPE;
#define D3DLIGHT_POINT 1u
#define D3DLIGHT_SPOT 2u
#define D3DLIGHT_DIRECTIONAL 3u

#define D3DDECLTYPE_FLOAT1 0
#define D3DDECLTYPE_FLOAT2 1
#define D3DDECLTYPE_FLOAT3 2
#define D3DDECLTYPE_FLOAT4 3
#define D3DDECLTYPE_D3DCOLOR 4
#define D3DDECLTYPE_UBYTE4 5
#define D3DDECLTYPE_SHORT2 6
#define D3DDECLTYPE_SHORT4 7
#define D3DDECLTYPE_UBYTE4N 8
#define D3DDECLTYPE_UNUSED 17
#define D3DDECLMETHOD_DEFAULT 0
#define D3DDECLUSAGE_POSITION 0
#define D3DDECLUSAGE_BLENDWEIGHT 1
#define D3DDECLUSAGE_BLENDINDICES 2
#define D3DDECLUSAGE_NORMAL 3
#define D3DDECLUSAGE_PSIZE 4
#define D3DDECLUSAGE_TEXCOORD 5
#define D3DDECLUSAGE_TANGENT 6
#define D3DDECLUSAGE_BINORMAL 7
#define D3DDECLUSAGE_POSITIONT 9
#define D3DDECLUSAGE_COLOR 10
#define D3DDECLUSAGE_FOG 11

// Capability bits the library reads.
#define D3DPMISCCAPS_CULLNONE 0x00000010u
#define D3DPMISCCAPS_CULLCW 0x00000020u
#define D3DPMISCCAPS_CULLCCW 0x00000040u
#define D3DPMISCCAPS_BLENDOP 0x00000800u
#define D3DPTEXTURECAPS_PERSPECTIVE 0x00000001u
#define D3DPTEXTURECAPS_POW2 0x00000002u
#define D3DPTEXTURECAPS_ALPHA 0x00000004u
#define D3DPTEXTURECAPS_SQUAREONLY 0x00000020u
#define D3DPTEXTURECAPS_MIPMAP 0x00004000u
#define D3DPRASTERCAPS_DITHER 0x00000001u
#define D3DPRASTERCAPS_ZTEST 0x00000010u
#define D3DPRASTERCAPS_FOGVERTEX 0x00000080u
#define D3DPRASTERCAPS_SCISSORTEST 0x01000000u
#define D3DPRASTERCAPS_DEPTHBIAS 0x04000000u
#define D3DDEVCAPS_HWTRANSFORMANDLIGHT 0x00010000u
#define D3DVS_VERSION(major, minor) (0xFFFE0000u | ((major) << 8) | (minor))
#define D3DPS_VERSION(major, minor) (0xFFFF0000u | ((major) << 8) | (minor))
#define D3DSHADER_VERSION_MAJOR(version) (((version) >> 8) & 0xFF)
#define D3DSHADER_VERSION_MINOR(version) (((version) >> 0) & 0xFF)

// ---- records -------------------------------------------------------------------

struct D3DDISPLAYMODE {
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT PresentationInterval;
};

struct D3DADAPTER_IDENTIFIER9 {
    char Driver[512];
    char Description[512];
    char DeviceName[32];
    LARGE_INTEGER DriverVersion;
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    GUID DeviceIdentifier;
    DWORD WHQLLevel;
};

struct D3DCAPS9 {
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD CursorCaps;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD CubeTextureFilterCaps;
    DWORD VolumeTextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD VolumeTextureAddressCaps;
    DWORD LineCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxVolumeExtent;
    DWORD MaxTextureRepeat;
    DWORD MaxTextureAspectRatio;
    DWORD MaxAnisotropy;
    float MaxVertexW;
    float GuardBandLeft;
    float GuardBandTop;
    float GuardBandRight;
    float GuardBandBottom;
    float ExtentsAdjust;
    DWORD StencilCaps;
    DWORD FVFCaps;
    DWORD TextureOpCaps;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD VertexProcessingCaps;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxVertexBlendMatrices;
    DWORD MaxVertexBlendMatrixIndex;
    float MaxPointSize;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    float PixelShader1xMaxValue;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    DWORD MultiSampleQuality;
    UINT Width;
    UINT Height;
};

struct D3DLOCKED_RECT {
    INT Pitch;
    void *pBits;
};

struct D3DRECT {
    LONG x1, y1, x2, y2;
};

struct D3DVIEWPORT9 {
    DWORD X;
    DWORD Y;
    DWORD Width;
    DWORD Height;
    float MinZ;
    float MaxZ;
};

struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

struct D3DVECTOR {
    float x, y, z;
};

struct D3DCOLORVALUE {
    float r, g, b, a;
};

struct D3DLIGHT9 {
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

struct D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

struct D3DVERTEXELEMENT9 {
    WORD Stream;
    WORD Offset;
    BYTE Type;
    BYTE Method;
    BYTE Usage;
    BYTE UsageIndex;
};
#define D3DDECL_END() {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    DWORD FVF;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
};

struct RGNDATA;

// ---- interfaces ----------------------------------------------------------------

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DSwapChain9;
struct IDirect3DSurface9;
struct IDirect3DBaseTexture9;
struct IDirect3DTexture9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexShader9;
struct IDirect3DPixelShader9;

typedef IDirect3D9 *LPDIRECT3D9;
typedef IDirect3DDevice9 *LPDIRECT3DDEVICE9;
typedef IDirect3DSwapChain9 *LPDIRECT3DSWAPCHAIN9;
typedef IDirect3DSurface9 *LPDIRECT3DSURFACE9;
typedef IDirect3DBaseTexture9 *LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9 *LPDIRECT3DTEXTURE9;
typedef IDirect3DVertexBuffer9 *LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9 *LPDIRECT3DINDEXBUFFER9;
typedef IDirect3DVertexDeclaration9 *LPDIRECT3DVERTEXDECLARATION9;
typedef IDirect3DVertexShader9 *LPDIRECT3DVERTEXSHADER9;
typedef IDirect3DPixelShader9 *LPDIRECT3DPIXELSHADER9;

struct IDirect3D9 : IUnknown {
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9 *id) = 0;
    virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
    virtual HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE *out) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE *mode) = 0;
    virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9 *caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                 D3DPRESENT_PARAMETERS *params, IDirect3DDevice9 **device) = 0;
};

struct IDirect3DResource9 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice9 **device) = 0;
    virtual D3DRESOURCETYPE GetType() = 0;
};

struct IDirect3DSurface9 : IDirect3DResource9 {
    virtual HRESULT GetContainer(REFIID iid, void **container) = 0;
    virtual HRESULT GetDesc(D3DSURFACE_DESC *desc) = 0;
    virtual HRESULT LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect() = 0;
};

struct IDirect3DBaseTexture9 : IDirect3DResource9 {
    virtual DWORD GetLevelCount() = 0;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC *desc) = 0;
    virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9 **surface) = 0;
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
    virtual HRESULT Lock(UINT offset, UINT size, void **data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC *desc) = 0;
};

struct IDirect3DIndexBuffer9 : IDirect3DResource9 {
    virtual HRESULT Lock(UINT offset, UINT size, void **data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC *desc) = 0;
};

struct IDirect3DVertexDeclaration9 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice9 **device) = 0;
    virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9 *elements, UINT *count) = 0;
};

struct IDirect3DVertexShader9 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice9 **device) = 0;
    virtual HRESULT GetFunction(void *data, UINT *size) = 0;
};

struct IDirect3DPixelShader9 : IUnknown {
    virtual HRESULT GetDevice(IDirect3DDevice9 **device) = 0;
    virtual HRESULT GetFunction(void *data, UINT *size) = 0;
};

struct IDirect3DSwapChain9 : IUnknown {
    virtual HRESULT Present(const RECT *src, const RECT *dst, HWND window, const RGNDATA *dirty, DWORD flags) = 0;
    virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **surface) = 0;
    virtual HRESULT GetDevice(IDirect3DDevice9 **device) = 0;
    virtual HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS *params) = 0;
};

struct IDirect3DDevice9 : IUnknown {
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual UINT GetAvailableTextureMem() = 0;
    virtual HRESULT GetDirect3D(IDirect3D9 **d3d) = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9 *caps) = 0;
    virtual HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE *mode) = 0;
    virtual HRESULT GetSwapChain(UINT index, IDirect3DSwapChain9 **swapChain) = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS *params) = 0;
    virtual HRESULT Present(const RECT *src, const RECT *dst, HWND window, const RGNDATA *dirty) = 0;
    virtual HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9 **surface) = 0;
    virtual void SetDialogBoxMode(BOOL enable) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture9 **texture, HANDLE *shared) = 0;
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9 **buffer, HANDLE *shared) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9 **buffer, HANDLE *shared) = 0;
    virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                       DWORD quality, BOOL lockable, IDirect3DSurface9 **surface,
                                       HANDLE *shared) = 0;
    virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                              IDirect3DSurface9 **surface, HANDLE *shared) = 0;
    virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9 **surface, HANDLE *shared) = 0;
    virtual HRESULT UpdateSurface(IDirect3DSurface9 *src, const RECT *srcRect, IDirect3DSurface9 *dst,
                                  const POINT *dstPoint) = 0;
    virtual HRESULT GetRenderTargetData(IDirect3DSurface9 *renderTarget, IDirect3DSurface9 *dst) = 0;
    virtual HRESULT StretchRect(IDirect3DSurface9 *src, const RECT *srcRect, IDirect3DSurface9 *dst,
                                const RECT *dstRect, D3DTEXTUREFILTERTYPE filter) = 0;
    virtual HRESULT ColorFill(IDirect3DSurface9 *surface, const RECT *rect, D3DCOLOR colour) = 0;
    virtual HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9 *surface) = 0;
    virtual HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9 **surface) = 0;
    virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9 *surface) = 0;
    virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9 **surface) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR colour, float z,
                          DWORD stencil) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX *matrix) = 0;
    virtual HRESULT SetViewport(const D3DVIEWPORT9 *viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9 *viewport) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9 *material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL9 *material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9 *light) = 0;
    virtual HRESULT GetLight(DWORD index, D3DLIGHT9 *light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT GetLightEnable(DWORD index, BOOL *enable) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD *value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture) = 0;
    virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9 **texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD *value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD *value) = 0;
    virtual HRESULT SetScissorRect(const RECT *rect) = 0;
    virtual HRESULT GetScissorRect(RECT *rect) = 0;

    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                         UINT startIndex, UINT primitiveCount) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices,
                                    UINT stride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void *indices, D3DFORMAT indexFormat,
                                           const void *vertices, UINT stride) = 0;
    virtual HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9 *elements,
                                            IDirect3DVertexDeclaration9 **decl) = 0;
    virtual HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9 *decl) = 0;
    virtual HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9 **decl) = 0;
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT GetFVF(DWORD *fvf) = 0;
    virtual HRESULT CreateVertexShader(const DWORD *function, IDirect3DVertexShader9 **shader) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9 *shader) = 0;
    virtual HRESULT GetVertexShader(IDirect3DVertexShader9 **shader) = 0;
    virtual HRESULT SetVertexShaderConstantF(UINT start, const float *data, UINT count) = 0;
    virtual HRESULT SetVertexShaderConstantB(UINT start, const BOOL *data, UINT count) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9 *buffer, UINT offset, UINT stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer9 *buffer) = 0;
    virtual HRESULT CreatePixelShader(const DWORD *function, IDirect3DPixelShader9 **shader) = 0;
    virtual HRESULT SetPixelShader(IDirect3DPixelShader9 *shader) = 0;
    virtual HRESULT GetPixelShader(IDirect3DPixelShader9 **shader) = 0;
    virtual HRESULT SetPixelShaderConstantF(UINT start, const float *data, UINT count) = 0;
    virtual HRESULT SetPixelShaderConstantB(UINT start, const BOOL *data, UINT count) = 0;
};

// The entry point "d3d9.dll" exports.
IDirect3D9 *Direct3DCreate9(UINT sdkVersion);
