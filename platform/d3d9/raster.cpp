// The rasteriser. Triangles are walked row by row with exact integer edge tracking
// (8 sub-pixel bits, pixel centres at integer coordinates, top-left fill rule) and
// clipped to viewport, scissor rectangle and target. Each span runs either a fast
// loop specialised for the common sprite states (one texture stage, point sampling,
// flat colour, 32-bit target) or the general fixed-function pipeline.
#include "platform/d3d9/internal.h"
#include "platform/d3d9/span_kernels.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace d3d9 {

namespace {

inline int Div255(int x) { return (x + 127) / 255; }
inline int Mul(int a, int b) { return Div255(a * b); }
inline int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

inline bool Compare(DWORD func, int a, int b) {
    switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
    }
}

inline bool CompareF(DWORD func, float a, float b) {
    switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
    }
}

inline int Address(int i, int n, DWORD mode) {
    switch (mode) {
    case D3DTADDRESS_WRAP:
        if ((n & (n - 1)) == 0) return i & (n - 1);  // power-of-two sides: a mask is the modulo
        i %= n;
        return i < 0 ? i + n : i;
    case D3DTADDRESS_MIRROR: {
        int period = 2 * n;
        i %= period;
        if (i < 0) i += period;
        return i < n ? i : period - 1 - i;
    }
    default:
        return i < 0 ? 0 : i >= n ? n - 1 : i;
    }
}

// llrint (current rounding mode) without the library call.
inline int64_t RoundToInt64(double v) {
#if defined(__SSE2__) && defined(__x86_64__)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    return std::llrint(v);
#endif
}

inline int FloorToInt(double v) {
    if (v < -1e9) return -1000000000;
    if (v > 1e9) return 1000000000;
    int i = (int)v;  // towards zero, then down for negative fractions
    return i - (v < (double)i);
}

// Channels in the byte order of ARGB8888: 0 blue, 1 green, 2 red, 3 alpha.
struct Rgba {
    int c[4];
};

inline Rgba Unpack(uint32_t v) {
    return Rgba{{(int)(v & 255), (int)((v >> 8) & 255), (int)((v >> 16) & 255), (int)(v >> 24)}};
}

inline uint32_t Pack(const Rgba &v) {
    return (uint32_t)v.c[0] | ((uint32_t)v.c[1] << 8) | ((uint32_t)v.c[2] << 16) | ((uint32_t)v.c[3] << 24);
}

// ---- per-draw set-up ----------------------------------------------------------------

struct StageSetup {
    DWORD colourOp, colourArg1, colourArg2, colourArg0;
    DWORD alphaOp, alphaArg1, alphaArg2, alphaArg0;
    DWORD result;
    int set;
    bool sampled;
    Texture *texture;
    DWORD addressU, addressV, mag, min, mip;
    int maxMip;
    float lodBias;
};

// Per triangle and stage: the chosen level(s) and filter.
struct StageLevels {
    const uint32_t *texels[2];
    int width[2], height[2];
    bool linear;
    int mipWeight;  // 0..256 towards the second level; 0 = one level
};

struct Pipeline {
    Image *target;
    Image *depth;
    int clipLeft, clipTop, clipRight, clipBottom;
    int stageCount;
    StageSetup stages[8];
    uint32_t textureFactor;
    bool alphaTest;
    DWORD alphaFunc;
    int alphaRef;
    bool blend;
    DWORD srcBlend, dstBlend, blendOp;
    bool zTest, zWrite;
    DWORD zFunc;
    float depthBias;
    bool fog;
    DWORD fogTable;
    float fogStart, fogEnd, fogDensity;
    uint32_t fogColour;
    bool specularAdd;
    bool specularRead;  // the specular colour reaches the pixel (added, fogged or a stage argument)
    bool gouraud;
    bool targetAlpha;
    bool fastTarget;  // A8R8G8B8 or X8R8G8B8
};

