// Two triangles that split a rectangle are drawn as one rectangle: the pixels must be the same
// as drawing the triangles one call each.
#include "d3d9_fixture.h"

#include "platform/testing/d3d9.h"

#include <vector>

namespace {

class RectMerge : public D3D9Test {
protected:
    std::vector<uint32_t> Draw(const TexVertex (&q)[6], bool together) {
        dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040u, 1.0f, 0);
        if (together) {
            dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(TexVertex));
        } else {
            dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, q, sizeof(TexVertex));
            dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, q + 3, sizeof(TexVertex));
        }
        return D3D9TestReadSurface(back);
    }
};

TEST_F(RectMerge, SameCoverageAndTexelsAsSeparateTriangles) {
    IDirect3DTexture9 *t = MakeTexture(8, 8, [](int x, int y) {
        return (uint32_t)((x * 37 + y * 11) & 255) << 24 | (uint32_t)(x * 30) << 16 | (uint32_t)(y * 30) << 8 | 0x55;
    });
    SetupTexturedStage(t, D3DTOP_MODULATE, D3DTOP_SELECTARG1);
    struct Case {
        float x0, y0, x1, y1, u0, v0, u1, v1;
        bool blend, diagonalFlip;
    };
    const Case cases[] = {
        {3.5f, 2.5f, 11.5f, 10.5f, 0, 0, 1, 1, false, false},           // 1:1
        {2.3f, 1.7f, 30.6f, 20.2f, 0, 0, 1, 1, true, false},            // stretched, fractional edges
        {40.0f, 30.0f, 5.25f, 3.75f, 0.1f, 0.2f, 0.9f, 0.7f, true, false},  // mirrored
        {-5.0f, -3.0f, 70.0f, 60.0f, 0, 0, 3, 2, false, true},          // clipped, wrapped, other diagonal
    };
    dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    for (const Case &c : cases) {
        dev->SetRenderState(D3DRS_ALPHABLENDENABLE, c.blend);
        dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        D3DCOLOR col = 0xFFC0E0A0u;
        TexVertex a{c.x0, c.y0, 0, 1, col, c.u0, c.v0}, b{c.x1, c.y0, 0, 1, col, c.u1, c.v0},
            d{c.x0, c.y1, 0, 1, col, c.u0, c.v1}, e{c.x1, c.y1, 0, 1, col, c.u1, c.v1};
        TexVertex q1[6] = {a, b, d, b, e, d};
        TexVertex q2[6] = {a, b, e, a, e, d};
        const TexVertex(&q)[6] = c.diagonalFlip ? q2 : q1;
        std::vector<uint32_t> merged = Draw(q, true), single = Draw(q, false);
        int diffs = 0, first = -1;
        for (size_t i = 0; i < merged.size(); ++i)
            if (merged[i] != single[i]) {
                if (first < 0) first = (int)i;
                ++diffs;
            }
        EXPECT_EQ(diffs, 0) << c.x0 << ", " << c.y0 << " first at " << first % kWidth << ", " << first / kWidth
                            << ": " << std::hex << (first >= 0 ? merged[first] : 0) << " vs "
                            << (first >= 0 ? single[first] : 0);
        int covered = 0;
        for (uint32_t p : merged) covered += (p & 0xFFFFFF) != 0x203040;
        EXPECT_GT(covered, 0);
    }
}

TEST_F(RectMerge, TrianglesThatShareAnEdgeButNotADiagonalStayApart) {
    // Both triangles contain the top edge: they overlap, and blending shows the overlap twice.
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ColourVertex q[6] = {{0, 0, 0, 1, 0xFF101010}, {16, 0, 0, 1, 0xFF101010}, {0, 16, 0, 1, 0xFF101010},
                         {0, 0, 0, 1, 0xFF101010}, {16, 0, 0, 1, 0xFF101010}, {16, 16, 0, 1, 0xFF101010}};
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    dev->SetTexture(0, nullptr);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, q, sizeof(ColourVertex));
    EXPECT_EQ(Pixel(8, 1), 0x202020u);   // in both
    EXPECT_EQ(Pixel(1, 12), 0x101010u);  // only the first
    EXPECT_EQ(Pixel(14, 12), 0x101010u); // only the second
}

}  // namespace
