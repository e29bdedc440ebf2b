// The blend graph chosen by graph handle on both paths, its size check, and the texture a graph
// handle stands for in draw-state blocks.
#include "graph_fixture.h"

#include "library/graphics/device.h"
#include "library/graphics/memimg.h"
#include "library/graphics/render_state.h"
#include "library/graphics/vertex_batch.h"

namespace {

class GraphBlendTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        ResetDrawSettings();
        g_deviceState.device = dev_;
        g_screenSetup.direct3D = 1;
    }
    void TearDown() override {
        g_renderState.blendTexture = nullptr;
        g_deviceState.device = nullptr;
        g_screenSetup.direct3D = 0;
        ResetDrawSettings();
        GraphTest::TearDown();
    }
};

TEST_F(GraphBlendTest, DirectPathHandsTheFirstTextureToTheStateCompiler) {
    int blend = CreateBlankGraph(20, 12);
    int small = CreateBlankGraph(8, 8), big = CreateBlankGraph(24, 8);
    ASSERT_NE(blend, -1);
    IDirect3DBaseTexture9 *texture = GraphFirstTexture(blend);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture, GraphTexParts(GetGraphEntry(blend))[0].tile->texture);
    EXPECT_EQ(GraphFirstTexture(-1), nullptr);

    EXPECT_EQ(SetBlendGraph(blend, 300, -7), 0);
    EXPECT_EQ(g_drawState.blendGraph, blend);
    EXPECT_EQ(g_drawState.blendGraphParam, 255);
    EXPECT_EQ(g_drawState.blendGraphRange, 0);
    EXPECT_EQ(g_renderState.blendTexture, texture);
    EXPECT_EQ(g_vertexBatch.sourceWidth, 32.0f);
    EXPECT_EQ(g_vertexBatch.sourceHeight, 16.0f);
    // The draws use it only for graphs it covers.
    EXPECT_EQ(CheckBlendGraphSize(GetGraphEntry(small)), 0);
    EXPECT_EQ(CheckBlendGraphSize(GetGraphEntry(big)), -1);

    // A stale handle changes nothing; -1 switches the blend graph off.
    int stale = small;
    DestroyGraph(small);
    EXPECT_EQ(SetBlendGraph(stale, 10, 10), -1);
    EXPECT_EQ(g_drawState.blendGraph, blend);
    EXPECT_EQ(SetBlendGraph(-1, 0, 0), 0);
    EXPECT_EQ(g_drawState.blendGraph, -1);
    EXPECT_EQ(g_renderState.blendTexture, nullptr);
    EXPECT_EQ(CheckBlendGraphSize(GetGraphEntry(big)), -1);

    // While drawing is suppressed nothing changes.
    g_drawState.drawingSuppressed = 1;
    EXPECT_EQ(SetBlendGraph(blend, 1, 1), 0);
    EXPECT_EQ(g_drawState.blendGraph, -1);
    g_drawState.drawingSuppressed = 0;
}

TEST_F(GraphBlendTest, SoftwarePathSetsTheBlendImageAndItsThresholds) {
    g_graphBridge.direct3D = 0;
    g_graphBridge.device = nullptr;
    int blend = CreateBlankGraph(6, 4);
    ASSERT_NE(blend, -1);
    EXPECT_EQ(GraphFirstTexture(blend), nullptr);
    EXPECT_EQ(SetBlendGraph(blend, 128, 255), 0);
    EXPECT_EQ(g_graphs.softBlendImage, GraphMemImg(GetGraphEntry(blend)));
    for (int i : {0, 77, 255}) EXPECT_EQ(g_memImgState.blendGraphTable[i], i);
    EXPECT_EQ(SetBlendGraph(-1, 0, 0), 0);
    EXPECT_EQ(g_graphs.softBlendImage, nullptr);
    EXPECT_EQ(g_memImgState.blendGraphTable[0], 255);
}

}  // namespace

namespace {

TEST_F(GraphBlendTest, DeletingTheBlendGraphSwitchesItOff) {
    int blend = CreateBlankGraph(8, 8);
    ASSERT_EQ(SetBlendGraph(blend, 5, 6), 0);
    DestroyGraph(blend);
    EXPECT_EQ(g_drawState.blendGraph, -1);
    EXPECT_EQ(g_renderState.blendTexture, nullptr);
    g_graphBridge.direct3D = 0;
    g_graphBridge.device = nullptr;
    blend = CreateBlankGraph(8, 8);
    ASSERT_EQ(SetBlendGraph(blend, 5, 6), 0);
    DestroyGraph(blend);
    EXPECT_EQ(g_graphs.softBlendImage, nullptr);
}

}  // namespace