bool ArgIsTexture(DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

bool BuildPipeline(Device &device, Pipeline &p) {
    DeviceState &s = device.state;
    const DWORD *rs = s.rs;
    p.target = &s.renderTarget->image;
    p.depth = s.depth && rs[D3DRS_ZENABLE] ? &s.depth->image : nullptr;
    if (p.depth) p.depth->SettleDepth();
    const D3DVIEWPORT9 &vp = s.viewport;
    p.clipLeft = (int)vp.X;
    p.clipTop = (int)vp.Y;
    p.clipRight = (int)(vp.X + vp.Width);
    p.clipBottom = (int)(vp.Y + vp.Height);
    // Always clipped to the scissor rectangle (SetRenderTarget resets it to the whole target).
    p.clipLeft = std::max(p.clipLeft, (int)s.scissor.left);
    p.clipTop = std::max(p.clipTop, (int)s.scissor.top);
    p.clipRight = std::min(p.clipRight, (int)s.scissor.right);
    p.clipBottom = std::min(p.clipBottom, (int)s.scissor.bottom);
    p.clipLeft = std::max(p.clipLeft, 0);
    p.clipTop = std::max(p.clipTop, 0);
    p.clipRight = std::min(p.clipRight, p.target->width);
    p.clipBottom = std::min(p.clipBottom, p.target->height);
    if (p.depth) {
        p.clipRight = std::min(p.clipRight, p.depth->width);
        p.clipBottom = std::min(p.clipBottom, p.depth->height);
    }
    if (p.clipLeft >= p.clipRight || p.clipTop >= p.clipBottom) return false;

    p.stageCount = 0;
    for (int i = 0; i < 8; ++i) {
        const DWORD *t = s.tss[i];
        if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
        StageSetup &st = p.stages[i];
        st.colourOp = t[D3DTSS_COLOROP];
        st.colourArg1 = t[D3DTSS_COLORARG1];
        st.colourArg2 = t[D3DTSS_COLORARG2];
        st.colourArg0 = t[D3DTSS_COLORARG0];
        st.alphaOp = t[D3DTSS_ALPHAOP];
        st.alphaArg1 = t[D3DTSS_ALPHAARG1];
        st.alphaArg2 = t[D3DTSS_ALPHAARG2];
        st.alphaArg0 = t[D3DTSS_ALPHAARG0];
        st.result = t[D3DTSS_RESULTARG];
        st.set = (int)(t[D3DTSS_TEXCOORDINDEX] & 7);
        st.texture = s.textures[i];
        st.sampled = st.texture &&
                     (ArgIsTexture(st.colourArg1) || ArgIsTexture(st.colourArg2) || ArgIsTexture(st.alphaArg1) ||
                      ArgIsTexture(st.alphaArg2) || st.colourOp == D3DTOP_BLENDTEXTUREALPHA ||
                      st.alphaOp == D3DTOP_BLENDTEXTUREALPHA);
        const DWORD *ss = s.ss[i];
        st.addressU = ss[D3DSAMP_ADDRESSU];
        st.addressV = ss[D3DSAMP_ADDRESSV];
        st.mag = ss[D3DSAMP_MAGFILTER];
        st.min = ss[D3DSAMP_MINFILTER];
        st.mip = ss[D3DSAMP_MIPFILTER];
        st.maxMip = st.texture ? std::min((int)ss[D3DSAMP_MAXMIPLEVEL], (int)st.texture->levels.size() - 1) : 0;
        st.lodBias = FloatOf(ss[D3DSAMP_MIPMAPLODBIAS]);
        ++p.stageCount;
    }
    p.textureFactor = rs[D3DRS_TEXTUREFACTOR];
    p.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    p.alphaFunc = rs[D3DRS_ALPHAFUNC];
    p.alphaRef = (int)(rs[D3DRS_ALPHAREF] & 255);
    p.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    p.srcBlend = rs[D3DRS_SRCBLEND];
    p.dstBlend = rs[D3DRS_DESTBLEND];
    p.blendOp = rs[D3DRS_BLENDOP];
    p.zTest = p.depth != nullptr;
    p.zWrite = p.depth && rs[D3DRS_ZWRITEENABLE];
    p.zFunc = rs[D3DRS_ZFUNC];
    p.depthBias = FloatOf(rs[D3DRS_DEPTHBIAS]);
    p.fog = rs[D3DRS_FOGENABLE] != 0;
    p.fogTable = rs[D3DRS_FOGTABLEMODE];
    p.fogStart = FloatOf(rs[D3DRS_FOGSTART]);
    p.fogEnd = FloatOf(rs[D3DRS_FOGEND]);
    p.fogDensity = FloatOf(rs[D3DRS_FOGDENSITY]);
    p.fogColour = rs[D3DRS_FOGCOLOR];
    p.specularAdd = rs[D3DRS_SPECULARENABLE] != 0;
    p.specularRead = p.specularAdd || (p.fog && p.fogTable == D3DFOG_NONE);
    auto readsSpecular = [](DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_SPECULAR; };
    for (int i = 0; i < p.stageCount; ++i) {
        const StageSetup &st = p.stages[i];
        for (DWORD arg : {st.colourArg1, st.colourArg2, st.colourArg0, st.alphaArg1, st.alphaArg2, st.alphaArg0})
            if (readsSpecular(arg)) p.specularRead = true;
    }
    p.gouraud = rs[D3DRS_SHADEMODE] != D3DSHADE_FLAT;
    FormatInfo info;
    GetFormatInfo(p.target->format, &info);
    p.targetAlpha = info.alpha;
    p.fastTarget = p.target->format == D3DFMT_A8R8G8B8 || p.target->format == D3DFMT_X8R8G8B8;
    return true;
}

// ---- triangle set-up --------------------------------------------------------------

// Attribute slots: 0 z, 1 rhw, 2-5 diffuse, 6-9 specular, 10 + 2 set (+1) texture coordinates.
constexpr int kZ = 0, kRhw = 1, kDiffuse = 2, kSpecular = 6, kTex = 10, kSlots = 26;

struct Plane {
    double origin, dx, dy;  // value = origin + dx * x + dy * y
    double At(double x, double y) const { return origin + dx * x + dy * y; }
};

struct Edge {
    int64_t a, b, k0;  // e(x, y) = a x + b y + k0 (with the fill-rule bias)
};

struct Triangle {
    Plane planes[kSlots];
    bool used[kSlots];
    int usedList[kSlots];
    int usedCount;
    bool perspective;
    Edge edges[3];
    int top, bottom;
    int64_t X[3], Y[3];  // snapped positions, 8 sub-pixel bits
    Rgba flatDiffuse, flatSpecular;
    StageLevels levels[8];
};

inline int64_t FloorDiv(int64_t n, int64_t d) {  // d > 0
    constexpr int64_t kExact = int64_t(1) << 52;
    if (n > -kExact && n < kExact && d < kExact) {
        // A double quotient is at most one off here; the remainder puts it right (cheaper than
        // a 64-bit integer division).
        int64_t q = (int64_t)std::floor((double)n / (double)d);
        const int64_t r = n - q * d;
        if (r < 0) --q;
        else if (r >= d) ++q;
        return q;
    }
    int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// Whole pixels below a position with 8 sub-pixel bits (an arithmetic shift floors).
inline int64_t FloorPixel(int64_t n) { return n >> 8; }

// Texel-space derivatives of a stage's coordinates at the triangle's centre decide the level.
void ChooseLevels(const Pipeline &p, Triangle &t, const RasterVertex *v[3]) {
    double cx = (v[0]->x + v[1]->x + v[2]->x) / 3.0, cy = (v[0]->y + v[1]->y + v[2]->y) / 3.0;
    for (int i = 0; i < p.stageCount; ++i) {
        const StageSetup &st = p.stages[i];
        StageLevels &lv = t.levels[i];
        if (!st.sampled) continue;
        Texture *tex = st.texture;
        int w0 = tex->levels[0]->image.width, h0 = tex->levels[0]->image.height;
        int last = (int)tex->levels.size() - 1;
        int first = st.maxMip;
        auto linearFilter = [](DWORD f) { return f == D3DTEXF_LINEAR || f == D3DTEXF_ANISOTROPIC; };
        if ((first == last || st.mip == D3DTEXF_NONE) && linearFilter(st.min) == linearFilter(st.mag)) {
            // One level within reach (or no mip filter) and one filter either way: the level of
            // detail decides nothing.
            lv.linear = linearFilter(st.mag);
            lv.mipWeight = 0;
            lv.texels[0] = lv.texels[1] = tex->Texels(first);
            lv.width[0] = lv.width[1] = tex->levels[first]->image.width;
            lv.height[0] = lv.height[1] = tex->levels[first]->image.height;
            continue;
        }
        const Plane &pu = t.planes[kTex + 2 * st.set], &pv = t.planes[kTex + 2 * st.set + 1];
        double dudx = pu.dx, dudy = pu.dy, dvdx = pv.dx, dvdy = pv.dy;
        if (t.perspective) {
            const Plane &pw = t.planes[kRhw];
            double w = pw.At(cx, cy);
            if (w <= 0) w = 1e-9;
            double u = pu.At(cx, cy) / w, vv = pv.At(cx, cy) / w;
            dudx = (pu.dx - u * pw.dx) / w;
            dudy = (pu.dy - u * pw.dy) / w;
            dvdx = (pv.dx - vv * pw.dx) / w;
            dvdy = (pv.dy - vv * pw.dy) / w;
        }
        double rx = std::hypot(dudx * w0, dvdx * h0), ry = std::hypot(dudy * w0, dvdy * h0);
        double rho = std::max(rx, ry);
        double lod = (rho > 0 ? std::log2(rho) : -100.0) + st.lodBias;
        bool minify = lod > 0.0;
        lv.linear = linearFilter(minify ? st.min : st.mag);
        int level0 = first, level1 = first;
        lv.mipWeight = 0;
        if (minify && st.mip == D3DTEXF_POINT) {
            level0 = level1 = std::min(last, first + (int)std::floor(lod + 0.5));
        } else if (minify && st.mip == D3DTEXF_LINEAR) {
            int base = (int)std::floor(lod);
            level0 = std::min(last, first + base);
            level1 = std::min(last, level0 + 1);
            lv.mipWeight = level0 == level1 ? 0 : (int)std::lround((lod - base) * 256.0);
        }
        int chosen[2] = {level0, level1};
        for (int k = 0; k < 2; ++k) {
            lv.texels[k] = tex->Texels(chosen[k]);
            lv.width[k] = tex->levels[chosen[k]]->image.width;
            lv.height[k] = tex->levels[chosen[k]]->image.height;
        }
    }
}

bool SetupTriangle(const Pipeline &p, const RasterVertex *in[3], Triangle &t) {
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        float x = in[i]->x, y = in[i]->y;
        if (!(std::fabs(x) < 2097152.0f) || !(std::fabs(y) < 2097152.0f)) return false;
        X[i] = RoundToInt64((double)x * 256.0);
        Y[i] = RoundToInt64((double)y * 256.0);
    }
    int64_t cross = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (cross == 0) return false;
    const RasterVertex *v[3] = {in[0], in[1], in[2]};
    if (cross < 0) {
        std::swap(v[1], v[2]);
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
    }
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        int64_t dx = X[j] - X[i], dy = Y[j] - Y[i];
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        Edge &e = t.edges[i];
        e.a = -dy * 256;
        e.b = dx * 256;
        e.k0 = dy * X[i] - dx * Y[i] + (topLeft ? 1 : 0);
    }
    for (int i = 0; i < 3; ++i) t.X[i] = X[i], t.Y[i] = Y[i];
    int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    t.top = std::max(p.clipTop, (int)FloorPixel(minY + 255));
    t.bottom = std::min(p.clipBottom, (int)FloorPixel(maxY) + 1);
    if (t.top >= t.bottom) return false;

    // Attribute planes from the snapped positions.
    double x0 = X[0] / 256.0, y0 = Y[0] / 256.0;
    double x1 = X[1] / 256.0 - x0, y1 = Y[1] / 256.0 - y0;
    double x2 = X[2] / 256.0 - x0, y2 = Y[2] / 256.0 - y0;
    double det = x1 * y2 - x2 * y1;
    const double invDet = 1.0 / det;
    t.perspective = !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
    std::fill(t.used, t.used + kSlots, false);
    t.used[kZ] = p.zTest || p.zWrite || p.fogTable != D3DFOG_NONE;
    t.used[kRhw] = t.perspective;
    bool gouraud = p.gouraud && !(v[0]->diffuse == v[1]->diffuse && v[1]->diffuse == v[2]->diffuse &&
                                  v[0]->specular == v[1]->specular && v[1]->specular == v[2]->specular);
    for (int k = 0; k < 4; ++k) {
        t.used[kDiffuse + k] = gouraud;
        t.used[kSpecular + k] = gouraud && p.specularRead;
    }
    for (int i = 0; i < p.stageCount; ++i) {
        if (!p.stages[i].sampled) continue;
        t.used[kTex + 2 * p.stages[i].set] = t.used[kTex + 2 * p.stages[i].set + 1] = true;
    }
    // Flat shading takes the first vertex of the primitive (the caller's first).
    t.flatDiffuse = Unpack(in[0]->diffuse);
    t.flatSpecular = Unpack(in[0]->specular);
    t.usedCount = 0;
    // Each corner's attribute values (times its rhw in perspective), then a plane per used slot.
    double a[3][kSlots];
    for (int i = 0; i < 3; ++i) {
        const RasterVertex &r = *v[i];
        const double m = t.perspective ? (double)r.rhw : 1.0;
        a[i][kZ] = r.z;
        a[i][kRhw] = r.rhw;
        if (t.used[kDiffuse])
            for (int k = 0; k < 4; ++k) a[i][kDiffuse + k] = (double)((r.diffuse >> (8 * k)) & 255) * m;
        if (t.used[kSpecular])
            for (int k = 0; k < 4; ++k) a[i][kSpecular + k] = (double)((r.specular >> (8 * k)) & 255) * m;
        for (int set = 0; set < 8; ++set)
            if (t.used[kTex + 2 * set]) {
                a[i][kTex + 2 * set] = (double)r.tex[set][0] * m;
                a[i][kTex + 2 * set + 1] = (double)r.tex[set][1] * m;
            }
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!t.used[slot]) continue;
        Plane &pl = t.planes[slot];
        double d1 = a[1][slot] - a[0][slot], d2 = a[2][slot] - a[0][slot];
        pl.dx = (d1 * y2 - d2 * y1) * invDet;
        pl.dy = (d2 * x1 - d1 * x2) * invDet;
        pl.origin = a[0][slot] - pl.dx * x0 - pl.dy * y0;
        t.usedList[t.usedCount++] = slot;
    }
    ChooseLevels(p, t, v);
    return true;
}

