// The enemy record's list and tables: the program check at start, the sheets, nodes appended and
// freed with every link to them cleared.
#include <cstdio>
#include <cstring>

#include "game/actors/enemies.h"

#include "game/actors/arms.h"
#include "game/actors/enemy_kinds.h"
#include "game/actors/shot_kinds.h"
#include "game/frame/game_graphics.h"
#include "library/base/log.h"

namespace {

constexpr int kSoundCount = 102;

// Operations that move on to the following step on some path (so they may not be a program's last).
bool Advances(int op)
{
    switch (op) {
    case OP_NEAR_PLAYER: case OP_PLAYER_SIDE: case OP_RANDOM: case OP_HURT: case OP_DIE: case OP_JUMP_BY:
    case OP_HURT_FLASH: case OP_DYING: case OP_ALERTED: case OP_REMOVE: case OP_HURT_POSE: case OP_HAS_PARENT:
    case OP_SEES_PLAYER: case OP_BOSS_MODE: case OP_ALERT_ALL: case OP_SWITCH_PROGRAM: case OP_SPECIAL_DEATH:
    case 2: case 3: case 4: case 10: case 11: case 12: case 13: case 14: case 15: case 21: case 24: case 26:
    case 27: case 28: case 29: case 30: case 31: case 42: case 43: case 44: case 45: case 46: case 47: case 58:
    case 59: case 60: case 61: case 62: case 63: case 74: case 75: case 76: case 77: case 78: case 79: case 90:
    case 91: case 92: case 93: case 94: case 95: case 106: case 107: case 108: case 109: case 110: case 111:
        return false;
    default:
        return true;
    }
}

// The relative jumps an operation may take, written to out; the count.
int Jumps(const EnemyStep &s, float out[9])
{
    switch (s.op) {
    case OP_WALK: case OP_FLY: case OP_BOUNCE_FLY: case OP_FLY_50: case OP_CEILING_WALK: case OP_HOME: case OP_ORBIT:
    case OP_RIDE: case OP_LOOP: case OP_COUNT_LOOP: case OP_TO_ROOT:
        out[0] = s.b;
        return 1;
    case OP_NEAR_PLAYER: case OP_PLAYER_SIDE: case OP_RANDOM: case OP_ALERTED: case OP_HAS_PARENT: case OP_SEES_PLAYER:
        out[0] = s.b;
        out[1] = s.c;
        return 2;
    case OP_SINK: case OP_SINK_STILL: case OP_HP_AT_MOST: case OP_TOUCHING:
        out[0] = s.c;
        return 1;
    case OP_JUMP_BY:
        out[0] = (float)s.a;
        return 1;
    case OP_HELD_SHOT:
        out[0] = s.b, out[1] = s.c, out[2] = s.e, out[3] = s.f, out[4] = (float)s.a;
        return 5;
    case OP_RANDOM_9: {
        static const int kTargets[9] = {1, 4, 7, 10, 13, 16, 19, 22, 27};
        for (int i = 0; i < 9; i++) out[i] = (float)kTargets[i];
        return 9;
    }
    default:
        return 0;
    }
}

bool IsSpawnNumber(int n) { return (n >= 1 && n <= 15) || (n >= 17 && n - 1 < kEnemyKindCount); }

// The first rule the step breaks, or null.
const char *BrokenRule(const EnemyStep &s, int index, int count, const EnemyProgram *programs, char *scratch,
                       size_t size)
{
    if (s.op >= kEnemyOpCount) {
        snprintf(scratch, size, "操作コード %d は 0 から 112 まで", s.op);
        return scratch;
    }
    float jumps[9];
    const int n = Jumps(s, jumps);
    for (int i = 0; i < n; i++) {
        const int to = (int)((float)index + jumps[i]);
        if (to < 0 || to >= count) {
            snprintf(scratch, size, "飛び先 %d がプログラムの外", to);
            return scratch;
        }
    }
    if (index == count - 1 && (Advances(s.op) || s.op == OP_EXCURSION)) return "最後の手順から次へ進む";
    if ((s.op == OP_RANDOM || s.op == OP_ANIMATE_COLUMN || s.op == OP_ANIMATE_ROW) && s.a < 1) return "a が 1 未満";
    if (s.op == OP_EXCURSION || s.op == OP_SWITCH_PROGRAM) {
        const int p = (int)s.b;
        if (p < 1 || p > kEnemyProgramCount || programs[p].count < 1) {
            snprintf(scratch, size, "プログラム %d がない", p);
            return scratch;
        }
    }
    if ((s.op == OP_FIRE || s.op == OP_FIRE_EVERY) && (s.b < 0 || s.b >= kEnemyShotKindCount)) {
        snprintf(scratch, size, "敵の弾の種類 %d がない", (int)s.b);
        return scratch;
    }
    if (s.op == OP_SPAWN && !IsSpawnNumber((int)s.b)) {
        snprintf(scratch, size, "出現番号 %d が使えない", (int)s.b);
        return scratch;
    }
    if (s.op == OP_SPAWN_PART && (s.b < 1 || s.b > 14)) {
        snprintf(scratch, size, "部品の出現枠 %d が使えない", (int)s.b);
        return scratch;
    }
    if (s.op == OP_SOUND && (s.b < 0 || s.b >= kSoundCount)) {
        snprintf(scratch, size, "効果音 %d がない", (int)s.b);
        return scratch;
    }
    if (s.op == OP_SAY && (!s.text || strlen(s.text) >= kEnemySpeechBytes)) return "台詞がないか 255 バイトを超える";
    return nullptr;
}

} // namespace

