// The hero's movement frame by frame: walking and braking, turning, looking, the held jump and its
// release, air jumps, water and currents, pushes, nudges and the dash. Expectations are computed
// here from the movement's formulas in 32-bit floats.
#include "game/actors/player.h"

#include <algorithm>

#include "tests/game/actors/actor_fixture.h"

namespace {

constexpr float kGravity = 55.0f / 630.0f;
// Start speed of a jump: -(k x 35) with k = 55 / (35 x 36 / 2).
float JumpSpeed(bool inWater)
{
    float k = 55.0f / (35.0f * (35.0f + 1.0f) * 0.5f);
    return inWater ? (k * 35.0f) / -1.2f : -(k * 35.0f);
}
float Fall(float vy) { return std::min(vy + kGravity, 2.2f); }

// 30 x 15 cells; the floor's top at y 160, so a hero standing on it has y 153.9. A falling hero
// lands on the frame its feet (y + 6) reach the floor's row.
const std::vector<std::string> kFlat = {
    "..............................", "..............................", "..............................",
    "..............................", "..............................", "..............................",
    "..............................", "..............................", "..............................",
    "..............................", "##############################", "##############################",
    "##############################", "##############################", "##############################",
};
const float kStandY = (float)(160 - 6) - 0.1f;
bool Lands(float y) { return y + 6.0f >= 160.0f; }

class PlayerMovementTest : public ActorTest {
protected:
    // A fresh hero standing still on the floor at x, settled (the landing snap holds it there).
    void StandAt(const std::vector<std::string> &map, float x, int airJumps = 0) {
        Map(map);
        InitPlayer(player);
        world.ReleaseAll();
        player.extraAirJumps = airJumps;
        player.x = x;
        player.y = kStandY;
        Frames(6);
        ASSERT_EQ(player.y, kStandY);
        ASSERT_EQ(player.onGround, 1);
        ASSERT_EQ(player.airborne, 0.0f);
        player.vx = 0;
        player.x = x;
        world.ClearRecords();
    }
    // One press: the button goes down this frame (count 1) and stays held.
    void Press(int button) {
        world.Release(button);
        world.NextFrame();
        world.Hold(button);
    }
};

TEST_F(PlayerMovementTest, StartValues) {
    player.x = 99;
    player.vx = 3;
    player.pushFrames = 4;
    player.sheet = 12;
    InitPlayer(player);
    EXPECT_EQ(player.x, 40.0f);
    EXPECT_EQ(player.y, 24.0f);
    EXPECT_EQ(player.vx, 0.0f);
    EXPECT_EQ(player.pushFrames, 0);
    EXPECT_EQ(player.direction, 1);
    EXPECT_EQ(player.enemySet, 1);
    EXPECT_EQ(player.gravity, 55.0f / 630.0f);
    EXPECT_EQ(player.halfWidth, 3);
    EXPECT_EQ(player.halfHeight, 6);
    EXPECT_EQ(player.screenX, 160.0f);
    EXPECT_EQ(player.sheet, 12) << "sheets are the load step's";
    EXPECT_EQ(player.companion, &companion) << "pointers are CurGame's";
}

TEST_F(PlayerMovementTest, WalksUpToTopSpeedAndBrakes) {
    for (bool icy : {false, true}) {
        StandAt(kFlat, 100);
        player.icy = icy;
        float x = player.x, v = 0;
        world.Hold(BUTTON_RIGHT);
        for (int i = 0; i < 25; i++) {
            Frame();
            v = std::min(v + 0.1f, 1.5f);
            x = x + v;
            ASSERT_EQ(player.vx, v) << i;
            ASSERT_EQ(player.x, x) << i;
        }
        EXPECT_EQ(player.vx, 1.5f);
        world.Release(BUTTON_RIGHT);
        for (int i = 0; i < 20; i++) {
            Frame();
            v *= icy ? 0.98f : 0.8f;
            x = x + v;
            ASSERT_EQ(player.vx, v) << i;
            ASSERT_EQ(player.x, x) << i;
        }
        EXPECT_EQ(player.pose, POSE_STAND);
    }
}

TEST_F(PlayerMovementTest, DownStopsWalkingOnTheGroundButNotInTheAir) {
    StandAt(kFlat, 100);
    world.Hold(BUTTON_RIGHT);
    Frames(10);
    float v = player.vx;
    world.Hold(BUTTON_DOWN);
    Frame();
    EXPECT_EQ(player.vx, v * 0.8f) << "crouching brakes";
    EXPECT_EQ(player.pose, POSE_CROUCH);
    world.Release(BUTTON_RIGHT);
    Frames(3);
    EXPECT_EQ(player.pose, POSE_CROUCH) << "the crouch stays while braking";

    StandAt(kFlat, 100);
    world.Hold(BUTTON_RIGHT);
    Press(BUTTON_JUMP);
    Frame();
    world.Hold(BUTTON_DOWN);
    v = player.vx;
    Frame();
    EXPECT_EQ(player.vx, std::min(v + 0.1f, 1.5f)) << "in the air DOWN does not stop walking";
    EXPECT_EQ(player.pose, POSE_AIR_DOWN);
}

TEST_F(PlayerMovementTest, TurnsAndStepsOnlyEveryFifthFrame) {
    StandAt(kFlat, 100);
    player.frameCounter = 0;
    world.Hold(BUTTON_LEFT);
    Frames(4); // counters 1..4: a tap this short does not turn the hero
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(player.direction, 1);
    EXPECT_LT(player.vx, 0.0f);
    Frame(); // counter 5
    EXPECT_EQ(player.facing, 0);
    EXPECT_EQ(player.direction, 0);
    EXPECT_EQ(player.pose, 1);
    EXPECT_TRUE(world.sounds.empty());
    Frames(5); // counter 10: a footstep on the ground
    EXPECT_EQ(player.pose, 2);
    EXPECT_EQ(world.sounds, std::vector<int>{51});
    Frames(5); // counter 15: pose 2 goes back to 0, no footstep
    EXPECT_EQ(player.pose, 0);
    EXPECT_EQ(world.sounds, std::vector<int>{51});
}

TEST_F(PlayerMovementTest, LookingKeepsTheDirectionWithinZeroToFive) {
    StandAt(kFlat, 100);
    world.Hold(BUTTON_UP);
    Frame();
    EXPECT_EQ(player.direction, 3) << "looking up";
    world.Release(BUTTON_UP);
    Frame();
    EXPECT_EQ(player.direction, 1);

    // In the air: up, then down with no neutral frame between.
    Press(BUTTON_JUMP);
    Frame();
    world.Hold(BUTTON_UP);
    Frame();
    EXPECT_EQ(player.direction, 3);
    world.Release(BUTTON_UP);
    world.Hold(BUTTON_DOWN);
    Frame();
    EXPECT_EQ(player.direction, 5) << "up is dropped before down is added";
    EXPECT_EQ(player.pose, POSE_AIR_DOWN);
    world.Release(BUTTON_DOWN);
    Frame();
    EXPECT_EQ(player.direction, 1);
}

TEST_F(PlayerMovementTest, HeldJumpRisesAboutFiftyTwoPixelsAndFallsAtMost2Point2) {
    StandAt(kFlat, 100);
    float y = player.y, vy = JumpSpeed(false), top = y, fastest = 0;
    Press(BUTTON_JUMP);
    Frame();
    EXPECT_EQ(world.sounds, std::vector<int>{40});
    EXPECT_EQ(player.airborne, 1.0f);
    EXPECT_EQ(player.pose, POSE_JUMP);
    for (int i = 0;; i++) {
        vy = Fall(vy);
        y = y + vy;
        if (Lands(y)) break;
        ASSERT_EQ(player.vy, vy) << i;
        ASSERT_EQ(player.y, y) << i;
        top = std::min(top, y);
        fastest = std::max(fastest, vy);
        Frame();
    }
    // 595 x 55 / 630: gravity acts before the first move, so not the round 55.
    EXPECT_NEAR(kStandY - top, 595.0f * 55.0f / 630.0f, 0.05f);
    EXPECT_EQ(fastest, 2.2f);
    EXPECT_EQ(player.y, kStandY);
    EXPECT_EQ(player.airborne, 0.0f);
    EXPECT_EQ(player.onGround, 1);
    EXPECT_EQ(world.sounds, std::vector<int>{40}) << "landing is silent";
}

TEST_F(PlayerMovementTest, ReleasingJumpCutsTheRise) {
    for (int heldFrames : {1, 4, 12}) {
        StandAt(kFlat, 100);
        float y = player.y, vy = JumpSpeed(false);
        Press(BUTTON_JUMP);
        for (int frame = 1; frame < 60; frame++) {
            if (frame == heldFrames + 1) world.Release(BUTTON_JUMP);
            Frame();
            if (frame > heldFrames && vy < 0) vy *= 0.4f;
            vy = Fall(vy);
            y = y + vy;
            if (Lands(y)) break;
            ASSERT_EQ(player.y, y) << heldFrames << " held, frame " << frame;
        }
        EXPECT_EQ(player.onGround, 1) << heldFrames;
    }
}

TEST_F(PlayerMovementTest, AirJumpsAreRefilledByLanding) {
    StandAt(kFlat, 100);
    Press(BUTTON_JUMP);
    Frame();
    Frame();
    Press(BUTTON_JUMP);
    Frame();
    EXPECT_NE(player.vy, Fall(JumpSpeed(false))) << "no armour: no air jump";

    StandAt(kFlat, 100, 2);
    EXPECT_EQ(player.airJumpsLeft, 2) << "standing refills them";
    Press(BUTTON_JUMP);
    Frame();
    for (int left : {1, 0}) {
        Frames(3);
        Press(BUTTON_JUMP);
        Frame();
        EXPECT_EQ(player.vy, Fall(JumpSpeed(false))) << "a full jump in the air";
        EXPECT_EQ(player.airJumpsLeft, left);
    }
    Frames(3);
    float vy = player.vy;
    Press(BUTTON_JUMP);
    Frame();
    EXPECT_EQ(player.vy, Fall(vy)) << "none left";
    world.Release(BUTTON_JUMP);
    Frames(200);
    EXPECT_EQ(player.onGround, 1);
    EXPECT_EQ(player.airJumpsLeft, 2);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 40), 3);
}

