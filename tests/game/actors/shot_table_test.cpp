// The shot table against the game's rows kept as text (every given row field by field, every
// row's behaviour against the index of kinds by behaviour), and CreateShot: a player kind's row
// k + 149, the damage cap, the aimed enemy shots keeping the row's velocity as a bias, the fixed
// velocity of behaviour 43, the hit-box overrides, the owner rule, the list, and the refusals.
#include <cmath>
#include <sstream>
#include <string>

#include "game/actors/shot_kinds.h"
#include "tests/game/actors/enemy_fixture.h"
#include "tests/game/actors/given_shot_rows.h"

namespace {

std::vector<int> Kinds(const std::string &list)
{
    std::vector<int> out;
    std::stringstream in(list);
    std::string part;
    while (std::getline(in, part, ',')) {
        const size_t dash = part.find('-');
        const int first = std::stoi(part.substr(0, dash));
        const int last = dash == std::string::npos ? first : std::stoi(part.substr(dash + 1));
        for (int k = first; k <= last; k++) out.push_back(k);
    }
    return out;
}

TEST(ShotTable, GivenRowsAreEnteredExactlyAndEveryRowHasItsIndexBehaviour) {
    std::stringstream text(kGivenShotRows);
    std::string line;
    int given = 0;
    std::vector<int> indexed(kShotKindCount, -1);
    while (std::getline(text, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::stringstream in(line);
        std::string half;
        in >> half;
        if (half == "behaviour") {
            std::string side, list;
            int behaviour = 0;
            in >> side >> behaviour >> list;
            for (int k : Kinds(list)) {
                const int row = ShotKindRow(k, side == "enemy");
                ASSERT_LT(row, kShotKindCount) << line;
                EXPECT_EQ(indexed[row], -1) << "row " << row << " indexed twice";
                indexed[row] = behaviour;
            }
            continue;
        }
        int kind = 0;
        float f[22];
        in >> kind;
        for (float &v : f) in >> v;
        ASSERT_FALSE(in.fail()) << line;
        const ShotKind &r = kShotKinds[ShotKindRow(kind, half == "enemy")];
        const float got[22] = {(float)r.behaviour, (float)r.breaksBlocks, (float)r.stopsAtWalls, (float)r.harmful,
                               r.hitHalfWidth, r.hitHalfHeight, (float)r.halfWidth, (float)r.halfHeight,
                               (float)r.cellX, (float)r.cellY, r.vx, r.vy, (float)r.direction, (float)r.paramA,
                               (float)r.paramB, r.paramC, (float)r.hitsBoth, (float)r.knockBack,
                               (float)r.burstCode, (float)r.pushesObjects, (float)r.takesWeapon,
                               (float)r.takesArmour};
        for (int i = 0; i < 22; i++) EXPECT_EQ(got[i], f[i]) << half << " kind " << kind << " field " << i + 1;
        given++;
    }
    EXPECT_EQ(given, 16 + 103);
    for (int row = 0; row < kShotKindCount; row++) {
        EXPECT_NE(indexed[row], -1) << "row " << row << " is in no behaviour's list";
        EXPECT_EQ(kShotKinds[row].behaviour, indexed[row]) << "row " << row;
    }
}

class CreateShotTest : public EnemyTest {};

TEST_F(CreateShotTest, APlayerKindIsRowKPlus149AndIsNeverAimedNorOwned) {
    player.x = 0, player.y = 0;
    EnemyNode *owner = Bare(50, 50);
    // Player kind 1 (behaviour 28) against enemy kind 1 (behaviour 6, aimed).
    ShotNode *mine = CreateShot(arms, 100, 80, 1, 20, 0, 7, 0, 0, owner);
    ShotNode *theirs = CreateShot(arms, 100, 80, 1, 20, 1, -1, 0, 0, owner);
    ASSERT_TRUE(mine && theirs);
    EXPECT_EQ(mine->behaviour, 28);
    EXPECT_EQ(mine->breaksBlocks, 1);
    EXPECT_EQ(mine->bodyId, 7);
    EXPECT_EQ(mine->fromEnemy, 0);
    EXPECT_EQ(mine->vx, 0);
    EXPECT_FALSE(mine->owner);
    EXPECT_EQ(theirs->behaviour, 6);
    EXPECT_EQ(theirs->fromEnemy, 1);
    // The fields as the row gives them.
    EXPECT_EQ(theirs->x, 100);
    EXPECT_EQ(theirs->y, 80);
    EXPECT_EQ(theirs->halfWidth, 2);
    EXPECT_EQ(theirs->cellX, 16);
    EXPECT_EQ(theirs->cellY, 24);
    EXPECT_EQ(theirs->paramB, 30);
    EXPECT_EQ(theirs->direction, -1);
    EXPECT_EQ(theirs->hitHalfWidth, 2);
    EXPECT_EQ(theirs->ready, 1);
    EXPECT_EQ(theirs->age, 0);
    EXPECT_EQ(arms.shotHead, mine);
    EXPECT_EQ(arms.shotTail, theirs);
    EXPECT_EQ(mine->next, theirs);
}

TEST_F(CreateShotTest, DamageIsCappedAt9999AndNegativeDamageIsKept) {
    const struct {
        int damage, stored;
    } cases[] = {{9998, 9998}, {9999, 9999}, {10000, 9999}, {2000000000, 9999}, {-5, -5}};
    for (const auto &c : cases) EXPECT_EQ(CreateShot(arms, 0, 0, 4, c.damage, 0, -1, 0, 0, nullptr)->damage, c.stored);
}

TEST_F(CreateShotTest, AimedEnemyShotsAddTheAimToTheRowsVelocity) {
    player.x = 160, player.y = 40;
    // Enemy kind 33: behaviour 1, velocity (-2, -8), aiming speed 3.
    ShotNode *rock = CreateShot(arms, 100, 100, 33, 5, 1, -1, 0, 0, nullptr);
    const float a = std::atan2(40.0f - 100, 160.0f - 100);
    EXPECT_FLOAT_EQ(rock->vx, -2 + std::cos(a) * 3);
    EXPECT_FLOAT_EQ(rock->vy, -8 + std::sin(a) * 3);
    // Enemy kind 12 (behaviour 12) is not aimed: the row's (2, 2).
    ShotNode *plain = CreateShot(arms, 100, 100, 12, 5, 1, -1, 0, 0, nullptr);
    EXPECT_EQ(plain->vx, 2);
    EXPECT_EQ(plain->vy, 2);
    // The same number from the player's half: row 161, never aimed.
    ShotNode *player33 = CreateShot(arms, 100, 100, 33, 5, 0, -1, 0, 0, nullptr);
    EXPECT_EQ(player33->behaviour, 65);
    EXPECT_EQ(player33->vx, 0);
}

TEST_F(CreateShotTest, OverridesSetTheHitBoxAndBehaviour43TakesThemAsItsVelocity) {
    // Enemy kind 78 has behaviour 43.
    ShotNode *fixed = CreateShot(arms, 10, 10, 78, 1, 1, -1, 3, -6, nullptr);
    EXPECT_EQ(fixed->behaviour, 43);
    EXPECT_EQ(fixed->vx, 3);
    EXPECT_EQ(fixed->vy, -6);
    EXPECT_EQ(fixed->hitHalfWidth, 4);
    EXPECT_EQ(fixed->hitHalfHeight, -5);
    // Elsewhere the overrides only widen the hit box: 15 gives a box 32 wide.
    ShotNode *wide = CreateShot(arms, 10, 10, 4, 1, 0, -1, 15, 0, nullptr);
    EXPECT_EQ(wide->hitHalfWidth, 16);
    EXPECT_EQ(wide->hitHalfHeight, kShotKinds[ShotKindRow(4, false)].hitHalfHeight);
    EXPECT_EQ(wide->vx, -6);
}

TEST_F(CreateShotTest, OnlyEnemyShotsThatFollowTheirFirerKeepIt) {
    EnemyNode *firer = Bare(0, 0);
    const struct {
        int kind;
        uint8_t fromEnemy;
        bool owned;
    } cases[] = {
        {3, 1, true},    // behaviour 29
        {71, 1, true},   // 4
        {69, 1, true},   // 8
        {73, 1, true},   // 41
        {75, 1, true},   // 42
        {93, 1, true},   // 50
        {105, 1, true},  // 51
        {119, 1, true},  // 58
        {6, 1, false},   // 11
        {14, 0, false},  // the player's behaviour 4
    };
    for (const auto &c : cases) {
        ShotNode *s = CreateShot(arms, 0, 0, c.kind, 1, c.fromEnemy, -1, 0, 0, firer);
        EXPECT_EQ((bool)s->owner, c.owned) << "kind " << c.kind;
        if (c.owned) {
            EXPECT_EQ(s->owner.serial, firer->serial);
            EXPECT_TRUE(IsEnemyListed(enemies, s->owner));
        }
    }
    ShotNode *s = CreateShot(arms, 0, 0, 3, 1, 1, -1, 0, 0, firer);
    FreeEnemyNode(enemies, firer);
    EXPECT_FALSE(IsEnemyListed(enemies, s->owner)) << "a freed firer is not listed";
    EnemyNode *again = Bare(0, 0); // the allocator may hand back the same address
    if (again == s->owner.node) {
        EXPECT_FALSE(IsEnemyListed(enemies, s->owner)) << "a new node at the old address has another serial";
    }
}

TEST_F(CreateShotTest, KindsOutsideTheirHalfMakeNoShot) {
    const struct {
        int kind;
        uint8_t fromEnemy;
    } cases[] = {{-1, 0}, {-1, 1}, {103, 0}, {149, 1}, {1000, 1}, {102, 0}, {148, 1}};
    int made = 0;
    for (const auto &c : cases) {
        ShotNode *s = CreateShot(arms, 0, 0, c.kind, 1, c.fromEnemy, -1, 0, 0, nullptr);
        const bool inside = c.kind >= 0 && c.kind < (c.fromEnemy ? 149 : 103);
        EXPECT_EQ(s != nullptr, inside) << "kind " << c.kind << (c.fromEnemy ? " enemy" : " player");
        made += s != nullptr;
    }
    EXPECT_EQ((int)Shots().size(), made);
}

} // namespace
