// The hero against the map cells: the gaps left at floors and walls, the head bump, conveyors,
// every slope at its edges and middle, the 2-3 ramp, the corner met as a wall, probes outside the
// grid, the carried position and the history ring.
#include "game/actors/player.h"

#include <algorithm>

#include "game/actors/actor_map.h"
#include "tests/game/actors/actor_fixture.h"

namespace {

class PlayerCollisionTest : public ActorTest {
protected:
    // One collision of a move from (px, py) to (x, y).
    void Collide(float px, float py, float x, float y) {
        player.previousX = px;
        player.previousY = py;
        player.x = x;
        player.y = y;
        CollidePlayerWithMap(player);
    }
    void Press(int button) {
        world.Release(button);
        world.NextFrame();
        world.Hold(button);
    }
};

// Floor top at 160; a wall whose left side is at x 192 and one whose right side is at x 96;
// a ceiling whose bottom is at y 112 over columns 14..17.
const std::vector<std::string> kRoom = {
    "..............................", "..............................", "..............................",
    "..............................", "..............................", "..............................",
    "..............####............", "..............................", "..............................",
    ".....#......#.................", "##############################", "##############################",
    "##############################", "##############################", "##############################",
};

TEST_F(PlayerCollisionTest, LandingAndWallGaps) {
    Map(kRoom);
    // Falling onto the floor: 0.1 above the tile's top.
    Collide(150, 150, 150, 155.5f);
    EXPECT_EQ(player.y, (float)(160 - 6) - 0.1f);
    EXPECT_EQ(player.onGround, 1);
    EXPECT_EQ(player.blocked, 1);
    EXPECT_EQ(player.verticalAttribute, 1);
    // Walking right into the wall at 192: 3.1 short of it.
    Collide(188, 140, 189.5f, 140);
    EXPECT_EQ(player.x, (float)(192 - 3) - 0.1f);
    EXPECT_EQ(player.blocked, 1);
    // Walking left into the wall whose right side is at 96: exactly 3 away.
    Collide(100, 140, 98.5f, 140);
    EXPECT_EQ(player.x, 99.0f);
    // Standing still against it: x stays.
    Collide(98.5f, 140, 98.5f, 140);
    EXPECT_EQ(player.x, 98.5f);
    EXPECT_EQ(player.blocked, 1);
    // Nothing underfoot and no support: not on the ground.
    Collide(150, 100, 150, 101);
    EXPECT_EQ(player.onGround, 0);
    EXPECT_EQ(player.blocked, 0);
}

TEST_F(PlayerCollisionTest, HeadBumpsOncePerAirborneStretch) {
    Map(kRoom);
    player.x = 256;
    player.y = (float)(160 - 6) - 0.1f;
    player.extraAirJumps = 1;
    Frames(6);
    Press(BUTTON_JUMP);
    int frames = 0;
    while (!player.headBump && frames++ < 30) Frame();
    ASSERT_EQ(player.headBump, 1);
    EXPECT_EQ(player.y, (float)(112 + 6)) << "the head at the tile's bottom";
    EXPECT_EQ(world.sounds, (std::vector<int>{40, 53}));
    EXPECT_EQ(world.effects, (std::vector<RecordedEffect>{{player.x, 110, 3}, {player.x, 110, 3}}));
    EXPECT_EQ(player.noise, 1);
    Frame();
    EXPECT_EQ(player.vy, player.gravity) << "the upward speed is zeroed, then gravity";

    // An air jump into the ceiling again: no second sound in the same stretch.
    Press(BUTTON_JUMP);
    frames = 0;
    do Frame();
    while (!player.headBump && frames++ < 30);
    ASSERT_EQ(player.headBump, 1);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 53), 1);

    // Landing clears the latch.
    world.Release(BUTTON_JUMP);
    Frames(60);
    ASSERT_EQ(player.onGround, 1);
    Press(BUTTON_JUMP);
    frames = 0;
    do Frame();
    while (!player.headBump && frames++ < 30);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 53), 2);
}

