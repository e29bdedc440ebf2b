// The enemies: every enemy, non-player character and moving obstacle of the field is a node of
// the one list the Enemies record owns. A node is made from a kind row (enemy_kinds.h) and driven
// by a behaviour program (enemy_programs.h); the map's spawn cells pick their kinds from the
// current enemy set (area_enemy_sets.h). CurGame holds one Enemies record.
#pragma once

#include <cstdint>

#include "game/actors/enemy_programs.h"
#include "game/actors/enemy_ref.h"

struct MapGrid;
struct Player;
struct Companion;
struct Arms;
struct StatusWindow;
class Effects;
class Hud;
class FieldObjects;
class PhysicsManager;

// EnemyNode::state.
enum EnemyNodeState { ENEMY_RUNNING = 0, ENEMY_HURT = 1, ENEMY_WAITING = 2 };

struct EnemyNode {
    EnemyNode *prev = nullptr, *next = nullptr;
    // The chain: the first node of a chained body (itself for a single enemy), the node that made
    // this one, the parts it made. Freeing a node clears every link to it.
    EnemyRef root, parent, firstChild, secondChild;
    int depth = 0;
    float x = 0, y = 0;             // the sprite's centre, map pixels
    float screenX = 0, screenY = 0; // work-screen pixels, (-32, -32) far off the screen
    int operation = 0;              // the kind's first one at spawn, then the last step run's
    uint8_t boss = 0, noDeath = 0;
    int hp = 0, maxHp = 0;
    int dropRow = 0, dropChance = 0;
    int damage = 0;
    int stepCounter = 0;            // frames since a step last reset it
    float vx = 0, vy = 0;
    uint8_t solid = 0, alive = 0, hit = 0;
    int hitShake = 0;               // frames of shake after a hit; the hurt and death steps' clock
    float halfWidth = 0, halfHeight = 0;
    float sourceX = 0, sourceY = 0;
    int frameColumn = 0, frameRow = 0; // drawn cell: source + 2 x anchor x frame
    int anchorX = 0, anchorY = 0;
    int spare = 0;
    int program = 0;                // 0 none
    int step = 0, stepState = 0;
    int stored = 0;                 // operation 5's distance
    int loopCounter = 0;
    int tileCollision = 0;
    int sheet = 0;
    const EnemyProgram *steps = nullptr; // the running program, null when it has no steps to run
    uint8_t supported = 0;          // the motion pass found a floor under it this frame
    float angle = 0, radius = 0;    // orbit and pendulum steps
    int state = ENEMY_RUNNING;
    uint8_t alerted = 0;
    uint8_t touching = 0;           // overlaps the player (the contact pass)
    int linkedBody = -1;            // physics body that moves with it
    uint32_t serial = 0;            // never reused
};

struct Enemies {
    MapGrid *grid = nullptr;
    Player *player = nullptr;
    Effects *effects = nullptr;
    Arms *arms = nullptr;
    Hud *hud = nullptr;
    FieldObjects *fieldObjects = nullptr;
    StatusWindow *status = nullptr;
    PhysicsManager *physics = nullptr;
    Companion *focus = nullptr;     // the camera centres on it
    // Program n, or null when it has no steps or was refused at start.
    const EnemyProgram *programs[kEnemyProgramCount + 1] = {};
    EnemyNode *head = nullptr, *tail = nullptr;
    int bossBars = 0;               // boss bars drawn this frame
    int bossMode = 0;               // boss deaths that end the fight, 0 while none is on
    int bossKills = 0;
    uint8_t ending = 0;             // the talk trigger: 1 starts the ending talk 669
    uint8_t areaFlag = 0;           // the talk enable (from the area): sight may raise the trigger
    uint8_t alertAll = 0;           // while set every enemy is alerted each frame
    int sheets[7] = {-1, -1, -1, -1, -1, -1, -1};
    int drawScratch[3] = {};
    char speech[kEnemySpeechBytes] = {};
    uint8_t speechShown = 0;
    int speechFrames = 0;
    int pendingProgram = 0, pendingStep = 0, pendingDelay = 0; // where waiting nodes resume
    uint8_t darkness = 0;           // enemies drawn as black silhouettes
    // What the event side reads: the boss number of the fight on, and 1 once it is won.
    int bossNumber = 0;
    uint8_t bossFightWon = 0;
    // The world's: the HUD's indicator, the tracked boss with its max life (100 when none) and a
    // second tracked enemy (event scripts set them).
    uint8_t hudIndicator = 0;
    EnemyRef boss;
    int bossMaxLife = 100;
    EnemyRef second;
    uint32_t nextSerial = 1;
    uint8_t stepLimitLogged = 0;
};