// A pool of still water over the floor, with currents either side.
const std::vector<std::string> kPool = {
    "..............................", "..............................", "..............................",
    "..............................", "..............................", "..............................",
    "..............................", ".....))))).~~~~~~~~.(((((.....", ".....))))).~~~~~~~~.(((((.....",
    ".....))))).~~~~~~~~.(((((.....", "##############################", "##############################",
    "##############################", "##############################", "##############################",
};

TEST_F(PlayerMovementTest, WaterSplashesOnceSlowsWalkingAndLowersTheJump) {
    StandAt(kPool, 56);
    world.Hold(BUTTON_RIGHT);
    Frames(40); // walks into the still water at x 176
    ASSERT_EQ(player.inWater, 1);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 18), 1);
    EXPECT_EQ(player.noise, 1);
    ASSERT_EQ(world.effects.size(), 6u);
    for (const RecordedEffect &e : world.effects) EXPECT_EQ(e.kind, 4);
    EXPECT_EQ(world.effects[0].y, world.effects[5].y);

    StandAt(kPool, 200);
    ASSERT_EQ(player.inWater, 1);
    world.Hold(BUTTON_RIGHT);
    float v = 0, a = 0.1f / 1.5f, m = 1.5f / 1.5f;
    for (int i = 0; i < 30; i++) {
        Frame();
        v = std::min(v + a, m);
        ASSERT_EQ(player.vx, v) << i;
    }
    EXPECT_EQ(player.vx, 1.0f);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 18), 0) << "no second splash in the water";

    StandAt(kPool, 200);
    Press(BUTTON_JUMP);
    Frame();
    EXPECT_EQ(player.vy, Fall(JumpSpeed(true)));
}

