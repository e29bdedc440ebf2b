// The enemies' static tables: the kind rows and set rows the game gives, the program check (a
// broken program refused per rule with its log line, its nodes running no step; every shipped
// program passing), and the refusals that log: spawns outside the tables, shots outside theirs.
#include <cstring>

#include "game/actors/actors.h"
#include "game/actors/area_enemy_sets.h"
#include "tests/fixtures/start_dir.h"

namespace {

class EnemyTablesTest : public LogStartTest {};

EnemyStep S(EnemyOperation op, int a = 0, float b = 0, float c = 0, float e = 0, float f = 0)
{
    return EnemyStep{op, a, b, c, nullptr, e, f};
}

TEST_F(EnemyTablesTest, KindRowsTheGameGives) {
    const EnemyKind &filler = kEnemyKinds[0];
    EXPECT_EQ(filler.firstOperation, 4);
    EXPECT_EQ(filler.anchorX + filler.anchorY + filler.program + filler.hp + filler.halfWidth, 0);
    EXPECT_EQ(kEnemyKinds[3].firstOperation, 3);
    EXPECT_EQ(kEnemyKinds[3].program + kEnemyKinds[3].anchorX + kEnemyKinds[3].hp, 0);
    for (int k : {35, 36, 47, 48, 49, 50, 51, 52, 53, 54}) {
        const EnemyKind &r = kEnemyKinds[k];
        EXPECT_EQ(r.firstOperation + r.hp + r.maxHp + r.program + r.anchorX + r.damage + r.halfWidth, 0) << k;
    }
    EXPECT_EQ(kEnemyKinds[90].hp, 99999);
    EXPECT_EQ(kEnemyKinds[123].maxHp, 35000);
    EXPECT_EQ(kEnemyKinds[123].anchorX, 128);
    EXPECT_EQ(kEnemyKinds[123].anchorY, 128);
    const float starts[3][2] = {{27, -43}, {41, -43}, {55, -43}};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(kEnemyKinds[98 + i].hp, 1500);
        EXPECT_EQ(kEnemyKinds[98 + i].vx, starts[i][0]);
        EXPECT_EQ(kEnemyKinds[98 + i].vy, starts[i][1]);
    }
    EXPECT_EQ(kEnemyKinds[121].hp, 230);
    EXPECT_EQ(kEnemyKinds[121].damage, 25);
    EXPECT_EQ(kEnemyKinds[121].vy, 20);
    EXPECT_EQ(kEnemyKinds[93].hp, 299);
    EXPECT_EQ(kEnemyKinds[93].maxHp, 99);
    EXPECT_EQ(kEnemyKinds[39].hp, 999);
    EXPECT_EQ(kEnemyKinds[39].maxHp, 37);
    // Every kind's sheet is one of the six creature sheets.
    for (int k = 0; k < kEnemyKindCount; k++) EXPECT_TRUE(kEnemyKinds[k].sheet >= 0 && kEnemyKinds[k].sheet < 6) << k;
}

TEST_F(EnemyTablesTest, SetRowsTheGameGives) {
    const AreaEnemySet &one = kAreaEnemySets[1];
    const int oneKinds[15] = {3, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 14, 26, 27};
    EXPECT_EQ(std::memcmp(one.kinds, oneKinds, sizeof oneKinds), 0);
    EXPECT_EQ(one.gateFlag, -1);
    const AreaEnemySet &twelve = kAreaEnemySets[12];
    const int twelveKinds[15] = {12, 14, 15, 16, 17, 18, 19, 20, 0, 0, 0, 0, 0, 0, 104};
    EXPECT_EQ(std::memcmp(twelve.kinds, twelveKinds, sizeof twelveKinds), 0);
    EXPECT_EQ(twelve.gateFlag, 201);
    EXPECT_EQ(twelve.bossMode, 1);
    EXPECT_EQ(twelve.bossNumber, 3);
    for (const AreaEnemySet &set : kAreaEnemySets)
        for (int kind : set.kinds) EXPECT_TRUE(kind >= 0 && kind < kEnemyKindCount);
}

TEST_F(EnemyTablesTest, EveryShippedProgramPasses) {
    Enemies enemies;
    EXPECT_EQ(InitEnemyTables(enemies), 0);
    for (int n = 1; n <= kEnemyProgramCount; n++)
        EXPECT_EQ(enemies.programs[n] != nullptr, kEnemyPrograms[n].count > 0) << "program " << n;
    EXPECT_EQ(LogBytes().find("InitEnemyTables"), std::string::npos) << LogBytes();
    // Every kind's program is one that runs.
    for (int k = 0; k < kEnemyKindCount; k++)
        if (kEnemyKinds[k].program) {
            EXPECT_NE(enemies.programs[kEnemyKinds[k].program], nullptr) << "kind " << k;
        }
}

