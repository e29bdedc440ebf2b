// The shot update: every shot in flight moves once a frame by its behaviour code, counts its
// age, animates its sprite cell, makes and follows the physics body that carries some shots, and
// ends with its sound, effect and after-effects.
//
// "Ends after n" frees the shot at the update whose age (before the update) is above n.
#include <cmath>
#include <numbers>

#include "game/actors/actors.h"
#include "game/actors/actor_map.h"
#include "game/actors/combat.h"
#include "game/frame/game_random.h"
#include "game/world/world_services.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kOrbitClamp = 16;

struct Update {
    Arms &arms;
    ShotNode &s;
    int age; // before this update
    WorldServiceCalls &w;
    bool untouched = false;

    // ---- what a shot does to the world ----
    void Sound(int n) { w.playEffectSound(n); }
    void Effect(float x, float y, int kind) { w.spawnEffect(arms.effects, x, y, kind); }
    void Effect(int kind) { Effect(s.x, s.y, kind); }
    void Burst() {
        Sound(33);
        Effect(1);
    }
    void Spark() { Effect(8); }
    void Pop() { Effect(7); }
    void Arm() {
        s.burstCode = 1;
        s.harmful = 1;
    }
    void Flash() {
        Arm();
        s.hitHalfWidth = s.hitHalfHeight = 32;
        s.damage = 10;
    }
    void Alert(float radius) {
        if (arms.enemies) MarkEnemiesNear(*arms.enemies, radius, s.x, s.y);
    }
    void Move() {
        s.x += s.vx;
        s.y += s.vy;
    }
    void Object(float x, float y, int kind, int value, float vx, float vy) {
        CarrierObject(w, x, y, kind, value, vx, vy);
    }

    // ---- anchors and targets ----
    Player *P() const { return arms.player; }
    float PlayerX() const { return P() ? P()->x : 0; }
    float PlayerY() const { return P() ? P()->y : 0; }
    EnemyNode *Owner() const {
        return arms.enemies && IsEnemyListed(*arms.enemies, s.owner) ? s.owner.node : nullptr;
    }
    // The anchor of a following shot: the player, or the firing enemy while it is listed. A lost
    // owner pushes the age past the shot's end and answers false.
    bool Anchor(float *x, float *y, int lostAge = 999) {
        if (!s.fromEnemy) {
            *x = PlayerX();
            *y = PlayerY();
            return true;
        }
        if (EnemyNode *o = Owner()) {
            *x = o->x;
            *y = o->y;
            return true;
        }
        s.age = lostAge;
        return false;
    }
    // Places the shot at the anchor plus (dx, dy); false once the owner is gone (the shot ends).
    bool Follow(float dx, float dy) {
        float ax, ay;
        if (!Anchor(&ax, &ay)) return false;
        s.x = ax + dx;
        s.y = ay + dy;
        return true;
    }
    // The angle toward the shot's target: the player for an enemy's shot, the nearest enemy for
    // the player's. False without a target.
    bool Target(float *angle) {
        if (s.fromEnemy) {
            *angle = std::atan2(PlayerY() - s.y, PlayerX() - s.x);
            return true;
        }
        return arms.enemies && FindNearestEnemyAngle(*arms.enemies, s.paramB, s.x, s.y, angle);
    }
    void Turn(float target) {
        if (s.direction - target > kPi) s.direction -= 2 * kPi;
        else if (target - s.direction > kPi) s.direction += 2 * kPi;
        float d = target - s.direction;
        if (d > 0.1f) d = 0.1f;
        else if (d < -0.1f) d = -0.1f;
        s.direction += d;
    }