// ---- sampling and the general pipeline ----------------------------------------------

inline uint32_t Fetch(const uint32_t *texels, int w, int h, int x, int y, DWORD au, DWORD av) {
    return texels[(size_t)Address(y, h, av) * w + Address(x, w, au)];
}

uint32_t SampleLevel(const StageSetup &st, const StageLevels &lv, int k, double u, double v) {
    int w = lv.width[k], h = lv.height[k];
    const uint32_t *texels = lv.texels[k];
    if (!lv.linear) return Fetch(texels, w, h, FloorToInt(u * w), FloorToInt(v * h), st.addressU, st.addressV);
    double fu = u * w - 0.5, fv = v * h - 0.5;
    int x0 = FloorToInt(fu), y0 = FloorToInt(fv);
    int wx = (int)((fu - x0) * 256.0 + 0.5), wy = (int)((fv - y0) * 256.0 + 0.5);
    uint32_t c00 = Fetch(texels, w, h, x0, y0, st.addressU, st.addressV);
    uint32_t c10 = Fetch(texels, w, h, x0 + 1, y0, st.addressU, st.addressV);
    uint32_t c01 = Fetch(texels, w, h, x0, y0 + 1, st.addressU, st.addressV);
    uint32_t c11 = Fetch(texels, w, h, x0 + 1, y0 + 1, st.addressU, st.addressV);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int top = (int)((c00 >> shift) & 255) * (256 - wx) + (int)((c10 >> shift) & 255) * wx;
        int bottom = (int)((c01 >> shift) & 255) * (256 - wx) + (int)((c11 >> shift) & 255) * wx;
        out |= (uint32_t)((top * (256 - wy) + bottom * wy + 32768) >> 16) << shift;
    }
    return out;
}

uint32_t Sample(const StageSetup &st, const StageLevels &lv, double u, double v) {
    uint32_t a = SampleLevel(st, lv, 0, u, v);
    if (lv.mipWeight == 0) return a;
    uint32_t b = SampleLevel(st, lv, 1, u, v);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int ca = (int)((a >> shift) & 255), cb = (int)((b >> shift) & 255);
        out |= (uint32_t)((ca * (256 - lv.mipWeight) + cb * lv.mipWeight + 128) >> 8) << shift;
    }
    return out;
}

struct Fragment {
    Rgba diffuse, specular, texel, current, temp, factor;
};

inline Rgba Arg(const Fragment &f, DWORD arg) {
    Rgba v;
    switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: v = f.diffuse; break;
    case D3DTA_CURRENT: v = f.current; break;
    case D3DTA_TEXTURE: v = f.texel; break;
    case D3DTA_TFACTOR: v = f.factor; break;
    case D3DTA_SPECULAR: v = f.specular; break;
    case D3DTA_TEMP: v = f.temp; break;
    default: v = f.current; break;
    }
    if (arg & D3DTA_COMPLEMENT)
        for (int &c : v.c) c = 255 - c;
    if (arg & D3DTA_ALPHAREPLICATE) v.c[0] = v.c[1] = v.c[2] = v.c[3];
    return v;
}

inline int Combine(DWORD op, int a1, int a2, int a0, const Fragment &f, int stageTexAlpha) {
    switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return Mul(a1, a2);
    case D3DTOP_MODULATE2X: return std::min(255, Div255(2 * a1 * a2));
    case D3DTOP_MODULATE4X: return std::min(255, Div255(4 * a1 * a2));
    case D3DTOP_ADD: return std::min(255, a1 + a2);
    case D3DTOP_ADDSIGNED: return Clamp255(a1 + a2 - 128);
    case D3DTOP_ADDSIGNED2X: return Clamp255((a1 + a2 - 128) * 2);
    case D3DTOP_SUBTRACT: return std::max(0, a1 - a2);
    case D3DTOP_ADDSMOOTH: return std::min(255, a1 + a2 - Mul(a1, a2));
    case D3DTOP_BLENDDIFFUSEALPHA: {
        int al = f.diffuse.c[3];
        return Div255(a1 * al + a2 * (255 - al));
    }
    case D3DTOP_BLENDTEXTUREALPHA: {
        int al = stageTexAlpha;
        return Div255(a1 * al + a2 * (255 - al));
    }
    case D3DTOP_BLENDFACTORALPHA: {
        int al = f.factor.c[3];
        return Div255(a1 * al + a2 * (255 - al));
    }
    case D3DTOP_BLENDCURRENTALPHA: {
        int al = f.current.c[3];
        return Div255(a1 * al + a2 * (255 - al));
    }
    case 25:  // MULTIPLYADD
        return std::min(255, a0 + Mul(a1, a2));
    case 26:  // LERP
        return Div255(a0 * a1 + (255 - a0) * a2);
    default: return a1;
    }
}