TEST_F(PlayerMovementTest, CurrentsCarryTheHero) {
    struct Case {
        float x, step;
    } cases[] = {{96, 1.5f}, {344, -1.5f}, {200, 0.0f}};
    for (const Case &c : cases) {
        StandAt(kPool, c.x);
        float x = player.x;
        for (int i = 0; i < 10; i++) {
            Frame();
            x = x + 0.0f + c.step;
            ASSERT_EQ(player.x, x) << c.x << " frame " << i;
        }
    }
}

TEST_F(PlayerMovementTest, APushOf666LiftsWithAFadingRise) {
    std::vector<std::string> tall(40, std::string(30, '.'));
    tall[38] = tall[39] = std::string(30, '#');
    Map(tall);
    player.x = 100;
    player.y = (float)(38 * 16 - 6) - 0.1f;
    Frames(6);
    ASSERT_EQ(player.onGround, 1);
    player.pushRequest = kPushRise;
    float y = player.y, vy = player.vy;
    for (int frame = 1; frame <= 3; frame++) {
        bool onGround = player.onGround;
        Frame();
        if (!onGround) vy = Fall(vy);
        y = y + vy + 0.0f + (float)(50 - frame) / 50.0f * -16.0f;
        EXPECT_EQ(player.y, y) << frame;
    }
    EXPECT_LT(player.y, (float)(38 * 16) - 50) << "the hero rises about 15 px a frame at first";
    EXPECT_EQ(player.pushFrames, 47);
}

