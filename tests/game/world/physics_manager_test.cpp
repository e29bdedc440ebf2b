// The physics manager over the real Box2D world: ids, the body cap, contacts per step, the
// hanger, the grab and the static shapes a map gives.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/world/physics_manager.h"
#include "game/world/static_bodies.h"
#include "tests/game/world/grid_fixture.h"

namespace {

class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetGameInput() = GameInput{};
        physics.CreatePhysicsWorld();
    }
    void TearDown() override { GetGameInput() = GameInput{}; }
    void Steps(int n) {
        for (int i = 0; i < n; i++) physics.StepPhysicsWorld();
    }
    // The states recorded this step between two bodies, in recording order.
    std::vector<int> PairStates(int a, int b) const {
        std::vector<int> states;
        for (int i = 0; i < physics.ContactCount(); i++) {
            const ContactRecord &r = physics.Contact(i);
            if ((r.body1 == a && r.body2 == b) || (r.body1 == b && r.body2 == a)) states.push_back(r.state);
        }
        return states;
    }
    PhysicsManager physics;
};

TEST_F(PhysicsTest, PositionsComeBackInUnitsAndUnknownIdsAnswerMinusOne) {
    int id = physics.CreateObjectBody(100, 50, 4, 4, 1, 0, 0, 0, 0.5f);
    ASSERT_EQ(id, 0);
    float x = 0, y = 0, a = 0;
    ASSERT_EQ(physics.GetBodyPositionById(id, &x, &y), 0);
    EXPECT_FLOAT_EQ(x, 10.0f);
    EXPECT_FLOAT_EQ(y, 5.0f);
    ASSERT_EQ(physics.GetBodyAngleById(id, &a), 0);
    EXPECT_FLOAT_EQ(a, 0.5f);
    ASSERT_EQ(physics.SetBodyAngleById(id, 1.0f), 0);
    physics.GetBodyAngleById(id, &a);
    physics.GetBodyPositionById(id, &x, &y);
    EXPECT_FLOAT_EQ(a, 1.0f);
    EXPECT_FLOAT_EQ(x, 10.0f);

    for (int bad : {-1, 1, 7, 100000}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(physics.GetBodyPositionById(bad, &x, &y), -1);
        EXPECT_EQ(physics.GetBodyAngleById(bad, &a), -1);
        EXPECT_EQ(physics.SetBodyAngleById(bad, 0), -1);
        EXPECT_EQ(physics.SetBodyVelocityById(bad, 1, 1), -1);
        EXPECT_EQ(physics.SetBodyMassById(bad), -1);
        EXPECT_EQ(physics.DestroyBodyById(bad), -1);
        EXPECT_EQ(physics.HangBodyFromPoint(0, 0, bad), -1);
        EXPECT_EQ(physics.ToggleGrabBody(bad), -1);
        EXPECT_EQ(physics.GetBodyContact(bad), -1);
        EXPECT_EQ(physics.GetBodyPlayerContact(bad), -1);
        EXPECT_EQ(physics.GetContactBetweenBodies(bad, id), -1);
    }
    // Values Box2D cannot take are refused, not passed on.
    EXPECT_EQ(physics.CreateObjectBody(NAN, 0, 4, 4, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 4, 4, 1, 0, INFINITY, 0, 0), -1);
    EXPECT_EQ(physics.SetBodyVelocityById(id, NAN, 0), -1);
    EXPECT_EQ(physics.SetBodyAngleById(id, INFINITY), -1);

    EXPECT_EQ(physics.DestroyBodyById(id), 0);
    EXPECT_EQ(physics.GetBodyPositionById(id, &x, &y), -1);
    // Ids are not reused within a world.
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 0, 0, 1, 0, 0, 0, 0), 1);
}

