// The state compiler's prepared stage setups and the blocks it builds, as tables written from
// the blend-mode list and the stage-setup list.
#include "render_fixture.h"

#include <map>

namespace {

std::string ArgText(int a) {
    switch (a) {
    case D3DTA_DIFFUSE: return "D";
    case D3DTA_CURRENT: return "C";
    case D3DTA_TEXTURE: return "T";
    case D3DTA_TFACTOR: return "F";
    case D3DTA_SPECULAR: return "S";
    case D3DTA_TEXTURE | D3DTA_COMPLEMENT: return "~T";
    default: return "?" + std::to_string(a);
    }
}

std::string OpText(int op, int a1, int a2) {
    switch (op) {
    case D3DTOP_DISABLE: return "off";
    case D3DTOP_SELECTARG1: return ArgText(a1);
    case D3DTOP_SELECTARG2: return ArgText(a2);
    case D3DTOP_MODULATE: return ArgText(a1) + "*" + ArgText(a2);
    case D3DTOP_MODULATE2X: return ArgText(a1) + "*" + ArgText(a2) + "x2";
    case D3DTOP_MODULATE4X: return ArgText(a1) + "*" + ArgText(a2) + "x4";
    case D3DTOP_ADD: return ArgText(a1) + "+" + ArgText(a2);
    case D3DTOP_SUBTRACT: return ArgText(a1) + "-" + ArgText(a2);
    case D3DTOP_BLENDCURRENTALPHA: return "lerp(" + ArgText(a1) + "," + ArgText(a2) + ")";
    default: return "op" + std::to_string(op);
    }
}

template <typename Stage>
std::string StageText(const Stage &s) {
    return OpText(s.colourOp, s.colourArg1, s.colourArg2) + "/" + OpText(s.alphaOp, s.alphaArg1, s.alphaArg2);
}

std::string EntryText(const STAGESETUPENTRY &e) {
    std::string t;
    for (int i = 0; i < e.stageCount; ++i) t += (i ? " | " : "") + StageText(e.stages[i]);
    return t;
}

std::string BlockStagesText(const DRAWSTATEBLOCK &b) {
    std::string t;
    for (int i = 0; i < b.stageCount; ++i) t += (i ? " | " : "") + StageText(b.stages[i]);
    return t;
}

// The stage-setup list: entry 3 x + d.
std::string ExpectedEntry(int x, int d) {
    if (x >= 12 && x < 16) return "";
    if (x >= 4 && x < 8) {
        std::string t = "D/T+F";
        if (d == 1) t += " | C/S*C";
        t += std::string(" | ") + (x >= 6 ? "T*D" : "T") + "/" + (d == 0 ? "C*D" : "T*C");
        if (x == 5 || x == 7) t += " | C/D*C";
        return t;
    }
    int base = x % 8;
    bool complement = x >= 16;
    static const char *kSingle[4][2] = {
        {"T/D", "T/T"}, {"T/D", "T/T*D"}, {"T*D/D", "T*D/T"}, {"T*D/D", "T*D/T*D"}};
    std::string t = kSingle[base][d == 0 ? 0 : 1];
    if (complement) t = "~" + t;
    if (x >= 8 && x < 12) t += " | lerp(C,F)/C";
    return t;
}

TEST(StageSetups, EveryEntryMatchesTheList) {
    for (int x = 0; x < 20; ++x)
        for (int d = 0; d < 3; ++d) {
            const STAGESETUPENTRY &e = g_stageSetups[3 * x + d];
            EXPECT_EQ(EntryText(e), ExpectedEntry(x, d)) << "x " << x << " d " << d;
            if (x >= 4 && x < 8) {
                for (int i = 0; i < e.stageCount; ++i)
                    EXPECT_EQ(e.stages[i].texCoordIndex, i == 0 ? 0 : 1) << "x " << x << " d " << d << " stage " << i;
            }
        }
}

// The blend-mode list: destination, source, operation; -1 = blending off; 0 = on, factors left.
struct ModeRow {
    int dest, src, op;
    int variant;
};
const ModeRow kModes[12] = {
    {-1, -1, -1, 0},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 0},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0},
    {-1, -1, -1, 0},
    {0, 0, 0, 0},
    {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 0},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 2},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 1},
};

class CompilerTable : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&cache, 0, sizeof cache); }
    RENDERSTATECACHE cache;
    IDirect3DBaseTexture9 *fakeTexture = reinterpret_cast<IDirect3DBaseTexture9 *>(0x1000);
};

