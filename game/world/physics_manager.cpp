#include "game/world/physics_manager.h"

#include <cfloat>
#include <cmath>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/world/map_grid.h"
#include "game/world/static_bodies.h"
#include "game/world/world_services.h" // the entries the actors call, as they declare them

namespace {

constexpr float kStep = 1.0f / 60.0f;
constexpr int kIterations = 10;
constexpr float kGravity = 20.0f;
constexpr uint16_t kObjectCategory = 2;
constexpr uint16_t kPlayerCategory = 8;

// A body's user data: 0 none (map cells, anchors), 1 the player's box, id + 2 the game's ids.
uintptr_t IdTag(int id) { return (uintptr_t)id + 2; }
int TaggedId(b2Body *body)
{
    uintptr_t tag = body->GetUserData().pointer;
    if (tag == 0) return kNoBodyId;
    if (tag == 1) return kPlayerBodyId;
    return (int)(tag - 2);
}

bool Finite(float v) { return std::isfinite(v); }

b2FixtureDef ObjectFixture(const b2Shape *shape, float density)
{
    b2FixtureDef fd;
    fd.shape = shape;
    fd.density = density;
    fd.friction = 0.3f;
    fd.restitution = 0.7f;
    fd.filter.categoryBits = kObjectCategory;
    fd.filter.maskBits = 0xFFFF;
    fd.filter.groupIndex = 1;
    return fd;
}

// Box2D refuses (asserts on) polygons without area, so no half-size goes below this.
constexpr float kMinHalf = 0.05f;

struct Box {
    float hx, hy, cx, cy;
};
// Compound bodies by variant: a floor or lid and two walls.
Box const kCompoundBoxes[7][3] = {
    {{0.8f, 0.05f, 0, 0.75f}, {0.05f, 0.8f, -0.75f, 0}, {0.05f, 0.8f, 0.75f, 0}},     // any other
    {{0.8f, 0.05f, 0, 0.75f}, {0.05f, 0.8f, -0.75f, 0}, {0.05f, 0.8f, 0.75f, 0}},     // 1 (as other)
    {{0.8f, 0.05f, 0, 0.35f}, {0.05f, 0.4f, -0.75f, 0}, {0.05f, 0.4f, 0.75f, 0}},     // 2
    {{0.7f, 0.05f, 0, -0.55f}, {0.05f, 0.6f, -0.65f, 0}, {0.05f, 0.6f, 0.65f, 0}},    // 3
    {{0.4f, 0.05f, 0, -0.35f}, {0.05f, 0.35f, -0.35f, 0.1f}, {0.05f, 0.35f, 0.35f, 0.1f}}, // 4
    {{0.8f, 0.05f, 0, 0.55f}, {0.05f, 0.5f, -0.75f, 0}, {0.05f, 0.5f, 0.75f, 0}},     // 5
    {{0.8f, 0.05f, 0, -0.25f}, {0.1f, 0.3f, -0.6f, 0.1f}, {0.1f, 0.3f, 0.6f, 0.1f}},  // 6
};

PhysicsManager *g_gamePhysics = nullptr;

} // namespace

// ---- contact listener ----------------------------------------------------------------------

void ContactListener::PreSolve(b2Contact *contact, const b2Manifold *oldManifold)
{
    const b2Manifold *manifold = contact->GetManifold();
    b2PointState before[b2_maxManifoldPoints], now[b2_maxManifoldPoints];
    b2GetPointStates(before, now, oldManifold, manifold);
    b2Body *a = contact->GetFixtureA()->GetBody();
    b2Body *b = contact->GetFixtureB()->GetBody();
    ContactRecord r{};
    r.body1 = TaggedId(a);
    r.body2 = TaggedId(b);

    Points &kept = lastPoints_[contact];
    // Points that left: where they were last seen.
    for (int i = 0; i < oldManifold->pointCount; i++) {
        if (before[i] != b2_removeState) continue;
        r.normalX = kept.normal.x;
        r.normalY = kept.normal.y;
        r.x = i < kept.count ? kept.at[i].x : 0;
        r.y = i < kept.count ? kept.at[i].y : 0;
        r.id = (int)oldManifold->points[i].id.key;
        r.state = CONTACT_REMOVED;
        manager_.RecordContact(r);
    }
    b2WorldManifold world;
    contact->GetWorldManifold(&world);
    r.normalX = world.normal.x;
    r.normalY = world.normal.y;
    for (int i = 0; i < manifold->pointCount; i++) {
        if (now[i] != b2_addState && now[i] != b2_persistState) continue;
        r.x = world.points[i].x;
        r.y = world.points[i].y;
        r.id = (int)manifold->points[i].id.key;
        r.state = now[i] == b2_addState ? CONTACT_ADDED : CONTACT_PERSISTED;
        manager_.RecordContact(r);
    }
    kept.count = manifold->pointCount;
    kept.normal = world.normal;
    for (int i = 0; i < manifold->pointCount; i++) {
        kept.at[i] = world.points[i];
        kept.key[i] = manifold->points[i].id.key;
    }
}