int CheckEnemyProgram(int number, const EnemyProgram *programs)
{
    const EnemyProgram &p = programs[number];
    char scratch[96];
    for (int i = 0; i < p.count; i++) {
        if (const char *rule = BrokenRule(p.steps[i], i, p.count, programs, scratch, sizeof scratch))
            return WriteLogFmt("敵の行動プログラム %d の手順 %d が使えません: %s in InitEnemyTables", number, i, rule);
    }
    return 0;
}

int InitEnemyTablesFrom(Enemies &enemies, const EnemyProgram *programs)
{
    int result = 0;
    enemies.programs[0] = nullptr;
    for (int n = 1; n <= kEnemyProgramCount; n++) {
        const bool runs = programs[n].count > 0 && CheckEnemyProgram(n, programs) == 0;
        if (programs[n].count > 0 && !runs) result = -1;
        enemies.programs[n] = runs ? &programs[n] : nullptr;
    }
    return result;
}

int InitEnemyTables(Enemies &enemies) { return InitEnemyTablesFrom(enemies, kEnemyPrograms); }

void LinkEnemyRecords(Enemies &enemies, MapGrid &grid, Player &player, Arms &arms, Companion &focus)
{
    enemies.grid = &grid;
    enemies.player = &player;
    enemies.arms = &arms;
    enemies.focus = &focus;
    arms.enemies = &enemies;
    InitEnemyTables(enemies);
}

void LoadEnemyImages(Enemies &enemies)
{
    GameGraphicsCalls &g = GameGraphics();
    for (int i = 0; i < kEnemySheetCount; i++) enemies.sheets[i] = g.openImageAsGraph(kEnemySheetFiles[i], 0);
}

EnemyNode *AppendEnemyNode(Enemies &enemies)
{
    EnemyNode *node = new EnemyNode;
    if (enemies.nextSerial == 0) enemies.nextSerial = 1; // 0 names no node
    node->serial = enemies.nextSerial++;
    node->prev = enemies.tail;
    if (enemies.tail) enemies.tail->next = node;
    else enemies.head = node;
    enemies.tail = node;
    return node;
}

void FreeEnemyNode(Enemies &enemies, EnemyNode *node)
{
    if (node->prev) node->prev->next = node->next;
    else enemies.head = node->next;
    if (node->next) node->next->prev = node->prev;
    else enemies.tail = node->prev;
    auto clear = [node](EnemyRef &ref) {
        if (ref.node == node) ref = EnemyRef{};
    };
    for (EnemyNode *n = enemies.head; n; n = n->next) {
        clear(n->root);
        clear(n->parent);
        clear(n->firstChild);
        clear(n->secondChild);
    }
    clear(enemies.boss);
    clear(enemies.second);
    delete node;
}

void FreeEnemyList(Enemies &enemies)
{
    EnemyNode *node = enemies.head;
    while (node) {
        EnemyNode *next = node->next;
        delete node;
        node = next;
    }
    enemies.head = enemies.tail = nullptr;
    enemies.boss = EnemyRef{};
    enemies.second = EnemyRef{};
}

bool IsEnemyListed(const Enemies &enemies, const EnemyNode *node, uint32_t serial)
{
    if (!node) return false;
    for (const EnemyNode *n = enemies.head; n; n = n->next)
        if (n == node) return n->serial == serial;
    return false;
}
