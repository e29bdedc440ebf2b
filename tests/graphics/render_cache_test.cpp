// The render-state cache and the vertex batch against the recording stand-in device.
#include "render_fixture.h"

#include <functional>

namespace {

struct SetterCase {
    const char *name;
    std::function<int()> set;
    const char *call;  // the one device call it makes
};

class SetterCacheTest : public RenderTest, public ::testing::WithParamInterface<int> {};

const SetterCase kSetters[] = {
    {"EnableDepthWrite", [] { return EnableDepthWrite(1); }, "SetRenderState(14, 1)"},
    {"SetDepthCompare", [] { return SetDepthCompare(D3DCMP_GREATER); }, "SetRenderState(23, 5)"},
    {"SetCullingMode", [] { return SetCullingMode(2); }, "SetRenderState(22, 2)"},
    {"SetShadingMode", [] { return SetShadingMode(D3DSHADE_GOURAUD); }, "SetRenderState(9, 2)"},
    {"EnableLightingState", [] { return EnableLightingState(1); }, "SetRenderState(137, 1)"},
    {"UseVertexDiffuse", [] { return UseVertexDiffuse(1); }, "SetRenderState(145, 1)"},
    {"SetFogColourState", [] { return SetFogColourState(0x123456); }, "SetRenderState(34, 1193046)"},
    {"SetTextureAddressU", [] { return SetTextureAddressU(D3DTADDRESS_WRAP, 3); }, "SetSamplerState(3, 1, 1)"},
    {"SetSamplerFilter", [] { return SetSamplerFilter(2, 17, D3DTEXF_LINEAR); }, "SetSamplerState(2, 6, 2)"},
    {"SetViewportRect", [] { return SetViewportRect(2, 3, 12, 23); }, "SetViewport(2, 3, 10, 20, 0, 1)"},
};

TEST_P(SetterCacheTest, EqualSettingsReachTheDeviceOnceAndTwiceWhileForcing) {
    const SetterCase &c = kSetters[GetParam()];
    Record();
    EXPECT_EQ(c.set(), 0);
    EXPECT_EQ(c.set(), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, c.call), 1) << c.name;