TEST_F(PhysicsTest, ABodyPastTheCapIsRefusedAndAnchorsCount) {
    for (int i = 0; i < kMaxBodies - 1; i++) ASSERT_EQ(physics.CreateObjectBody(i % 300, i / 300 * 40, 2, 2, 1, 0, 0, 0, 0), i);
    EXPECT_EQ(physics.HangBodyFromPoint(0, 0, 3), 0); // the anchor is the 512th
    EXPECT_EQ(physics.BodyCount(), kMaxBodies);
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 2, 2, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(physics.CreateCompoundBody(0, 0, 0, 3, 1), -1);
    ASSERT_EQ(physics.DestroyBodyById(3), 0); // takes its anchor along
    EXPECT_EQ(physics.BodyCount(), kMaxBodies - 2);
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 2, 2, 1, 0, 0, 0, 0), kMaxBodies - 1);
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 2, 2, 1, 0, 0, 0, 0), kMaxBodies);
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 2, 2, 1, 0, 0, 0, 0), -1);
}

TEST_F(PhysicsTest, ANewWorldForgetsTheOldOnesIdsGrabAndContacts) {
    int floor = physics.CreateObjectBody(100, 100, 40, 4, 0, 0, 0, 0, 0);
    int crate = physics.CreateObjectBody(100, 93, 4, 4, 1, 0, 0, 0, 0);
    physics.StepPhysicsWorld();
    ASSERT_GT(physics.ContactCount(), 0);
    ASSERT_EQ(physics.ToggleGrabBody(crate), 1);
    physics.CreatePhysicsWorld();
    EXPECT_EQ(physics.ContactCount(), 0);
    EXPECT_FALSE(physics.Grabbing());
    EXPECT_EQ(physics.GrabbedId(), -1);
    EXPECT_EQ(physics.BodyCount(), 0);
    EXPECT_EQ(physics.GetBodyPositionById(floor, nullptr, nullptr), -1);
    EXPECT_EQ(physics.World()->GetBodyCount(), 1); // the player's box
    EXPECT_EQ(physics.CreateObjectBody(0, 0, 2, 2, 1, 0, 0, 0, 0), 0);
}

TEST_F(PhysicsTest, ContactsGoAddedPersistedPersistedRemoved) {
    int floor = physics.CreateObjectBody(100, 100, 40, 4, 0, 0, 0, 0, 0);
    // Overlapping the floor's top edge (y 96) by a pixel.
    int crate = physics.CreateObjectBody(100, 93, 4, 4, 1, 0, 0, 0, 0);
    std::vector<std::vector<int>> seen;
    for (int step = 0; step < 4; step++) {
        physics.StepPhysicsWorld();
        seen.push_back(PairStates(floor, crate));
        // Lifted gently after the second step: it leaves while the boxes' margins still
        // overlap, so the contact ends inside the step with an empty manifold.
        if (step == 1) physics.SetBodyVelocityById(crate, 0, -4);
    }
    using V = std::vector<int>;
    EXPECT_EQ(seen, (std::vector<V>{V{0, 0}, V{1, 1}, V{1, 1}, V{2, 2}}));
    EXPECT_EQ(physics.GetContactBetweenBodies(floor, crate), -1); // removed ones are ignored
    EXPECT_EQ(physics.GetBodyContact(crate), -1);

    // Queries over a fresh contact: the first record of the body decides.
    physics.SetBodyVelocityById(crate, 0, 0);
    int touching = -1;
    for (int i = 0; i < 30 && touching != 0; i++) {
        physics.StepPhysicsWorld();
        touching = physics.GetBodyContact(crate);
    }
    EXPECT_EQ(touching, 0);
    EXPECT_EQ(physics.GetContactBetweenBodies(crate, floor), 0);
    EXPECT_EQ(physics.GetBodyContact(floor), 0);
    EXPECT_EQ(physics.GetBodyPlayerContact(crate), -1);

    // A destroyed body ends its contacts at once.
    ASSERT_EQ(physics.DestroyBodyById(crate), 0);
    EXPECT_EQ(PairStates(floor, crate).back(), CONTACT_REMOVED);
}