inline int Factor(DWORD factor, int k, const Rgba &s, const Rgba &d, bool src) {
    switch (factor) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return s.c[k];
    case D3DBLEND_INVSRCCOLOR: return 255 - s.c[k];
    case D3DBLEND_SRCALPHA: return s.c[3];
    case D3DBLEND_INVSRCALPHA: return 255 - s.c[3];
    case D3DBLEND_DESTALPHA: return d.c[3];
    case D3DBLEND_INVDESTALPHA: return 255 - d.c[3];
    case D3DBLEND_DESTCOLOR: return d.c[k];
    case D3DBLEND_INVDESTCOLOR: return 255 - d.c[k];
    case D3DBLEND_SRCALPHASAT: return k == 3 ? 255 : std::min(s.c[3], 255 - d.c[3]);
    case 12: return src ? s.c[3] : 255 - s.c[3];   // BOTHSRCALPHA
    case 13: return src ? 255 - s.c[3] : s.c[3];   // BOTHINVSRCALPHA
    default: return src ? 255 : 0;
    }
}

inline Rgba Blend(const Pipeline &p, const Rgba &s, const Rgba &d) {
    Rgba out;
    for (int k = 0; k < 4; ++k) {
        int sv = s.c[k] * Factor(p.srcBlend, k, s, d, true);
        int dv = d.c[k] * Factor(p.dstBlend, k, s, d, false);
        int v;
        switch (p.blendOp) {
        case D3DBLENDOP_SUBTRACT: v = Div255(std::max(0, sv - dv)); break;
        case D3DBLENDOP_REVSUBTRACT: v = Div255(std::max(0, dv - sv)); break;
        case D3DBLENDOP_MIN: v = std::min(s.c[k], d.c[k]); break;
        case D3DBLENDOP_MAX: v = std::max(s.c[k], d.c[k]); break;
        default: v = std::min(255, Div255(sv + dv)); break;
        }
        out.c[k] = v;
    }
    return out;
}

void GeneralSpan(const Pipeline &p, const Triangle &t, int y, int x0, int x1) {
    double values[kSlots], steps[kSlots];
    for (int i = 0; i < t.usedCount; ++i) {
        int slot = t.usedList[i];
        values[slot] = t.planes[slot].At(x0, y);
        steps[slot] = t.planes[slot].dx;
    }
    Image &target = *p.target;
    uint8_t *row = target.Row(y);
    float *depthRow = p.depth ? p.depth->DepthRow(y) : nullptr;
    Fragment f;
    f.factor = Unpack(p.textureFactor);
    for (int x = x0; x < x1; ++x) {
        double w = t.perspective ? values[kRhw] : 1.0;
        double invW = t.perspective && w != 0 ? 1.0 / w : 1.0;
        float z = t.used[kZ] ? (float)values[kZ] + p.depthBias : 0.0f;
        bool visible = true;
        if (t.used[kZ] && (z < 0.0f || z > 1.0f) && p.depth) visible = false;
        if (visible && p.zTest && !CompareF(p.zFunc, z, depthRow[x])) visible = false;
        if (visible) {
            if (t.used[kDiffuse]) {
                for (int k = 0; k < 4; ++k)
                    f.diffuse.c[k] = Clamp255((int)std::floor(values[kDiffuse + k] * invW + 0.5));
            } else {
                f.diffuse = t.flatDiffuse;
            }
            if (t.used[kSpecular]) {
                for (int k = 0; k < 4; ++k)
                    f.specular.c[k] = Clamp255((int)std::floor(values[kSpecular + k] * invW + 0.5));
            } else {
                f.specular = t.flatSpecular;
            }
            f.current = f.diffuse;
            f.temp = Rgba{{0, 0, 0, 0}};
            for (int i = 0; i < p.stageCount; ++i) {
                const StageSetup &st = p.stages[i];
                if (st.sampled) {
                    double u = values[kTex + 2 * st.set] * invW, v = values[kTex + 2 * st.set + 1] * invW;
                    f.texel = Unpack(Sample(st, t.levels[i], u, v));
                } else {
                    // No texture: the stage reads opaque white.
                    f.texel = Rgba{{255, 255, 255, 255}};
                }
                Rgba c1 = Arg(f, st.colourArg1), c2 = Arg(f, st.colourArg2), c0 = Arg(f, st.colourArg0);
                Rgba a1 = Arg(f, st.alphaArg1), a2 = Arg(f, st.alphaArg2), a0 = Arg(f, st.alphaArg0);
                Rgba out;
                for (int k = 0; k < 3; ++k)
                    out.c[k] = Combine(st.colourOp, c1.c[k], c2.c[k], c0.c[k], f, f.texel.c[3]);
                out.c[3] = st.alphaOp == D3DTOP_DISABLE
                               ? f.current.c[3]
                               : Combine(st.alphaOp, a1.c[3], a2.c[3], a0.c[3], f, f.texel.c[3]);
                if (st.result == D3DTA_TEMP)
                    f.temp = out;
                else
                    f.current = out;
            }
            Rgba colour = f.current;
            if (p.specularAdd)
                for (int k = 0; k < 3; ++k) colour.c[k] = std::min(255, colour.c[k] + f.specular.c[k]);
            if (p.fog) {
                int fogFactor;
                if (p.fogTable == D3DFOG_NONE) {
                    fogFactor = f.specular.c[3];
                } else {
                    double d = z, ff;
                    if (p.fogTable == D3DFOG_LINEAR)
                        ff = p.fogEnd != p.fogStart ? (p.fogEnd - d) / (p.fogEnd - p.fogStart) : 1.0;
                    else if (p.fogTable == D3DFOG_EXP)
                        ff = std::exp(-d * p.fogDensity);
                    else
                        ff = std::exp(-(d * p.fogDensity) * (d * p.fogDensity));
                    fogFactor = Clamp255((int)std::lround(ff * 255.0));
                }
                Rgba fc = Unpack(p.fogColour);
                for (int k = 0; k < 3; ++k) colour.c[k] = Div255(colour.c[k] * fogFactor + fc.c[k] * (255 - fogFactor));
            }
            if (p.alphaTest && !Compare(p.alphaFunc, colour.c[3], p.alphaRef)) visible = false;
            if (visible) {
                uint8_t *pixel = row + (size_t)x * target.bytes;
                if (p.blend) {
                    Rgba dest = Unpack(DecodePixel(target.format, pixel));
                    colour = Blend(p, colour, dest);
                }
                EncodePixel(target.format, pixel, Pack(colour));
                if (p.zWrite) depthRow[x] = z;
            }
        }
        for (int i = 0; i < t.usedCount; ++i) values[t.usedList[i]] += steps[t.usedList[i]];
    }
}

// ---- the depth-tested span ---------------------------------------------------------------

// What a depth-tested 3D draw mostly is: one stage that takes the vertex colour, the texel or
// their product for colour and alpha, a 32-bit target, no blending, alpha test, fog or specular.
// The same arithmetic as the general pipeline, without its per-pixel switches.
struct DepthSpan {
    enum Source { kDiffuse, kTexel, kProduct };
    Source colour, alpha;
    bool sampled;
    bool lessEqual;
};

