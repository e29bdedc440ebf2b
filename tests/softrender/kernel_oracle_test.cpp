// The 1:1, stretched and rotated kernels against the reference model, byte for byte over the whole
// destination body (its padding is the canary band), across source kinds, blend modes,
// parameters, transparency, blend graphs, bright colours and the processor flag; and the
// packed add and subtract against their per-channel descriptions.
#include "oracle.h"
#include "soft_fixture.h"

#include <memory>
#include <sstream>

#include "library/softrender/blit_memimg.h"
#include "library/softrender/blit_memimg_rotated.h"
#include "library/softrender/pixel_ops.h"
#include "library/softrender/stretch_blit_memimg.h"

using namespace softtest;

namespace {

struct SOURCEKIND {
    const char *name;
    int type, alpha, palette;
};
constexpr SOURCEKIND kKinds[] = {
    {"16-bit", 0, 0, 0}, {"16-bit alpha", 0, 1, 0}, {"16-bit palette", 0, 0, 1},
    {"32-bit", 1, 0, 0}, {"32-bit alpha", 1, 1, 0}, {"32-bit palette", 1, 0, 1},
};

// Random pixels where keyed pixels, alpha 0 and 255, and near misses of the key are common.
void FillSource(TestImage &img, const SOURCEKIND &k, std::mt19937 &rng) {
    img.Randomise(rng);
    MEMIMGBASE *b = img.base();
    const MEMIMG &m = img.m();
    if (k.palette) {
        b->transparentCode = 3;
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) img.Set(x, y, rng() % 8);
        for (int i = 0; i < 256 * (k.type == 1 ? 4 : 2); ++i) b->palette[i] = (uint8_t)rng();
        return;
    }
    if (k.alpha) {
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                const uint32_t v = img.Get(x, y), pick = rng() % 4;
                const uint32_t alpha = pick == 0 ? 0 : pick == 1 ? 255 : (v >> 24);
                img.Set(x, y, k.type == 1 ? (v & 0xFFFFFF) | alpha << 24 : (v & 0xFF00FFFF) | alpha << 16);
            }
        return;
    }
    const uint32_t key = img.Get(1, 0);
    b->transparentCode = key;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (rng() % 4 == 0) img.Set(x, y, rng() % 2 ? key : key ^ (k.type == 1 ? 0x01000000u : 0x0020u));
}

// A blend graph over the source: a ramp through every weight, or one smaller than the source.
std::unique_ptr<TestImage> MakeGraph(int kind, int w, int h, std::mt19937 &rng) {
    if (kind == 0) return nullptr;
    auto g = std::make_unique<TestImage>(MEMIMG_TYPE_CHAN8, kind == 2 ? w - 3 : w, kind == 2 ? h - 2 : h, 1);
    g->Randomise(rng);
    const MEMIMG &m = g->m();
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) g->Set(x, y, (x + y * m.width) * 37 % 256 == 5 ? 0 : (x * 29 + y * 71) % 256);
    g->Set(0, 0, 0);
    g->Set(1, 0, 255);
    return g;
}

std::string FirstDifference(const std::vector<uint8_t> &want, const std::vector<uint8_t> &got, const MEMIMG &dst) {
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] != got[i]) {
            const int bytes = MemImgBytesPerPixel(dst.base), pitch = dst.base->pitch;
            const int at = (int)(dst.pixels - dst.base->pixels);
            std::ostringstream o;
            o << "body byte " << i << " (view pixel " << ((int)i % pitch - at % pitch) / bytes << ","
              << (int)i / pitch - at / pitch << "): want " << (int)want[i] << " got " << (int)got[i];
            return o.str();
        }
    return "";
}

class CopyOracle : public KernelTest {};

// One draw: the kernel on the real destination, the model on a copy of its bytes.
struct CASE {
    const SOURCEKIND *kind;
    bool whole;  // a whole image with its run-length table, else a view inside a padded body
    int mode, p, transparent, graph, mmx;
    uint32_t bright;
    std::string Name() const {
        std::ostringstream o;
        o << kind->name << (whole ? " whole" : " view") << " mode " << mode << " p " << p << " trans " << transparent
          << " graph " << graph << " mmx " << mmx << std::hex << " bright " << bright;
        return o.str();
    }
};

