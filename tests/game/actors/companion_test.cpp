// The companion and the camera: the clamps at the map's four edges and on a small map, the look
// offset, the sway, the trail, steered flight with its kicks, the sight ray, the distance level,
// flying to a point, the map clamp and the companion's cells.
#include "game/actors/companion.h"

#include <algorithm>
#include <cmath>

#include "game/frame/status_window.h"
#include "tests/game/actors/actor_fixture.h"

namespace {

class CompanionTest : public ActorTest {
protected:
    CompanionTest() { companion.status = &status; }
    // One frame of the look offset under the held buttons.
    void Look() {
        world.NextFrame();
        UpdateLookOffset(companion);
    }
    void Steer(int mode, int kickRange, int sightSteps) {
        companion.mode = mode;
        companion.kickRange = kickRange;
        companion.sightSteps = sightSteps;
    }
    StatusWindow status;
};

std::vector<std::string> Empty(int width, int height)
{
    return std::vector<std::string>(height, std::string(width, '.'));
}

TEST_F(CompanionTest, CameraClampsAtTheFourEdgesAndOnASmallMap) {
    // 40 x 30 cells: the camera's centre runs from (160, 120) to (480, 360).
    struct Case {
        int width, height;
        float x, y;           // the companion
        float screenX, screenY; // expected
    } cases[] = {
        {40, 30, 100, 100, 100, 100}, // top-left: the screen does not scroll
        {40, 30, 320, 240, 160, 120}, // mid-map: centred
        {40, 30, 560, 100, 240, 100}, // right edge
        {40, 30, 100, 400, 100, 160}, // bottom edge
        {40, 30, 600, 470, 280, 230},
        {12, 8, 50, 40, 178, 152},    // under 20 x 15: the far edge (32, 8) wins
        {12, 8, 0, 0, 128, 112},
    };
    for (const Case &c : cases) {
        Map(Empty(c.width, c.height));
        companion.x = c.x;
        companion.y = c.y;
        UpdateCompanionScreenPosition(companion);
        EXPECT_EQ(companion.screenX, c.screenX) << c.width << " wide, " << c.x << "," << c.y;
        EXPECT_EQ(companion.screenY, c.screenY) << c.width << " wide, " << c.x << "," << c.y;
        // Truncated to whole pixels.
        companion.x += 0.7f;
        UpdateCompanionScreenPosition(companion);
        EXPECT_EQ(companion.screenX, c.screenX) << c.width << " wide, " << c.x << "," << c.y;
        companion.x = c.x;
        // The player 30 px right and 20 px below the companion, under the same camera.
        player.x = c.x + 30.5f;
        player.y = c.y + 20.5f;
        UpdatePlayerScreenPosition(player);
        EXPECT_EQ(player.screenX, c.screenX + 30) << c.x << "," << c.y;
        EXPECT_EQ(player.screenY, c.screenY + 20) << c.x << "," << c.y;
    }
}

TEST_F(CompanionTest, APlayerFarOffTheScreenIsParked) {
    Map(Empty(40, 30));
    companion.x = 320;
    companion.y = 240;
    struct Case {
        float dx, dy;
        bool shown;
    } cases[] = {{-223, 0, true}, {-224, 0, false}, {223, 0, true}, {224, 0, false},
                 {0, -183, true}, {0, -184, false}, {0, 183, true}, {0, 184, false}};
    for (const Case &c : cases) {
        player.x = 320 + c.dx;
        player.y = 240 + c.dy;
        UpdatePlayerScreenPosition(player);
        if (c.shown) {
            EXPECT_EQ(player.screenX, 160 + c.dx) << c.dx << "," << c.dy;
            EXPECT_EQ(player.screenY, 120 + c.dy) << c.dx << "," << c.dy;
        } else {
            EXPECT_EQ(player.screenX, -32.0f) << c.dx << "," << c.dy;
            EXPECT_EQ(player.screenY, -32.0f) << c.dx << "," << c.dy;
        }
    }
}

TEST_F(CompanionTest, LookOffsetStartsAfterFiftyFramesOvershootsAndReturns) {
    for (int sign : {-1, 1}) {
        companion.offsetY = companion.lookSpeed = 0;
        companion.lookHold = 0;
        world.ReleaseAll();
        world.Hold(sign < 0 ? BUTTON_UP : BUTTON_DOWN);
        for (int i = 0; i < 50; i++) Look();
        EXPECT_EQ(companion.offsetY, 0.0f) << "50 held frames change nothing";
        float offset = 0, speed = 0, furthest = 0;
        for (int i = 0; i < 200; i++) {
            Look();
            if (offset * sign < 48) speed = sign < 0 ? std::max(speed - 0.05f, -1.0f) : std::min(speed + 0.05f, 1.0f);
            else speed *= 0.95f;
            offset += speed;
            ASSERT_EQ(companion.offsetY, offset) << sign << " frame " << 51 + i;
            furthest = std::max(furthest, offset * sign);
        }
        EXPECT_GT(furthest, 48.0f) << "overshoots by the decaying speed";
        world.ReleaseAll();
        Look();
        EXPECT_EQ(companion.offsetY, offset - sign) << "back at 1 px a frame";
        EXPECT_EQ(companion.lookSpeed, 0.0f);
        EXPECT_EQ(companion.lookHold, 0);
        for (int i = 0; i < 100; i++) Look();
        EXPECT_EQ(companion.offsetY, 0.0f);
    }
}

TEST_F(CompanionTest, ATransitionOnlyLetsTheOffsetsDrift) {
    uint8_t busy = 1;
    companion.transitionBusy = &busy;
    companion.swaySpeed = 1;
    companion.lookSpeed = -0.5f;
    companion.offsetX = 10;
    companion.offsetY = -20;
    world.Hold(BUTTON_DOWN);
    Look();
    EXPECT_EQ(companion.offsetX, 10 + 0.95f);
    EXPECT_EQ(companion.offsetY, -20 + -0.5f * 0.95f);
    EXPECT_EQ(companion.lookHold, 0) << "the buttons are not read";
    busy = 0;
    Look();
    EXPECT_EQ(companion.lookHold, 1);
}

TEST_F(CompanionTest, FollowsFiveFramesBehindWithASway) {
    Map(Empty(40, 30));
    for (int i = 0; i < kPlayerHistoryLength; i++) player.history[i] = {(float)(100 + i), (float)(200 + i)};
    for (int facing : {0, 1}) {
        player.direction = facing;
        float offset = companion.offsetX, sway = companion.swaySpeed;
        float sign = facing == 0 ? -1.0f : 1.0f;
        for (int i = 0; i < 120; i++) {
            player.historyIndex = (i * 7) % kPlayerHistoryLength;
            UpdateCompanion(companion);
            if (offset * sign < 34) sway = 1;
            else sway *= 0.95f;
            offset += sign * sway;
            int trail = player.historyIndex - 5 < 0 ? player.historyIndex - 5 + 64 : player.historyIndex - 5;
            ASSERT_EQ(companion.trailIndex, trail) << i;
            ASSERT_EQ(companion.offsetX, offset) << facing << " frame " << i;
            ASSERT_EQ(companion.x, player.history[trail].x + offset) << i;
            ASSERT_EQ(companion.y, player.history[trail].y + companion.offsetY) << i;
        }
        EXPECT_GT(offset * sign, 34.0f) << "the sway passes 34 and slows";
    }
}

TEST_F(CompanionTest, SteeredSpeedsBuildToFiveAndDecay) {
    Map(Empty(40, 30));
    status.timers[0] = 5; // no kicks
    Steer(COMPANION_STEERED, 3, 0);
    companion.x = 300;
    companion.y = 200;
    player.x = 250.5f;
    player.y = 230.5f;
    world.Hold(BUTTON_RIGHT);
    world.Hold(BUTTON_UP);
    float vx = 0, vy = 0, x = 300, y = 200;
    for (int i = 0; i < 70; i++) {
        world.NextFrame();
        UpdateCompanion(companion);
        vx = std::min(vx + 0.1f, 5.0f);
        vy = std::max(vy - 0.1f, -5.0f);
        if (i == 0) {
            EXPECT_EQ(companion.relativeX, 49);
            EXPECT_EQ(companion.relativeY, -31) << "(int)(200 - 230.5) - 1";
        }
        x += vx;
        y += vy;
        y = std::max(y, 0.0f);
        ASSERT_EQ(companion.offsetX, vx) << i;
        ASSERT_EQ(companion.x, x) << i;
    }
    EXPECT_EQ(companion.offsetX, 5.0f);
    EXPECT_EQ(companion.y, 0.0f) << "the map clamp holds the top";
    world.ReleaseAll();
    world.NextFrame();
    UpdateCompanion(companion);
    EXPECT_EQ(companion.offsetX, 5.0f * 0.9f);
    EXPECT_EQ(companion.offsetY, -5.0f * 0.9f);
    EXPECT_EQ(companion.animationCounter, 71);
}

TEST_F(CompanionTest, RandomKicksDrawFourNumbersAndNoneWhileCalm) {
    Map(Empty(40, 30));
    Steer(COMPANION_STEERED, 3, 0);
    companion.x = 300;
    companion.y = 200;
    // A kick: 200 % 100 = 0; kx = 5 % 3 = 2, ky = 7 % 3 = 1; an even draw subtracts, an odd adds.
    rand.Add({200, 5, 7, 4, 3});
    world.NextFrame();
    UpdateCompanion(companion);
    EXPECT_EQ(companion.offsetX, -2.0f);
    EXPECT_EQ(companion.offsetY, 1.0f);
    // No kick: one draw.
    rand.Add({101});
    UpdateCompanion(companion);
    EXPECT_EQ(companion.offsetX, -2.0f * 0.9f);
    EXPECT_EQ(rand.Left(), 0u);
    // While the first timed effect runs nothing is drawn.
    status.timers[0] = 1;
    UpdateCompanion(companion);
    // A kick range of 0 draws the same numbers and kicks by 0.
    status.timers[0] = 0;
    companion.kickRange = 0;
    float vx = companion.offsetX * 0.9f;
    rand.Add({0, 9, 9, 1, 1});
    UpdateCompanion(companion);
    EXPECT_EQ(companion.offsetX, vx);
}

TEST_F(CompanionTest, SightRayStopsAtAnyAttributeAndReadsOutsideAsEmpty) {
    // The player at (40, 104); the companion's centre 100 px to the right at (140, 104).
    std::vector<std::string> map = Empty(20, 15);
    Map(map);
    player.x = 40;
    player.y = 104;
    companion.x = 125;
    companion.y = 88;
    companion.sightSteps = 1000;
    CheckCompanionSight(companion);
    EXPECT_EQ(companion.sight, 1);
    companion.sightSteps = 50;
    CheckCompanionSight(companion);
    EXPECT_EQ(companion.sight, 0) << "the ray is too short";
    companion.sightSteps = 1000;
    for (char cell : {'#', '%', '~', '2'}) {
        map[6][5] = cell;
        Map(map);
        CheckCompanionSight(companion);
        EXPECT_EQ(companion.sight, cell == '~' ? 1 : 0) << cell << ": water has no attribute";
    }
    // Above the map the ray meets no cell.
    Map(Empty(20, 15));
    player.y = 4;
    companion.y = -80;
    CheckCompanionSight(companion);
    EXPECT_EQ(companion.sight, 1);
}

TEST_F(CompanionTest, DistanceLevelIsASignedSum) {
    player.x = 100;
    player.y = 100;
    struct Case {
        float dx, dy;
        int level;
    } cases[] = {{-900, -900, 0}, {100, 100, 0}, {100, 101, 1}, {0, 401, 2}, {300, 300, 2},
                 {0, 800, 3},     {500, 500, 4}, {0, 1002, 5}, {2000, -1500, 2}};
    for (const Case &c : cases) {
        companion.x = player.x + c.dx;
        companion.y = player.y + c.dy;
        EXPECT_EQ(GetCompanionDistanceLevel(companion), c.level) << c.dx << "," << c.dy;
    }
    // Each difference is truncated: (int)(201 - 100.5) + (int)(200 - 100.5) = 199.
    player.x = player.y = 100.5f;
    companion.x = 200.5f;
    companion.y = 201.5f;
    EXPECT_EQ(GetCompanionDistanceLevel(companion), 0);
}

TEST_F(CompanionTest, FliesTowardAPointFivePixelsAFrame) {
    companion.x = 0;
    companion.y = 0;
    EXPECT_EQ(MoveCompanionToward(companion, 30, 40), 0);
    float a = std::atan2(40.0f, 30.0f);
    EXPECT_EQ(companion.x, 5.0f * std::cos(a));
    EXPECT_EQ(companion.y, 5.0f * std::sin(a));
    int frames = 1;
    while (MoveCompanionToward(companion, 30, 40) == 0) frames++;
    EXPECT_EQ(frames, 8) << "50 px: stops within 10";
    float x = companion.x;
    EXPECT_EQ(MoveCompanionToward(companion, 30, 40), 1);
    EXPECT_EQ(companion.x, x) << "nothing moves once there";
    EXPECT_LE(std::hypot(30 - companion.x, 40 - companion.y), 10.0f);
}

TEST_F(CompanionTest, ClampedToTheMap) {
    Map(Empty(30, 20));
    Steer(COMPANION_STEERED, 1, 0);
    status.timers[0] = 1;
    companion.x = -50;
    companion.y = 1000;
    UpdateCompanion(companion);
    EXPECT_EQ(companion.x, 0.0f);
    EXPECT_EQ(companion.y, (float)(18 * 16));
    companion.x = 9999;
    companion.y = -3;
    UpdateCompanion(companion);
    EXPECT_EQ(companion.x, (float)(28 * 16));
    EXPECT_EQ(companion.y, 0.0f);
}

TEST_F(CompanionTest, DrawnOnlyWhenSteered) {
    companion.sheet = 44;
    companion.screenX = 100;
    companion.screenY = 50;
    DrawCompanion(companion);
    EXPECT_TRUE(Calls().empty()) << "following: not drawn";
    companion.mode = COMPANION_STEERED;
    companion.sight = 1;
    DrawCompanion(companion);
    companion.sight = 0;
    DrawCompanion(companion);
    companion.mode = COMPANION_STEERED_ANIMATED;
    for (int counter : {0, 9, 10, 25, 30}) {
        companion.animationCounter = counter;
        DrawCompanion(companion);
    }
    EXPECT_EQ(Calls(), (std::vector<DrawCall>{
                           Part(100, 50, 0, 0, 32, 32, 44, 1),
                           Part(100, 50, 32, 0, 32, 32, 44, 1),
                           Part(100, 50, 0, 32, 32, 32, 44, 1),
                           Part(100, 50, 0, 32, 32, 32, 44, 1),
                           Part(100, 50, 0, 64, 32, 32, 44, 1),
                           Part(100, 50, 0, 96, 32, 32, 44, 1),
                           Part(100, 50, 0, 32, 32, 32, 44, 1),
                       }));
}

} // namespace