void ContactListener::EndContact(b2Contact *contact)
{
    ContactRecord r{};
    r.body1 = TaggedId(contact->GetFixtureA()->GetBody());
    r.body2 = TaggedId(contact->GetFixtureB()->GetBody());
    r.state = CONTACT_REMOVED;
    const b2Manifold *manifold = contact->GetManifold();
    auto kept = lastPoints_.find(contact);
    if (manifold->pointCount > 0) {
        b2WorldManifold world;
        contact->GetWorldManifold(&world);
        for (int i = 0; i < manifold->pointCount; i++) {
            r.normalX = world.normal.x;
            r.normalY = world.normal.y;
            r.x = world.points[i].x;
            r.y = world.points[i].y;
            r.id = (int)manifold->points[i].id.key;
            manager_.RecordContact(r);
        }
    } else if (kept != lastPoints_.end()) {
        // Ended inside the step: the manifold is already empty.
        const Points &p = kept->second;
        for (int i = 0; i < p.count; i++) {
            r.normalX = p.normal.x;
            r.normalY = p.normal.y;
            r.x = p.at[i].x;
            r.y = p.at[i].y;
            r.id = (int)p.key[i];
            manager_.RecordContact(r);
        }
    }
    if (kept != lastPoints_.end()) lastPoints_.erase(kept);
}

// ---- the manager ---------------------------------------------------------------------------

PhysicsManager::PhysicsManager() : contactListener_(*this) {}

PhysicsManager::~PhysicsManager()
{
    if (g_gamePhysics == this) g_gamePhysics = nullptr;
    FreePhysicsManager();
}

void PhysicsManager::ClearWorldState()
{
    ids_.clear();
    anchors_.clear();
    contactListener_.Forget();
    playerBody_ = nullptr;
    bodyCount_ = 0;
    staticBodies_ = 0;
    grabbing_ = 0;
    grabbedId_ = -1;
    ClearContacts();
    firstState_.clear();
}

void PhysicsManager::FreePhysicsManager()
{
    world_.reset();
    ClearWorldState();
}

void PhysicsManager::CreatePhysicsWorld()
{
    FreePhysicsManager();
    world_ = std::make_unique<b2World>(b2Vec2(0.0f, kGravity));
    world_->SetAllowSleeping(true);
    world_->SetDestructionListener(&destructionListener_);
    world_->SetContactListener(&contactListener_);

    b2BodyDef bd;
    bd.type = b2_dynamicBody;
    bd.position.Set(0.0f, 0.0f);
    bd.userData.pointer = 1;
    playerBody_ = world_->CreateBody(&bd);
    b2PolygonShape box;
    box.SetAsBox(0.3f, 0.6f);
    NoSkin(box);
    b2FixtureDef fd;
    fd.shape = &box;
    fd.density = 10.0f;
    fd.friction = 0.2f;
    fd.restitution = 0.0f;
    fd.filter.categoryBits = kPlayerCategory;
    fd.filter.maskBits = 0xFFFF;
    fd.filter.groupIndex = 1;
    playerBody_->CreateFixture(&fd);
}

b2Body *PhysicsManager::Body(int id) const
{
    return id >= 0 && (size_t)id < ids_.size() ? ids_[(size_t)id] : nullptr;
}

int PhysicsManager::AddBody(b2Body *body)
{
    int id = (int)ids_.size(); // the next id
    body->GetUserData().pointer = IdTag(id);
    ids_.push_back(body);
    if (firstState_.size() < ids_.size()) firstState_.resize(ids_.size() + 64, -1);
    bodyCount_++;
    return id;
}