bool SourceOf(DWORD op, DWORD arg1, DWORD arg2, DepthSpan::Source &out) {
    auto plain = [](DWORD a) { return (a & ~D3DTA_SELECTMASK) == 0; };
    if (!plain(arg1) || !plain(arg2)) return false;
    const DWORD a1 = arg1 & D3DTA_SELECTMASK, a2 = arg2 & D3DTA_SELECTMASK;
    if (op == D3DTOP_SELECTARG1 && (a1 == D3DTA_DIFFUSE || a1 == D3DTA_CURRENT)) out = DepthSpan::kDiffuse;
    else if (op == D3DTOP_SELECTARG1 && a1 == D3DTA_TEXTURE) out = DepthSpan::kTexel;
    else if (op == D3DTOP_MODULATE && ((a1 == D3DTA_TEXTURE && a2 == D3DTA_DIFFUSE) ||
                                       (a1 == D3DTA_DIFFUSE && a2 == D3DTA_TEXTURE)))
        out = DepthSpan::kProduct;
    else return false;
    return true;
}

// Whether the draw's state suits the span; a triangle then needs one point-sampled level.
bool ChooseDepthSpan(const Pipeline &p, DepthSpan &d) {
    if (RasterPathLimit() == kRasterGeneral) return false;
    if (!p.fastTarget || p.stageCount != 1 || p.alphaTest || p.blend || p.fog || p.specularRead) return false;
    if (p.zTest && p.zFunc != D3DCMP_LESSEQUAL && p.zFunc != D3DCMP_LESS) return false;
    const StageSetup &st = p.stages[0];
    if (st.result != D3DTA_CURRENT) return false;
    if (!SourceOf(st.colourOp, st.colourArg1, st.colourArg2, d.colour)) return false;
    if (!SourceOf(st.alphaOp, st.alphaArg1, st.alphaArg2, d.alpha)) return false;
    d.sampled = st.sampled;
    d.lessEqual = p.zFunc == D3DCMP_LESSEQUAL;
    return true;
}

bool DepthSpanFits(const DepthSpan &d, const Triangle &t) {
    return !d.sampled || (!t.levels[0].linear && t.levels[0].mipWeight == 0);
}

template <bool Perspective, bool Gouraud, bool Sampled>
void DepthTestedSpanOf(const Pipeline &p, const Triangle &t, const DepthSpan &d, int y, int x0, int x1) {
    // The planes' values at the span's start and their steps, in locals.
    auto start = [&](int slot, double &value, double &step) {
        value = t.planes[slot].At(x0, y);
        step = t.planes[slot].dx;
    };
    double z = 0, dz = 0, w = 1, dw = 0, c[4] = {}, dc[4] = {}, u = 0, du = 0, v = 0, dv = 0;
    const bool depthValues = t.used[kZ];
    if (depthValues) start(kZ, z, dz);
    if (Perspective) start(kRhw, w, dw);
    if (Gouraud)
        for (int k = 0; k < 4; ++k) start(kDiffuse + k, c[k], dc[k]);
    const StageSetup &st = p.stages[0];
    const StageLevels &lv = t.levels[0];
    if (Sampled) {
        start(kTex + 2 * st.set, u, du);
        start(kTex + 2 * st.set + 1, v, dv);
    }
    uint32_t *row = reinterpret_cast<uint32_t *>(p.target->Row(y));
    float *depthRow = p.depth ? p.depth->DepthRow(y) : nullptr;
    const uint32_t alphaFill = p.target->format == D3DFMT_A8R8G8B8 ? 0u : 0xFF000000u;
    const bool clipDepth = depthValues && p.depth, test = p.zTest, write = p.zWrite, lessEqual = d.lessEqual;
    const Rgba flat = t.flatDiffuse;
    const float bias = p.depthBias;
    for (int x = x0; x < x1; ++x, z += dz, w += dw, u += du, v += dv) {
        if (Gouraud)
            for (int k = 0; k < 4; ++k) c[k] += x > x0 ? dc[k] : 0.0;
        const float zf = depthValues ? (float)z + bias : 0.0f;
        if (clipDepth && (zf < 0.0f || zf > 1.0f)) continue;
        if (test && !(lessEqual ? zf <= depthRow[x] : zf < depthRow[x])) continue;
        const double invW = Perspective && w != 0 ? 1.0 / w : 1.0;
        Rgba diffuse;
        if (Gouraud) {
            for (int k = 0; k < 4; ++k) diffuse.c[k] = Clamp255((int)std::floor(c[k] * invW + 0.5));
        } else {
            diffuse = flat;
        }
        Rgba texel{{255, 255, 255, 255}};
        if (Sampled)
            texel = Unpack(Fetch(lv.texels[0], lv.width[0], lv.height[0], FloorToInt(u * invW * lv.width[0]),
                                 FloorToInt(v * invW * lv.height[0]), st.addressU, st.addressV));
        Rgba out;
        for (int k = 0; k < 4; ++k) {
            const DepthSpan::Source s = k == 3 ? d.alpha : d.colour;
            out.c[k] = s == DepthSpan::kDiffuse ? diffuse.c[k] : s == DepthSpan::kTexel ? texel.c[k]
                                                                                     : Mul(texel.c[k], diffuse.c[k]);
        }
        row[x] = Pack(out) | alphaFill;
        if (write) depthRow[x] = zf;
    }
}

void DepthTestedSpan(const Pipeline &p, const Triangle &t, const DepthSpan &d, int y, int x0, int x1) {
    const bool gouraud = t.used[kDiffuse];
    if (t.perspective) {
        if (gouraud) d.sampled ? DepthTestedSpanOf<true, true, true>(p, t, d, y, x0, x1)
                               : DepthTestedSpanOf<true, true, false>(p, t, d, y, x0, x1);
        else d.sampled ? DepthTestedSpanOf<true, false, true>(p, t, d, y, x0, x1)
                       : DepthTestedSpanOf<true, false, false>(p, t, d, y, x0, x1);
    } else {
        if (gouraud) d.sampled ? DepthTestedSpanOf<false, true, true>(p, t, d, y, x0, x1)
                               : DepthTestedSpanOf<false, true, false>(p, t, d, y, x0, x1);
        else d.sampled ? DepthTestedSpanOf<false, false, true>(p, t, d, y, x0, x1)
                       : DepthTestedSpanOf<false, false, false>(p, t, d, y, x0, x1);
    }
}

// ---- the fast path -----------------------------------------------------------------

// Where a fast span takes colour and alpha from.
enum Src { kFromTexture = 0, kFromProduct = 1, kFromDiffuse = 2, kFromOther = 3 };

constexpr int kChunk = 128;  // texels gathered per kernel call

// One stage over a 32-bit target with flat colour, point sampling and no depth or fog: each
// span is a row of texels (or of the flat colour) run through a span kernel. Texels are
// addressed exactly as the general pipeline does: coordinates from the planes at the span's
// start, stepped per pixel in double.
struct FastSetup {
    SpanOps ops;
    SpanKernel kernel;
    bool textured;
    const uint32_t *texels;
    int width, height;
    DWORD addressU, addressV;
    const Plane *pu, *pv;
    uint32_t fill[kChunk];  // untextured: the flat diffuse
};

// Untextured: the flat colour, `kChunk` columns at a time.
void FastFill(const FastSetup &s, uint32_t *dst, ptrdiff_t dstStride, int count, int rows) {
    for (int i = 0; i < count; i += kChunk)
        s.kernel(s.ops, SpanRows{s.fill, 0, dst + i, dstStride, std::min(kChunk, count - i), rows});
}

// Texel positions this close to a texel edge are left to the exact walk; further in, the
// rounding of stepping in double (far below this over any row) cannot change the texel.
constexpr double kEdgeMargin = 1.0 / 4096;