TEST_F(PhysicsTest, ThePlayersBoxFollowsThePlayerAndTouchesObjects) {
    Player player;
    player.x = 300;
    player.y = 200;
    physics.player = &player;
    int crate = physics.CreateObjectBody(300, 200, 4, 4, 1, 0, 0, 0, 0);
    physics.StepPhysicsWorld();
    b2Vec2 p = physics.World()->GetBodyList()->GetPosition();
    for (b2Body *b = physics.World()->GetBodyList(); b; b = b->GetNext())
        if (b->GetUserData().pointer == 1) p = b->GetPosition();
    EXPECT_FLOAT_EQ(p.x, 30.0f);
    EXPECT_FLOAT_EQ(p.y, 20.0f);
    physics.StepPhysicsWorld();
    EXPECT_NE(physics.GetBodyPlayerContact(crate), -1);
}

TEST_F(PhysicsTest, TheRecordsOfOneStepStopAtTheCap) {
    // A hundred circles on one spot: about 4,950 touching pairs in the first step.
    for (int i = 0; i < 100; i++) ASSERT_GE(physics.CreateObjectBody(200 + i % 10 * 0.1f, 200 + i / 10 * 0.1f, 10, 10, 1, 1, 0, 0, 0), 0);
    physics.StepPhysicsWorld();
    EXPECT_EQ(physics.ContactCount(), kMaxContactRecords);
    for (int i = 0; i < physics.ContactCount(); i++) {
        const ContactRecord &r = physics.Contact(i);
        ASSERT_EQ(r.state, CONTACT_ADDED) << i;
        ASSERT_TRUE(r.body1 >= 0 && r.body1 < 100 && r.body2 >= 0 && r.body2 < 100) << i;
    }
    physics.StepPhysicsWorld();
    EXPECT_LE(physics.ContactCount(), kMaxContactRecords);
}

TEST_F(PhysicsTest, AGrabLetsGoTheStepAfterItsBodyIsDestroyed) {
    Companion companion;
    companion.x = 200;
    companion.y = 100;
    physics.companion = &companion;
    int crate = physics.CreateObjectBody(50, 50, 4, 4, 1, 0, 0, 0, 0.25f);
    int other = physics.CreateObjectBody(80, 50, 4, 4, 1, 0, 0, 0, 0);
    ASSERT_EQ(physics.ToggleGrabBody(crate), 1);
    // Held at the companion's side, still, and turned while JUMP is held.
    GetGameInput().padAssign[BUTTON_JUMP] = 5;
    GetGameInput().padCounters[5] = 3;
    physics.StepPhysicsWorld();
    float x, y, a;
    physics.GetBodyPositionById(crate, &x, &y);
    physics.GetBodyAngleById(crate, &a);
    EXPECT_FLOAT_EQ(x, 21.6f);
    EXPECT_FLOAT_EQ(y, 11.6f);
    EXPECT_FLOAT_EQ(a, 0.3f);
    EXPECT_EQ(physics.Body(crate)->GetLinearVelocity(), b2Vec2(0, 0));
    GetGameInput().padCounters[5] = 0;
    physics.StepPhysicsWorld();
    physics.GetBodyAngleById(crate, &a);
    EXPECT_FLOAT_EQ(a, 0.3f);

    // Toggling while something is held lets go and answers -1.
    EXPECT_EQ(physics.ToggleGrabBody(other), -1);
    EXPECT_FALSE(physics.Grabbing());
    ASSERT_EQ(physics.ToggleGrabBody(other), 1);
    ASSERT_EQ(physics.DestroyBodyById(other), 0);
    EXPECT_TRUE(physics.Grabbing());
    physics.StepPhysicsWorld();
    EXPECT_FALSE(physics.Grabbing());
    EXPECT_EQ(physics.GrabbedId(), -1);
}

TEST_F(PhysicsTest, FindBodyAtPointTakesTheFirstIdWithinTenPixels) {
    physics.CreateObjectBody(100, 100, 2, 2, 0, 0, 0, 0, 0);
    physics.CreateObjectBody(95, 100, 2, 2, 0, 0, 0, 0, 0);
    EXPECT_EQ(physics.FindBodyAtPoint(90, 100), 0); // 10 px away, and first in id order
    EXPECT_EQ(physics.FindBodyAtPoint(88, 100), 1);
    EXPECT_EQ(physics.FindBodyAtPoint(84, 100), -1);
}