    // ---- the carrying body ----
    bool MakeBody(int kind, float vx, float vy, int value) {
        if (s.bodyId != -1) return true;
        s.bodyId = CarrierObject(w, s.x, s.y, kind, value, vx, vy);
        return s.bodyId >= 0;
    }
    // The shot takes its body's place; false when the body is gone.
    bool FollowBody() {
        float x, y;
        if (s.bodyId < 0 || w.getBodyPositionById(s.bodyId, &x, &y) < 0) return false;
        s.x = x * 10;
        s.y = y * 10;
        return true;
    }
    bool Touching(int answer) const { return answer == 0 || answer == 1; }
    bool BodyContact() { return Touching(w.getBodyContact(s.bodyId)); }
    bool PlayerContact() { return Touching(w.getBodyPlayerContact(s.bodyId)); }
    void DestroyBody() {
        w.destroyBodyById(s.bodyId);
        s.bodyId = -1;
    }
    void SetVelocity(float vx, float vy) { SetShotBodyVelocity(arms, s.bodyId, vx, vy); }
    void Spin() {
        if (s.paramC == 0) return;
        float a;
        if (w.getBodyAngleById(s.bodyId, &a) >= 0) w.setBodyAngleById(s.bodyId, a + s.paramC);
        s.paramC *= 0.99f;
    }
    void Shot(float x, float y, int kind, int damage, uint8_t fromEnemy, int ow = 0, int oh = 0) {
        CreateShot(arms, (int)x, (int)y, kind, damage, fromEnemy, -1, ow, oh, Owner());
    }
    // Velocity toward a point, each component clamped, set when both are non-zero.
    void Steer(float tx, float ty) {
        float vx = std::fmax(-kOrbitClamp, std::fmin(kOrbitClamp, tx - s.x));
        float vy = std::fmax(-kOrbitClamp, std::fmin(kOrbitClamp, ty - s.y));
        if (vx != 0 && vy != 0) SetVelocity(vx, vy);
    }
    void Orbit(const EnemyNode &o) {
        s.direction += 0.05f;
        if (s.direction > kPi) s.direction -= 2 * kPi;
        Steer(o.x + s.vx + 32 * std::cos(s.direction), o.y + s.vy + 32 * std::sin(s.direction));
        w.setBodyAngleById(s.bodyId, s.direction);
    }
    void Shards(int value, const float (*v)[2], int count, float dx = 0, float dy = 0) {
        for (int i = 0; i < count; i++) Object(s.x + dx, s.y + dy, 260, value, v[i][0], v[i][1]);
    }

    bool Run(); // true: the shot ends
    bool RollingBall();
    bool Collector();
};

bool Update::RollingBall()
{
    const MapGrid *g = arms.grid;
    auto solidAt = [&](float x, float y, bool *inside) {
        MapPoint p = MapPointAt(g, x, y);
        if (inside) *inside = p.inside;
        int a = CellAttribute(p.cell);
        return std::pair<int, bool>(a, a == 1 || a == 10);
    };
    if (s.ready) {
        s.vy += 0.25f;
        float nx = s.x + s.vx;
        bool in1, in2, in3;
        auto [a1, solid1] = solidAt(s.x, s.y + s.vy + s.halfHeight, &in1);
        auto [a2, solid2] = solidAt(nx, s.y + s.halfHeight, &in2);
        auto [a3, solid3] = solidAt(nx, s.y + s.vy + s.halfHeight, &in3);
        if (!in1 || !in2 || !in3) s.ready = 0;
        if (in1 && solid1) {
            s.vy = 2.2f;
            s.ready = 0;
        } else if ((in1 && a1 != 0) || (in2 && a2 != 0)) {
            if (in2 && solid2) s.vy = 2.2f;
        } else if (in3 && solid3) {
            s.vy = 2.2f;
        }
        s.x = nx;
        s.y += s.vy;
        if (age % 60 == 0) s.vx *= 0.8f;
    } else {
        s.y += s.vy;
        bool in;
        if (solidAt(s.x, s.y + s.halfHeight, &in).second && in) s.vy = 0;
    }
    s.age++;
    if (s.vy != 0) {
        s.cellX = (s.age / 15) % 2 ? 384 : 368;
    } else {
        s.cellX = 304 + 16 * ((s.age / 15) % 4);
        s.harmful = 1;
        s.hitHalfWidth = s.hitHalfHeight = 16;
    }
    return s.age > 1000 || s.hit;
}