// The field's and the cave's creatures are what a new game's hero (4 HP) meets first: none of
// their touches or shots may end it at once, or the demo could not be played from a new game.
TEST_F(EnemyTablesTest, NoFieldOrCaveCreatureEndsANewHeroInOneHit) {
    constexpr int kNewHeroHp = 4;
    for (int set : {4, 1})
        for (int kind : kAreaEnemySets[set].kinds) {
            const EnemyKind &k = kEnemyKinds[kind];
            if (k.solid) {
                EXPECT_LT(k.damage, kNewHeroHp) << "a touch of kind " << kind;
            }
            const EnemyProgram &program = kEnemyPrograms[k.program];
            for (int i = 0; k.program && i < program.count; i++) {
                const EnemyStep &step = program.steps[i];
                if (step.op == OP_FIRE || step.op == OP_FIRE_EVERY) {
                    EXPECT_LT((int)step.c + k.damage, kNewHeroHp) << "kind " << kind << "'s shot at step " << i;
                }
            }
        }
}

// The message box draws two bytes a character, so a single-byte character (an ASCII space)
// would shift every character after it onto the wrong glyphs.
TEST_F(EnemyTablesTest, ShippedSpeechIsWholeDoubleByteCharacters) {
    int lines = 0;
    for (int n = 1; n <= kEnemyProgramCount; n++)
        for (int i = 0; i < kEnemyPrograms[n].count; i++) {
            const EnemyStep &step = kEnemyPrograms[n].steps[i];
            if (step.op != OP_SAY || !step.text) continue;
            lines++;
            for (const char *t = step.text; *t; t += 2) {
                const unsigned char lead = (unsigned char)*t;
                ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC))
                    << "program " << n << " step " << i << " byte " << (t - step.text);
                ASSERT_NE(t[1], 0) << "program " << n << " step " << i;
            }
        }
    EXPECT_GE(lines, 3);
}

