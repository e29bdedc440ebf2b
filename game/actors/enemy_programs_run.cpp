// The step interpreter: one frame of every node's behaviour program. A step either holds (it runs
// again next frame) or continues into the step it leaves the node at, in the same frame; the
// last step run gives the node's operation, whose motion class moves it in the motion pass.
#include <cmath>
#include <cstring>

#include "game/actors/actors.h"
#include "game/actors/enemies.h"
#include "game/frame/game_random.h"
#include "library/base/log.h"
#include "library/base/pathchar.h"
#include "game/world/world_services.h"

namespace {

constexpr int kStepLimit = 256;         // steps a node may run in one frame
constexpr int kSpecialDeathMaxHp = 35000;
constexpr int kWaitingDamage = 15;      // the damage a waiting node's shots carry
constexpr float kPi = 3.14159265f;
constexpr int kDeathSound = 11, kHurtSound = 8;
constexpr int kEffectSmoke = 6, kEffectFlash = 23, kEffectHurt = 5, kEffectBigBlast = 31;
constexpr int kSpecialDeathShot = 142;
constexpr int kDebrisKind = 256;
constexpr int kCostumeUnseen = 6;       // the player's costume that enemies do not see
constexpr float kHomeRootReach = 200;

struct Frame {
    Enemies &e;
    EnemyNode &n;
    const WorldServiceCalls &w;
};

void Jump(EnemyNode &n, float by) { n.step = (int)((float)n.step + by); }

// Operations 0, 1, 20, 50 and 87 (and the moving steps that end the same way): after a frames,
// or once the motion pass set the step state, jump b and go on; otherwise move to the next step
// for the next frame, keeping the counter.
bool TimedBranch(EnemyNode &n, const EnemyStep &s)
{
    if (n.stepCounter >= s.a || n.stepState == 1) {
        Jump(n, s.b);
        return true;
    }
    n.step++;
    return false;
}

void SwitchProgram(Frame &f, int program)
{
    f.n.program = program;
    f.n.steps = (program >= 1 && program <= kEnemyProgramCount) ? f.e.programs[program] : nullptr;
    f.n.step = 0;
}

void Die(Frame &f)
{
    EnemyNode &n = f.n;
    f.w.playEffectSound(kDeathSound);
    f.w.spawnEffect(f.e.effects, n.x, n.y, kEffectSmoke);
    f.w.spawnEffect(f.e.effects, n.x, n.y, kEffectFlash);
    f.w.spawnEffect(f.e.effects, n.x, n.y, kEffectSmoke);
    if (n.linkedBody >= 0) f.w.destroyBodyById(n.linkedBody);
    n.linkedBody = -1;
    n.operation = OP_DIE;
}

void Fire(Frame &f, const EnemyStep &s)
{
    EnemyNode &n = f.n;
    if (!f.e.arms) return;
    const int damage = (int)s.c + (n.state == ENEMY_WAITING ? kWaitingDamage : n.damage);
    CreateShot(*f.e.arms, (int)(n.x + s.e), (int)(n.y + s.f), (int)s.b, damage, 1, -1, 0, 0, &n);
}

// Up to 255 bytes, cut before a two-byte character that would not fit whole.
void CopySpeech(char *speech, const char *text)
{
    size_t n = 0;
    if (text) {
        for (size_t len; (len = (size_t)PathCharLength(text + n)) != 0 && n + len < kEnemySpeechBytes;) n += len;
        std::memcpy(speech, text, n);
    }
    speech[n] = '\0';
}

void Dying(Frame &f)
{
    EnemyNode &n = f.n;
    n.vx = n.vy = 0;
    if (n.hitShake % 20 == 0) {
        f.w.playEffectSound(kDeathSound);
        // An even draw puts the blast below right, an odd one above left.
        const float sign = GameRand() % 2 == 0 ? 1.0f : -1.0f;
        const float ox = sign * (float)(GameRand() % 64);
        const float oy = sign * (float)(GameRand() % 64);
        f.w.spawnEffect(f.e.effects, n.x + ox, n.y + oy, kEffectSmoke);
        f.w.spawnEffect(f.e.effects, n.x + ox, n.y + oy, kEffectFlash);
        f.w.spawnEffect(f.e.effects, n.x + ox, n.y + oy, kEffectFlash);
    }
    if (n.hitShake == 0) {
        Die(f);
        f.e.bossKills++;
        if (f.e.bossMode != 0 && f.e.bossKills >= f.e.bossMode) f.e.bossFightWon = 1;
    }
}

void SpecialDeath(Frame &f)
{
    EnemyNode &n = f.n;
    n.vx = n.vy = 0;
    if (n.hitShake == 1 && f.e.arms)
        CreateShot(*f.e.arms, (int)n.x, (int)n.y, kSpecialDeathShot, n.damage, 1, -1, 0, 0, &n);
    if (n.hitShake % 20 == 0) {
        f.w.spawnEffect(f.e.effects, n.x, n.y, kEffectBigBlast);
        // Debris flies out both ways (body velocities, in physics units a second).
        static const float kDebris[4][2] = {{-24, -36}, {-9, -48}, {9, -48}, {24, -36}};
        for (const auto &v : kDebris) f.w.createFieldObject(n.x, n.y, kDebrisKind, 0, v[0], v[1], 0, 0, 0, 0);
    }
    if (n.hitShake == 0) {
        f.e.bossFightWon = 1;
        Die(f);
    }
}

// The operation a step runs: the step's own, or the hurt and death steps a hit forces.
int OperationFor(Frame &f, int own)
{
    EnemyNode &n = f.n;
    float bx, by;
    if (n.linkedBody >= 0 && f.w.getBodyPositionById(n.linkedBody, &bx, &by) != 0) return OP_DIE;
    if (!n.hit) return own;
    if (n.boss) {
        if (n.hp > 0) return own;
        return n.maxHp == kSpecialDeathMaxHp ? OP_SPECIAL_DEATH : OP_DYING;
    }
    if (n.hp > 0 || n.noDeath) return n.state == ENEMY_HURT ? OP_HURT_POSE : OP_HURT;
    return OP_DIE;
}

// Runs one step; true when the node goes on to its (new) current step in this frame.
bool RunStep(Frame &f, const EnemyStep &s, int op)
{
    Enemies &e = f.e;
    EnemyNode &n = f.n;
    const WorldServiceCalls &w = f.w;
    EnemyNode *root = Linked(n.root);
    switch (op) {
    case OP_WALK: case OP_FLY: case OP_BOUNCE_FLY: case OP_FLY_50: case OP_CEILING_WALK:
        return TimedBranch(n, s);
    case OP_NEAR_PLAYER:
        n.stored = s.a;
        if (n.stepState == 1) Jump(n, s.b);
        else if (n.stepState == 2) Jump(n, s.c);
        else return false;
        return true;
    case OP_JUMP_BY:
        n.step += s.a;
        return true;
    case OP_PLAYER_SIDE:
        Jump(n, e.player && e.player->x > n.x ? s.b : s.c);
        return true;
    case OP_RANDOM:
        // A count of 0 or less never draws.
        Jump(n, s.a > 0 && GameRand() % s.a != 0 ? s.b : s.c);
        return true;
    case OP_STAND: case OP_STOP_53: case OP_STOP_105:
        n.vx = n.vy = 0;
        if (n.stepCounter < s.a) return false;
        n.step++;
        n.stepCounter = 0;
        return true;
    case OP_JUMP: case OP_JUMP_112:
        if (n.stepState != 1) return false;
        n.step++;
        n.stepState = 0;
        n.stepCounter = 0;
        return true;
    case OP_SINK: case OP_SINK_STILL:
        if (n.stepState == 0) {
            if (n.vy < s.b) n.vy = std::fmin(n.vy + 0.05f, s.b);
            else if (n.vy > s.b) n.vy = std::fmax(n.vy - 0.05f, s.b);
            if (n.stepCounter > s.a) n.stepState = 2;
        } else if (n.stepState >= 2 && n.stepState <= 5) {
            n.vy *= 0.8f;
            n.stepState = n.stepState == 5 ? 1 : n.stepState + 1;
        }
        if (n.stepState == 1) {
            Jump(n, s.c);
            n.vy = 0;
            n.stepState = 0;
            n.stepCounter = 0;
            return true;
        }
        n.step++;
        return false;
    case OP_HURT:
        if (n.hitShake == 0) n.stepCounter -= 15; // the frames spent hurt do not count
        return false;
    case OP_DIE:
        Die(f);
        return false;
    case OP_SET_VELOCITY:
        n.vx = s.b;
        n.vy = s.c;
        break;
    case OP_SOUND:
        if (s.b != 0 && (s.a == 0 || n.stepCounter % s.a == 0)) w.playEffectSound((int)s.b);
        break;
    case OP_FIRE:
        if (n.stepCounter == s.a) Fire(f, s);
        break;
    case OP_ANIMATE_COLUMN: case OP_ANIMATE_ROW: {
        // Every a frames; a count of 0 or less never steps.
        int &frame = op == OP_ANIMATE_COLUMN ? n.frameColumn : n.frameRow;
        if (s.a > 0 && n.stepCounter % s.a == 0 && ++frame > (int)s.b) frame = 0;
        break;
    }
    case OP_SET_FRAME:
        if (s.b >= 0) n.frameColumn = (int)s.b;
        if (s.c >= 0) n.frameRow = (int)s.c;
        break;
    case OP_SAY:
        CopySpeech(e.speech, s.text);
        e.speechShown = 1;
        e.speechFrames = 0;
        break;
    case OP_PENDULUM: {
        n.angle += 0.03f;
        n.radius += n.vy;
        const float p = std::sin(n.angle) * 0.5f;
        n.x = 80 + s.b + 107 * std::sin(p);
        n.y = n.radius + s.c + 107 * std::cos(p);
        break;
    }
    case OP_COPY_VELOCITY:
        if (IsEnemyListed(e, e.second)) {
            n.vx = e.second.node->vx;
            n.vy = e.second.node->vy;
        }
        break;
    case OP_LOOP:
        if (n.loopCounter >= s.a) {
            Jump(n, s.b);
            n.loopCounter = 0;
        } else {
            n.loopCounter++;
            n.step++;
        }
        n.stepState = 0;
        n.stepCounter = 0;
        return true;
    case OP_SET_LOOP:
        n.loopCounter = (int)s.b;
        break;
    case OP_EFFECT:
        w.spawnEffect(e.effects, n.x + s.b, n.y + s.c, s.a);
        break;
    case OP_HURT_FLASH:
        if (++n.hitShake == 1) w.playEffectSound(kHurtSound);
        if (n.hitShake <= 14) return false;
        n.stepCounter -= 15;
        n.hit = 0;
        n.hitShake = 0;
        return true;
    case OP_DYING:
        Dying(f);
        return false;
    case OP_SPAWN:
        if (n.stepCounter == s.a) SpawnEnemy((int)s.b, e, n.x + s.e, n.y + s.f, 1, -1);
        break;
    case OP_COUNT_LOOP:
        if (++n.loopCounter < s.a) {
            n.step++;
        } else {
            n.loopCounter = 0;
            Jump(n, s.b);
        }
        return true;
    case OP_ALERTED:
        Jump(n, n.alerted ? s.b : s.c);
        return true;
    case OP_NO_DEATH:
        n.noDeath = s.b != 0;
        break;
    case OP_HOME: {
        EnemyNode *parent = Linked(n.parent);
        if (parent && !root) return false; // a part whose root is gone holds
        if (IsNearPlayerPoint(e, n.x, n.y, s.e, s.f)) {
            n.vx = n.vy = 0;
        } else {
            ComputeAimAtPlayerOffset(e, n.x, n.y, s.e, s.f, s.c, &n.vx, &n.vy);
        }
        if (parent) {
            // A part stays within 200 pixels of its root: a step that would leave ends on the circle.
            const float dx = n.x + n.vx - root->x, dy = n.y + n.vy - root->y;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d > kHomeRootReach) {
                n.vx = root->x + dx / d * kHomeRootReach - n.x;
                n.vy = root->y + dy / d * kHomeRootReach - n.y;
            }
        }
        return TimedBranch(n, s);
    }
    case OP_FIRE_EVERY:
        if (s.a > 0 && n.stepCounter % s.a == 0) Fire(f, s);
        break;
    case OP_HURT_POSE:
        if (n.hitShake > 999) {
            n.stepCounter -= 1000;
            n.hit = 0;
            n.hitShake = 0;
            n.stepState = 0;
            return true;
        }
        if (n.hitShake == 1 && n.damage != 0)
            for (int i = 0; i < 3; i++) w.spawnEffect(e.effects, n.x, n.y, kEffectHurt);
        return false;
    case OP_HAS_PARENT:
        Jump(n, Linked(n.parent) ? s.b : s.c);
        return true;
    case OP_CHAIN_LINK:
        n.vx = n.vy = 0;
        if (s.a != 0 ? n.stepCounter < s.a : Linked(n.parent) != nullptr) return false;
        n.step++;
        n.stepCounter = 0;
        return true;
    case OP_SPAWN_PART:
        if (n.depth <= (int)s.c)
            SpawnEnemyPart(n.depth == (int)s.c ? (int)s.b + 1 : (int)s.b, n, e, n.x + s.e, n.y + s.f, s.a != 0);
        break;
    case OP_ORBIT:
        if (!root) return false;
        n.angle += s.c;
        if (n.angle > kPi) n.angle -= 2 * kPi;
        n.vx = root->x + s.e * std::cos(n.angle) - n.x;
        n.vy = root->y + s.e * std::sin(n.angle) - n.y;
        return TimedBranch(n, s);
    case OP_TO_ROOT: {
        if (!root) return false;
        const float a = std::atan2(root->y + s.f - n.y, root->x + s.e - n.x);
        n.vx = s.c * std::cos(a);
        n.vy = s.c * std::sin(a);
        if (n.stepCounter >= s.a || n.stepState == 1) {
            Jump(n, s.b);
            return true;
        }
        n.step++;
        return false;
    }
    case OP_SET_BODY:
        n.tileCollision = (int)s.b;
        n.damage = (int)s.c;
        n.solid = s.a != 0;
        break;
    case OP_HP_AT_MOST:
        if ((float)n.hp <= s.b) Jump(n, s.c);
        else n.step++;
        return true;
    case OP_TOUCHING:
        if (n.touching) Jump(n, s.c);
        else n.step++;
        return true;
    case OP_SEES_PLAYER:
        if (e.player && e.player->costume != kCostumeUnseen && CheckLineToPlayer(e, n.x, n.y, s.a)) {
            Jump(n, s.b);
            if (e.areaFlag) e.ending = 1;
        } else {
            Jump(n, s.c);
        }
        return true;
    case OP_SET_DAMAGE:
        n.damage = (int)s.b;
        break;
    case OP_BOSS_MODE:
        e.bossMode = (int)s.b;
        e.bossNumber = (int)s.c;
        return false;
    case OP_ALERT_ALL:
        MarkEnemiesNear(e, 100, n.x, n.y);
        e.alertAll = 1;
        return false;
    case OP_CALM:
        n.alerted = 0;
        break;
    case OP_RIDE:
        if (!root) return false;
        n.x = root->x + n.vx;
        n.y = root->y + n.vy;
        return TimedBranch(n, s);
    case OP_MAKE_OBJECT:
        // c passes as the object's lifetime: -666 keeps it until it is taken.
        if (n.stepCounter == s.a) w.createFieldObject(n.x + s.e, n.y + s.f, (int)s.b, 0, 0, 0, 0, 0, (int)s.c, 0);
        break;
    case OP_HELD_SHOT: {
        int *held = e.arms ? &e.arms->heldShot : nullptr;
        switch (held ? *held : 0) {
        case 1: Jump(n, s.b), *held = 0; break;
        case 2: Jump(n, s.c); break;
        case 3: Jump(n, s.e); break;
        case 4: Jump(n, s.f); break;
        case 5: n.step += s.a; break;
        default: n.step++; break;
        }
        return true;
    }
    case OP_CLEAR_HELD_SHOT:
        if (e.arms) e.arms->heldShot = 0;
        break;
    case OP_EXCURSION:
        e.pendingProgram = n.program;
        e.pendingStep = n.step + 1;
        e.pendingDelay = s.a;
        SwitchProgram(f, (int)s.b);
        n.state = ENEMY_WAITING;
        return true;
    case OP_FOLLOW_BODY: {
        float bx, by;
        if (n.linkedBody >= 0 && w.getBodyPositionById(n.linkedBody, &bx, &by) == 0) {
            n.x = bx * 10;
            n.y = by * 10;
        }
        if (n.stepCounter < s.a) return false;
        n.step++;
        n.stepCounter = 0;
        return true;
    }
    case OP_DRIVE_BODY: {
        float bx, by;
        if (n.linkedBody >= 0 && w.getBodyPositionById(n.linkedBody, &bx, &by) == 0) {
            float vx = s.b, vy = s.c;
            if (s.a != 0) ComputeAimAtPlayerOffset(e, n.x, n.y, 0, 0, s.b, &vx, &vy);
            vx += n.vx;
            vy += n.vy;
            w.setBodyVelocityById(n.linkedBody, (float)(int)vx, (float)(int)vy, e.physics);
        }
        break;
    }
    case OP_RANDOM_9: {
        static const int kTargets[9] = {1, 4, 7, 10, 13, 16, 19, 22, 27};
        n.step += kTargets[GameRand() % 9];
        return true;
    }
    case OP_SET_SOURCE:
        n.sourceX = s.b;
        n.sourceY = s.c;
        break;
    case OP_SET_ANCHOR:
        n.anchorX = (int)s.b;
        n.anchorY = (int)s.c;
        break;
    case OP_SWITCH_PROGRAM:
        SwitchProgram(f, (int)s.b);
        return true;
    case OP_DARKNESS:
        e.darkness = s.b != 0;
        break;
    case OP_SPECIAL_DEATH:
        SpecialDeath(f);
        return false;
    default:
        // No step of its own (and the hurt pose of a node without a program): hold.
        return false;
    }
    // The steps that end here go on to the next step in the same frame.
    n.step++;
    return true;
}