bool Update::Collector()
{
    if (!FollowBody()) return true;
    FieldObjects *objects = arms.fieldObjects;
    float x = 0, y = 0;
    auto take = [&](int kind) { return w.takeObjectTouchingBody(kind, objects, s.bodyId, &x, &y); };
    auto make = [&](int kind) { Object(x, y, kind, 0, 0, -1); };
    if (s.behaviour == 49) {
        if (take(-1)) make(152);
        return false;
    }
    for (int k : {15, 16, 17, 18, 28}) {
        if (!take(k)) continue;
        Sound(89);
        make(GameRand() % 5 == 0 ? 175 : 151);
        return false;
    }
    if (take(151)) {
        Sound(99);
        s.paramA++;
        return false;
    }
    if (s.paramA > 0 && take(116)) {
        Sound(98);
        s.paramA--;
        make(9);
        return false;
    }
    for (int k : {82, 105}) {
        if (!take(k)) continue;
        Sound(89);
        int r = GameRand() % 10;
        make(r <= 4 ? 172 + r : 151);
        return false;
    }
    for (int k : {80, 81, 84, 85, 86, 87, 90, 91, 92, 93, 96, 97, 98, 99}) {
        if (!take(k)) continue;
        Sound(89);
        make(GameRand() % 3 == 0 ? 177 : 151);
        return false;
    }
    return false;
}

