// The enemies' draws, recorded: screen places within 256 pixels of the screen kept and parked
// beyond, the sprite cell by frame, hidden nodes, the hit shake, black silhouettes then 254, the
// small bars over ordinary enemies (only with the armour), the boss bars stacked from y 151 (none
// for a fifth), and the speech shown for 201 frames.
#include "tests/game/actors/enemy_fixture.h"

namespace {

class EnemyDrawTest : public EnemyTest {
protected:
    EnemyDrawTest() {
        for (int i = 0; i < 7; i++) enemies.sheets[i] = 100 + i;
        Map(std::vector<std::string>(100, std::string(100, '.')));
        companion.x = 800, companion.y = 800; // the camera centre, away from the clamps
    }
    EnemyNode *Sprite(int screenX, int screenY, int anchor = 8) {
        EnemyNode *n = Bare(0, 0);
        n->screenX = (float)screenX, n->screenY = (float)screenY;
        n->anchorX = n->anchorY = anchor;
        n->sheet = 2;
        return n;
    }
};

TEST_F(EnemyDrawTest, ScreenPlacesWithin256PixelsOfTheScreenAreKept) {
    const struct {
        float dx, dy;     // from the camera's top-left corner (640, 680)
        float sx, sy;     // expected
    } cases[] = {
        {10.7f, 20.2f, 10, 20},   {-10.7f, 5, -10, 5},      {-255, 0, -255, 0},   {-256, 0, -32, -32},
        {575, 0, 575, 0},         {576, 0, -32, -32},       {0, -255.5f, 0, -255}, {0, 495.9f, 0, 495},
        {0, 496, -32, -32},       {0, -256, -32, -32},
    };
    for (const auto &c : cases) {
        EnemyNode *n = Bare(640 + c.dx, 680 + c.dy);
        UpdateEnemyScreenPositions(enemies);
        EXPECT_EQ(n->screenX, c.sx) << c.dx << ", " << c.dy;
        EXPECT_EQ(n->screenY, c.sy) << c.dx << ", " << c.dy;
        FreeEnemyNode(enemies, n);
    }
    // The camera is the world's clamp: near the map's corner the screen stops scrolling.
    companion.x = companion.y = 0;
    EnemyNode *n = Bare(50, 60);
    UpdateEnemyScreenPositions(enemies);
    EXPECT_EQ(n->screenX, 50);
    EXPECT_EQ(n->screenY, 60);
}

TEST_F(EnemyDrawTest, SpritesByFrameSkippingHiddenNodes) {
    EnemyNode *n = Sprite(100, 90);
    n->sourceX = 16, n->sourceY = 32;
    n->frameColumn = 2, n->frameRow = 1;
    EnemyNode *big = Sprite(200, 100, 32);
    big->anchorY = 24, big->sheet = 1;
    EnemyNode *hidden = Sprite(10, 10);
    hidden->operation = OP_HIDDEN;
    EnemyNode *offSheet = Sprite(0, 0);
    offSheet->sheet = 9;
    DrawEnemies(enemies);
    EXPECT_EQ(TakeCalls(), std::vector<DrawCall>({Part(92, 82, 16 + 32, 32 + 16, 16, 16, 102, 1),
                                                  Part(168, 76, 0, 0, 64, 48, 101, 1),
                                                  Part(-8, -8, 0, 0, 16, 16, -1, 1)}));
}

TEST_F(EnemyDrawTest, HitsShakeOrdinaryEnemiesButNotBossesAndTheDarkDrawsSilhouettes) {
    EnemyNode *odd = Sprite(100, 100), *even = Sprite(150, 100), *posed = Sprite(200, 100), *boss = Sprite(250, 100);
    odd->hit = even->hit = posed->hit = boss->hit = 1;
    odd->hitShake = 7, even->hitShake = 8, posed->hitShake = 8, boss->hitShake = 8;
    posed->state = ENEMY_HURT;
    boss->boss = 1;
    DrawEnemies(enemies);
    EXPECT_EQ(TakeCalls(), std::vector<DrawCall>({Part(91, 92, 0, 0, 16, 16, 102, 1), Part(143, 92, 0, 0, 16, 16, 102, 1),
                                                  Part(192, 92, 0, 0, 16, 16, 102, 1),
                                                  Part(242, 92, 0, 0, 16, 16, 102, 1)}));
    enemies.darkness = 1;
    DrawEnemies(enemies);
    const DrawCall dark = Bright(0, 0, 0), back = Bright(254, 254, 254);
    EXPECT_EQ(TakeCalls(), std::vector<DrawCall>({dark, Part(91, 92, 0, 0, 16, 16, 102, 1), back,
                                                  dark, Part(143, 92, 0, 0, 16, 16, 102, 1), back,
                                                  dark, Part(192, 92, 0, 0, 16, 16, 102, 1), back,
                                                  Part(242, 92, 0, 0, 16, 16, 102, 1)}))
        << "a hit boss is drawn in colour";
}

TEST_F(EnemyDrawTest, SmallBarsShowWithTheArmourAndNeverPastTheirFrame) {
    const struct {
        int hp, maxHp;
        int fill; // 0: none drawn
    } cases[] = {{30, 30, 10}, {15, 30, 5}, {2, 30, 0}, {0, 30, 0}, {-4, 30, 0}, {299, 99, 10}, {999, 37, 10}};
    for (const auto &c : cases) {
        EnemyNode *n = Sprite(100, 80);
        n->hp = c.hp, n->maxHp = c.maxHp;
        player.abilityFlags = 0;
        DrawEnemySpeech(enemies);
        EXPECT_TRUE(TakeCalls().empty()) << "no bars without the armour";
        player.abilityFlags = 1;
        DrawEnemySpeech(enemies);
        std::vector<DrawCall> want = {Part(95, 67, 0, 0, 12, 3, 106, 1)};
        if (c.fill) want.push_back(Part(96, 68, 1, 3, c.fill, 1, 106, 1));
        EXPECT_EQ(TakeCalls(), want) << c.hp << " / " << c.maxHp;
        FreeEnemyNode(enemies, n);
    }
    EnemyNode *unbarred = Sprite(0, 0);
    unbarred->hp = 5;
    DrawEnemySpeech(enemies);
    EXPECT_TRUE(TakeCalls().empty()) << "a max HP of 0 shows no bar";
    FreeEnemyNode(enemies, unbarred);
}

TEST_F(EnemyDrawTest, BossBarsStackFrom151AndAFifthBossGetsNone) {
    const int hps[5] = {600, 300, 0, -50, 700};
    for (int i = 0; i < 5; i++) {
        EnemyNode *b = Sprite(0, 0);
        b->boss = 1, b->hp = hps[i], b->maxHp = 600;
    }
    EnemyNode *undying = Sprite(0, 0);
    undying->boss = 1, undying->noDeath = 1, undying->hp = undying->maxHp = 1500;
    enemies.tail->prev->next = nullptr; // put the undying one first: it takes no place
    enemies.tail = enemies.tail->prev;
    undying->next = enemies.head, undying->prev = nullptr;
    enemies.head->prev = undying;
    enemies.head = undying;
    DrawEnemySpeech(enemies);
    EXPECT_EQ(TakeCalls(), std::vector<DrawCall>({
                               Part(280, 151, 0, 9, 32, 4, 106, 1), Part(281, 152, 1, 13, 30, 2, 106, 1),
                               Part(280, 142, 0, 9, 32, 4, 106, 1), Part(281, 143, 1, 13, 15, 2, 106, 1),
                               Part(280, 133, 0, 9, 32, 4, 106, 1), Part(281, 134, 1, 13, 1, 2, 106, 1),
                               Part(280, 124, 0, 9, 32, 4, 106, 1), Part(281, 125, 1, 13, 1, 2, 106, 1),
                           }));
    EXPECT_EQ(enemies.bossBars, 5) << "the fifth counted, not drawn";
    DrawEnemySpeech(enemies);
    EXPECT_EQ(enemies.bossBars, 5) << "counted afresh each frame";
}

TEST_F(EnemyDrawTest, SpeechStaysFor201Frames) {
    EnemyNode *n = Node(0, 0, {Say("ガルド「かえれ！」"), S(OP_STILL)});
    enemies.hud = nullptr;
    RunEnemyPrograms(enemies);
    int shown = 0;
    for (int frame = 0; frame < 300; frame++) {
        DrawEnemySpeech(enemies);
        if (!world.messages.empty() && (int)world.messages.size() > shown) shown = (int)world.messages.size();
    }
    EXPECT_EQ(shown, 201);
    EXPECT_EQ(world.messages.front(), "ガルド「かえれ！」");
    EXPECT_EQ(enemies.speechShown, 0);
    EXPECT_EQ(enemies.speechFrames, 0);
    (void)n;
}

} // namespace