TEST_F(PhysicsTest, WeightSixSixSixNeverSleepsAndStaticObjectsGainMassOnRequest) {
    int floor = physics.CreateObjectBody(200, 200, 100, 4, 0, 0, 0, 0, 0);
    int light = physics.CreateObjectBody(150, 193, 4, 4, 1, 0, 0, 0, 0);
    int awake = physics.CreateObjectBody(250, 193, 4, 4, 666, 0, 0, 0, 0);
    int still = physics.CreateObjectBody(100, 100, 4, 4, -1, 0, 0, 0, 0);
    int frame = physics.CreateCompoundBody(300, 100, 0, 3, 0);
    Steps(180);
    EXPECT_FALSE(physics.Body(light)->IsAwake());
    EXPECT_TRUE(physics.Body(awake)->IsAwake());
    EXPECT_EQ(physics.Body(still)->GetType(), b2_staticBody);
    float x, y;
    physics.GetBodyPositionById(still, &x, &y);
    EXPECT_FLOAT_EQ(y, 10.0f);
    ASSERT_EQ(physics.SetBodyMassById(still), 0);
    ASSERT_EQ(physics.SetBodyMassById(frame), 0);
    // Density 1 on static objects: they fall with real mass.
    EXPECT_GT(physics.Body(still)->GetMass(), 0.1f);
    EXPECT_GT(physics.Body(frame)->GetMass(), 0.1f);
    Steps(10);
    physics.GetBodyPositionById(still, &x, &y);
    EXPECT_GT(y, 10.2f); // a sixth of a second of free fall
    EXPECT_EQ(physics.Body(floor)->GetType(), b2_staticBody);
}

TEST_F(PhysicsTest, CompoundBodiesHaveTheirVariantsThreeBoxes) {
    const struct {
        int variant;
        float floorHx, floorY, wallHy;
    } cases[] = {{2, 0.8f, 0.35f, 0.4f}, {3, 0.7f, -0.55f, 0.6f}, {4, 0.4f, -0.35f, 0.35f},
                 {5, 0.8f, 0.55f, 0.5f}, {6, 0.8f, -0.25f, 0.3f}, {0, 0.8f, 0.75f, 0.8f}, {99, 0.8f, 0.75f, 0.8f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.variant);
        int id = physics.CreateCompoundBody(0, 0, 0, c.variant, 2);
        ASSERT_GE(id, 0);
        std::vector<b2AABB> boxes;
        for (b2Fixture *f = physics.Body(id)->GetFixtureList(); f; f = f->GetNext()) {
            EXPECT_FLOAT_EQ(f->GetDensity(), 2.0f);
            EXPECT_EQ(f->GetFilterData().categoryBits, 2);
            b2AABB box;
            f->GetShape()->ComputeAABB(&box, b2Transform(b2Vec2(0, 0), b2Rot(0)), 0);
            boxes.push_back(box);
        }
        ASSERT_EQ(boxes.size(), 3u);
        // Fixtures come back newest first: the floor is the last.
        const b2AABB &floor = boxes[2];
        EXPECT_NEAR((floor.upperBound.x - floor.lowerBound.x) / 2, c.floorHx, 0.02f);
        EXPECT_NEAR((floor.upperBound.y + floor.lowerBound.y) / 2, c.floorY, 0.001f);
        EXPECT_NEAR((boxes[0].upperBound.y - boxes[0].lowerBound.y) / 2, c.wallHy, 0.02f);
    }
}