TEST_F(EnemyTablesTest, ABrokenProgramIsRefusedPerRuleWithItsLogLine) {
    static const char kLong[] = "..........................................................................."
                                "..........................................................................."
                                "..........................................................................."
                                "..........................................................................";
    const EnemyStep say{OP_SAY, 0, 0, 0, kLong, 0, 0}, silent{OP_SAY, 0, 0, 0, nullptr, 0, 0};
    const struct {
        std::vector<EnemyStep> steps;
        int step;
        const char *rule;
    } cases[] = {
        {{S(OP_STILL), EnemyStep{113}}, 1, "操作コード 113 は 0 から 112 まで"},
        {{S(OP_WALK, 10, 2), S(OP_STILL)}, 0, "飛び先 2 がプログラムの外"},
        {{S(OP_PLAYER_SIDE, 0, 1, -1), S(OP_STILL)}, 0, "飛び先 -1 がプログラムの外"},
        {{S(OP_HP_AT_MOST, 0, 5, 3), S(OP_STILL)}, 0, "飛び先 3 がプログラムの外"},
        {{S(OP_JUMP_BY, 4), S(OP_STILL)}, 0, "飛び先 4 がプログラムの外"},
        {{S(OP_HELD_SHOT, 0, 1, 1, 1, 9), S(OP_STILL)}, 0, "飛び先 9 がプログラムの外"},
        {{S(OP_RANDOM_9), S(OP_STILL)}, 0, "飛び先 4 がプログラムの外"},
        {{S(OP_STILL), S(OP_SET_VELOCITY)}, 1, "最後の手順から次へ進む"},
        {{S(OP_EXCURSION, 5, 1)}, 0, "最後の手順から次へ進む"},
        {{S(OP_RANDOM, 0, 0, 0), S(OP_STILL)}, 0, "a が 1 未満"},
        {{S(OP_ANIMATE_COLUMN, 0, 3), S(OP_STILL)}, 0, "a が 1 未満"},
        {{S(OP_ANIMATE_ROW, -1, 3), S(OP_STILL)}, 0, "a が 1 未満"},
        {{S(OP_SWITCH_PROGRAM, 0, 94)}, 0, "プログラム 94 がない"},
        {{S(OP_EXCURSION, 5, 30), S(OP_STILL)}, 0, "プログラム 30 がない"},
        {{S(OP_FIRE, 0, 149), S(OP_STILL)}, 0, "敵の弾の種類 149 がない"},
        {{S(OP_FIRE_EVERY, 5, -1), S(OP_STILL)}, 0, "敵の弾の種類 -1 がない"},
        {{S(OP_SPAWN, 0, 16), S(OP_STILL)}, 0, "出現番号 16 が使えない"},
        {{S(OP_SPAWN, 0, 147), S(OP_STILL)}, 0, "出現番号 147 が使えない"},
        {{S(OP_SPAWN_PART, 0, 15), S(OP_STILL)}, 0, "部品の出現枠 15 が使えない"},
        {{S(OP_SOUND, 0, 102), S(OP_STILL)}, 0, "効果音 102 がない"},
        {{S(OP_STILL), say, S(OP_STILL)}, 1, "台詞がないか 255 バイトを超える"},
        {{silent, S(OP_STILL)}, 0, "台詞がないか 255 バイトを超える"},
    };
    ASSERT_EQ(strlen(kLong), 299u);
    EnemyProgram table[kEnemyProgramCount + 1] = {};
    const std::vector<EnemyStep> good = {S(OP_WALK, 5, 1), S(OP_JUMP_BY, -1)};
    table[1] = {good.data(), (int)good.size()};
    for (size_t i = 0; i < std::size(cases); i++) table[2 + i] = {cases[i].steps.data(), (int)cases[i].steps.size()};
    Enemies enemies;
    EXPECT_EQ(InitEnemyTablesFrom(enemies, table), -1);
    EXPECT_NE(enemies.programs[1], nullptr);
    const std::string log = LogBytes();
    for (size_t i = 0; i < std::size(cases); i++) {
        const int n = 2 + (int)i;
        EXPECT_EQ(enemies.programs[n], nullptr) << "program " << n;
        const std::string line = "敵の行動プログラム " + std::to_string(n) + " の手順 " + std::to_string(cases[i].step) +
                                 " が使えません: " + cases[i].rule + " in InitEnemyTables";
        EXPECT_NE(log.find(line), std::string::npos) << "program " << n << " rule " << i;
    }

    // A node of a refused program runs no step: it keeps its first operation and its place.
    Player player;
    enemies.player = &player;
    EnemyNode *node = AppendEnemyNode(enemies);
    node->program = 4;
    node->steps = enemies.programs[4];
    node->operation = OP_STILL;
    node->hit = 1; // no hurt step either
    RunEnemyPrograms(enemies);
    EXPECT_EQ(node->operation, OP_STILL);
    EXPECT_EQ(node->step, 0);
    FreeEnemyList(enemies);
}

TEST_F(EnemyTablesTest, SpawnsAndShotsOutsideTheirTablesAreRefusedWithALogLine) {
    Player player;
    Enemies enemies;
    enemies.player = &player;
    InitEnemyTables(enemies);
    const struct {
        int n, set;
        const char *line;
    } spawns[] = {
        {16, 4, "敵の出現番号 16 は使えません in SpawnEnemy"},
        {0, 4, "敵の出現番号 0 は使えません in SpawnEnemy"},
        {-3, 4, "敵の出現番号 -3 は使えません in SpawnEnemy"},
        {147, 4, "敵の種類 146 は表にありません in SpawnEnemy"},
        {1, 43, "敵の組 43 は表にありません in SpawnEnemy"},
        {9, -1, "敵の組 -1 は表にありません in SpawnEnemy"},
    };
    for (const auto &c : spawns) {
        player.enemySet = c.set;
        EXPECT_EQ(SpawnEnemy(c.n, enemies, 0, 0, 0, -1), nullptr) << c.n;
        EXPECT_NE(LogBytes().find(c.line), std::string::npos) << c.line;
    }
    EXPECT_EQ(enemies.head, nullptr);
    player.enemySet = 4;
    EXPECT_NE(SpawnEnemy(146, enemies, 0, 0, 0, -1), nullptr) << "the last kind, 145";

    Arms arms;
    EXPECT_EQ(CreateShot(arms, 0, 0, 149, 1, 1, -1, 0, 0, nullptr), nullptr);
    EXPECT_EQ(CreateShot(arms, 0, 0, 103, 1, 0, -1, 0, 0, nullptr), nullptr);
    EXPECT_NE(LogBytes().find("弾の種類 149 は敵の弾の表にありません in CreateShot"), std::string::npos);
    EXPECT_NE(LogBytes().find("弾の種類 103 はプレイヤーの弾の表にありません in CreateShot"), std::string::npos);
    EXPECT_EQ(arms.shotHead, nullptr);
    FreeEnemyList(enemies);
}

} // namespace