TEST_F(CompilerTable, EveryBlendModeAlphaKindAndBrightnessCase) {
    cache.drawTexture = fakeTexture;
    for (int mode = 0; mode < 12; ++mode)
        for (int kind = 0; kind < 3; ++kind)
            for (int transparent = 0; transparent < 2; ++transparent)
                for (int bright = 0; bright < 2; ++bright)
                    for (int caps = 0; caps < 2; ++caps) {
                        SCOPED_TRACE("mode " + std::to_string(mode) + " kind " + std::to_string(kind) +
                                     " transparent " + std::to_string(transparent) + " bright " +
                                     std::to_string(bright) + " caps " + std::to_string(caps));
                        PENDINGBLEND p{mode, kind, transparent, bright};
                        DRAWSTATEBLOCK b;
                        int skip = -1;
                        BuildBlendStateBlock(p, 1, caps, cache, &b, &skip);
                        EXPECT_EQ(skip, 0);
                        const ModeRow &row = kModes[mode];
                        int d = transparent ? kind : 0;
                        // Head: alpha test cuts key-colour textures; alpha textures blend in any mode.
                        EXPECT_EQ(b.alphaTestEnable, d == 1 ? 1 : 0);
                        EXPECT_EQ(b.alphaRef, 1);
                        EXPECT_EQ(b.alphaFunc, (int)D3DCMP_GREATEREQUAL);
                        if (row.dest == -1) {
                            EXPECT_EQ(b.alphaBlendEnable, d == 2 ? 1 : 0);
                            if (d == 2) {
                                EXPECT_EQ(b.srcBlend, (int)D3DBLEND_SRCALPHA);
                                EXPECT_EQ(b.destBlend, (int)D3DBLEND_INVSRCALPHA);
                            } else {
                                EXPECT_EQ(b.srcBlend, -1);
                            }
                        } else if (row.dest == 0) {
                            EXPECT_EQ(b.alphaBlendEnable, 1);
                            EXPECT_EQ(b.srcBlend, -1);
                            EXPECT_EQ(b.destBlend, -1);
                            EXPECT_EQ(b.blendOp, -1);
                        } else if (mode == 3 && caps) {
                            EXPECT_EQ(b.alphaBlendEnable, 1);
                            EXPECT_EQ(b.destBlend, (int)D3DBLEND_ONE);
                            EXPECT_EQ(b.srcBlend, (int)D3DBLEND_SRCALPHA);
                            EXPECT_EQ(b.blendOp, (int)D3DBLENDOP_REVSUBTRACT);
                        } else {
                            EXPECT_EQ(b.alphaBlendEnable, 1);
                            EXPECT_EQ(b.destBlend, row.dest);
                            EXPECT_EQ(b.srcBlend, row.src);
                            EXPECT_EQ(b.blendOp, row.op);
                        }
                        // Stages: x = 8 v + 2 b + a, then the stage after the last switched off.
                        int a = mode != 0 && mode != 6;
                        int x = 8 * row.variant + 2 * bright + a;
                        EXPECT_EQ(BlockStagesText(b), ExpectedEntry(x, d) + " | off/off");
                        EXPECT_EQ(b.stages[0].texture, reinterpret_cast<intptr_t>(fakeTexture));
                        for (int i = 1; i < b.stageCount; ++i) EXPECT_EQ(b.stages[i].texture, 0);
                    }
}

TEST_F(CompilerTable, UntexturedDrawsTakeTheVertexColour) {
    for (int mode : {0, 1, 4, 11}) {
        PENDINGBLEND p{mode, 2, 1, 1};
        DRAWSTATEBLOCK b;
        BuildBlendStateBlock(p, 0, 0, cache, &b, nullptr);
        EXPECT_EQ(b.alphaTestEnable, 0) << mode;
        EXPECT_EQ(BlockStagesText(b), mode == 11 ? "D/D | lerp(C,F)/C | off/off" : "D/D | off/off") << mode;
        EXPECT_EQ(b.alphaBlendEnable, mode != 0) << mode;
    }
}

// Blend graph: the band of the border range picks the second stage's scale and the factor.
struct BandCase {
    int range, parameter;
    uint32_t factor;
    int firstAlphaOp, secondAlphaOp;
    int alphaTest, alphaRef;
};