TEST_F(PlayerCollisionTest, ConveyorsCarryTheHeroStandingOnThem) {
    struct Case {
        char cell;
        float step;
    } cases[] = {{'>', 0.15f}, {'<', -0.15f}};
    for (const Case &c : cases) {
        std::vector<std::string> map(15, std::string(30, '.'));
        map[10] = std::string(30, c.cell);
        Map(map);
        InitPlayer(player);
        player.x = 200;
        player.y = (float)(160 - 6) - 0.1f;
        Frames(6);
        float x = player.x;
        for (int i = 0; i < 10; i++) {
            Frame();
            x = (x + player.vx) + c.step;
            ASSERT_EQ(player.x, x) << c.cell << " frame " << i;
        }
    }
}

// The walkable line of each floor slope at its left and right edges (from the cell's top).
struct SlopeLine {
    int attribute, left, right;
};
const SlopeLine kSlopes[] = {{2, 16, 8}, {3, 8, -2}, {4, 8, 16}, {5, -2, 8}};

float LineAt(int cellLeft, int cellTop, const SlopeLine &s, float x)
{
    float rise = (float)(s.right - s.left) * (x - (float)cellLeft);
    return (float)(cellTop + s.left) + rise / 16.0f;
}

TEST_F(PlayerCollisionTest, FloorSlopesAtBothEdgesAndMidCell) {
    // The slope cell at column 10, row 8: x 160..176, y 128..144.
    for (const SlopeLine &s : kSlopes) {
        std::vector<std::string> map(15, std::string(30, '.'));
        map[8][10] = (char)('0' + s.attribute);
        Map(map);
        for (float dx : {0.5f, 8.0f, 15.5f}) {
            float x = 160 + dx;
            float line = LineAt(160, 128, s, x);
            player.onGround = 0;
            player.airborne = 1;
            player.bumpLatched = 1;
            Collide(x, 137.9f, x, 137.9f); // feet at 143.9, low in the cell
            EXPECT_EQ(player.y, line - 6) << "attribute " << s.attribute << " at +" << dx;
            EXPECT_EQ(player.onGround, 1) << s.attribute;
            EXPECT_EQ(player.airborne, 0.0f) << s.attribute;
            EXPECT_EQ(player.bumpLatched, 0) << s.attribute;
        }
        // Feet above the line: nothing moves, but the latch still clears.
        player.bumpLatched = 1;
        Collide(168, 100, 168, 100);
        EXPECT_EQ(player.y, 100.0f);
    }
    // Attribute 2 at its left edge stands at the cell's bottom, at its right edge 8 higher.
    EXPECT_EQ(LineAt(160, 128, kSlopes[0], 160), 144.0f);
    EXPECT_EQ(LineAt(160, 128, kSlopes[0], 176), 136.0f);
}

TEST_F(PlayerCollisionTest, CeilingSlopesPushTheHeadDown) {
    for (const SlopeLine &floor : kSlopes) {
        SlopeLine s = floor;
        s.attribute += 4;
        std::vector<std::string> map(15, std::string(30, '.'));
        map[8][10] = (char)('0' + s.attribute);
        Map(map);
        for (float dx : {0.5f, 8.0f, 15.5f}) {
            float x = 160 + dx, head = 128.5f;
            float line = LineAt(160, 128, s, x);
            Collide(x, head + 7, x, head + 6);
            if (head < line) {
                EXPECT_EQ(player.y, line + 6) << "attribute " << s.attribute << " at +" << dx;
                EXPECT_EQ(player.headBump, 1) << s.attribute;
            } else {
                EXPECT_EQ(player.y, head + 6) << "attribute " << s.attribute << " at +" << dx;
                EXPECT_EQ(player.headBump, 0) << s.attribute;
            }
        }
    }
}