// Whether position f (in texels), stepping `step` texels per pixel for n pixels, meets texel
// k + i at pixel i: a step of one texel and a start well inside a texel.
bool StepsTexelByTexel(double f, double step, int n) {
    if (!(std::fabs(f) < 1048576.0) || n > 65536) return false;
    double frac = f - std::floor(f);
    return frac >= kEdgeMargin && frac <= 1.0 - kEdgeMargin && std::fabs(step - 1.0) * n < kEdgeMargin / 2;
}

void FastSpan(const FastSetup &s, uint32_t *dst, int y, int x0, int count) {
    if (!s.textured) {
        FastFill(s, dst, 0, count, 1);
        return;
    }
    const int w = s.width, h = s.height;
    double u = s.pu->At(x0, y), v = s.pv->At(x0, y);
    if (s.pv->dx == 0.0) {
        // Along one texel row; one texel per pixel inside the texture: the kernel reads the row.
        double fu = u * w;
        if (StepsTexelByTexel(fu, s.pu->dx * w, count)) {
            int tx = (int)std::floor(fu);
            if (tx >= 0 && tx + count <= w) {
                int ty = Address(FloorToInt(v * h), h, s.addressV);
                s.kernel(s.ops, SpanRows{s.texels + (size_t)ty * w + tx, 0, dst, 0, count, 1});
                return;
            }
        }
    }
    const double du = s.pu->dx, dv = s.pv->dx;
    uint32_t row[kChunk];
    if (dv == 0.0 && std::fabs(u * w) + count * std::fabs(du * w) + 2.0 < 1e9) {
        // Along one texel row, within FloorToInt's range: the column alone per pixel.
        const uint32_t *texels = s.texels + (size_t)Address(FloorToInt(v * h), h, s.addressV) * w;
        auto gather = [&](auto column) {
            for (int i = 0; i < count; i += kChunk) {
                const int n = std::min(kChunk, count - i);
                for (int k = 0; k < n; ++k, u += du) {
                    const double f = u * w;
                    const int x = (int)f;
                    row[k] = texels[column(x - (f < (double)x))];
                }
                s.kernel(s.ops, SpanRows{row, 0, dst + i, 0, n, 1});
            }
        };
        const int last = w - 1;
        const bool pow2 = (w & last) == 0;
        if (s.addressU == D3DTADDRESS_WRAP && pow2)
            gather([last](int x) { return x & last; });
        else if (s.addressU == D3DTADDRESS_MIRROR && pow2)
            gather([w, last](int x) {
                x &= 2 * w - 1;
                return x <= last ? x : 2 * w - 1 - x;
            });
        else if (s.addressU == D3DTADDRESS_WRAP || s.addressU == D3DTADDRESS_MIRROR)
            gather([w, &s](int x) { return Address(x, w, s.addressU); });
        else
            gather([last](int x) { return x < 0 ? 0 : x > last ? last : x; });
        return;
    }
    for (int i = 0; i < count; i += kChunk) {
        const int n = std::min(kChunk, count - i);
        for (int k = 0; k < n; ++k, u += du, v += dv)
            row[k] = Fetch(s.texels, w, h, FloorToInt(u * w), FloorToInt(v * h), s.addressU, s.addressV);
        s.kernel(s.ops, SpanRows{row, 0, dst + i, 0, n, 1});
    }
}

// The column FastSpan's gather reads for texel x of a row.
inline int TexelColumn(const FastSetup &s, int x) {
    if (s.addressU == D3DTADDRESS_WRAP || s.addressU == D3DTADDRESS_MIRROR) return Address(x, s.width, s.addressU);
    return x < 0 ? 0 : x >= s.width ? s.width - 1 : x;
}

// A stretched rectangle (texel columns that do not step one a pixel), with the texels FastSpan
// would read: u is the same at the start of every row, so the columns are found once; rows
// that meet the same texel row (a vertical stretch) go through the kernel together.
bool GatheredRectangle(const Pipeline &p, const Triangle &t, const FastSetup &s, int x0, int x1) {
    constexpr int kMaxColumns = 4096;
    const int count = x1 - x0;
    const int w = s.width, h = s.height;
    double u = s.pu->At(x0, t.top);
    const double du = s.pu->dx;
    if (count > kMaxColumns || !(std::fabs(u * w) + count * std::fabs(du * w) + 2.0 < 1e9)) return false;
    thread_local int columns[kMaxColumns];
    thread_local uint32_t gathered[kMaxColumns];
    for (int k = 0; k < count; ++k, u += du) {
        const double f = u * w;
        const int x = (int)f;
        columns[k] = TexelColumn(s, x - (f < (double)x));
    }
    const ptrdiff_t dstStride = p.target->pitch / 4;
    uint32_t *const dst = reinterpret_cast<uint32_t *>(p.target->Row(t.top)) + x0;
    auto texelRow = [&](int y) { return Address(FloorToInt(s.pv->At(x0, y) * h), h, s.addressV); };
    for (int y = t.top; y < t.bottom;) {
        const int ty = texelRow(y);
        int run = 1;
        while (y + run < t.bottom && texelRow(y + run) == ty) ++run;
        const uint32_t *texels = s.texels + (size_t)ty * w;
        for (int k = 0; k < count; ++k) gathered[k] = texels[columns[k]];
        s.kernel(s.ops, SpanRows{gathered, 0, dst + (ptrdiff_t)(y - t.top) * dstStride, dstStride, count, run});
        y += run;
    }
    return true;
}

// A whole rectangle in one kernel call where its rows are untextured, or are texel rows one
// after the other read one texel per pixel inside the texture, or one stretched texture row
// after another; false where it is not.
bool FastRectangle(const Pipeline &p, const Triangle &t, const FastSetup &s, int x0, int x1) {
    const int rows = t.bottom - t.top;
    if (p.target->pitch % 4 != 0) return false;
    uint32_t *dst = reinterpret_cast<uint32_t *>(p.target->Row(t.top)) + x0;
    const ptrdiff_t dstStride = p.target->pitch / 4;
    if (!s.textured) {
        FastFill(s, dst, dstStride, x1 - x0, rows);
        return true;
    }
    const int w = s.width, h = s.height;
    // u the same on every row, v constant along each.
    if (s.pu->dy != 0.0 || s.pv->dx != 0.0) return false;
    double fu = s.pu->At(x0, t.top) * w, fv = s.pv->At(x0, t.top) * h;
    if (!StepsTexelByTexel(fu, s.pu->dx * w, x1 - x0) || !StepsTexelByTexel(fv, s.pv->dy * h, rows))
        return GatheredRectangle(p, t, s, x0, x1);
    int tx = (int)std::floor(fu), ty = (int)std::floor(fv);
    if (tx < 0 || tx + (x1 - x0) > w || ty < 0 || ty + rows > h) return GatheredRectangle(p, t, s, x0, x1);
    s.kernel(s.ops, SpanRows{s.texels + (size_t)ty * w + tx, w, dst, dstStride, x1 - x0, rows});
    return true;
}

// What one stage's operation reads, for the fast spans: texture (T), diffuse (D) or
// the white of a missing texture (W).
int StageSource(DWORD op, DWORD arg1, DWORD arg2, bool textured) {
    auto kind = [&](DWORD a) -> char {
        if (a & ~D3DTA_SELECTMASK) return '?';
        DWORD sel = a & D3DTA_SELECTMASK;
        if (sel == D3DTA_TEXTURE) return textured ? 'T' : 'W';
        if (sel == D3DTA_DIFFUSE || sel == D3DTA_CURRENT) return 'D';
        return '?';
    };
    char k1 = kind(arg1), k2 = kind(arg2);
    if (op == D3DTOP_SELECTARG1 || op == D3DTOP_SELECTARG2) {
        char k = op == D3DTOP_SELECTARG1 ? k1 : k2;
        return k == 'T' ? kFromTexture : k == 'D' ? kFromDiffuse : kFromOther;
    }
    if (op == D3DTOP_MODULATE) {
        if ((k1 == 'T' && k2 == 'D') || (k1 == 'D' && k2 == 'T')) return kFromProduct;
        if ((k1 == 'W' && k2 == 'D') || (k1 == 'D' && k2 == 'W')) return kFromDiffuse;
    }
    return kFromOther;
}