TEST_F(CompilerTable, BlendGraphBands) {
    IDirect3DBaseTexture9 *blendTexture = reinterpret_cast<IDirect3DBaseTexture9 *>(0x2000);
    cache.drawTexture = fakeTexture;
    cache.blendTexture = blendTexture;
    const BandCase cases[] = {
        // R <= 1: alpha test at P (1 for P = 0 with texture alpha).
        {0, 100, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE, 1, 100},
        {1, 0, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE, 1, 1},
        // 2..64: V = P x 1280 / 255. P 40 -> V 200: ((256 - 200) x 64 / 256) << 24 | 0xFFFFFF.
        {30, 40, (uint32_t)(56 * 64 / 256) << 24 | 0xFFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE4X, 0, 1},
        // P 200 -> V 1003: ~(((326400 - 1003 x 255) / 1024) << 24).
        {64, 200, ~((uint32_t)((326400 - 1003 * 255) / 1024) << 24), D3DTOP_SUBTRACT, D3DTOP_MODULATE4X, 0, 1},
        // 65..128: V = P x 768 / 255. P 50 -> V 150.
        {100, 50, (uint32_t)(106 * 128 / 256) << 24 | 0xFFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE2X, 0, 1},
        // P 254 -> V 764.
        {128, 254, ~((uint32_t)((195840 - 764 * 255) / 512) << 24), D3DTOP_SUBTRACT, D3DTOP_MODULATE2X, 0, 1},
        // above 128: V = P x 512 / 255, I = 512 - V. P 64 -> V 128, I 384 -> ADD.
        {200, 64, (uint32_t)((384 - 256) * 255 / 256) << 24 | 0xFFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE, 0, 1},
        // P 200 -> V 401, I 111 -> SUBTRACT.
        {255, 200, ~((uint32_t)(111 * 255 / 256) << 24), D3DTOP_SUBTRACT, D3DTOP_MODULATE, 0, 1},
    };
    for (const BandCase &c : cases) {
        SCOPED_TRACE("range " + std::to_string(c.range) + " parameter " + std::to_string(c.parameter));
        cache.blendGraphRange = c.range;
        cache.blendGraphParam = c.parameter;
        PENDINGBLEND p{0, 0, 1, 0};
        DRAWSTATEBLOCK b;
        int skip = -1;
        BuildBlendStateBlock(p, 1, 0, cache, &b, &skip);
        EXPECT_EQ(skip, 0);
        EXPECT_EQ(b.textureFactor, c.factor);
        EXPECT_EQ(b.stages[0].alphaOp, c.firstAlphaOp);
        EXPECT_EQ(b.stages[1].alphaOp, c.secondAlphaOp);
        EXPECT_EQ(b.alphaTestEnable, c.alphaTest);
        if (c.alphaTest) {
            EXPECT_EQ(b.alphaRef, c.alphaRef);
        }
        if (c.range > 1) {
            EXPECT_EQ(b.alphaBlendEnable, 1);
        }
        EXPECT_EQ(b.stages[0].texture, reinterpret_cast<intptr_t>(blendTexture));
        EXPECT_EQ(b.stages[1].texture, reinterpret_cast<intptr_t>(fakeTexture));
    }
    cache.blendGraphParam = 255;
    PENDINGBLEND p{0, 0, 0, 0};
    DRAWSTATEBLOCK b;
    int skip = 0;
    BuildBlendStateBlock(p, 1, 0, cache, &b, &skip);
    EXPECT_EQ(skip, 1);
}

// Through the device: a user block replaces the library's setup until cleared, and a caller
// block with a value applies only textures and coordinate indices.
TEST_F(RenderTest, UserAndCallerBlocks) {
    DRAWSTATEBLOCK user{};
    user.alphaTestEnable = 1;
    user.alphaRef = 77;
    user.alphaFunc = D3DCMP_GREATER;
    user.textureFactor = 0x11223344;
    user.srcBlend = user.destBlend = user.blendOp = -1;
    user.stageCount = 1;
    user.stages[0] = DRAWSTATESTAGE{0, 0, -1, -1, -1, D3DTA_TFACTOR, -1, D3DTOP_SELECTARG1};
    SetUserDrawStateBlock(&user, 0);
    Record();
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetRenderState(24, 77)"), 1);
    EXPECT_EQ(CountOf(calls, "SetRenderState(60, 287454020)"), 1);
    EXPECT_EQ(CountOf(calls, "SetTextureStageState(0, 2, 3)"), 1);
    SetUserDrawStateBlock(nullptr, 0);
    FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1);
    calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetRenderState(15, 0)"), 1);

    DRAWSTATEBLOCK caller = user;
    caller.stages[0].texCoordIndex = 3;
    caller.alphaRef = 5;
    Record();
    ApplyDrawStateBlock(&caller, 1, 0);
    calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetTextureStageState(0, 11, 3)"), 1);
    EXPECT_EQ(CountOf(calls, "SetRenderState("), 0);
}

}  // namespace
