// Enemies come into being: by kind or spawn slot (the map's spawn cells, field objects, event
// scripts, the programs' own spawns), and as the parts of a chained body that a program grows.
// The field rebuild's enemy steps are here too.
#include "game/actors/area_enemy_sets.h"
#include "game/actors/enemies.h"
#include "game/actors/enemy_kinds.h"
#include "game/actors/player.h"
#include "game/frame/game_random.h"
#include "game/frame/status_window.h"
#include "game/world/map_grid.h"
#include "game/world/world_services.h"
#include "library/base/log.h"

namespace {

constexpr int kTrackBossSet = 28; // its boss fight plays track 13, every other track 11
constexpr int kBossTrack = 11, kBossTrackOfSet28 = 13;
constexpr int kNoSpawnAttribute1 = 10, kNoSpawnAttribute2 = 13;

// The player's enemy set, or null with a log line when it lies outside the table.
const AreaEnemySet *CurrentSet(const Enemies &enemies, const char *who)
{
    const int set = enemies.player ? enemies.player->enemySet : -1;
    if (set < 0 || set >= kAreaEnemySetCount) {
        WriteLogFmt("敵の組 %d は表にありません in %s", set, who);
        return nullptr;
    }
    return &kAreaEnemySets[set];
}

bool IsKind(int kind, const char *who)
{
    if (kind >= 0 && kind < kEnemyKindCount) return true;
    WriteLogFmt("敵の種類 %d は表にありません in %s", kind, who);
    return false;
}

// The kind's row into a fresh node (the position and the chain are the caller's).
void FillFromKind(EnemyNode &n, const EnemyKind &k, const Enemies &enemies, bool drops)
{
    n.operation = k.firstOperation;
    n.boss = k.boss;
    n.noDeath = k.noDeath;
    n.hp = k.hp;
    n.maxHp = k.maxHp;
    n.dropRow = drops ? k.dropRow : 0;
    n.dropChance = drops ? k.dropChance : 0;
    n.damage = k.damage;
    n.vx = k.vx;
    n.vy = k.vy;
    n.solid = k.solid;
    n.halfWidth = (float)k.halfWidth;
    n.halfHeight = (float)k.halfHeight;
    n.sourceX = (float)k.sourceX;
    n.sourceY = (float)k.sourceY;
    n.anchorX = k.anchorX;
    n.anchorY = k.anchorY;
    n.program = k.program;
    n.steps = (k.program >= 1 && k.program <= kEnemyProgramCount) ? enemies.programs[k.program] : nullptr;
    n.tileCollision = k.tileCollision;
    n.sheet = k.sheet;
    n.alive = 1;
}

} // namespace

EnemyNode *SpawnEnemy(int n, Enemies &enemies, float x, float y, int noDrops, int linkedBody)
{
    int kind;
    if (n >= 1 && n <= kSpawnSlotCount) {
        const AreaEnemySet *set = CurrentSet(enemies, "SpawnEnemy");
        if (!set) return nullptr;
        if (n >= kFirstGatedSlot && !CheckAreaEnemyGate(enemies.player->enemySet, enemies)) return nullptr;
        kind = set->kinds[n - 1];
    } else if (n > kSpawnSlotCount + 1) {
        kind = n - 1;
    } else {
        WriteLogFmt("敵の出現番号 %d は使えません in SpawnEnemy", n);
        return nullptr;
    }
    if (!IsKind(kind, "SpawnEnemy")) return nullptr;
    const EnemyKind &k = kEnemyKinds[kind];

    EnemyNode *node = AppendEnemyNode(enemies);
    FillFromKind(*node, k, enemies, noDrops == 0);
    node->x = x + (float)k.anchorX;
    node->y = y + (float)k.anchorY;
    node->linkedBody = linkedBody;
    node->root = RefTo(node);
    return node;
}

void SpawnEnemyPart(int slot, EnemyNode &parent, Enemies &enemies, float x, float y, int second)
{
    if (slot < 1 || slot > kSpawnSlotCount) {
        WriteLogFmt("部品の出現枠 %d は使えません in SpawnEnemyPart", slot);
        return;
    }
    const AreaEnemySet *set = CurrentSet(enemies, "SpawnEnemyPart");
    if (!set) return;
    const int kind = set->kinds[slot - 1];
    if (!IsKind(kind, "SpawnEnemyPart")) return;
    const EnemyKind &k = kEnemyKinds[kind];

    const EnemyRef parentRef = RefTo(&parent); // taken before the list grows
    EnemyNode *node = AppendEnemyNode(enemies);
    FillFromKind(*node, k, enemies, true);
    node->x = x + (float)k.halfWidth;
    node->y = y + (float)k.halfHeight;
    node->linkedBody = -1;
    node->root = parent.root;
    node->parent = parentRef;
    node->depth = parent.depth + 1;
    (second ? parent.secondChild : parent.firstChild) = RefTo(node);
}

bool CheckAreaEnemyGate(int set, Enemies &enemies)
{
    if (set < 0 || set >= kAreaEnemySetCount) return false;
    const AreaEnemySet &row = kAreaEnemySets[set];
    if (row.gateFlag == kNoEnemyGate) return true;
    // Only flags 0..255 can be set; -1 and every other value read as clear.
    if (row.gateFlag >= 0 && row.gateFlag < kStoryFlagCount && enemies.status &&
        (enemies.status->storyFlags[row.gateFlag / 8] >> (row.gateFlag % 8) & 1) != 0)
        return false;
    enemies.bossMode = row.bossMode;
    if (row.bossMode != 0) WorldServices().switchMusicTrack(set == kTrackBossSet ? kBossTrackOfSet28 : kBossTrack);
    enemies.bossNumber = row.bossNumber;
    return true;
}

void SettleBossFight(Enemies &enemies)
{
    if (enemies.bossFightWon == 0 || !enemies.player || !enemies.status) return;
    const int set = enemies.player->enemySet;
    if (set < 0 || set >= kAreaEnemySetCount) return;
    const int32_t flag = kAreaEnemySets[set].gateFlag;
    if (flag != kNoEnemyGate) SetStoryFlag(flag, *enemies.status);
}

void ClearEnemiesForNewMap(Enemies &enemies)
{
    enemies.ending = 0;
    enemies.alertAll = 0;
    FreeEnemyList(enemies);
    enemies.bossMode = 0;
    enemies.bossKills = 0;
    enemies.bossFightWon = 0;
}

void SpawnCellEnemy(Enemies &enemies, int column, int row, uint32_t cell)
{
    const int slot = CellSpawnSlot(cell);
    const int attribute = CellAttribute(cell);
    if (slot == 0 || attribute == kNoSpawnAttribute1 || attribute == kNoSpawnAttribute2) return;
    // Low slots spawn 4 times in 5: one draw per such cell, in the scan's order.
    if (slot < kFirstSureSlot && GameRand() % 5 == 0) return;
    SpawnEnemy(slot, enemies, (float)(column * kMapTileSize), (float)(row * kMapTileSize), 0, -1);
}