TEST_F(PhysicsTest, ThePushedLampSwingsOnASpring) {
    int lamp = physics.CreateObjectBody(200, 100, 6, 6, 2, 0, 0, 0, 0);
    ASSERT_EQ(physics.HangBodyFromPoint(200, 100, lamp), 0);
    EXPECT_EQ(physics.HangBodyFromPoint(200, 100, lamp), -1); // hung once
    b2Vec2 anchor(20.0f, 8.4f);
    physics.SetBodyVelocityById(lamp, 12, 0);
    float minD = 1e9f, maxD = 0, minX = 1e9f, maxX = -1e9f;
    for (int i = 0; i < 240; i++) {
        physics.StepPhysicsWorld();
        float x, y;
        physics.GetBodyPositionById(lamp, &x, &y);
        float d = std::hypot(x - anchor.x, y - anchor.y);
        minD = std::min(minD, d);
        maxD = std::max(maxD, d);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
    }
    EXPECT_GT(maxD - minD, 0.02f); // soft, not a rod (a rigid one stays within a few thousandths)
    EXPECT_LT(maxD, 4.0f);          // but it holds
    EXPECT_GT(maxX, anchor.x + 0.3f); // to both sides of the anchor
    EXPECT_LT(minX, anchor.x - 0.3f);

    // The anchor has no mass: making every body dynamic leaves it hanging there.
    int crate = physics.CreateObjectBody(50, 50, 4, 4, 0, 0, 0, 0, 0);
    physics.MakeAllBodiesDynamic();
    EXPECT_EQ(physics.Body(crate)->GetType(), b2_dynamicBody);
    int statics = 0;
    for (b2Body *b = physics.World()->GetBodyList(); b; b = b->GetNext())
        if (b->GetType() == b2_staticBody) {
            statics++;
            EXPECT_NEAR(b->GetPosition().x, anchor.x, 1e-5f);
            EXPECT_NEAR(b->GetPosition().y, anchor.y, 1e-5f);
        }
    EXPECT_EQ(statics, 1);
}

// ---- the world over a map ----

class MapPhysicsTest : public PhysicsTest {
protected:
    void Build(const std::vector<std::string> &rows) {
        grid = AsciiGrid(rows);
        physics.grid = &grid;
        physics.BuildMapStaticBodies();
    }
    // Steps until every object sleeps (at most ten seconds).
    void Settle() {
        for (int i = 0; i < 600; i++) {
            physics.StepPhysicsWorld();
            bool awake = false;
            for (b2Body *b = physics.World()->GetBodyList(); b; b = b->GetNext())
                awake = awake || (b->GetType() == b2_dynamicBody && b->IsAwake() && b->GetUserData().pointer != 1);
            if (!awake) return;
        }
        FAIL() << "still moving after 600 steps";
    }
    b2Vec2 Pixels(int id) {
        float x = 0, y = 0;
        physics.GetBodyPositionById(id, &x, &y);
        return b2Vec2(x * 10, y * 10);
    }
    MapGrid grid;
};

TEST_F(MapPhysicsTest, DroppedCratesRestOnMergedBoxesAndAtTheFootOfSlopes) {
    Build({
        "....................",
        "....................",
        "....................",
        "....................",
        "....................",
        "....................",
        "....................",
        "54..................", // a ramp down to x 96
        "1154................",
        "111154..............",
        "11111111111111111111",
    });
    EXPECT_EQ(physics.StaticBodyCount(), 3 + 6); // three merged boxes, six slope cells
    int onFloor = physics.CreateObjectBody(200, 100, 8, 8, 2, 0, 0, 0, 0);
    int onBox = physics.CreateObjectBody(300, 60, 8, 8, 2, 0, 0, 0, 0.3f);
    int onSlope = physics.CreateObjectBody(12, 100, 6, 6, 2, 0, 0, 0, 0);
    Settle();
    // The floor's top is y 160: bottoms rest on it within the slop (0.005 units).
    for (int id : {onFloor, onBox}) {
        SCOPED_TRACE(id);
        float a;
        physics.GetBodyAngleById(id, &a);
        EXPECT_NEAR(std::remainder(a, (float)M_PI / 2), 0.0f, 1e-3f);
        EXPECT_NEAR(Pixels(id).y + 8, 160.0f, 0.06f);
    }
    // The crate on the ramp slid down to the foot and lies on the floor past it.
    b2Vec2 p = Pixels(onSlope);
    EXPECT_GT(p.x, 96.0f);
    EXPECT_NEAR(p.y + 6, 160.0f, 0.06f);
}