// Sets up the fast path for this triangle; false sends it down the general pipeline.
bool ChooseFast(const Pipeline &p, const Triangle &t, FastSetup &s) {
    const int limit = RasterPathLimit();
    if (limit == kRasterGeneral) return false;
    if (!p.fastTarget || p.stageCount != 1 || p.zTest || p.zWrite || p.fog || t.perspective) return false;
    if (t.used[kDiffuse]) return false;
    const StageSetup &st = p.stages[0];
    if (st.result == D3DTA_TEMP) return false;
    bool textured = st.sampled;
    if (p.specularAdd && (t.flatSpecular.c[0] | t.flatSpecular.c[1] | t.flatSpecular.c[2])) return false;
    int colour = StageSource(st.colourOp, st.colourArg1, st.colourArg2, textured);
    int alpha = StageSource(st.alphaOp, st.alphaArg1, st.alphaArg2, textured);
    if (colour == kFromOther || alpha == kFromOther) return false;
    SpanOps &o = s.ops;
    o = SpanOps{};
    if (p.blend) {
        if (p.blendOp != D3DBLENDOP_ADD) return false;
        if (p.srcBlend == D3DBLEND_SRCALPHA && p.dstBlend == D3DBLEND_INVSRCALPHA)
            o.blend = SpanBlend::AlphaInvAlpha;
        else if (p.srcBlend == D3DBLEND_ONE && p.dstBlend == D3DBLEND_ONE)
            o.blend = SpanBlend::Additive;
        else if (!(p.srcBlend == D3DBLEND_ONE && p.dstBlend == D3DBLEND_ZERO))
            return false;
    }
    const Rgba &diffuse = t.flatDiffuse;
    s.textured = colour != kFromDiffuse || alpha != kFromDiffuse;
    if (s.textured) {
        // Channels from the diffuse are forced to 255 in the texel and then multiplied by it.
        if (colour == kFromDiffuse) o.force |= 0x00FFFFFFu;
        if (alpha == kFromDiffuse) o.force |= 0xFF000000u;
        for (int k = 0; k < 3; ++k)
            if (colour != kFromTexture) o.mul[k] = (uint16_t)diffuse.c[k];
        if (alpha != kFromTexture) o.mul[3] = (uint16_t)diffuse.c[3];
        const StageLevels &lv = t.levels[0];
        if (lv.linear || lv.mipWeight) return false;
        s.texels = lv.texels[0];
        s.width = lv.width[0];
        s.height = lv.height[0];
        s.addressU = st.addressU;
        s.addressV = st.addressV;
        s.pu = &t.planes[kTex + 2 * st.set];
        s.pv = &t.planes[kTex + 2 * st.set + 1];
    } else {
        std::fill(s.fill, s.fill + kChunk, Pack(diffuse));
    }
    if (p.alphaTest) {
        const int ref = p.alphaRef;
        auto range = [&](int low, int high, bool invert = false) {
            o.test = SpanTest::Range;
            o.low = low;
            o.high = high;
            o.invert = invert;
        };
        switch (p.alphaFunc) {
        case D3DCMP_NEVER: range(1, 0); break;
        case D3DCMP_LESS: range(0, ref - 1); break;
        case D3DCMP_EQUAL: range(ref, ref); break;
        case D3DCMP_LESSEQUAL: range(0, ref); break;
        case D3DCMP_GREATER: range(ref + 1, 255); break;
        case D3DCMP_NOTEQUAL: range(ref, ref, true); break;
        case D3DCMP_GREATEREQUAL:
            o.test = SpanTest::GreaterEqual;
            o.low = ref;
            break;
        default: break;  // ALWAYS
        }
    }
    o.keep = p.targetAlpha ? 0u : 0xFF000000u;
    s.kernel = PickSpanKernel(o, limit);
    return true;
}

// ---- the row walk -------------------------------------------------------------------

struct EdgeWalk {
    // Per edge, the bound for the current row as an incremental floor division.
    int kind;  // 1: left bound (a > 0), -1: right bound (a < 0), 0: horizontal
    int64_t q, r, divisor, dq, dr;
    int64_t k;  // horizontal edges: the row's value
    int64_t step;
};

void StartEdge(const Edge &e, int y, EdgeWalk &w) {
    int64_t k = e.b * y + e.k0;
    if (e.a > 0) {
        // x >= ceil((1 - k) / a) = floor((1 - k + a - 1) / a); the numerator falls by b per row.
        w.kind = 1;
        w.divisor = e.a;
        int64_t n = -k + e.a;
        w.q = FloorDiv(n, e.a);
        w.r = n - w.q * e.a;
        w.dq = FloorDiv(-e.b, e.a);
        w.dr = -e.b - w.dq * e.a;
    } else if (e.a < 0) {
        // x < floor((k - 1) / -a) + 1; the numerator rises by b per row.
        w.kind = -1;
        w.divisor = -e.a;
        int64_t n = k - 1;
        w.q = FloorDiv(n, w.divisor);
        w.r = n - w.q * w.divisor;
        w.dq = FloorDiv(e.b, w.divisor);
        w.dr = e.b - w.dq * w.divisor;
    } else {
        w.kind = 0;
        w.k = k;
        w.step = e.b;
    }
}

inline void StepEdge(EdgeWalk &w) {
    if (w.kind == 0) {
        w.k += w.step;
        return;
    }
    w.q += w.dq;
    w.r += w.dr;
    if (w.r >= w.divisor) {
        w.r -= w.divisor;
        ++w.q;
    }
}

// Rows top..bottom of a triangle, bounded by its edges; or, with `rect`, the columns
// rect[0]..rect[1] of every row (two triangles merged into one rectangle).
void WalkTriangle(const Pipeline &p, const Triangle &t, const DepthSpan *depthSpan, const int *rect = nullptr) {
    FastSetup fast;
    const bool fastFn = ChooseFast(p, t, fast);
    const bool depthFn = !fastFn && depthSpan && DepthSpanFits(*depthSpan, t);
    EdgeWalk walks[3];
    if (!rect)
        for (int i = 0; i < 3; ++i) StartEdge(t.edges[i], t.top, walks[i]);
    if (fastFn && rect) {
        const int x0 = std::max(p.clipLeft, rect[0]), x1 = std::min(p.clipRight, rect[1]);
        if (x0 >= x1 || FastRectangle(p, t, fast, x0, x1)) return;
    }
    for (int y = t.top; y < t.bottom; ++y) {
        int64_t left = p.clipLeft, right = p.clipRight;
        bool empty = false;
        if (rect) {
            left = std::max<int64_t>(left, rect[0]);
            right = std::min<int64_t>(right, rect[1]);
        } else {
            for (EdgeWalk &w : walks) {
                if (w.kind == 1) left = std::max(left, w.q);
                else if (w.kind == -1) right = std::min(right, w.q + 1);
                else if (w.k < 1) empty = true;
                StepEdge(w);
            }
        }
        if (empty || left >= right) continue;
        int x0 = (int)left, x1 = (int)right;
        if (fastFn) {
            FastSpan(fast, reinterpret_cast<uint32_t *>(p.target->Row(y)) + x0, y, x0, x1 - x0);
        } else if (depthFn) {
            DepthTestedSpan(p, t, *depthSpan, y, x0, x1);
        } else {
            GeneralSpan(p, t, y, x0, x1);
        }
    }
}

}  // namespace