void RunNodeSteps(Enemies &e, EnemyNode &n, const WorldServiceCalls &w)
{
    Frame f{e, n, w};
    for (int run = 0; n.steps; run++) {
        if (run == kStepLimit) {
            if (!e.stepLimitLogged)
                WriteLogFmt("敵の行動プログラム %d が 1 フレームに %d 手順を超えました (手順 %d) in RunEnemyPrograms",
                            n.program, kStepLimit, n.step);
            e.stepLimitLogged = 1;
            return;
        }
        if (n.step < 0 || n.step >= n.steps->count) return; // a jump out of the program holds
        const EnemyStep &s = n.steps->steps[n.step];
        const int op = OperationFor(f, s.op);
        n.operation = op;
        if (!RunStep(f, s, op)) return;
    }
}

bool IsOrphanPart(const EnemyNode &n) { return n.depth > 0 && !Linked(n.parent); }

} // namespace

void RunEnemyPrograms(Enemies &enemies)
{
    const WorldServiceCalls &w = WorldServices();
    if (enemies.pendingDelay > 0) enemies.pendingDelay--;
    // Where the waiting nodes resume, as it stood when the delay ran out (a node may start a new
    // excursion later in this pass).
    const bool release = enemies.pendingDelay < 1;
    const int resumeProgram = enemies.pendingProgram, resumeStep = enemies.pendingStep;
    bool released = false;
    for (EnemyNode *n = enemies.head; n;) {
        if (n->state == ENEMY_WAITING && release) {
            Frame f{enemies, *n, w};
            SwitchProgram(f, resumeProgram);
            n->step = resumeStep;
            n->state = ENEMY_RUNNING;
            released = true;
        }
        if (enemies.alertAll) n->alerted = 1;
        RunNodeSteps(enemies, *n, w);
        n->stepCounter++;
        // Taken after the steps, so that the parts spawned at the tail run this frame too.
        EnemyNode *next = n->next;
        if (n->operation == OP_DIE || n->operation == OP_REMOVE || IsOrphanPart(*n)) FreeEnemyNode(enemies, n);
        n = next;
    }
    // Every waiting node has resumed together: the excursion is over (unless a new one began).
    if (released && enemies.pendingProgram == resumeProgram && enemies.pendingStep == resumeStep &&
        enemies.pendingDelay < 1)
        enemies.pendingProgram = enemies.pendingStep = enemies.pendingDelay = 0;
}
