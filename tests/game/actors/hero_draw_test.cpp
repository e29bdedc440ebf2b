// The hero's draws, recorded: the sprite's cell (pose, facing, looking up, costume, the pose
// override), the blink after a hit, the light mask, the weapon in hand, the arms box of the HUD,
// the shots' sizes and screen positions, and the removal of shots that left the map.
#include <vector>

#include "tests/game/actors/actor_fixture.h"

namespace {

class HeroDrawTest : public ActorTest {
protected:
    HeroDrawTest() {
        player.sheet = 10;
        player.lightMask = 11;
        arms.shotSheet = 20;
        arms.iconSheet = 21;
        arms.handSheet = 22;
        player.screenX = 100;
        player.screenY = 80;
    }
    ShotNode *Shot(float x, float y, int behaviour = 0) {
        ShotNode *s = new ShotNode;
        s->x = x;
        s->y = y;
        s->behaviour = behaviour;
        AppendShotNode(arms, s);
        return s;
    }
    std::vector<float> ShotXs() {
        std::vector<float> xs;
        for (ShotNode *s = arms.shotHead; s; s = s->next) xs.push_back(s->x);
        return xs;
    }
};

TEST_F(HeroDrawTest, SpriteCellByPoseFacingLookAndCostume) {
    struct Case {
        const char *name;
        int pose, facing, direction, costume;
        int overrideOn, overrideColumn, overrideRow;
        int column, row;
    } cases[] = {
        {"standing right", 0, 1, 1, 0, 0, 0, 0, 1, 0},
        {"walking left", 2, 0, 0, 0, 0, 0, 0, 0, 2},
        {"looking up", 1, 1, 3, 0, 0, 0, 0, 1, 4},
        {"looking down in the air", 6, 0, 4, 0, 0, 0, 0, 0, 6},
        {"crouching", 7, 1, 1, 0, 0, 0, 0, 1, 7},
        {"costume 3", 0, 1, 1, 3, 0, 0, 0, 7, 0},
        {"override", 0, 1, 1, 0, 1, 5, 9, 5, 9},
        {"override with zeroes keeps the pose", 2, 1, 1, 0, 1, 0, 0, 1, 2},
        {"override off", 0, 1, 1, 0, 0, 5, 9, 1, 0},
        {"looking up beats the override row", 2, 1, 3, 1, 1, 4, 9, 6, 5},
    };
    for (const auto &c : cases) {
        Calls().clear();
        player.pose = c.pose;
        player.facing = c.facing;
        player.direction = c.direction;
        player.costume = c.costume;
        player.poseOverrideOn = c.overrideOn;
        player.poseOverrideColumn = c.overrideColumn;
        player.poseOverrideRow = c.overrideRow;
        DrawPlayer(player);
        EXPECT_EQ(Calls(),
                  std::vector<DrawCall>({Part(92, 71, 16 * c.column, 16 * c.row, 16, 16, 10, 1)}))
            << c.name;
        EXPECT_EQ(player.sourceRect[2], 16 * c.column + 16) << c.name;
    }
}

TEST_F(HeroDrawTest, BlinkAfterAHit) {
    player.invulnerable = 100;
    player.costume = 6;
    companion.mode = COMPANION_STEERED;
    companion.offsetX = companion.offsetY = companion.lookSpeed = companion.swaySpeed = 2;
    std::vector<bool> drawn;
    for (int frame = 0; frame < 102; frame++) {
        size_t before = Calls().size();
        DrawPlayer(player);
        drawn.push_back(Calls().size() > before);
    }
    EXPECT_EQ(world.sounds, std::vector<int>{10}) << "the hit sound once, at exactly 100";
    EXPECT_EQ(player.invulnerable, 0);
    EXPECT_EQ(player.costume, 0) << "costume 6 is dropped";
    EXPECT_EQ(companion.mode, COMPANION_FOLLOW) << "a hit ends the steered companion";
    EXPECT_EQ(companion.offsetX, 0.0f);
    EXPECT_EQ(companion.swaySpeed, 0.0f);
    // The count is taken down before the test: 99 hides, 98 shows, ... 0 shows from then on.
    for (int frame = 0; frame < 100; frame++) EXPECT_EQ(drawn[frame], frame % 2 == 1) << frame;
    EXPECT_TRUE(drawn[100]);
    EXPECT_TRUE(drawn[101]);
    // The costume is dropped after the cell was chosen on the hit frame.
    EXPECT_EQ(Calls()[0].sx, 16 * (1 + 2 * 0));
}

TEST_F(HeroDrawTest, LightMaskOnlyInTheDark) {
    DrawLightMask(player);
    EXPECT_TRUE(Calls().empty());
    player.darkness = 1;
    DrawLightMask(player);
    EXPECT_EQ(Calls(), std::vector<DrawCall>({Part(100 - 512, 80 - 512, 0, 0, 1024, 1024, 11, 1)}));
}

TEST_F(HeroDrawTest, WeaponInHandByClassAndDirection) {
    struct Case {
        int handClass, direction;
        bool drawn;
        int srcX, srcY, x, y;
    } cases[] = {
        {5, 0, true, 0, 0, 100 - 16, 80 - 9},      {5, 1, true, 0, 16, 100 - 8, 80 - 9},
        {7, 2, true, 48, 32, 100 - 16, 80 - 14},   {9, 3, true, 96, 48, 100 - 8, 80 - 14},
        {6, 4, true, 24, 64, 100 - 16, 80 - 5},    {8, 5, true, 72, 80, 100 - 8, 80 - 5},
        {20, 1, true, 24, 16, 100 - 8, 80 - 9},    {4, 1, false, 0, 0, 0, 0},
        {10, 1, false, 0, 0, 0, 0},                {0, 1, false, 0, 0, 0, 0},
    };
    arms.weapon = 5;
    for (const auto &c : cases) {
        Calls().clear();
        Item(5, ITEM_WEAPON, 8, 1, c.handClass);
        player.direction = c.direction;
        DrawWeaponInHand(arms);
        if (c.drawn) {
            EXPECT_EQ(Calls(), std::vector<DrawCall>({Part(c.x, c.y, c.srcX, c.srcY, 24, 16, 22, 1)}))
                << "class " << c.handClass << " direction " << c.direction;
        } else {
            EXPECT_TRUE(Calls().empty()) << "class " << c.handClass;
        }
    }
    Item(5, ITEM_WEAPON, 8, 1, 5);
    player.costume = 6;
    Calls().clear();
    DrawWeaponInHand(arms);
    EXPECT_TRUE(Calls().empty()) << "costume 6 holds nothing";
}

TEST_F(HeroDrawTest, ArmsBoxShowsIconCountAndName) {
    ItemKind &gun = Item(3, ITEM_COUNTED_WEAPON, 1, 6, 2);
    gun.name = "MK2";
    gun.unidentifiedName = "ﾊﾟｲﾅﾂﾌﾟﾙ";
    ItemKind &knife = Item(5, ITEM_WEAPON, 8, 1, 4);
    knife.name = "ﾅｲﾌ";
    knife.unidentifiedName = "ﾊﾓﾉ";
    world.identified[5] = 1;
    Item(0, ITEM_EMPTY);

    arms.weapon = 3;
    arms.weaponCount = 0;
    DrawArmsHud(arms);
    EXPECT_EQ(world.texts, (std::vector<RecordedText>{{45, 13, "SB", 0}, {73, 13, "", 1}, {45, 21, "ﾊﾟｲﾅﾂﾌﾟﾙ", 0}}))
        << "a counted weapon with none left shows 1";
    EXPECT_EQ(Calls(), std::vector<DrawCall>({Part(16, 14, 32, 0, 16, 15, 21, 1)}));

    world.ClearRecords();
    Calls().clear();
    arms.weapon = 5;
    DrawArmsHud(arms);
    EXPECT_EQ(world.texts, (std::vector<RecordedText>{{45, 13, "SB", 0}, {65, 13, "--", 0}, {45, 21, "ﾅｲﾌ", 0}}));
    EXPECT_EQ(Calls(), std::vector<DrawCall>({Part(16, 14, 64, 0, 16, 15, 21, 1)}));

    world.ClearRecords();
    Calls().clear();
    arms.weapon = 0;
    DrawArmsHud(arms);
    EXPECT_EQ(world.texts, (std::vector<RecordedText>{{45, 21, "", 0}})) << "class 0: only the name";
    EXPECT_TRUE(Calls().empty());

    // After a weapon change the icon slides in 3 px a frame.
    arms.weapon = 5;
    arms.iconSlide = 10;
    std::vector<int> iconX, dashX;
    for (int i = 0; i < 6; i++) {
        world.ClearRecords();
        Calls().clear();
        DrawArmsHud(arms);
        iconX.push_back(Calls().at(0).x);
        dashX.push_back(world.texts.at(1).x);
    }
    EXPECT_EQ(iconX, (std::vector<int>{6, 9, 12, 15, 16, 16}));
    EXPECT_EQ(dashX, (std::vector<int>{72, 69, 66, 63, 63, 63})) << "the slide left at -2";
}

TEST_F(HeroDrawTest, ShotsDrawnAtTheirSizes) {
    struct Case {
        int behaviour, w, h;
    } cases[] = {{0, 16, 16}, {2, 16, 16}, {4, 128, 16}, {24, 128, 16}, {5, 8, 8}, {25, 8, 8},
                 {6, 4, 4},   {11, 4, 4},  {14, 0, 0},   {1, 10, 6},    {33, 10, 6}};
    std::vector<DrawCall> expected;
    for (const auto &c : cases) {
        ShotNode *s = Shot(0, 0, c.behaviour);
        s->halfWidth = 5;
        s->halfHeight = 3;
        s->cellX = 64;
        s->cellY = 448;
        s->screenX = 50;
        s->screenY = 60;
        expected.push_back(Part(45, 57, 64, 448, c.w, c.h, 20, 1));
    }
    DrawShots(arms);
    EXPECT_EQ(Calls(), expected);
}

TEST_F(HeroDrawTest, ShotScreenPositionsFollowTheCamera) {
    Map(std::vector<std::string>(30, std::string(40, '.')));
    companion.x = 560; // right edge: the camera's x stops at 480
    companion.y = 240;
    Shot(500.9f, 250.5f);
    Shot(-700, -900);
    UpdateShotScreenPositions(arms);
    EXPECT_EQ(arms.shotHead->screenX, 180.0f);
    EXPECT_EQ(arms.shotHead->screenY, 130.0f);
    EXPECT_EQ(arms.shotTail->screenX, -1020.0f) << "no off-screen test";
    EXPECT_EQ(arms.shotTail->screenY, -1020.0f);
}

TEST_F(HeroDrawTest, ShotsOffTheMapAreRemovedAndWallsStopThem) {
    std::vector<std::string> map(10, std::string(20, '.'));
    map[2][3] = '#';
    map[2][4] = 'X';
    Map(map); // 320 x 160 px
    Shot(10, 10);       // inside
    Shot(-20, 10);      // left of the grid
    Shot(330, 10);      // right of the grid
    Shot(10, 170);      // below the last row
    Shot(100, -30);     // above the top row: stays
    Shot(-8, 10);       // column 0 by truncation: inside
    ShotNode *wall = Shot(50, 40);
    ShotNode *breakable = Shot(70, 40);
    ShotNode *passes = Shot(52, 41);
    wall->stopsAtWalls = breakable->stopsAtWalls = 1;
    RemoveShotsOffMap(arms);
    EXPECT_EQ(ShotXs(), (std::vector<float>{10, 100, -8, 50, 70, 52}));
    EXPECT_EQ(wall->hit, 1);
    EXPECT_EQ(breakable->hit, 0) << "only attribute 1";
    EXPECT_EQ(passes->hit, 0) << "a shot that does not stop at walls";
    EXPECT_EQ(arms.shotTail, passes);
}

} // namespace
