#include "game/world/static_bodies.h"

#include <algorithm>

#include "game/world/map_grid.h"
#include "game/world/physics_manager.h"

namespace {

// Corners of the single-cell polygons on the cell's corner and midpoint grid, as fractions of
// a cell: 0 left / top, 1 middle, 2 right / bottom. 6-9 are 2-5 upside down; 10-13 fill the cell.
struct CellShape {
    int count;
    uint8_t x[4], y[4];
};
const CellShape kCellShapes[16] = {
    {0, {}, {}},                          // 0: free
    {0, {}, {}},                          // 1: merged
    {3, {2, 2, 0}, {1, 2, 2}},            // 2: right half of a rise, low
    {4, {0, 2, 2, 0}, {1, 0, 2, 2}},      // 3: right half of a rise, high
    {3, {0, 2, 0}, {1, 2, 2}},            // 4: a fall, low
    {4, {0, 2, 2, 0}, {0, 1, 2, 2}},      // 5: a fall, high
    {3, {2, 2, 0}, {1, 0, 0}},            // 6: 2 upside down
    {4, {0, 2, 2, 0}, {1, 2, 0, 0}},      // 7: 3 upside down
    {3, {0, 2, 0}, {1, 0, 0}},            // 8: 4 upside down
    {4, {0, 2, 2, 0}, {2, 1, 0, 0}},      // 9: 5 upside down
    {4, {0, 2, 2, 0}, {0, 0, 2, 2}},      // 10..13: the whole cell
    {4, {0, 2, 2, 0}, {0, 0, 2, 2}},
    {4, {0, 2, 2, 0}, {0, 0, 2, 2}},
    {4, {0, 2, 2, 0}, {0, 0, 2, 2}},
    {0, {}, {}},                          // 14, 15: merged
    {0, {}, {}},
};

} // namespace

std::vector<StaticPiece> PlanStaticPieces(int columns, int rows, const std::function<uint32_t(int, int)> &cellAt)
{
    columns = std::clamp(columns, 0, kStaticGridColumns);
    rows = std::clamp(rows, 0, kStaticGridRows);
    std::vector<StaticPiece> pieces;
    if (columns == 0 || rows == 0) return pieces;

    std::vector<uint8_t> attribute((size_t)columns * rows);
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) attribute[(size_t)r * columns + c] = (uint8_t)CellAttribute(cellAt(c, r));
    std::vector<uint8_t> marked((size_t)columns * rows, 0);
    auto mergeable = [&](int c, int r) {
        size_t i = (size_t)r * columns + c;
        return !marked[i] && IsMergedAttribute(attribute[i]);
    };

    // Solid cells: the longest run rightward from each unmarked cell, grown downward while the
    // row below holds the same run unmarked.
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            if (!mergeable(c, r)) continue;
            int run = 1;
            while (c + run < columns && mergeable(c + run, r)) run++;
            int height = 1;
            for (;;) {
                int next = r + height;
                if (next >= rows) break;
                bool same = true;
                for (int i = 0; i < run && same; i++) same = mergeable(c + i, next);
                if (!same) break;
                height++;
            }
            for (int j = 0; j < height; j++)
                for (int i = 0; i < run; i++) marked[(size_t)(r + j) * columns + c + i] = 1;
            StaticPiece p{};
            p.box = true;
            p.hx = run * 0.8f;
            p.hy = height * 0.8f;
            p.cx = c * kCellUnits + p.hx;
            p.cy = r * kCellUnits + p.hy;
            pieces.push_back(p);
        }

    // Every other attribute: one polygon for its cell.
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            const CellShape &s = kCellShapes[attribute[(size_t)r * columns + c]];
            if (s.count == 0) continue;
            StaticPiece p{};
            p.box = false;
            p.count = s.count;
            for (int i = 0; i < s.count; i++)
                p.corners[i] = b2Vec2(c * kCellUnits + s.x[i] * 0.8f, r * kCellUnits + s.y[i] * 0.8f);
            p.group = attribute[(size_t)r * columns + c] == 5 ? -3 : 0;
            pieces.push_back(p);
        }
    return pieces;
}

b2Body *CreateStaticPieceBody(b2World &world, const StaticPiece &p)
{
    b2BodyDef bd;
    bd.type = b2_staticBody;
    b2PolygonShape polygon;
    if (p.box) {
        bd.position.Set(p.cx, p.cy);
        polygon.SetAsBox(p.hx, p.hy);
    } else {
        // Corners relative to the cell's top-left corner.
        b2Vec2 origin = p.corners[0];
        for (int i = 1; i < p.count; i++) origin = b2Min(origin, p.corners[i]);
        bd.position = origin;
        b2Vec2 local[4];
        for (int i = 0; i < p.count; i++) local[i] = p.corners[i] - origin;
        polygon.Set(local, p.count);
    }
    NoSkin(polygon);
    b2Body *body = world.CreateBody(&bd);
    b2FixtureDef fd;
    fd.shape = &polygon;
    fd.density = 0.0f;
    fd.filter.groupIndex = p.group;
    body->CreateFixture(&fd);
    return body;
}