TEST_F(PlayerMovementTest, PushesDashAndNudges) {
    StandAt(kFlat, 200);
    player.pushRequest = -3;
    float x = player.x;
    for (int frame = 1; frame <= 52; frame++) {
        Frame();
        float v = player.vx;
        x = x + v + 0.0f + (frame <= 50 ? -3.0f : 0.0f);
        ASSERT_EQ(player.x, x) << frame;
    }
    EXPECT_EQ(player.pushValue, 0);
    // The effect every 20 frames of the push: at 40 and 20 frames left.
    int smoke = 0;
    for (const RecordedEffect &e : world.effects) smoke += e.kind == 28;
    EXPECT_EQ(smoke, 2);

    StandAt(kFlat, 200);
    player.dashSpeed = 2;
    world.Hold(BUTTON_LEFT);
    Frame();
    EXPECT_EQ(player.pushValue, -2);
    EXPECT_EQ(player.pushFrames, 49) << "renewed every frame while held";
    Frame();
    EXPECT_EQ(player.pushFrames, 49);
    world.Release(BUTTON_LEFT);

    // A lock cancels pushes and nudges.
    StandAt(kFlat, 200);
    player.pushRequest = 5;
    player.nudge = -4;
    player.movementLock = 1;
    x = player.x;
    Frame();
    EXPECT_EQ(player.pushFrames, 0);
    EXPECT_EQ(player.nudge, 0);
    EXPECT_EQ(player.x, x);
    EXPECT_EQ(player.y, kStandY);
    player.movementLock = 0;

    // A nudge below 0 lifts 10 px a frame while it counts up.
    player.nudge = -2;
    float y = player.y, vy = player.vy;
    Frame();
    EXPECT_EQ(player.y, y + vy + -10.0f + 0.0f);
    EXPECT_EQ(player.nudge, -1);
}

} // namespace