TEST_F(PlayerCollisionTest, ATwoThreePairIsOneRampOfEighteenPixels) {
    // Floor top at 160 to the left, the ramp over columns 10 and 11 of row 9, a plateau (top 144)
    // from column 12.
    std::vector<std::string> map(15, std::string(30, '.'));
    map[9] = "..........23##################";
    for (int r = 10; r < 15; r++) map[r] = std::string(30, '#');
    Map(map);
    EXPECT_EQ(LineAt(160, 144, kSlopes[0], 160) - LineAt(176, 144, kSlopes[1], 192), 18.0f);
    player.x = 120;
    player.y = (float)(160 - 6) - 0.1f;
    Frames(6);
    world.Hold(BUTTON_RIGHT);
    float lastX = player.x;
    for (int i = 0; i < 80 && player.x < 220; i++) {
        Frame();
        ASSERT_GT(player.x, lastX) << "never stopped on the way up, frame " << i;
        lastX = player.x;
        MapPoint foot = MapPointAt(&grid, player.x, player.y + 6);
        int a = CellAttribute(foot.cell);
        if (player.onGround && (a == 2 || a == 3)) {
            EXPECT_EQ(player.y, LineAt(foot.column * 16, foot.row * 16, kSlopes[a - 2], player.x) - 6) << i;
        }
    }
    world.Release(BUTTON_RIGHT);
    Frames(30);
    EXPECT_GT(player.x, 192.0f);
    EXPECT_EQ(player.y, (float)(144 - 6) - 0.1f) << "on the plateau";
}

TEST_F(PlayerCollisionTest, ACornerNeitherProbeSetTouchedStopsTheHeroSideways) {
    std::vector<std::string> map(15, std::string(30, '.'));
    map[5][5] = '#'; // x 80..96, y 80..96
    Map(map);
    Collide(74, 72, 78, 76);
    EXPECT_EQ(player.x, (float)(80 - 3) - 0.1f);
    EXPECT_EQ(player.y, 76.0f) << "the fall goes on";
    EXPECT_EQ(player.blocked, 1);
    EXPECT_EQ(player.verticalAttribute, 0);
}

TEST_F(PlayerCollisionTest, OutsideTheGridIsEmpty) {
    Map(std::vector<std::string>(15, std::string(30, '#')));
    // Left of, right of, above and below the grid: no cell stops the hero.
    struct Case {
        float x, y;
    } cases[] = {{-40, 100}, {520, 100}, {100, -40}, {100, 300}};
    for (const Case &c : cases) {
        Collide(c.x, c.y - 2, c.x, c.y);
        EXPECT_EQ(player.x, c.x) << c.x << "," << c.y;
        EXPECT_EQ(player.y, c.y) << c.x << "," << c.y;
        EXPECT_EQ(player.blocked, 0) << c.x << "," << c.y;
        EXPECT_EQ(player.onGround, 0) << c.x << "," << c.y;
    }
}

TEST_F(PlayerCollisionTest, CarriedPositionSupportAndTheHistoryRing) {
    std::vector<std::string> map(15, std::string(30, '.'));
    Map(map);
    player.carriedX = 77;
    player.carriedY = 0;
    player.support = 1;
    player.extraAirJumps = 2;
    Collide(70, 60, 70, 60);
    EXPECT_EQ(player.x, 77.0f) << "the carried position comes first";
    EXPECT_EQ(player.y, 60.0f) << "a carried 0 means none";
    EXPECT_EQ(player.onGround, 1) << "standing on an enemy";
    EXPECT_EQ(player.airJumpsLeft, 2);
    player.carriedX = 0;
    player.support = 2;
    Collide(70, 60, 70, 59);
    EXPECT_EQ(player.headBump, 1) << "an enemy overhead";
    player.support = 0;

    player.historyIndex = 0;
    for (int i = 1; i <= 70; i++) Collide(10, 10, (float)i, 20);
    EXPECT_EQ(player.historyIndex, 70 % 64);
    EXPECT_EQ(player.history[6].x, 70.0f);
    EXPECT_EQ(player.history[63].x, 63.0f);
    EXPECT_EQ(player.history[0].x, 64.0f);
}

} // namespace