int PhysicsManager::CreateObjectBody(float x, float y, float width, float height, float weight, int shape, float vx,
                                     float vy, float angle)
{
    if (!world_ || bodyCount_ >= kMaxBodies) return -1;
    if (!Finite(x) || !Finite(y) || !Finite(width) || !Finite(height) || !Finite(weight) || !Finite(vx) ||
        !Finite(vy) || !Finite(angle))
        return -1;
    b2BodyDef bd;
    bd.type = weight > 0 ? b2_dynamicBody : b2_staticBody;
    bd.position.Set(x * 0.1f, y * 0.1f);
    bd.angle = angle;
    bd.allowSleep = weight != 666.0f;
    bd.awake = true;
    bd.linearVelocity.Set(vx, vy);
    b2Body *body = world_->CreateBody(&bd);

    float hx = width * 0.1f, hy = height * 0.1f;
    if (hx == 0 && hy == 0) hx = hy = kMinHalf;
    float density = weight > 0 ? weight : 1.0f;
    if (shape == 1) {
        b2CircleShape circle;
        circle.m_radius = std::max(hx, kMinHalf);
        b2FixtureDef fd = ObjectFixture(&circle, density);
        body->CreateFixture(&fd);
    } else {
        hx = std::max(hx, kMinHalf);
        hy = std::max(hy, kMinHalf);
        b2PolygonShape polygon;
        if (shape == 2) {
            // Apex at the top centre (y grows downwards).
            b2Vec2 corners[3] = {{0.0f, -hy}, {hx, hy}, {-hx, hy}};
            polygon.Set(corners, 3);
        } else {
            polygon.SetAsBox(hx, hy);
        }
        NoSkin(polygon);
        b2FixtureDef fd = ObjectFixture(&polygon, density);
        body->CreateFixture(&fd);
    }
    return AddBody(body);
}

int PhysicsManager::CreateCompoundBody(float x, float y, float angle, int variant, float weight)
{
    if (!world_ || bodyCount_ >= kMaxBodies) return -1;
    if (!Finite(x) || !Finite(y) || !Finite(angle) || !Finite(weight)) return -1;
    b2BodyDef bd;
    bd.type = weight > 0 ? b2_dynamicBody : b2_staticBody;
    bd.position.Set(x * 0.1f, y * 0.1f);
    bd.angle = angle;
    b2Body *body = world_->CreateBody(&bd);
    // Density 1 on a static body too, so that it gains mass when it is made to move.
    float density = weight > 0 ? weight : 1.0f;
    const Box *boxes = kCompoundBoxes[variant >= 2 && variant <= 6 ? variant : 0];
    for (int i = 0; i < 3; i++) {
        b2PolygonShape polygon;
        polygon.SetAsBox(boxes[i].hx, boxes[i].hy, b2Vec2(boxes[i].cx, boxes[i].cy), 0.0f);
        NoSkin(polygon);
        b2FixtureDef fd = ObjectFixture(&polygon, density);
        body->CreateFixture(&fd);
    }
    return AddBody(body);
}

int PhysicsManager::HangBodyFromPoint(float x, float y, int id)
{
    b2Body *body = Body(id);
    if (!body || bodyCount_ >= kMaxBodies || anchors_.count(id)) return -1;
    if (!Finite(x) || !Finite(y)) return -1;
    b2BodyDef bd;
    bd.type = b2_staticBody;
    bd.position.Set(x * 0.1f, y * 0.1f - 1.6f);
    b2Body *anchor = world_->CreateBody(&bd);
    b2PolygonShape box;
    box.SetAsBox(0.1f, 0.1f);
    NoSkin(box);
    b2FixtureDef fd;
    fd.shape = &box;
    fd.density = 0.0f;
    anchor->CreateFixture(&fd);
    anchors_[id] = anchor;
    bodyCount_++;

    b2DistanceJointDef jd;
    jd.Initialize(anchor, body, anchor->GetPosition(), body->GetPosition());
    b2LinearStiffness(jd.stiffness, jd.damping, 10.0f, 0.5f, anchor, body);
    // Initialize leaves min = max = rest length, which makes the joint rigid: only a spring
    // between open limits swings.
    jd.minLength = 0.0f;
    jd.maxLength = FLT_MAX;
    world_->CreateJoint(&jd);
    return 0;
}

int PhysicsManager::ToggleGrabBody(int id)
{
    if (b2Body *body = Body(id)) {
        b2Vec2 p = body->GetPosition();
        // Nothing is taken out of a solid block.
        if (grid && ((CellAtPoint(*grid, p.x * kPixelsPerUnit, p.y * kPixelsPerUnit) >> 8) & 0xFF) == 1) return -1;
    }
    if (grabbing_) {
        grabbing_ = 0;
        grabbedId_ = -1;
        return -1;
    }
    if (!Body(id)) return -1;
    grabbing_ = 1;
    grabbedId_ = id;
    return 1;
}

void PhysicsManager::BuildMapStaticBodies()
{
    if (!world_ || !grid) return;
    std::vector<StaticPiece> pieces = PlanStaticPieces(
        grid->width, grid->height, [this](int c, int r) { return CellAt(*grid, c, r); });
    for (const StaticPiece &p : pieces) {
        CreateStaticPieceBody(*world_, p);
        staticBodies_++;
    }
}

