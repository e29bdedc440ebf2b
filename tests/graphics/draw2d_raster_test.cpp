// The draw geometry rasterised by the device stand-in, against golden screens worked out
// from the picture alone.
#include "library/graphics/draw2d_geometry.h"
#include "tests/graphics/draw_golden.h"
#include "tests/platform/d3d9/d3d9_fixture.h"

namespace {

class GeometryRaster : public D3D9Test {
protected:
    static constexpr int kW = 13, kH = 11, kTex = 16;

    void SetUp() override {
        D3D9Test::SetUp();
        pic = MakeKeyedPicture(kW, kH);
        // Key-coloured texels get alpha 0, as the transfer into an alpha texture makes them.
        IDirect3DTexture9 *t = MakeTexture(kTex, kTex, [this](int x, int y) -> uint32_t {
            if (x >= kW || y >= kH) return 0;
            uint32_t c = pic.At(x, y);
            return c == pic.key ? c : 0xFF000000u | c;
        });
        SetupTexturedStage(t);
        dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        dev->SetRenderState(D3DRS_ALPHAREF, 1);
        dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        part.corner[QUAD_TL] = {0, 0, 0, 0};
        part.corner[QUAD_TR] = {kW, 0, (float)kW / kTex, 0};
        part.corner[QUAD_BL] = {0, kH, 0, (float)kH / kTex};
        part.corner[QUAD_BR] = {kW, kH, (float)kW / kTex, (float)kH / kTex};
        part.textureWidth = part.textureHeight = kTex;
    }

    void Draw(const SCREENVERTEX v[6]) {
        TexVertex q[6];
        for (int i = 0; i < 6; ++i) q[i] = TexVertex{v[i].x, v[i].y, 0, 1, 0xFFFFFFFFu, v[i].u, v[i].v};
        ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(TexVertex)), D3D_OK);
    }
    void DrawQuad(const SCREENVERTEX c[4]) {
        SCREENVERTEX six[6];
        QuadToTriangles(c, six);
        Draw(six);
    }

    void Expect(const GoldenScreen &golden) {
        std::string report;
        EXPECT_EQ(CountMismatches(golden, D3D9TestReadSurface(back), &report), 0) << report;
    }

    GoldenPicture pic;
    QUADPART part{};
};

TEST_F(GeometryRaster, PointDrawClippedAndMirroredStretchAreExact) {
    const DRAWAREA whole{0, 0, (int)kWidth, (int)kHeight, 0, 0, (float)kWidth, (float)kHeight};
    SCREENVERTEX c[4];
    PlaceQuadPart(part, 3, 4, GraphInsideArea(3, 4, 3 + kW, 4 + kH, whole), whole, c);
    DrawQuad(c);
    // Clipped on its left and bottom by an area (22, 0)-(64, 10).
    const DRAWAREA cut{22, 0, 64, 10, 22, 0, 64, 10};
    PlaceQuadPart(part, 20, 2, false, cut, c);
    DrawQuad(c);
    // Mirrored and doubled: (60, 20)-(34, 42).
    PlaceStretchedPart(part, 60, 20, 34, 42, kW, kH, true, whole, c);
    DrawQuad(c);

    GoldenScreen g = MakeGoldenScreen(kWidth, kHeight, 0, pic, InverseOfStretch(3, 4, 3 + kW, 4 + kH, kW, kH), 0);
    GoldenScreen g2 = MakeGoldenScreen(kWidth, kHeight, 0, pic, InverseOfStretch(20, 2, 20 + kW, 2 + kH, kW, kH), 0,
                                       22, 0, 64, 10);
    GoldenScreen g3 = MakeGoldenScreen(kWidth, kHeight, 0, pic, InverseOfStretch(60, 20, 34, 42, kW, kH), 0);
    for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] |= g2.pixels[i] | g3.pixels[i];
    Expect(g);
}

TEST_F(GeometryRaster, QuarterTurnIsExactAndGeneralAngleWithinTolerance) {
    // A quarter turn of the odd graph at an integer position, scale 1.
    ROTATEDDRAW d;
    ASSERT_TRUE(SetupRotatedDraw(12, 12, 1.0, 1.5707963267948966, false, kW, kH, 1, &d));
    SCREENVERTEX v[6];
    PlaceRotatedPart(part, d, v);
    Draw(v);
    Expect(MakeGoldenScreen(kWidth, kHeight, 0, pic,
                            InverseOfRotation(12, 12, 6.5, 5.5, 1, 1, 1.5707963267948966, kW, kH), 0.0));

    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    // 0.5 rad, scale 1.5, mirrored, at a fractional position. Tolerance: pixels whose
    // centre maps within 1/32 texel of a texel boundary or the graph's edge may go either way.
    ASSERT_TRUE(SetupRotatedDraw(46.3f, 24.7f, 1.5, 0.5, true, kW, kH, 1, &d));
    PlaceRotatedPart(part, d, v);
    Draw(v);
    Expect(MakeGoldenScreen(kWidth, kHeight, 0, pic,
                            InverseOfRotation(d.px, d.py, d.cx, d.cy, -1.5, 1.5, 0.5, kW, kH), 1.0 / 32, 32, 0,
                            kWidth, kHeight));
}

}  // namespace