TEST_F(MapPhysicsTest, ABarrelRollsDownASlopeAndTheMapStaysPutWhenAllIsMadeDynamic) {
    Build({
        "..............",
        "..............",
        "54............", // a ramp down to the right
        "1154..........",
        "111154........",
        "11111111111111",
    });
    int barrel = physics.CreateObjectBody(10, 28, 7, 7, 2, 1, 0, 0, 0);
    float startX = Pixels(barrel).x;
    float turned = 0, lastAngle = 0;
    for (int i = 0; i < 180; i++) {
        physics.StepPhysicsWorld();
        float a;
        physics.GetBodyAngleById(barrel, &a);
        turned += a - lastAngle;
        lastAngle = a;
    }
    EXPECT_GT(Pixels(barrel).x, startX + 90); // rolled down the ramp and on
    EXPECT_GT(turned, 6.0f);                  // turning clockwise on screen as it rolls

    std::vector<b2Vec2> before;
    for (b2Body *b = physics.World()->GetBodyList(); b; b = b->GetNext())
        if (b->GetType() == b2_staticBody) before.push_back(b->GetPosition());
    ASSERT_EQ(before.size(), (size_t)physics.StaticBodyCount());
    physics.MakeAllBodiesDynamic();
    Steps(30);
    std::vector<b2Vec2> after;
    for (b2Body *b = physics.World()->GetBodyList(); b; b = b->GetNext())
        if (b->GetType() == b2_staticBody) after.push_back(b->GetPosition());
    EXPECT_EQ(after, before);
}

TEST_F(MapPhysicsTest, NothingIsGrabbedOutOfASolidBlock) {
    Build({
        "......",
        "..1...",
        "......",
    });
    grid.cells[1 * 6 + 4] = 0x1100; // attribute 1 with a spawn slot: its second byte is not 1
    int stuck = physics.CreateObjectBody(40, 24, 2, 2, 0, 0, 0, 0, 0);
    int slotted = physics.CreateObjectBody(72, 24, 2, 2, 0, 0, 0, 0, 0);
    int free = physics.CreateObjectBody(8, 8, 2, 2, 0, 0, 0, 0, 0);
    EXPECT_EQ(physics.ToggleGrabBody(stuck), -1);
    EXPECT_FALSE(physics.Grabbing());
    EXPECT_EQ(physics.ToggleGrabBody(slotted), 1);
    EXPECT_EQ(physics.ToggleGrabBody(slotted), -1); // let go
    EXPECT_EQ(physics.ToggleGrabBody(free), 1);
    EXPECT_EQ(physics.GrabbedId(), free);
}

// ---- static shapes of a map ----

