// The enemies' behaviour programs: static arrays of steps that the step interpreter runs (one
// frame of a node's program in RunEnemyPrograms). Program n (1..93) is the n-th entry; the demo
// world's programs have names below, the others are empty.
#pragma once

#include <cstdint>

// One step: an operation code 0..112 and its arguments. Jumps are relative: a jump by b goes to
// (int)(index + b).
struct EnemyStep {
    uint8_t op = 0;
    int32_t a = 0;
    float b = 0, c = 0;
    const char *text = nullptr; // Shift-JIS speech (operation 36 only)
    float e = 0, f = 0;         // an offset, or a further jump
};

struct EnemyProgram {
    const EnemyStep *steps = nullptr;
    int count = 0;
};

// Operation codes by what they do (the ones without a name have no step of their own: they hold).
enum EnemyOperation : uint8_t {
    OP_WALK = 0,          // timed branch; walks and falls
    OP_FLY = 1,           // timed branch; flies (falls at 2.2 with tile collision when unsupported)
    OP_KNOCKABLE = 2,     // stands and falls; knocked back and bounces when hit
    OP_HIDDEN = 3,        // not drawn; drips now and then
    OP_SPARKLE = 4,       // sparkles now and then
    OP_NEAR_PLAYER = 5,   // store a; branch on the distance to the player against it
    OP_PLAYER_SIDE = 6,   // jump b when the player is to the right, else c
    OP_RANDOM = 7,        // jump b when rand() % a is not 0, else c
    OP_STAND = 8,         // stop; next once the counter reaches a
    OP_JUMP = 9,          // ballistic; next once it lands (step state 1)
    OP_STILL = 10,
    OP_SINK = 16,         // vy eases toward b; after a frames settles and jumps c
    OP_SINK_STILL = 17,
    OP_HURT = 18,
    OP_DIE = 19,
    OP_BOUNCE_FLY = 20,   // timed branch; flies and bounces off the cells
    OP_SET_VELOCITY = 22,
    OP_SOUND = 23,
    OP_FIRE = 25,         // an enemy shot of kind b when the counter equals a
    OP_ANIMATE_COLUMN = 32,
    OP_ANIMATE_ROW = 33,
    OP_SET_FRAME = 34,
    OP_JUMP_BY = 35,      // step + a
    OP_SAY = 36,
    OP_PENDULUM = 37,
    OP_COPY_VELOCITY = 38,
    OP_LOOP = 39,         // jump b every a-th time; resets the counter and the step state
    OP_SET_LOOP = 40,
    OP_EFFECT = 41,
    OP_HURT_FLASH = 48,
    OP_DYING = 49,
    OP_FLY_50 = 50,
    OP_SPAWN = 51,
    OP_COUNT_LOOP = 52,   // next a - 1 times, then jump b
    OP_STOP_53 = 53,
    OP_ALERTED = 54,
    OP_REMOVE = 55,
    OP_NO_DEATH = 56,
    OP_HOME = 57,         // timed branch; flies at speed c toward the player + (e, f)
    OP_FIRE_EVERY = 64,
    OP_HURT_POSE = 65,
    OP_HAS_PARENT = 66,
    OP_CHAIN_LINK = 67,   // held between its parent and its second child
    OP_SPAWN_PART = 68,
    OP_ORBIT = 69,        // timed branch; circles its root at radius e
    OP_TO_ROOT = 70,
    OP_SET_BODY = 71,
    OP_HP_AT_MOST = 72,
    OP_TOUCHING = 73,
    OP_SEES_PLAYER = 80,
    OP_SET_DAMAGE = 81,
    OP_BOSS_MODE = 82,
    OP_ALERT_ALL = 83,
    OP_CALM = 84,
    OP_RIDE = 85,         // timed branch; sits at its root + (vx, vy)
    OP_MAKE_OBJECT = 86,
    OP_CEILING_WALK = 87, // timed branch; walks on a ceiling
    OP_HELD_SHOT = 88,
    OP_CLEAR_HELD_SHOT = 89,
    OP_EXCURSION = 96,    // runs program b, then (with every waiting node) resumes after a frames
    OP_FOLLOW_BODY = 97,
    OP_DRIVE_BODY = 98,
    OP_RANDOM_9 = 99,
    OP_SET_SOURCE = 100,
    OP_SET_ANCHOR = 101,
    OP_SWITCH_PROGRAM = 102,
    OP_DARKNESS = 103,
    OP_SPECIAL_DEATH = 104,
    OP_STOP_105 = 105,
    OP_JUMP_112 = 112,
};

constexpr int kEnemyProgramCount = 93;
constexpr int kEnemyOpCount = 113;   // operation codes 0..112
constexpr int kEnemySpeechBytes = 256;

// The demo world's programs (docs/demo-world.md).
enum DemoEnemyProgram {
    PROGRAM_BAT = 1,
    PROGRAM_CHAIN_ROOT = 2,
    PROGRAM_CHAIN_LINK = 3,
    PROGRAM_CHAIN_TIP = 4,
    PROGRAM_WALKER = 5, // one of the programs whose lower probes ride at the centre (climbs slopes)
    PROGRAM_JUMPER = 6,
    PROGRAM_BOSS = 7,
    PROGRAM_BOSS_ROAR = 8,
    PROGRAM_BOSS_SPINE = 9,
    PROGRAM_CEILING_WALKER = 10,
    PROGRAM_BODY_RIDER = 12,
    PROGRAM_GIANT = 13,
};

// Programs 0..93; entry 0 and the programs the game does not use have no steps.
extern const EnemyProgram kEnemyPrograms[kEnemyProgramCount + 1];