int PhysicsManager::DestroyCellBody(int column, int row)
{
    if (!world_) return -1;
    constexpr float kSlack = 0.01f;
    const float left = column * kCellUnits, top = row * kCellUnits;
    for (b2Body *b = world_->GetBodyList(); b; b = b->GetNext()) {
        if (b->GetType() != b2_staticBody || b == playerBody_ || !b->GetFixtureList()) continue;
        bool anchor = false;
        for (const auto &a : anchors_) anchor = anchor || a.second == b;
        if (anchor) continue;
        bool inside = true;
        for (b2Fixture *f = b->GetFixtureList(); f && inside; f = f->GetNext()) {
            b2AABB box;
            f->GetShape()->ComputeAABB(&box, b->GetTransform(), 0);
            inside = box.lowerBound.x >= left - kSlack && box.lowerBound.y >= top - kSlack &&
                     box.upperBound.x <= left + kCellUnits + kSlack && box.upperBound.y <= top + kCellUnits + kSlack;
        }
        if (!inside) continue;
        world_->DestroyBody(b);
        staticBodies_--;
        return 0;
    }
    return -1;
}

void PhysicsManager::StepPhysicsWorld()
{
    ClearContacts();
    if (!world_) return;
    world_->Step(kStep, kIterations, kIterations);
    // The game places the player; the physics only lets it push.
    if (player && playerBody_)
        playerBody_->SetTransform(b2Vec2(player->x * 0.1f, player->y * 0.1f), playerBody_->GetAngle());
    if (grabbing_) {
        b2Body *body = Body(grabbedId_);
        if (!body) {
            grabbing_ = 0;
            grabbedId_ = -1;
        } else if (companion) {
            float angle = body->GetAngle();
            if (GetGameInput().Button(BUTTON_JUMP) != 0) angle += 0.05f;
            body->SetTransform(b2Vec2(companion->x * 0.1f + 1.6f, companion->y * 0.1f + 1.6f), angle);
            body->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
        }
    }
}

void PhysicsManager::RecordContact(const ContactRecord &record)
{
    if (contactCount_ >= kMaxContactRecords) return;
    contacts_[contactCount_++] = record;
    if (record.state == CONTACT_REMOVED) return;
    for (int id : {record.body1, record.body2})
        if (id >= 0 && (size_t)id < firstState_.size() && firstState_[(size_t)id] < 0) {
            firstState_[(size_t)id] = (int8_t)record.state;
            firstStateSet_.push_back(id);
        }
}

void PhysicsManager::ClearContacts()
{
    contactCount_ = 0;
    for (int id : firstStateSet_) firstState_[(size_t)id] = -1;
    firstStateSet_.clear();
}

int PhysicsManager::GetBodyPositionById(int id, float *x, float *y) const
{
    b2Body *body = Body(id);
    if (!body) return -1;
    b2Vec2 p = body->GetPosition();
    if (x) *x = p.x;
    if (y) *y = p.y;
    return 0;
}

int PhysicsManager::GetBodyAngleById(int id, float *angle) const
{
    b2Body *body = Body(id);
    if (!body) return -1;
    if (angle) *angle = body->GetAngle();
    return 0;
}

int PhysicsManager::DestroyBodyById(int id)
{
    b2Body *body = Body(id);
    if (!body) return -1;
    world_->DestroyBody(body);
    ids_[(size_t)id] = nullptr;
    bodyCount_--;
    // The anchor held only this body.
    auto anchor = anchors_.find(id);
    if (anchor != anchors_.end()) {
        world_->DestroyBody(anchor->second);
        anchors_.erase(anchor);
        bodyCount_--;
    }
    return 0;
}

int PhysicsManager::SetBodyVelocityById(int id, float vx, float vy)
{
    b2Body *body = Body(id);
    if (!body || !Finite(vx) || !Finite(vy)) return -1;
    body->SetAwake(true);
    body->SetLinearVelocity(b2Vec2(vx, vy));
    return 0;
}

int PhysicsManager::SetBodyAngleById(int id, float angle)
{
    b2Body *body = Body(id);
    if (!body || !Finite(angle)) return -1;
    body->SetTransform(body->GetPosition(), angle);
    return 0;
}

int PhysicsManager::SetBodyMassById(int id)
{
    b2Body *body = Body(id);
    if (!body) return -1;
    if (body->GetType() != b2_dynamicBody) body->SetType(b2_dynamicBody);
    else body->ResetMassData();
    body->SetAwake(true);
    return 0;
}