TEST(StaticPieces, SolidRunsMergeIntoBoxesAndOtherCellsGiveOnePolygonEach) {
    MapGrid map = AsciiGrid({
        "111.ee..f", // a run of three; a run of two that the row below holds only half of
        "111.e...f",
        "11......f",
        "....2345.",
        "....6789.",
        "..abcd...",
    });
    std::vector<StaticPiece> pieces = PlanStaticPieces(9, 6, [&](int c, int r) { return CellAt(map, c, r); });
    struct Box {
        float cx, cy, hx, hy;
    };
    // Boxes first, in the order their top-left cells are met.
    std::vector<Box> got;
    for (const StaticPiece &p : pieces)
        if (p.box) got.push_back({p.cx, p.cy, p.hx, p.hy});
    const Box want[] = {
        {2.4f, 1.6f, 2.4f, 1.6f},  // "111" over two rows
        {8.0f, 0.8f, 1.6f, 0.8f},  // "ee" in row 0 (row 1 holds only one 'e')
        {13.6f, 2.4f, 0.8f, 2.4f}, // 'f' down three rows
        {7.2f, 2.4f, 0.8f, 0.8f},  // the lone 'e' of row 1
        {1.6f, 4.0f, 1.6f, 0.8f},  // "11" of row 2
    };
    ASSERT_EQ(got.size(), std::size(want));
    for (size_t i = 0; i < got.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(got[i].cx, want[i].cx, 1e-5f);
        EXPECT_NEAR(got[i].cy, want[i].cy, 1e-5f);
        EXPECT_NEAR(got[i].hx, want[i].hx, 1e-5f);
        EXPECT_NEAR(got[i].hy, want[i].hy, 1e-5f);
    }

    // Polygons: corners in units of half a cell from the cell's top-left.
    struct Poly {
        int column, row;
        std::vector<std::pair<int, int>> corners;
        int group;
    };
    const Poly polys[] = {
        {4, 3, {{2, 1}, {2, 2}, {0, 2}}, 0},          // 2
        {5, 3, {{0, 1}, {2, 0}, {2, 2}, {0, 2}}, 0},  // 3
        {6, 3, {{0, 1}, {2, 2}, {0, 2}}, 0},          // 4
        {7, 3, {{0, 0}, {2, 1}, {2, 2}, {0, 2}}, -3}, // 5
        {4, 4, {{2, 1}, {2, 0}, {0, 0}}, 0},          // 6 = 2 upside down
        {5, 4, {{0, 1}, {2, 2}, {2, 0}, {0, 0}}, 0},  // 7
        {6, 4, {{0, 1}, {2, 0}, {0, 0}}, 0},          // 8
        {7, 4, {{0, 2}, {2, 1}, {2, 0}, {0, 0}}, 0},  // 9
        {2, 5, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0},  // 10-13 fill the cell
        {3, 5, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0},
        {4, 5, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0},
        {5, 5, {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0},
    };
    std::vector<const StaticPiece *> gotPolys;
    for (const StaticPiece &p : pieces)
        if (!p.box) gotPolys.push_back(&p);
    ASSERT_EQ(gotPolys.size(), std::size(polys));
    for (size_t i = 0; i < gotPolys.size(); i++) {
        SCOPED_TRACE(i);
        const StaticPiece &p = *gotPolys[i];
        ASSERT_EQ(p.count, (int)polys[i].corners.size());
        EXPECT_EQ(p.group, polys[i].group);
        for (int k = 0; k < p.count; k++) {
            EXPECT_NEAR(p.corners[k].x, polys[i].column * 1.6f + polys[i].corners[k].first * 0.8f, 1e-5f);
            EXPECT_NEAR(p.corners[k].y, polys[i].row * 1.6f + polys[i].corners[k].second * 0.8f, 1e-5f);
        }
    }
}

TEST(StaticPieces, OnlyTheFirstTwoHundredByHundredFiftyCellsAreBuilt) {
    int asked = 0, widest = 0, deepest = 0;
    auto everyCellSolid = [&](int c, int r) {
        asked++;
        widest = std::max(widest, c);
        deepest = std::max(deepest, r);
        return (uint32_t)((c + r) % 2 ? 1 : 2) << 8;
    };
    std::vector<StaticPiece> pieces = PlanStaticPieces(260, 400, everyCellSolid);
    EXPECT_EQ(widest, kStaticGridColumns - 1);
    EXPECT_EQ(deepest, kStaticGridRows - 1);
    EXPECT_EQ(asked, kStaticGridColumns * kStaticGridRows);
    EXPECT_EQ(pieces.size(), (size_t)kStaticGridColumns * kStaticGridRows);
    EXPECT_TRUE(PlanStaticPieces(0, 10, everyCellSolid).empty());
    EXPECT_TRUE(PlanStaticPieces(-5, -5, everyCellSolid).empty());
}

} // namespace

TEST_F(MapPhysicsTest, ABrokenBlockLosesItsOwnStaticBodyAndNothingElse) {
    Build({
        "........",
        "..a.....",
        "11111111",
    });
    const int before = physics.StaticBodyCount(); // the breakable cell and the merged floor
    EXPECT_EQ(physics.DestroyCellBody(2, 1), 0);
    EXPECT_EQ(physics.StaticBodyCount(), before - 1);
    EXPECT_EQ(physics.DestroyCellBody(2, 1), -1) << "gone already";
    EXPECT_EQ(physics.DestroyCellBody(3, 2), -1) << "a floor cell is part of a wider box";
    EXPECT_EQ(physics.DestroyCellBody(5, 0), -1) << "an empty cell has none";
    // A crate dropped onto the broken block's place falls through to the floor.
    const int crate = physics.CreateObjectBody(40, 8, 4, 4, 1, 0, 0, 0, 0);
    Settle();
    EXPECT_NEAR(Pixels(crate).y, 32 - 4, 0.5f);
}