// ---- the list ----
// Points the record at the map, the hero, the shot list's owner and the camera's focus (and the
// arms back at the record) and checks in the programs. CurGame adds its other members.
void LinkEnemyRecords(Enemies &enemies, MapGrid &grid, Player &player, Arms &arms, Companion &focus);
// Checks every program and keeps the ones that pass; a refused program gets a log line naming
// program, step and rule, and its nodes run no step. 0, or -1 when any was refused.
int InitEnemyTables(Enemies &enemies);
// The same over another table of programs 0..93 (tests).
int InitEnemyTablesFrom(Enemies &enemies, const EnemyProgram *programs);
// 0 when program n of the table may run, else -1 with the log line naming step and rule.
int CheckEnemyProgram(int number, const EnemyProgram *programs);
void LoadEnemyImages(Enemies &enemies);
void FreeEnemyList(Enemies &enemies);
// A new node with the next serial number, appended at the tail; its fields are the caller's.
EnemyNode *AppendEnemyNode(Enemies &enemies);
// Unlinks and frees one node, clearing every chain link and tracked reference to it.
void FreeEnemyNode(Enemies &enemies, EnemyNode *node);
bool IsEnemyListed(const Enemies &enemies, const EnemyNode *node, uint32_t serial);
inline bool IsEnemyListed(const Enemies &enemies, EnemyRef ref) { return IsEnemyListed(enemies, ref.node, ref.serial); }
inline EnemyRef RefTo(const EnemyNode *node) { return node ? EnemyRef{const_cast<EnemyNode *>(node), node->serial} : EnemyRef{}; }
// The node a chain link names (links are cleared when their node is freed), or null.
inline EnemyNode *Linked(const EnemyRef &ref) { return ref.node && ref.node->serial == ref.serial ? ref.node : nullptr; }

// ---- spawning ----
// n 1..15: spawn slot n of the player's enemy set (9..15 through the gate); n 17 and above: kind
// n - 1. None for a refused gate, n = 16, a kind outside the table or a set outside the table
// (those three with a log line).
EnemyNode *SpawnEnemy(int n, Enemies &enemies, float x, float y, int noDrops, int linkedBody);
// A part of a chained body, made by a running program: kind from slot s (no gate), placed at
// (x, y) plus the kind's half size, child of the parent one level deeper.
void SpawnEnemyPart(int slot, EnemyNode &parent, Enemies &enemies, float x, float y, int second);
bool CheckAreaEnemyGate(int set, Enemies &enemies);
// A won boss fight sets the story flag that gates the player's enemy set (flags 0..255 only), so
// the gated slots stay closed and the story goes on; once a frame after the programs run.
void SettleBossFight(Enemies &enemies);
// The field rebuild's enemy steps: the list and its boss state cleared before a new map; then, in
// the rebuild's scan, the enemy of one cell (one random draw per low-slot cell).
void ClearEnemiesForNewMap(Enemies &enemies);
void SpawnCellEnemy(Enemies &enemies, int column, int row, uint32_t cell);

// ---- programs and motion ----
void RunEnemyPrograms(Enemies &enemies);
void UpdateEnemyAmbient(Enemies &enemies);
void MoveEnemies(Enemies &enemies);
// The motion class (0..10) of an operation; 10 (no movement) from 113 on.
int EnemyMotionClass(int operation);

// ---- queries ----
void MarkEnemiesNear(Enemies &enemies, float radius, float x, float y);
// side 0 prefers enemies left of (x, y), side 1 right of it (160 added on the far side). False
// when the list is empty or the best sum is 0.
bool FindNearestEnemyAngle(const Enemies &enemies, int side, float x, float y, float *angle);
// 1 when a ray from (x, y) toward the player, 1 pixel a step for at most n steps, reaches the
// player's box before a cell of attribute 1 or 10; else 0.
int CheckLineToPlayer(const Enemies &enemies, float x, float y, int n);
void ComputeAimAtPlayerOffset(const Enemies &enemies, float x, float y, float ox, float oy, float speed, float *vx,
                              float *vy);
bool IsNearPlayerPoint(const Enemies &enemies, float x, float y, float ox, float oy);

// ---- drawing ----
void UpdateEnemyScreenPositions(Enemies &enemies);
void DrawEnemies(Enemies &enemies);
// The life bars, then the speech in the message box.
void DrawEnemySpeech(Enemies &enemies);
void DrawEnemyLifeBar(Enemies &enemies, EnemyNode &node);
