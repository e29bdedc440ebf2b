// Texture pieces of a side, TEXPARTs over tiles, and image pixels in the textures.
#include "graph_fixture.h"

namespace {

class GraphTextureTest : public GraphTest {};

TEST_F(GraphTextureTest, SplitTextureLengthTable) {
    struct Case {
        int length;
        std::vector<int> pieces;
    } cases[] = {
        {300, {512}}, {8, {8}}, {3, {8}}, {700, {512, 128, 64}}, {1000, {1024}}, {2049, {2048, 8}},
        {3000, {2048, 1024}}, {640, {512, 128}}, {256, {256}},
    };
    for (const Case &c : cases) {
        int out[64];
        int n = SplitTextureLength(c.length, out, 0);
        EXPECT_EQ(std::vector<int>(out, out + n), c.pieces) << c.length;
    }
    int out[8];
    // One texture asked for: the doubled piece.
    EXPECT_EQ(SplitTextureLength(700, out, 1), 1);
    EXPECT_EQ(out[0], 1024);
}
}  // namespace