template <typename Kernel, typename Model>
void RunMatrix(Kernel kernel, Model model, int srcW, int srcH) {
    std::mt19937 rng(1234);
    const int modes[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const int params[] = {0, 1, 127, 128, 254, 255};
    const uint32_t brights[] = {0xFFFFFF, 0x80C8FF};
    int failures = 0;
    for (const SOURCEKIND &kind : kKinds)
        for (bool whole : {true, false}) {
            TestImage src(kind.type, srcW, srcH, whole ? 0 : 2, kind.alpha, kind.palette);
            FillSource(src, kind, rng);
            if (whole) BuildMemImgRunTable(src.base());
            src.base()->runTableValid = whole;
            for (int graphKind : {0, 1, 2}) {
                std::unique_ptr<TestImage> graph = MakeGraph(graphKind, srcW, srcH, rng);
                for (int mode : modes)
                    for (int p : params)
                        for (int transparent : {0, 1, 2})
                            for (uint32_t bright : brights)
                                for (int mmx : {0, 1}) {
                                    const CASE c{&kind, whole, mode, p, transparent, graphKind, mmx, bright};
                                    TestImage dst(kind.type, 29, 17, 3);
                                    dst.Randomise(rng);
                                    g_drawState.blendMode = mode;
                                    g_drawState.blendParam = p;
                                    g_drawState.brightness = bright;
                                    g_systemInfo.mmx = mmx;
                                    g_drawArea = MakeDrawArea(2, 1, 27, 16);
                                    const MEMIMG *gm = graph ? &graph->m() : nullptr;
                                    const ORACLESETTINGS s = OracleSettings(transparent, gm, 128, 255);
                                    const std::vector<uint8_t> want = model(dst.m(), src.m(), s);
                                    kernel(dst.img(), src.img(), transparent, graph ? graph->img() : nullptr);
                                    const std::string diff = FirstDifference(want, dst.Bytes(), dst.m());
                                    if (!diff.empty() && ++failures <= 10) ADD_FAILURE() << c.Name() << ": " << diff;
                                }
            }
        }
    EXPECT_EQ(failures, 0);
}

}  // namespace

TEST_F(CopyOracle, OneToOneMatchesTheModel) {
    SetBlendGraphThreshold(128, 255);
    // Placed so the draw area cuts one corner; whole images elsewhere take their run tables.
    for (const POINT at : {POINT{5, 3}, POINT{-2, 9}}) {
        SCOPED_TRACE(at.x);
        RunMatrix([&](MEMIMG *d, MEMIMG *s, int t, MEMIMG *g) { BlitMemImg(d, s, at.x, at.y, t, g); },
                  [&](const MEMIMG &d, const MEMIMG &s, const ORACLESETTINGS &o) { return OracleBlit(d, s, at.x, at.y, o); },
                  13, 7);
    }
}

TEST_F(CopyOracle, StretchedMatchesTheModel) {
    SetBlendGraphThreshold(128, 255);
    // Enlarged past the draw area, shrunk and mirrored in x, mirrored in y, and the same size
    // mirrored (no hand-over).
    const RECT rects[] = {{-3, 2, 30, 19}, {20, 1, 6, 6}, {4, 15, 17, 3}, {3, 2, 16, 9}};
    for (const RECT &r : rects) {
        SCOPED_TRACE(r.left);
        const RECT given = r.left == 3 ? RECT{16, 2, 3, 9} : r;
        RunMatrix([&](MEMIMG *d, MEMIMG *s, int t, MEMIMG *g) { StretchBlitMemImg(d, s, &given, t, g); },
                  [&](const MEMIMG &d, const MEMIMG &s, const ORACLESETTINGS &o) { return OracleStretch(d, s, given, o); },
                  13, 7);
    }
}

