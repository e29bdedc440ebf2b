// The rigid-body world of the field (Box2D): loose objects, the player's collision box and the
// static shapes of the map cells. Modules never see a body: each gets an integer id, and every
// operation goes through the id. Contacts are recorded per step and queried by id.
#pragma once

#include <box2d/box2d.h>

#include <array>
#include <cstdint>
#include <map>

#include <memory>
#include <unordered_map>
#include <vector>

struct MapGrid;
struct Player;
struct Companion;
class PhysicsManager;

constexpr float kPixelsPerUnit = 10.0f;   // 1 physics unit = 10 pixels
constexpr float kCellUnits = 1.6f;        // one 16-pixel map cell
constexpr int kMaxBodies = 512;           // object bodies (and hanger anchors) in one world
constexpr int kMaxContactRecords = 2048;  // contact points recorded in one step
constexpr int kStaticGridColumns = 200;   // static bodies cover at most this many cells
constexpr int kStaticGridRows = 150;

// Polygons here have no skin, as in the interface the game was written for: a resting body sinks
// by the slop instead of floating a skin's width above, so the cell under an object's bottom
// edge is the cell it rests on.
inline void NoSkin(b2PolygonShape &polygon) { polygon.m_radius = 0.0f; }

// Body ids a contact record names besides the game's own: the player's box and bodies without
// an id (map cells, hanger anchors).
constexpr int kPlayerBodyId = -2;
constexpr int kNoBodyId = -1;

enum ContactState { CONTACT_ADDED = 0, CONTACT_PERSISTED = 1, CONTACT_REMOVED = 2 };

// One contact point of this step. The two bodies are kept by id, so a record stays safe to
// read after either body is destroyed.
struct ContactRecord {
    int body1, body2;
    float normalX, normalY;
    float x, y;  // units
    int id;      // the point's feature key
    int state;   // ContactState
};

// Add / persist / remove per contact point, as the world reports them during a step.
class ContactListener : public b2ContactListener {
public:
    explicit ContactListener(PhysicsManager &manager) : manager_(manager) {}
    void PreSolve(b2Contact *contact, const b2Manifold *oldManifold) override;
    void EndContact(b2Contact *contact) override;
    // Forgets the points kept for contacts that end (the world is going away).
    void Forget() { lastPoints_.clear(); }

private:
    struct Points {
        int count;
        b2Vec2 normal;
        b2Vec2 at[b2_maxManifoldPoints];
        uint32_t key[b2_maxManifoldPoints];
    };
    PhysicsManager &manager_;
    // The last points of every touching contact: a contact that stops touching inside a step
    // reports its end with an empty manifold, so its removed points come from here.
    std::unordered_map<const b2Contact *, Points> lastPoints_;
};

// Neither has work of its own; the world is told of them all the same.
class DestructionListener : public b2DestructionListener {
public:
    void SayGoodbye(b2Joint *) override {}
    void SayGoodbye(b2Fixture *) override {}
};

class PhysicsManager {
public:
    PhysicsManager();
    ~PhysicsManager();
    PhysicsManager(const PhysicsManager &) = delete;
    PhysicsManager &operator=(const PhysicsManager &) = delete;

    // Deletes the world and empties the id map.
    void FreePhysicsManager();
    // A new world (the old one, its ids, the grab and the contacts go first) with the player's box.
    void CreatePhysicsWorld();
    // x, y in pixels; sizes are the object row's half-sizes in pixels. -1 when refused.
    int CreateObjectBody(float x, float y, float width, float height, float weight, int shape, float vx, float vy,
                         float angle);
    int CreateCompoundBody(float x, float y, float angle, int variant, float weight);
    // A small fixed anchor 16 px above (x, y) and a soft distance joint to the body.
    int HangBodyFromPoint(float x, float y, int id);
    // 1 grabbed; -1 refused, released or unknown.
    int ToggleGrabBody(int id);
    // Static shapes of the map grid's cells.
    void BuildMapStaticBodies();
    void StepPhysicsWorld();
    // The static body of one map cell alone (a breakable block): 0, or -1 when none lies
    // wholly inside the cell.
    int DestroyCellBody(int column, int row);

    // Id operations: -1 when the id is not in the map. Positions in units.
    int GetBodyPositionById(int id, float *x, float *y) const;
    int GetBodyAngleById(int id, float *angle) const;
    int DestroyBodyById(int id);
    int SetBodyVelocityById(int id, float vx, float vy);
    int SetBodyAngleById(int id, float angle);
    int SetBodyMassById(int id);
    int FindBodyAtPoint(float x, float y) const;
    void DestroyAllBodies();
    void MakeAllBodiesDynamic();

    // Over this step's records: 0 added, 1 persisted, -1 none.
    int GetBodyContact(int id) const;
    int GetBodyPlayerContact(int id) const;
    int GetContactBetweenBodies(int a, int b) const;

    // Called by the listener.
    void RecordContact(const ContactRecord &record);

    b2World *World() const { return world_.get(); }
    b2Body *Body(int id) const;
    int BodyCount() const { return bodyCount_; }
    int ContactCount() const { return contactCount_; }
    const ContactRecord &Contact(int i) const { return contacts_[i]; }
    bool Grabbing() const { return grabbing_ != 0; }
    int GrabbedId() const { return grabbedId_; }
    int StaticBodyCount() const { return staticBodies_; }

    // Sibling records (set once by the game object); each may be null in tests.
    const MapGrid *grid = nullptr;
    const Player *player = nullptr;
    const Companion *companion = nullptr;

private:
    int AddBody(b2Body *body);
    void ClearWorldState();
    int ContactWith(int a, int b) const;
    void ClearContacts();

    ContactListener contactListener_;
    DestructionListener destructionListener_;
    std::unique_ptr<b2World> world_;
    b2Body *playerBody_ = nullptr;
    // The id map: ids are handed out in order and never reused within a world, so the map is a
    // vector indexed by id (null once destroyed), walked in id order.
    std::vector<b2Body *> ids_;
    std::map<int, b2Body *> anchors_;  // hanger anchor by the id of the body it holds
    int bodyCount_ = 0;
    int staticBodies_ = 0;
    uint8_t grabbing_ = 0;
    int grabbedId_ = -1;
    std::array<ContactRecord, kMaxContactRecords> contacts_{};
    int contactCount_ = 0;
    // Per id, the state of its first added or persisted record this step (-1 none), and the ids
    // set, so that the per-object query is one look-up and the reset touches only those.
    std::vector<int8_t> firstState_;
    std::vector<int> firstStateSet_;
};

// The game's manager, bound by the game object; the free entries below act on it and answer
// -1 (or nothing) while none is bound.
void SetGamePhysics(PhysicsManager *physics);
PhysicsManager *GamePhysics();

void CreatePhysicsWorld(PhysicsManager &physics);
void BuildMapStaticBodies(PhysicsManager &physics);
void DestroyAllBodies(PhysicsManager &physics);
void StepPhysicsWorld(PhysicsManager &physics);
int SetBodyVelocityById(int id, float vx, float vy, PhysicsManager &physics);
int GetBodyPositionById(int id, float *x, float *y);
int GetBodyAngleById(int id, float *angle);
int SetBodyAngleById(int id, float angle);
int DestroyBodyById(int id);
int FindBodyAtPoint(float x, float y);
int ToggleGrabBody(int id);
int GetBodyContact(int id);
int GetBodyPlayerContact(int id);
int GetContactBetweenBodies(int a, int b);
void MakeAllBodiesDynamic();