namespace {

// Two triangles that split an axis-aligned rectangle along its diagonal and carry the same
// attribute planes cover exactly the rectangle's pixels with the same values: drawn as one,
// each row is one span. Fills rect with the columns and returns the rows in top / bottom.
bool MergeRectangle(const Pipeline &p, const Triangle &a, const Triangle &b, int rect[2], int &top, int &bottom) {
    int64_t xs[2] = {a.X[0], a.X[0]}, ys[2] = {a.Y[0], a.Y[0]};
    auto corner = [&](int64_t x, int64_t y) {
        if (x != xs[0] && xs[1] == xs[0]) xs[1] = x;
        if (y != ys[0] && ys[1] == ys[0]) ys[1] = y;
        return (x == xs[0] || x == xs[1]) && (y == ys[0] || y == ys[1]);
    };
    for (int i = 0; i < 3; ++i)
        if (!corner(a.X[i], a.Y[i]) || !corner(b.X[i], b.Y[i])) return false;
    if (xs[0] == xs[1] || ys[0] == ys[1]) return false;
    // Shared corners: exactly two, and they must be opposite.
    int shared = 0;
    int64_t sx[2] = {}, sy[2] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (a.X[i] == b.X[j] && a.Y[i] == b.Y[j]) {
                if (shared == 2) return false;
                sx[shared] = a.X[i];
                sy[shared++] = a.Y[i];
            }
    if (shared != 2 || sx[0] == sx[1] || sy[0] == sy[1]) return false;
    if (a.perspective || b.perspective || a.usedCount != b.usedCount) return false;
    if (Pack(a.flatDiffuse) != Pack(b.flatDiffuse) || Pack(a.flatSpecular) != Pack(b.flatSpecular)) return false;
    for (int k = 0; k < a.usedCount; ++k) {
        int slot = a.usedList[k];
        if (b.usedList[k] != slot || std::memcmp(&a.planes[slot], &b.planes[slot], sizeof(Plane)) != 0) return false;
    }
    for (int i = 0; i < p.stageCount; ++i) {
        if (!p.stages[i].sampled) continue;
        const StageLevels &la = a.levels[i], &lb = b.levels[i];
        for (int k = 0; k < 2; ++k)
            if (la.texels[k] != lb.texels[k] || la.width[k] != lb.width[k] || la.height[k] != lb.height[k])
                return false;
        if (la.linear != lb.linear || la.mipWeight != lb.mipWeight) return false;
        // Merged rows start at the rectangle's left edge, the second triangle's at the diagonal:
        // stepping from either start meets the same texels when the step is a short binary
        // fraction (whole in 16.16), which the steps add without rounding.
        const Plane &pu = a.planes[kTex + 2 * p.stages[i].set], &pv = a.planes[kTex + 2 * p.stages[i].set + 1];
        if ((RoundToInt64(pu.dx * la.width[0] * 4294967296.0) & 0xFFFF) != 0 ||
            (RoundToInt64(pv.dx * la.height[0] * 4294967296.0) & 0xFFFF) != 0)
            return false;
    }
    int64_t l = std::min(xs[0], xs[1]), r = std::max(xs[0], xs[1]);
    int64_t t = std::min(ys[0], ys[1]), bt = std::max(ys[0], ys[1]);
    // Top and left edges are inside, bottom and right edges outside.
    rect[0] = (int)FloorPixel(l + 255);
    rect[1] = (int)FloorPixel(r - 1) + 1;
    top = std::max(p.clipTop, (int)FloorPixel(t + 255));
    bottom = std::min(p.clipBottom, (int)FloorPixel(bt - 1) + 1);
    return true;
}

}  // namespace

void RasterTriangles(Device &device, const RasterVertex *vertices, const uint32_t *indices, size_t triangles,
                     bool) {
    Pipeline p;
    if (!BuildPipeline(device, p)) return;
    DepthSpan depthSpan;
    const DepthSpan *depth = ChooseDepthSpan(p, depthSpan) ? &depthSpan : nullptr;
    DWORD cull = device.state.rs[D3DRS_CULLMODE];
    auto culled = [&](const RasterVertex *const v[3]) {
        if (cull == D3DCULL_NONE) return false;
        double cross = ((double)v[1]->x - v[0]->x) * ((double)v[2]->y - v[0]->y) -
                       ((double)v[1]->y - v[0]->y) * ((double)v[2]->x - v[0]->x);
        // On screen (y down) a positive cross product is clockwise.
        return (cull == D3DCULL_CCW && cross < 0) || (cull == D3DCULL_CW && cross > 0);
    };
    auto setup = [&](size_t i, Triangle &t) {
        const RasterVertex *v[3] = {&vertices[indices[3 * i]], &vertices[indices[3 * i + 1]],
                                    &vertices[indices[3 * i + 2]]};
        return !culled(v) && SetupTriangle(p, v, t);
    };
    Triangle slots[2];
    Triangle *t = &slots[0], *next = &slots[1];
    bool ready = false;  // *t holds triangle i already set up
    for (size_t i = 0; i < triangles; ++i) {
        if (!ready && !setup(i, *t)) continue;
        ready = false;
        if (i + 1 < triangles && setup(i + 1, *next)) {
            int rect[2], top, bottom;
            if (MergeRectangle(p, *t, *next, rect, top, bottom)) {
                t->top = top;
                t->bottom = bottom;
                if (top < bottom) WalkTriangle(p, *t, depth, rect);
                ++i;
                continue;
            }
            WalkTriangle(p, *t, depth);
            std::swap(t, next);
            ready = true;
            continue;
        }
        WalkTriangle(p, *t, depth);
        if (i + 1 < triangles) ++i;  // the next one was culled or empty
    }
    ++p.target->version;
    if (p.zWrite) ++p.depth->version;
}

// Points cover the pixel square around them; lines step along their major axis.
void RasterPoints(Device &device, const RasterVertex *vertices, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const RasterVertex &c = vertices[i];
        RasterVertex quad[4];
        const float dx[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, dy[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
        for (int k = 0; k < 4; ++k) {
            quad[k] = c;
            quad[k].x = c.x + dx[k];
            quad[k].y = c.y + dy[k];
        }
        const uint32_t order[6] = {0, 1, 2, 0, 2, 3};
        DWORD cull = device.state.rs[D3DRS_CULLMODE];
        device.state.rs[D3DRS_CULLMODE] = D3DCULL_NONE;
        RasterTriangles(device, quad, order, 2, true);
        device.state.rs[D3DRS_CULLMODE] = cull;
    }
}

void RasterLines(Device &device, const RasterVertex *vertices, const uint32_t *indices, size_t lines) {
    for (size_t i = 0; i < lines; ++i) {
        const RasterVertex &a = vertices[indices[2 * i]], &b = vertices[indices[2 * i + 1]];
        double dx = (double)b.x - a.x, dy = (double)b.y - a.y;
        int steps = (int)std::ceil(std::max(std::fabs(dx), std::fabs(dy)));
        if (steps <= 0 || steps > 65536) continue;
        std::vector<RasterVertex> points;
        for (int s = 0; s < steps; ++s) {
            RasterVertex v = a;
            v.x = (float)(a.x + dx * s / steps);
            v.y = (float)(a.y + dy * s / steps);
            v.x = std::floor(v.x + 0.5f);
            v.y = std::floor(v.y + 0.5f);
            points.push_back(v);
        }
        RasterPoints(device, points.data(), points.size());
    }
}

}  // namespace d3d9