TEST_F(CopyOracle, RotatedMatchesTheModel) {
    SetBlendGraphThreshold(128, 255);
    // The quarter turns at scales where the kernel's map is exact; the first crosses the draw area.
    struct Geometry {
        float angle;
        int cosine, sine;
        float scale;
        int x, y;
    } geometries[] = {{0, 1, 0, 1, 5, 4}, {(float)(3.14159265358979323846 / 2), 0, 1, 2, 14, 8},
                      {(float)3.14159265358979323846, -1, 0, 0.5f, 20, 9}};
    for (const Geometry &g : geometries) {
        SCOPED_TRACE(g.angle);
        RunMatrix([&](MEMIMG *d, MEMIMG *s, int t, MEMIMG *b) { BlitMemImgRotated(d, s, g.x, g.y, g.angle, g.scale, t, 0, b); },
                  [&](const MEMIMG &d, const MEMIMG &s, const ORACLESETTINGS &o) {
                      return OracleRotated(d, s, g.x, g.y, g.cosine, g.sine, g.scale, o);
                  },
                  13, 7);
    }
}

TEST(PackedOps, AddAndSubtractDoToEachChannelWhatTheirDescriptionsSay) {
    // Every pair of values of one channel, with and without a carry or borrow from the one below;
    // the other channels fixed. Checked against the model through one-pixel copies.
    using namespace softrender;
    for (int ch = 0; ch < 3; ++ch)
        for (int below : {0, 1}) {
            for (int dv = 0; dv < 256; ++dv)
                for (int tv = 0; tv < 256; ++tv) {
                    // 32-bit: blue (or the channel below) set to carry or not.
                    uint32_t d = (uint32_t)dv << 8 * ch, t = (uint32_t)tv << 8 * ch;
                    if (ch > 0) {
                        d |= (below ? 0xFFu : 0x10u) << 8 * (ch - 1);
                        t |= (below ? 0xFFu : 0x20u) << 8 * (ch - 1);
                    }
                    const uint32_t add = AddMasked32(d, t), sub = SubMasked32(d, t);
                    const int a = (int)(add >> 8 * ch & 0xFF), s = (int)(sub >> 8 * ch & 0xFF);
                    // Below: 0xFF + 0xFF carries and 0xFF - 0xFF does not borrow; 0x10 and 0x20
                    // the other way round.
                    const int carry = below;
                    int wantAdd, wantSub;
                    if (ch == 0) {
                        wantAdd = std::min(255, dv + tv);
                        wantSub = std::max(0, dv - tv);
                    } else {
                        const int h = (dv & 0xFE) + (tv & 0xFE);
                        wantAdd = h >= 256 ? 255 : h | carry | ((dv | tv) & 1);
                        const int under = (dv >> 1) < (tv >> 1);
                        wantSub = under ? 0 : ((dv >> 1) - (tv >> 1)) << 1 | below;
                    }
                    ASSERT_EQ(a, wantAdd) << "add ch " << ch << " below " << below << " " << dv << "+" << tv;
                    ASSERT_EQ(s, wantSub) << "sub ch " << ch << " below " << below << " " << dv << "-" << tv;
                }
        }
    // 16-bit: every pair of 565 words whose blue and green are checked field by field.
    for (uint32_t d = 0; d < 0x10000; d += 0x0123)
        for (uint32_t t = 0; t < 0x10000; t += 1) {
            const uint32_t add = AddMasked16(d, t), sub = SubMasked16(d, t);
            const int db = d & 31, tb = t & 31, dg = d >> 5 & 63, tg = t >> 5 & 63, dr = d >> 11, tr = t >> 11;
            const int cb = db + tb > 31, hg = (dg & 62) + (tg & 62), cg = hg > 63;
            const int wantG = (cg ? 62 : hg) | cb | ((dg | tg) & 1);
            const int hr = (dr & 30) + (tr & 30);
            const int wantR = hr > 31 ? 31 : hr | cg | ((dr | tr) & 1);
            ASSERT_EQ(add, (uint32_t)(wantR << 11 | wantG << 5 | std::min(31, db + tb))) << std::hex << d << "+" << t;
            const int bb = db < tb, ug = (dg >> 1) < (tg >> 1), ur = (dr >> 1) < (tr >> 1);
            const int sg = ug ? 0 : ((dg >> 1) - (tg >> 1)) << 1;
            const int sr = ur ? 0 : ((dr >> 1) - (tr >> 1)) << 1 | (1 - ug);
            ASSERT_EQ(sub, (uint32_t)(sr << 11 | sg << 5 | (bb ? 0 : db - tb))) << std::hex << d << "-" << t;
        }
}
