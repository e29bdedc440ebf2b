// The demo world's behaviour programs (docs/demo-world.md), one array of steps each; the step
// number stands in a comment before each step. A timed branch that has not fired moves on to the
// next step without running it, and that step leads back, so the branch runs once a frame and
// keeps counting; the counter and the step state go back to 0 only at the steps that say so
// (OP_LOOP with a count never reached is the plain reset).
#include "game/actors/enemy_programs.h"

#include <iterator>

namespace {

constexpr EnemyStep Op(EnemyOperation op, int a = 0, float b = 0, float c = 0, float e = 0, float f = 0)
{
    return EnemyStep{op, a, b, c, nullptr, e, f};
}
constexpr EnemyStep Say(const char *text) { return EnemyStep{OP_SAY, 0, 0, 0, text, 0, 0}; }
// The counter and the step state back to 0 (a loop whose count is never reached); next.
constexpr EnemyStep Reset() { return Op(OP_LOOP, 999, 1); }
constexpr EnemyStep Goto(int from, int to) { return Op(OP_JUMP_BY, to - from); }

// Enemy shot kinds and sounds the programs use.
constexpr float kShotNeedle = 1;  // short aimed needle
constexpr float kShotPellet = 6;  // long aimed pellet
constexpr float kShotSpark = 19;  // a drifting spark
constexpr float kShotRock = 33;   // a lobbed rock
constexpr float kSoundRock = 4, kSoundShot = 31, kSoundJump = 40, kSoundLand = 50, kSoundStep = 51,
                kSoundCall = 56, kSoundRoar = 88;

// キノコ: walks, turns at walls, charges the hero once it has noticed it.
constexpr EnemyStep kWalker[] = {
    /* 0 */ Op(OP_DARKNESS, 0, 0),
    /* 1 */ Op(OP_CALM),
    /* 2 */ Op(OP_SET_FRAME, 0, 0, 0), // facing left
    /* 3 */ Op(OP_SET_VELOCITY, 0, -0.5f, 0),
    /* 4 */ Op(OP_WALK, 9999, 3),      // a wall: 7
    /* 5 */ Op(OP_ANIMATE_COLUMN, 8, 3),
    /* 6 */ Op(OP_ALERTED, 0, 9, -2),  // noticed: 15, else 4
    /* 7 */ Op(OP_JUMP),               // the wall's state back to 0
    /* 8 */ Op(OP_SET_FRAME, 0, 0, 1), // facing right
    /* 9 */ Op(OP_SET_VELOCITY, 0, 0.5f, 0),
    /* 10 */ Op(OP_WALK, 9999, 3),     // a wall: 13
    /* 11 */ Op(OP_ANIMATE_COLUMN, 8, 3),
    /* 12 */ Op(OP_ALERTED, 0, 3, -2), // noticed: 15, else 10
    /* 13 */ Op(OP_JUMP),
    /* 14 */ Goto(14, 2),
    // the charge
    /* 15 */ Op(OP_SOUND, 0, kSoundStep),
    /* 16 */ Reset(),
    /* 17 */ Op(OP_PLAYER_SIDE, 0, 1, 4),
    /* 18 */ Op(OP_SET_FRAME, 0, 0, 1),
    /* 19 */ Op(OP_SET_VELOCITY, 0, 1.2f, 0),
    /* 20 */ Goto(20, 23),
    /* 21 */ Op(OP_SET_FRAME, 0, 0, 0),
    /* 22 */ Op(OP_SET_VELOCITY, 0, -1.2f, 0),
    /* 23 */ Op(OP_WALK, 90, 3),       // 90 frames or a wall: 26
    /* 24 */ Op(OP_ANIMATE_COLUMN, 4, 3),
    /* 25 */ Goto(25, 23),
    /* 26 */ Op(OP_CALM),
    /* 27 */ Reset(),
    /* 28 */ Goto(28, 2),
};

// コウモリ: flutters about; when it sees the hero it fires an aimed pellet, hovers above the hero
// for a while and flutters off again.
constexpr EnemyStep kBat[] = {
    /* 0 */ Op(OP_SET_VELOCITY, 0, 0.5f, 0.25f),
    /* 1 */ Reset(),
    /* 2 */ Op(OP_BOUNCE_FLY, 90, 3), // 5
    /* 3 */ Op(OP_ANIMATE_COLUMN, 5, 2),
    /* 4 */ Goto(4, 2),
    /* 5 */ Op(OP_SEES_PLAYER, 120, 1, 9), // in sight: 6, else 14
    /* 6 */ Reset(),
    /* 7 */ Op(OP_FIRE, 0, kShotPellet, 0, 0, 4),
    /* 8 */ Op(OP_SOUND, 0, kSoundShot),
    /* 9 */ Op(OP_HOME, 160, 3, 0.8f, 0, -36), // hover above the hero; 12
    /* 10 */ Op(OP_ANIMATE_COLUMN, 5, 2),
    /* 11 */ Goto(11, 9),
    /* 12 */ Reset(),
    /* 13 */ Goto(13, 14), // flutter off, either way
    /* 14 */ Op(OP_RANDOM, 2, 1, 3),
    /* 15 */ Op(OP_SET_VELOCITY, 0, 0.5f, 0.25f),
    /* 16 */ Goto(16, 1),
    /* 17 */ Op(OP_SET_VELOCITY, 0, -0.5f, 0.25f),
    /* 18 */ Goto(18, 1),
};

// The vine's seed: grows two links and a thorny bulb, bobs, and spits pellets.
constexpr EnemyStep kChainRoot[] = {
    /* 0 */ Op(OP_SPAWN_PART, 0, 5, 2), // the first link (slot 5) as its first child
    /* 1 */ Op(OP_SET_VELOCITY, 0, 0, 0.3f),
    /* 2 */ Reset(),
    /* 3 */ Op(OP_BOUNCE_FLY, 60, 3), // 6
    /* 4 */ Op(OP_FIRE_EVERY, 40, kShotPellet, 0),
    /* 5 */ Goto(5, 3),
    /* 6 */ Op(OP_SET_VELOCITY, 0, 0, -0.3f),
    /* 7 */ Reset(),
    /* 8 */ Op(OP_BOUNCE_FLY, 60, 3), // 11
    /* 9 */ Op(OP_FIRE_EVERY, 40, kShotPellet, 0),
    /* 10 */ Goto(10, 8),
    /* 11 */ Goto(11, 1),
};

// A link of the vine: makes the next link (slot 5), or the bulb (slot 6) at depth 2, as its
// second child, then stays halfway between its parent and that child.
constexpr EnemyStep kChainLink[] = {
    /* 0 */ Op(OP_SPAWN_PART, 1, 5, 2),
    /* 1 */ Op(OP_CHAIN_LINK, 0),
    /* 2 */ Op(OP_DIE),
};

// The bulb at the vine's end: circles the seed at 48 pixels, a needle every 10 seconds.
constexpr EnemyStep kChainTip[] = {
    /* 0 */ Op(OP_ORBIT, 600, 2, 0.03f, 48, 0),
    /* 1 */ Goto(1, 0),
    /* 2 */ Reset(),
    /* 3 */ Op(OP_FIRE, 0, kShotNeedle, 0),
    /* 4 */ Goto(4, 0),
};

// いしころ: rests; once it sees the hero near, hops at it three times.
constexpr EnemyStep kJumper[] = {
    /* 0 */ Op(OP_SET_LOOP, 0, 0),
    /* 1 */ Op(OP_SET_FRAME, 0, 0, 0),
    /* 2 */ Op(OP_STAND, 50),
    /* 3 */ Op(OP_SEES_PLAYER, 120, 1, -1), // in sight: 4, else rest again at 2
    /* 4 */ Op(OP_SET_FRAME, 0, 1, -1),     // crouch
    /* 5 */ Op(OP_STAND, 12),
    /* 6 */ Op(OP_SOUND, 0, kSoundJump),
    /* 7 */ Op(OP_SET_FRAME, 0, 2, -1),
    /* 8 */ Op(OP_PLAYER_SIDE, 0, 1, 3),
    /* 9 */ Op(OP_SET_VELOCITY, 0, 1.2f, -3.6f),
    /* 10 */ Goto(10, 12),
    /* 11 */ Op(OP_SET_VELOCITY, 0, -1.2f, -3.6f),
    /* 12 */ Op(OP_JUMP), // until it lands
    /* 13 */ Op(OP_SOUND, 0, kSoundLand),
    /* 14 */ Op(OP_SET_FRAME, 0, 0, -1),
    /* 15 */ Op(OP_COUNT_LOOP, 3, -13), // the third hop: rest at 2
    /* 16 */ Op(OP_STAND, 6),
    /* 17 */ Goto(17, 4),
};

// ガルド: speaks, grows its crystals, walks and lobs rocks; at half its life it roars (an
// excursion into the roar) and then picks one of nine attacks at random each time round.
// Its lines space with full-width spaces: the message box reads two bytes a character.
constexpr int kBossHub = 52;
constexpr EnemyStep kBoss[] = {
    /* 0 */ Op(OP_DARKNESS, 0, 0),
    /* 1 */ Say("ガルド「ここは　わしの　ねぐらだ。　かえらぬなら　つぶすまで！」"),
    /* 2 */ Op(OP_SPAWN_PART, 0, 10, 5), // the crystals on its back (slots 10-12)
    /* 3 */ Op(OP_SPAWN_PART, 0, 11, 5),
    /* 4 */ Op(OP_SPAWN_PART, 0, 12, 5),
    /* 5 */ Op(OP_SET_FRAME, 0, 0, 0),
    /* 6 */ Op(OP_SET_VELOCITY, 0, -0.6f, 0),
    // the first phase
    /* 7 */ Op(OP_HP_AT_MOST, 0, 300, 12), // half its life: 19
    /* 8 */ Op(OP_WALK, 120, 3),           // 11
    /* 9 */ Op(OP_ANIMATE_COLUMN, 10, 1),
    /* 10 */ Goto(10, 7),
    /* 11 */ Reset(),
    /* 12 */ Op(OP_FIRE, 0, kShotRock, 6, -24, -16),
    /* 13 */ Op(OP_SOUND, 0, kSoundRock),
    /* 14 */ Op(OP_PLAYER_SIDE, 0, 1, 3),
    /* 15 */ Op(OP_SET_VELOCITY, 0, 0.6f, 0),
    /* 16 */ Goto(16, 18),
    /* 17 */ Op(OP_SET_VELOCITY, 0, -0.6f, 0),
    /* 18 */ Goto(18, 7),
    // the second phase
    /* 19 */ Op(OP_EXCURSION, 90, PROGRAM_BOSS_ROAR),
    /* 20 */ Op(OP_DARKNESS, 0, 0),
    /* 21 */ Op(OP_SET_FRAME, 0, 0, 1), // angry
    /* 22 */ Op(OP_RANDOM_9),           // 23, 26, 29, 32, 35, 38, 41, 44 or 49
    /* 23 */ Op(OP_SET_VELOCITY, 0, -1.4f, 0),
    /* 24 */ Reset(),
    /* 25 */ Goto(25, kBossHub),
    /* 26 */ Op(OP_SET_VELOCITY, 0, 1.4f, 0),
    /* 27 */ Reset(),
    /* 28 */ Goto(28, kBossHub),
    /* 29 */ Op(OP_FIRE, 0, kShotRock, 8, -24, -16),
    /* 30 */ Op(OP_SOUND, 0, kSoundRock),
    /* 31 */ Goto(31, kBossHub),
    /* 32 */ Op(OP_FIRE, 0, kShotSpark, 6, -40, -8),
    /* 33 */ Op(OP_FIRE, 0, kShotSpark, 6, 40, -8),
    /* 34 */ Goto(34, kBossHub),
    /* 35 */ Op(OP_SPAWN, 0, 1, 0, 0, -48), // a bat (slot 1) above it
    /* 36 */ Op(OP_SOUND, 0, kSoundCall),
    /* 37 */ Goto(37, kBossHub),
    /* 38 */ Op(OP_HOME, 50, kBossHub - 38, 1.2f, 0, 0),
    /* 39 */ Op(OP_ANIMATE_COLUMN, 4, 1),
    /* 40 */ Goto(40, 38),
    /* 41 */ Say("ガルド「ぐぬぬ……　まだまだ！」"),
    /* 42 */ Op(OP_SOUND, 0, kSoundRoar),
    /* 43 */ Goto(43, kBossHub),
    /* 44 */ Op(OP_DARKNESS, 0, 1),
    /* 45 */ Op(OP_STAND, 30),
    /* 46 */ Op(OP_DARKNESS, 0, 0),
    /* 47 */ Op(OP_FIRE, 0, kShotRock, 8, -24, -16),
    /* 48 */ Goto(48, kBossHub),
    /* 49 */ Op(OP_FIRE, 0, kShotPellet, 4, -24, -16),
    /* 50 */ Op(OP_SPAWN, 0, 1, 0, 0, -48),
    /* 51 */ Goto(51, kBossHub),
    // the hub
    /* 52 */ Reset(),
    /* 53 */ Op(OP_WALK, 80, 3), // 56
    /* 54 */ Op(OP_ANIMATE_COLUMN, 6, 1),
    /* 55 */ Goto(55, 53),
    /* 56 */ Reset(),
    /* 57 */ Goto(57, 22),
};

// ガルド's roar: stands, shouts, and the cave goes dark until the excursion ends.
constexpr EnemyStep kBossRoar[] = {
    /* 0 */ Op(OP_STAND, 0),
    /* 1 */ Say("ガルド「ぐおおおおっ！！」"),
    /* 2 */ Op(OP_SOUND, 0, kSoundRoar),
    /* 3 */ Op(OP_EFFECT, 1, 0, -20),
    /* 4 */ Op(OP_DARKNESS, 0, 1),
    /* 5 */ Op(OP_STAND, 9999),
    /* 6 */ Goto(6, 5),
};

// A crystal on ガルド's back: rides it and throws a spark now and then.
constexpr EnemyStep kBossSpine[] = {
    /* 0 */ Op(OP_RIDE, 150, 2),
    /* 1 */ Goto(1, 0),
    /* 2 */ Reset(),
    /* 3 */ Op(OP_FIRE, 0, kShotSpark, 4, 0, -6),
    /* 4 */ Goto(4, 0),
};

// The cave's hanging mushroom: walks along the ceiling, turns at walls; the cave's creatures
// show as black shapes while it lives.
constexpr EnemyStep kCeilingWalker[] = {
    /* 0 */ Op(OP_DARKNESS, 0, 1),
    /* 1 */ Op(OP_SET_FRAME, 0, 0, 0),
    /* 2 */ Op(OP_SET_VELOCITY, 0, -0.4f, 0),
    /* 3 */ Op(OP_CEILING_WALK, 9999, 3), // 6
    /* 4 */ Op(OP_ANIMATE_COLUMN, 10, 3),
    /* 5 */ Goto(5, 3),
    /* 6 */ Op(OP_JUMP),
    /* 7 */ Op(OP_SET_FRAME, 0, 0, 1),
    /* 8 */ Op(OP_SET_VELOCITY, 0, 0.4f, 0),
    /* 9 */ Op(OP_CEILING_WALK, 9999, 3), // 12
    /* 10 */ Op(OP_ANIMATE_COLUMN, 10, 3),
    /* 11 */ Goto(11, 9),
    /* 12 */ Op(OP_JUMP),
    /* 13 */ Goto(13, 1),
};

// A creature that rides a field object's body and shoves it at the hero now and then.
constexpr EnemyStep kBodyRider[] = {
    /* 0 */ Op(OP_DRIVE_BODY, 1, 30, 0),
    /* 1 */ Op(OP_SET_VELOCITY, 0, 0, 0),
    /* 2 */ Op(OP_FOLLOW_BODY, 60),
    /* 3 */ Goto(3, 0),
};

// The giant (kind 123): stands and lobs rocks from both hands.
constexpr EnemyStep kGiant[] = {
    /* 0 */ Op(OP_STAND, 120),
    /* 1 */ Op(OP_FIRE, 0, kShotRock, 10, -60, 0),
    /* 2 */ Op(OP_FIRE, 0, kShotRock, 10, 60, 0),
    /* 3 */ Goto(3, 0),
};

template <size_t N> constexpr EnemyProgram Program(const EnemyStep (&steps)[N]) { return EnemyProgram{steps, (int)N}; }

} // namespace

const EnemyProgram kEnemyPrograms[kEnemyProgramCount + 1] = {
    /* 0 */ {},
    /* 1 */ Program(kBat),
    /* 2 */ Program(kChainRoot),
    /* 3 */ Program(kChainLink),
    /* 4 */ Program(kChainTip),
    /* 5 */ Program(kWalker),
    /* 6 */ Program(kJumper),
    /* 7 */ Program(kBoss),
    /* 8 */ Program(kBossRoar),
    /* 9 */ Program(kBossSpine),
    /* 10 */ Program(kCeilingWalker),
    /* 11 */ {},
    /* 12 */ Program(kBodyRider),
    /* 13 */ Program(kGiant),
    // 14..93 have no steps.
};

static_assert(std::size(kEnemyPrograms) == kEnemyProgramCount + 1);