    g_renderState.forceAll = 1;
    c.set();
    c.set();
    g_renderState.forceAll = 0;
    EXPECT_EQ(CountOf(Calls(), c.call), 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Setters, SetterCacheTest, ::testing::Range(0, (int)(sizeof kSetters / sizeof kSetters[0])),
                         [](const auto &info) { return std::string(kSetters[info.param].name); });

TEST_F(RenderTest, CullingModeMapsZeroOneTwoAndOtherValues) {
    SetCullingMode(2);  // so that the first call below differs from the cache
    Record();
    SetCullingMode(0);
    SetCullingMode(1);
    SetCullingMode(2);
    SetCullingMode(7);  // other non-zero values cull counter-clockwise
    std::vector<std::string> calls = Calls();
    std::vector<std::string> want = {"SetRenderState(22, 1)", "SetRenderState(22, 3)", "SetRenderState(22, 2)",
                                     "SetRenderState(22, 3)"};
    EXPECT_EQ(calls, want);
}

TEST_F(RenderTest, AmbientIsSentOnEveryCall) {
    Record();
    SetAmbientColour(0x80FF0000);
    SetAmbientColour(0x80FF0000);
    EXPECT_EQ(CountOf(Calls(), "SetRenderState(139, "), 2);
    EXPECT_FLOAT_EQ(g_renderState.ambientFloats[0], 1.0f);
    EXPECT_FLOAT_EQ(g_renderState.ambientFloats[3], 128 / 255.0f);
}

TEST_F(RenderTest, AddressStageMinusOneSetsAllEightAndStageEightIsRefused) {
    Record();
    EXPECT_EQ(SetTextureAddressU(D3DTADDRESS_MIRROR, 8), -1);
    EXPECT_EQ(SetTextureAddressU(D3DTADDRESS_MIRROR, -1), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetSamplerState("), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(CountOf(calls, "SetSamplerState(" + std::to_string(i) + ", 1, 2)"), 1) << i;
}

TEST_F(RenderTest, WithoutDeviceOnlyTheDepthSettersFail) {
    g_deviceState.device = nullptr;
    g_screenSetup.direct3D = 0;
    EXPECT_EQ(EnableDepthTest(1), -1);
    EXPECT_EQ(EnableDepthWrite(1), -1);
    EXPECT_EQ(SetDepthCompare(4), -1);
    EXPECT_EQ(SetDepthBias(0.5f), -1);
    EXPECT_EQ(SetShadingMode(2), 0);
    EXPECT_EQ(SetCullingMode(1), 0);
    EXPECT_EQ(SetFogMode(1), 0);
    EXPECT_EQ(SetTextureAddressV(1, 0), 0);
    EXPECT_EQ(FlushVertexBatch(), -1);
    EXPECT_EQ(SetDrawTexture(nullptr), -1);
    g_deviceState.device = dev;
    g_screenSetup.direct3D = 1;
    g_screenSetup.bits = 32;
}

TEST_F(RenderTest, AFailingDeviceCallIsReportedAndNotCached) {
    D3D9TestFailCall("SetRenderState", 1);
    EXPECT_EQ(EnableDepthWrite(1), -1);
    Record();
    EXPECT_EQ(EnableDepthWrite(1), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetRenderState(14, 1)"), 1) << testing::PrintToString(calls);
}

// ---- the batch ----------------------------------------------------------------------

void QueueColourVertices(int n, DWORD type = D3DPT_TRIANGLELIST) {
    auto *v = static_cast<VERTEX2D *>(ReserveBatchVertices(VERTEXKIND_COLOUR, type, n));
    ASSERT_NE(v, nullptr);
    for (int i = 0; i < n; ++i) v[i] = VERTEX2D{(float)i, 0, 0, 1, 0xFFFFFFFF};
    CommitBatchVertices(n);
}

TEST_F(RenderTest, PrimitiveCountsFollowTheType) {
    EXPECT_EQ(PrimitiveCountOf(D3DPT_POINTLIST, 7), 7u);
    EXPECT_EQ(PrimitiveCountOf(D3DPT_LINELIST, 7), 3u);
    EXPECT_EQ(PrimitiveCountOf(D3DPT_LINESTRIP, 7), 6u);
    EXPECT_EQ(PrimitiveCountOf(D3DPT_TRIANGLELIST, 7), 2u);
    EXPECT_EQ(PrimitiveCountOf(D3DPT_TRIANGLESTRIP, 7), 5u);
    EXPECT_EQ(PrimitiveCountOf(D3DPT_TRIANGLEFAN, 7), 5u);
}

TEST_F(RenderTest, SevenListVerticesDrawTwoTriangles) {
    QueueColourVertices(7);
    Record();
    EXPECT_EQ(FlushVertexBatch(), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "DrawPrimitiveUP(4, 2, ptr, 20)"), 1);
    EXPECT_EQ(g_vertexBatch.count, 0);
    // An empty batch draws nothing.
    FlushVertexBatch();
    EXPECT_EQ(CountOf(Calls(), "DrawPrimitiveUP"), 0);
}

TEST_F(RenderTest, AChangeOfKindOrTypeFlushesFirst) {
    QueueColourVertices(6);
    Record();
    QueueColourVertices(2, D3DPT_LINELIST);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "DrawPrimitiveUP(4, 2, ptr, 20)"), 1);
    auto *t = static_cast<VERTEX2DTEX *>(ReserveBatchVertices(VERTEXKIND_TEX1, D3DPT_LINELIST, 2));
    ASSERT_NE(t, nullptr);
    CommitBatchVertices(2);
    calls = Calls();
    EXPECT_EQ(CountOf(calls, "DrawPrimitiveUP(2, 1, ptr, 20)"), 1);
    FlushVertexBatch();
    calls = Calls();
    EXPECT_EQ(IndexOf(calls, "SetFVF(324)"), 0);
    EXPECT_EQ(CountOf(calls, "DrawPrimitiveUP(2, 1, ptr, 28)"), 1);
}

TEST_F(RenderTest, AFullBufferFlushes) {
    Record();
    // 537 rectangles fill 3222 of the 3225 kind-0 vertices; the 538th starts a new batch.
    for (int i = 0; i < 538; ++i) FillRectBatched(0, 0, 2, 2, 0xFFFFFF, 1);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "DrawPrimitiveUP(4, 1074, ptr, 20)"), 1);
    EXPECT_EQ(g_vertexBatch.count, 6);
}

TEST_F(RenderTest, AStateChangeBetweenTwoQuadsFlushesTheFirstBeforeTheChange) {
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    Record();
    SetFogColourState(0x0000FF);
    std::vector<std::string> calls = Calls();
    int draw = IndexOf(calls, "DrawPrimitiveUP(4, 2, ptr, 20)");
    int state = IndexOf(calls, "SetRenderState(34, 255)");
    ASSERT_GE(draw, 0);
    EXPECT_LT(draw, state);
    // An unchanged setting leaves the batch alone.
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    SetFogColourState(0x0000FF);
    EXPECT_EQ(CountOf(Calls(), "DrawPrimitiveUP"), 0);
    EXPECT_EQ(g_vertexBatch.count, 6);
}