bool Update::Run()
{
    const float dir = s.direction;
    switch (s.behaviour) {
    case 0:
        if (age == 0) Spark();
        Move();
        if (age <= 7 && !s.hit) return false;
        if (s.hit) Sound(7);
        Alert(100);
        Pop();
        return true;
    case 1:
        if (age == 0) {
            Sound(54);
            if (!MakeBody(40, (float)(int)s.vx, (float)(int)s.vy, 150)) return true;
        }
        if (!FollowBody() || s.harmful) return true;
        if (age == 150) {
            if (s.paramC == 0) {
                Burst();
                Alert(150);
            }
            Arm();
        }
        return false;
    case 3:
    case 7: {
        const bool homing = s.behaviour == 3;
        if (age == 0 && !MakeBody(homing ? s.paramA : s.paramB, 0, 0, 450)) return true;
        if (!FollowBody() || s.harmful) return true;
        s.hit = BodyContact();
        float ex = s.x, ey = s.y;
        if (homing) {
            float target;
            if (Target(&target)) Turn(target);
            w.setBodyAngleById(s.bodyId, s.direction);
            float vx = std::cos(s.direction) * s.vx, vy = std::sin(s.direction) * s.vy;
            SetVelocity(vx, vy);
            ex -= 2 * vx;
            ey -= 2 * vy;
        } else {
            if (s.paramA == 2) {
                float from = s.x + 2 * s.halfWidth;
                s.vx += PlayerX() > from ? 5 : PlayerX() < from ? -5 : 0;
                s.vy += s.paramC;
            } else {
                s.vx += s.paramC;
                s.vy += PlayerY() > s.y + 2 * s.halfHeight ? 0.05f : -0.05f;
            }
            SetVelocity(s.vx, s.vy);
        }
        if (age % 15 == 0 && !(homing && s.paramC == 1)) Effect(ex, ey, 6);
        if (age > 400 || s.hit) {
            Burst();
            if (homing) Flash();
            else Arm();
        }
        return false;
    }
    case 4:
    case 24:
        if (age <= 18) s.vx += dir * 6.5f;
        else if (age <= 21) s.cellY = 64;
        else {
            s.cellY = 80;
            s.vx -= dir * 6.5f;
        }
        if (!Follow(s.vx, s.vy)) return true;
        return age > 40;
    case 5:
    case 8:
        if (!Follow((float)s.paramA, (float)s.paramB)) return true;
        if (age == 4) s.cellX = 32;
        else if (age == 8) s.cellX = 64;
        return age > 12;
    case 6:
    case 11:
        Move();
        if (age <= (s.behaviour == 6 ? s.paramB : 150) && !s.hit) return false;
        if (s.hit) Sound(7);
        Pop();
        return true;
    case 9:
    case 67:
        if (age <= 5) s.vx += dir * 2;
        else if (s.behaviour == 9) s.vx -= dir * 2;
        else s.vx = 0;
        s.x = PlayerX() + s.paramA + s.vx;
        s.y = PlayerY() + s.paramB + s.vy;
        if (age <= 12) return false;
        if (s.behaviour == 67) {
            Sound(58);
            const float sign = dir > 0 ? 1.0f : -1.0f;
            const float v[4][2] = {{-4, 2}, {2, -4}, {2, 0}, {-4, 0}};
            const float dx[4] = {12, 10, 8, 14};
            for (int i = 0; i < 4; i++) Object(s.x + sign * dx[i], s.y - 3, 260, 999, v[i][0], v[i][1]);
        }
        return true;
    case 12:
    case 43: {
        const int c = (int)s.paramC;
        if (c == 0) {
            if (age == 0 || age == 15) Effect(s.x + s.halfWidth, s.y, 6);
            if (age == 1) Sound(31);
        } else if (c == 2) {
            s.cellX = (age / 5) % 2 ? 152 : 144;
        }
        Move();
        if (age <= s.paramA && !s.hit) return false;
        if (c == 0 || (c == 2 && s.hit)) {
            Sound(33);
            Effect(1);
        } else if (c == 2) {
            Effect(7);
        } else {
            Sound(7);
            Effect(7);
        }
        return true;
    }
    case 13: {
        if (age == 0 && !MakeBody(147, 0, 0, 100)) return true;
        if (!FollowBody()) return true;
        if (s.harmful) {
            DestroyBody();
            return true;
        }
        float vx, vy;
        if (age <= 60) {
            if (age == 1) {
                Sound(13);
                Effect(6);
            }
            Turn(age <= 30 ? std::atan2(-100.0f, 0.0f) : std::atan2(PlayerY() - s.y, PlayerX() - s.x));
            s.paramA = (int)(std::cos(s.direction) * s.vx);
            s.paramB = (int)(std::sin(s.direction) * s.vy);
            vx = (float)s.paramA;
            vy = (float)s.paramB;
        } else {
            s.hit = BodyContact();
            vx = 4.0f * s.paramA;
            vy = 4.0f * s.paramB;
        }
        w.setBodyAngleById(s.bodyId, s.direction);
        SetVelocity(vx, vy);
        if (age > 100 || (age > 30 && s.hit)) {
            Sound(7);
            Effect(15);
            s.hitHalfWidth = s.hitHalfHeight = 32;
            s.harmful = 1;
        }
        return false;
    }
    case 14:
        Move();
        if (age <= 30 && !s.hit) return false;
        return s.paramA == 9999;
    case 15:
        if (age == 1) Sound(13);
        if (age == 7) s.cellX = dir == 1 ? 192 : 272;
        else if (age == 14) s.cellX = dir == 1 ? 224 : 288;
        Move();
        if (s.hit) {
            Sound(7);
            Spark();
            return true;
        }
        return age > s.paramA;
    case 16:
        s.cellX = (age / 5) % 2 ? 128 : 144;
        if (age == 1) {
            Sound(13);
            if (s.paramB == 0) s.paramB = GameRand() % 4;
        } else if (age > 1) {
            const int drift = s.paramB;
            if (drift < 1) s.vy += 0.014f;
            else if (drift < 2) s.vy -= 0.014f;
            else if (drift < 3) s.vx += 0.014f;
            else if (drift < 4) s.vx -= 0.014f;
            else s.vy += 0.014f;
        }
        Move();
        if (s.hit) {
            Sound(7);
            Spark();
            return true;
        }
        return age > (int)dir;
    case 19:
        if (age == 1) Sound(27);
        if (age == 5) s.cellY = 128;
        else if (age == 10) {
            s.cellY = 96;
            s.harmful = 1;
        } else if (age == 50) {
            s.cellY = 128;
            s.harmful = 0;
        } else if (age == 55) s.cellY = 160;
        Move();
        return age > s.paramA;
    case 20:
        if (age == 0) Sound(18);
        if (age > 0 && age % 5 == 0) {
            s.cellX += s.paramA == 0 ? 64 : -64;
            s.paramA = s.paramA == 0 ? 1 : 0;
        }
        Move();
        if (s.hit) {
            Sound(39);
            Effect(15);
            return true;
        }
        return age > s.paramB;
    case 21:
        if (age == 0) {
            Spark();
            Sound(30);
        }
        Move();
        if (age % 2 == 0 && s.hitHalfWidth < 32) {
            s.halfWidth += 4;
            s.hitHalfWidth += 4;
        }
        if (age <= 25 && !s.hit) return false;
        Sound(89);
        return true;
    case 22:
        if (age == 0 && !MakeBody(46, 0, -5, 99999)) return true;
        if (!FollowBody()) return true;
        if (s.harmful) {
            DestroyBody();
            return true;
        }
        if (arms.detonation == 1) {
            s.harmful = 1;
            s.hitsBoth = 1;
            Burst();
            Alert(150);
        }
        return false;
    case 25:
        if (age > 75) {
            const float to = (float)s.paramA;
            if (std::fabs(s.vx - to) <= 0.5f) {
                s.vx = to;
                Sound(6);
                s.cellX = s.paramA > 0 ? 256 : 264;
                s.paramA = -s.paramA;
            } else {
                s.vx += s.vx < to ? 0.5f : -0.5f;
            }
        }
        s.vy -= 0.005f;
        Move();
        if (age <= 200) return false;
        Pop();
        return true;
    case 27:
        return age > 1;
    case 28:
    case 36:
    case 35:
    case 37:
    case 62: {
        const bool walker = s.behaviour == 35 || s.behaviour == 37;
        if (age == 0 && s.fromEnemy) {
            const int kind = walker ? 116 : s.paramB;
            if (!MakeBody(kind, s.vx, s.vy, walker ? 300 : 150)) return true;
        }
        if (!FollowBody()) return true;
        Spin();
        if (s.behaviour == 62) {
            if (age % 15 == 0) s.cellX = 248;
            else if (age % 5 == 0) s.cellX += 24;
        }
        if (walker && age > 100 && age % 15 == 0) {
            const int pick = GameRand() % 2;
            Shot(s.x, s.y - 4, (s.fromEnemy ? 61 : 78) + pick, s.damage, s.fromEnemy);
        }
        if (s.hit) {
            if (s.behaviour == 62) Sound(85);
            else Alert(50);
            return true;
        }
        return walker && age >= 200;
    }
    case 29: {
        if (age % 15 == 0) Effect(s.paramA == 0 ? 28 : s.paramA == 1 ? 29 : 28 + GameRand() % 2);
        s.burstCode = 1;
        if (s.fromEnemy) {
            EnemyNode *o = Owner();
            if (!o) return true; // the age goes past its end
            s.x = o->x + dir;
            s.y = o->y + s.paramB;
        } else {
            s.x = PlayerX();
            s.y = PlayerY();
        }
        return age > (int)s.paramC;
    }
    case 30:
        if (age == 0) {
            Sound(54);
            if (!MakeBody(40, 0, -5, 150)) return true;
        }
        if (!FollowBody() || (age > 150 && s.harmful)) return true;
        if (age == 150) {
            Burst();
            Alert(150);
            Arm();
            return false;
        }
        return age > s.paramB;
    case 31:
    case 32:
    case 52:
        if (age == 0 && !MakeBody(s.paramA, 0, -10, 5000)) return true;
        if (!FollowBody()) return true;
        s.hit = PlayerContact();
        if (age <= 200 || s.behaviour == 52) {
            if (s.harmful) s.hit = s.harmful = 0;
            else if (s.hit) s.harmful = 1;
            return false;
        }
        if (s.behaviour == 32) DestroyBody();
        return true;
    case 33:
        s.x = PlayerX() + s.paramA - 8;
        s.y = PlayerY() + s.paramB - 8;
        if (age == 10) {
            s.cellX = 16;
            for (int i = 0; i < 3; i++) Effect(s.x, s.y - 5, 5);
            Sound(58);
        }
        return age > 30;
    case 34:
        return RollingBall();
    case 38:
        Move();
        return age > 50;
    case 39: {
        float target;
        if (Target(&target)) Turn(target);
        s.x += std::cos(s.direction) * s.vx;
        s.y += std::sin(s.direction) * s.vy;
        s.cellX = (age / 5) % 2 ? s.paramA + 2 * s.halfWidth : s.paramA;
        if (age == 200 && s.paramC == 9999) s.harmful = 1;
        if (s.hit) {
            Sound(39);
            Effect(s.paramC != 0 ? 30 : 15);
            return true;
        }
        return age > 200;
    }
    case 40:
    case 68:
    case 69:
        if (age == 0) Spark();
        Move();
        if (s.behaviour == 69) s.cellX = (age / 3) % 2 ? 160 : 128;
        else s.cellX = (age / 3) % 2 ? 328 : 304;
        if (s.behaviour == 69) {
            if (!s.hit && age <= 30) return false;
            if (s.hit) Sound(83);
            Pop();
            return true;
        }
        if (age <= 14 && !s.hit) return false;
        if (s.behaviour == 68) {
            Sound(58);
            const float v[8][2] = {{-8, 4}, {4, -8}, {4, 0}, {-8, 0}, {0, 4}, {0, -8}, {-4, -4}, {8, 4}};
            Shards(299, v, 8);
        } else if (s.hit) {
            Sound(7);
        }
        Alert(100);
        Pop();
        return true;
    case 41:
        if (age == 0) {
            Effect(s.x, s.y - 16, 26);
            Sound(5);
        }
        if (!Follow((float)s.paramA, (float)s.paramB)) return true;
        if (s.hit) {
            Sound(11);
            if (dir == 1) Effect(s.x, s.y - 16, 38);
            else Effect(s.x, s.y + 16, 39);
            s.hit = 0;
        }
        return age > 20;
    case 42:
        if (!Follow((float)s.paramA, (float)s.paramB)) return true;
        s.cellX = (age / 5) % 2 ? 160 : 96;
        if (s.hit) {
            Effect(40);
            Sound(11);
            s.hit = 0;
        }
        return age > 200;
    case 44:
        if (!FollowBody()) return true;
        if (!BodyContact()) return false;
        Shot(s.x, s.y - 1, 0, 10, 1);
        DestroyBody();
        return true;
    case 45:
    case 46:
        if (!FollowBody()) return true;
        if (BodyContact()) s.hit = 1;
        if (s.counter == 0 && !s.hit) return false;
        s.counter++;
        if (s.counter == 1) Sound(35);
        if (s.behaviour == 45) {
            if (s.counter == 20) {
                Burst();
                s.hitHalfWidth = s.hitHalfHeight = 32;
                s.damage = 10;
                s.burstCode = 1;
            } else if (s.counter >= 21) {
                DestroyBody();
                return true;
            }
            return false;
        }
        if (s.counter > 40 && s.counter % 15 == 0) {
            float a = 0;
            w.getBodyAngleById(s.bodyId, &a);
            Shot(s.x, s.y - 1, 78, 10, 1, (int)(std::sin(a) * 10), (int)(std::cos(a) * 10));
        }
        return s.counter >= 250;
    case 47:
        if (age == 0) {
            Sound(13);
            Effect(6);
            if (!MakeBody(s.paramB, 0, 0, 1000)) return true;
        }
        if (!FollowBody()) return true;
        SetVelocity(s.vx, s.vy);
        if (PlayerContact()) {
            s.harmful = 1;
            s.hitHalfWidth = s.hitHalfHeight = 32;
            s.damage = 9999;
            s.age = 998;
            return false;
        }
        s.hit = BodyContact();
        return age > 1000 || s.hit;
    case 48:
    case 49:
        return Collector();
    case 50:
    case 51: {
        if (age == 0) {
            if (!MakeBody(s.paramA, 0, 0, -666)) return true;
            Effect(24);
            Sound(5);
        }
        if (!FollowBody()) return true;
        EnemyNode *o = Owner();
        if (s.behaviour == 50) {
            if (arms.heldShot != 0) {
                DestroyBody();
                return true;
            }
            if (w.isBodyTouchingObject(arms.fieldObjects, s.bodyId)) {
                s.hit = 1;
                arms.heldShot = s.paramB;
                Sound(3);
                Effect(42);
            } else if (o) {
                Orbit(*o);
            }
            return false;
        }
        if (!o) return true;
        if (age >= 1000) {
            s.paramB = GameRand() % 5;
            s.age = 0;
        }
        if (s.paramB < 2) {
            if (age % 100 == 0) {
                float vx, vy;
                ComputeAimAtPlayer(arms, s.x, s.y, 100, &vx, &vy);
                vx = std::fmax(-kOrbitClamp, std::fmin(kOrbitClamp, vx));
                vy = std::fmax(-kOrbitClamp, std::fmin(kOrbitClamp, vy));
                if (vx != 0 && vy != 0) SetVelocity(vx, vy);
            }
        } else {
            Orbit(*o);
        }
        return false;
    }
    case 53:
        if (age == 0 && !MakeBody(42, 0, -5, 99999)) return true;
        if (!FollowBody()) return true;
        if (age <= s.paramA && !s.hit) return false;
        DestroyBody();
        Sound(33);
        s.hitsBoth = 1;
        Effect(1);
        Alert(150);
        return true;
    case 54:
        if (!FollowBody()) return true;
        if (!PlayerContact()) return false;
        Sound(35);
        arms.detonation = 1;
        w.makeAllBodiesDynamic();
        return true;
    case 55:
        if (age == 0) Sound(18);
        Move();
        if (s.hit) {
            Sound(39);
            Effect(15);
            s.hit = 0;
        }
        return age > s.paramB;
    case 56:
    case 57:
        if (age == 0) {
            Sound(54);
            if (!MakeBody(47, s.vx, s.vy, 300)) return true;
        }
        if (!FollowBody()) return true;
        if (age == 150) {
            Sound(33);
            Alert(1000);
            s.burstCode = 1;
            s.hitsBoth = 1;
            s.harmful = 1;
            w.startScreenEffect(arms.screenEffect, FULLSCREEN_FADE);
            return false;
        }
        return age > s.paramB;
    case 58: {
        if (age == 0) {
            if (!MakeBody(s.paramA, 0, 0, -666)) return true;
            Effect(24);
            Sound(5);
        }
        if (!FollowBody()) return true;
        if (!Owner() && s.paramB <= 0) {
            DestroyBody();
            return true;
        }
        if (age > 0 && age % 100 == 0) s.paramB--;
        s.direction += 0.005f;
        Steer(320 + std::cos(s.direction) * s.paramB, 160 + std::sin(s.direction) * s.paramB);
        return false;
    }
    case 59:
    case 64:
        if (age == 0) w.startScreenEffect(arms.screenEffect, (int)s.paramC);
        if (s.behaviour == 59 && age == 2) s.burstCode = 0;
        return age > 200;
    case 60:
        if (age == 1) Sound(27);
        if (age <= 9) s.cellX = 320;
        else if (age <= 49) {
            s.cellX = 384;
            s.harmful = 1;
        } else if (age <= 54) s.cellX = 448;
        else if (age <= 104) s.cellX = 384;
        else if (age <= 144) {
            s.cellX = 384;
            s.harmful = 0;
        }
        return age > 155;
    case 61:
        if (age == 0) Sound(82);
        if (age % 20 == 0) s.cellX = 320;
        else if (age % 5 == 0) s.cellX += 48;
        Move();
        if (age <= 150 && !s.hit) return false;
        if (s.hit) Sound(83);
        Alert(100);
        Effect(15);
        return true;
    case 63:
        if (age == 0 && arms.screenEffect) arms.screenEffect->mode = FULLSCREEN_WAVE;
        if (age % 50 == 0) {
            Shot(62, 288, 5, s.damage, 1);
            Shot(578, 288, 4, s.damage, 1);
        }
        return age >= 200;
    case 65: {
        if (!Follow((float)s.paramA, (float)s.paramB)) return true;
        if (age == 4) s.cellX = 176;
        else if (age == 8) s.cellX = 208;
        if (age <= 12) return false;
        Sound(58);
        const float v[8][2] = {{-2, 1}, {1, -2}, {1, 0}, {-2, 0}, {0, 1}, {0, -2}, {-1, -1}, {2, 1}};
        Shards(999, v, 8);
        return true;
    }
    case 66:
        if (!FollowBody()) return true;
        if (s.hit) {
            Sound(85);
            return true;
        }
        return age > 200;
    default:
        untouched = true; // no update: the shot is left as it is
        return false;
    }
}

} // namespace

int CarrierObject(WorldServiceCalls &w, float x, float y, int kind, int value, float vx, float vy)
{
    return w.createFieldObject(x, y, kind, 0, vx, vy, 0, value != 0 ? 1 : 0, value, 0);
}

void UpdateShots(Arms &arms)
{
    WorldServiceCalls &w = WorldServices();
    ShotNode *s = arms.shotHead;
    while (s) {
        Update u{arms, *s, s->age, w};
        bool end = u.Run();
        if (!u.untouched) s->age++;
        s = end ? RemoveShotNode(s, arms) : s->next;
    }
}