int PhysicsManager::FindBodyAtPoint(float x, float y) const
{
    for (size_t id = 0; id < ids_.size(); id++) {
        if (!ids_[id]) continue;
        b2Vec2 p = ids_[id]->GetPosition();
        float dx = p.x * kPixelsPerUnit - x, dy = p.y * kPixelsPerUnit - y;
        if (dx * dx + dy * dy <= 100.0f) return (int)id;
    }
    return -1;
}

void PhysicsManager::DestroyAllBodies()
{
    if (world_) {
        for (b2Body *body : ids_)
            if (body) world_->DestroyBody(body);
        for (const auto &[id, anchor] : anchors_) world_->DestroyBody(anchor);
    }
    ids_.clear();
    anchors_.clear();
    bodyCount_ = 0;
    grabbing_ = 0;
    grabbedId_ = -1;
    ClearContacts();
}

void PhysicsManager::MakeAllBodiesDynamic()
{
    if (!world_) return;
    for (b2Body *body = world_->GetBodyList(); body; body = body->GetNext()) {
        if (body->GetType() == b2_dynamicBody) continue;
        // Map cells and anchors have no density: they stay where they are.
        bool massive = false;
        for (b2Fixture *f = body->GetFixtureList(); f; f = f->GetNext()) massive = massive || f->GetDensity() > 0;
        if (massive) body->SetType(b2_dynamicBody);
    }
}

int PhysicsManager::ContactWith(int a, int b) const
{
    for (int i = 0; i < contactCount_; i++) {
        const ContactRecord &r = contacts_[i];
        if (r.state == CONTACT_REMOVED) continue;
        if ((r.body1 == a && r.body2 == b) || (r.body1 == b && r.body2 == a)) return r.state;
    }
    return -1;
}

int PhysicsManager::GetBodyContact(int id) const
{
    return Body(id) ? firstState_[(size_t)id] : -1;
}

int PhysicsManager::GetBodyPlayerContact(int id) const { return Body(id) ? ContactWith(id, kPlayerBodyId) : -1; }

int PhysicsManager::GetContactBetweenBodies(int a, int b) const
{
    return Body(a) && Body(b) ? ContactWith(a, b) : -1;
}

// ---- the game's manager and the free entries -----------------------------------------------

void SetGamePhysics(PhysicsManager *physics) { g_gamePhysics = physics; }
PhysicsManager *GamePhysics() { return g_gamePhysics; }

void CreatePhysicsWorld(PhysicsManager &physics) { physics.CreatePhysicsWorld(); }
void BuildMapStaticBodies(PhysicsManager &physics) { physics.BuildMapStaticBodies(); }
void DestroyAllBodies(PhysicsManager &physics) { physics.DestroyAllBodies(); }
void StepPhysicsWorld(PhysicsManager &physics) { physics.StepPhysicsWorld(); }
int SetBodyVelocityById(int id, float vx, float vy, PhysicsManager &physics)
{
    return physics.SetBodyVelocityById(id, vx, vy);
}
int GetBodyPositionById(int id, float *x, float *y) { return g_gamePhysics ? g_gamePhysics->GetBodyPositionById(id, x, y) : -1; }
int GetBodyAngleById(int id, float *angle) { return g_gamePhysics ? g_gamePhysics->GetBodyAngleById(id, angle) : -1; }
int SetBodyAngleById(int id, float angle) { return g_gamePhysics ? g_gamePhysics->SetBodyAngleById(id, angle) : -1; }
int DestroyCellBody(PhysicsManager &physics, int column, int row) { return physics.DestroyCellBody(column, row); }
int DestroyBodyById(int id) { return g_gamePhysics ? g_gamePhysics->DestroyBodyById(id) : -1; }
int FindBodyAtPoint(float x, float y) { return g_gamePhysics ? g_gamePhysics->FindBodyAtPoint(x, y) : -1; }
int ToggleGrabBody(int id) { return g_gamePhysics ? g_gamePhysics->ToggleGrabBody(id) : -1; }
int GetBodyContact(int id) { return g_gamePhysics ? g_gamePhysics->GetBodyContact(id) : -1; }
int GetBodyPlayerContact(int id) { return g_gamePhysics ? g_gamePhysics->GetBodyPlayerContact(id) : -1; }
int GetContactBetweenBodies(int a, int b) { return g_gamePhysics ? g_gamePhysics->GetContactBetweenBodies(a, b) : -1; }
void MakeAllBodiesDynamic()
{
    if (g_gamePhysics) g_gamePhysics->MakeAllBodiesDynamic();
}