TEST_F(RenderTest, ABlendChangeBetweenTwoRectanglesFlushesTheFirst) {
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    FillRectBatched(4, 0, 8, 4, 0xFFFFFF, 1);
    EXPECT_EQ(g_vertexBatch.count, 12);
    Record();
    SetBlendMode(BLENDMODE_ADD, 128);
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    std::vector<std::string> calls = Calls();
    int draw = IndexOf(calls, "DrawPrimitiveUP(4, 4, ptr, 20)");
    int blend = IndexOf(calls, "SetRenderState(27, 1)");
    ASSERT_GE(draw, 0);
    EXPECT_LT(draw, blend);
    EXPECT_EQ(g_vertexBatch.count, 6);
    EXPECT_EQ(g_vertexBatch.colour, 0x80FFFFFFu);
}

TEST_F(RenderTest, SkipDrawingDropsTheVertices) {
    QueueColourVertices(6);
    g_renderState.skipDrawing = 1;
    Record();
    FlushVertexBatch();
    g_renderState.skipDrawing = 0;
    EXPECT_EQ(CountOf(Calls(), "DrawPrimitiveUP"), 0);
    EXPECT_EQ(g_vertexBatch.count, 0);
}

TEST_F(RenderTest, GridIndicesComeInChunksOfAtMostAThousand) {
    // 100 columns: one row strip is 200 indices plus 2 joining ones.
    const int columns = 100, rows = 12;
    std::vector<VERTEX2DTEX> grid((size_t)columns * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) grid[(size_t)y * columns + x] = VERTEX2DTEX{(float)x, (float)y, 0, 1, 0xFFFFFFFF, 0, 0};
    Record();
    EXPECT_EQ(DrawVertexGrid(columns, rows, grid.data()), 0);
    std::vector<std::string> calls = Calls();
    // Rows of strips: 4 per chunk (4 x 200 + 3 x 2 = 806; a fifth would make 1008), so 11 strips make 4, 4, 3.
    EXPECT_EQ(CountOf(calls, "DrawIndexedPrimitiveUP(5, 0, 500, 804, ptr, 101, ptr, 28)"), 2);
    EXPECT_EQ(CountOf(calls, "DrawIndexedPrimitiveUP(5, 0, 400, 602, ptr, 101, ptr, 28)"), 1);
    EXPECT_EQ(DrawVertexGrid(1, 5, grid.data()), -1);
    EXPECT_EQ(DrawVertexGrid(5, 1, grid.data()), -1);
}

TEST_F(RenderTest, SceneOpensOnceAndLeavingReportsZeroWhenClosed) {
    LeaveDeviceScene();
    Record();
    EnterDeviceScene();
    EnterDeviceScene();
    EXPECT_EQ(LeaveDeviceScene(), 0);
    EXPECT_EQ(LeaveDeviceScene(), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "BeginScene"), 1);
    EXPECT_EQ(CountOf(calls, "EndScene"), 1);
}

TEST_F(RenderTest, StartUpQueuesOnePointAtTheOrigin) {
    std::memset(&g_renderState, 0, sizeof g_renderState);
    RestoreDeviceStates();
    EXPECT_EQ(g_vertexBatch.count, 1);
    EXPECT_EQ(g_vertexBatch.primitiveType, D3DPT_POINTLIST);
    EXPECT_EQ(g_vertexBatch.colourVertices[0].x, 0.0f);
    EXPECT_EQ(g_vertexBatch.tex2Vertices[100].specular, 0xFFFFFFFFu);
    EXPECT_EQ(g_vertexBatch.texVertices[2000].rhw, 1.0f);
    Record();
    FlushVertexBatch();
    EXPECT_EQ(CountOf(Calls(), "DrawPrimitiveUP(1, 1, ptr, 20)"), 1);
}

TEST_F(RenderTest, RestoreAllDrawStatesResendsEqualValues) {
    EnableDepthWrite(1);
    SetFogColourState(0x00FF00);
    Record();
    RestoreAllDrawStates();
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetRenderState(14, 1)"), 1);
    EXPECT_EQ(CountOf(calls, "SetRenderState(34, 65280)"), 1);
    EXPECT_EQ(CountOf(calls, "SetRenderState(26, 0)"), 1);
    EXPECT_EQ(g_renderState.forceAll, 0);
    // Dither first, then the alpha test of the blend state, then culling.
    EXPECT_LT(IndexOf(calls, "SetRenderState(26, 0)"), IndexOf(calls, "SetRenderState(15, "));
    EXPECT_LT(IndexOf(calls, "SetRenderState(15, "), IndexOf(calls, "SetRenderState(22, "));
}

}  // namespace
