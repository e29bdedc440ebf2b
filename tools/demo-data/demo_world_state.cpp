// The initial world state "META_MUSIC_BUFFER_DATA.INT" that a new game starts from: 200 area
// blocks of 4,100 bytes, each a header word (first byte 1) and 256 entries {f32 x, f32 y,
// i32 kind, f32 angle}, little-endian; a kind of 0 ends a block's list. Each placement below
// puts one field object (by its row; the stored kind is row - 2, row 0 stores -2) into its
// area's block. Issues that place more objects add their rows here.
#include <cstring>

#include "game/world/field_objects.h"
#include "tools/demo-data/demo_art.h"

namespace {

struct Placement {
    int area;
    float x, y; // pixels
    int row;    // field-object row
    float angle;
};

const Placement kPlacements[] = {
    // The field (53): three crates stacked by the western trees, a small barrel, a large crate
    // on the stone outcrop, a barrel at the top of the slope down into the pit, coins on the
    // first branches, and the lamp hanging under the first of them.
    {53, 40, 300, 3, 0},
    {53, 58, 300, 3, 0},
    {53, 49, 282, 3, 0},
    {53, 120, 300, 6, 0},
    {53, 240, 270, 167, 0.1f},
    {53, 404, 296, 169, 0},
    {53, 250, 136, 0, 0},
    {53, 264, 136, 0, 0},
    {53, 504, 136, 0, 0},
    {53, 256, 178, 195, 0},
    // The cave (15): the block on the eastward conveyor, a small barrel afloat in the pool.
    {15, 648, 185, 170, 0},
    {15, 360, 300, 6, 0},
    // Items lying along the road, each on its own row (its value the item id, which the pick-up
    // takes); after the objects above so that those keep their body numbers. The field: the
    // detonator on the branch of the third coin, the apple under the second tree, the blade in
    // the tunnel under the hole at cells 38-40, the gun on the far branch, granny's letter under
    // the last tree by the east door.
    {53, 520, 136, 54, 0},
    {53, 360, 300, 78, 0},
    {53, 648, 364, 4, 0},
    {53, 792, 168, 8, 0},
    {53, 920, 268, 76, 0},
    // The cave: the tunic on the blocks past the pool, the feather, the drawers and the shield on
    // the floors of the lower cave, the bow behind the breakable wall.
    {15, 712, 284, 22, 0},
    {15, 392, 540, 128, 0},
    {15, 248, 460, 191, 0},
    {15, 200, 556, 60, 0},
    {15, 952, 284, 147, 0},
};

void Put(uint8_t *at, uint32_t v) {
    for (int k = 0; k < 4; k++) at[k] = (uint8_t)(v >> (8 * k));
}
uint32_t Bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
}

void WriteWorldState(const DemoOptions &o) {
    std::vector<uint8_t> store((size_t)kWorldBlockCount * kWorldBlockBytes, 0);
    int used[kWorldBlockCount] = {};
    for (int n = 0; n < kWorldBlockCount; n++) store[(size_t)n * kWorldBlockBytes] = 1;
    for (const Placement &p : kPlacements) {
        if (used[p.area] == kWorldBlockEntries) continue;
        uint8_t *e = store.data() + (size_t)p.area * kWorldBlockBytes + 4 + 16 * used[p.area]++;
        Put(e, Bits(p.x));
        Put(e + 4, Bits(p.y));
        Put(e + 8, (uint32_t)(p.row == 0 ? -2 : p.row - 2));
        Put(e + 12, Bits(p.angle));
    }
    WriteFileBytes(o.folder / "META_MUSIC_BUFFER_DATA.INT", store);
}

} // namespace

DEMO_WRITER("initial world state", 10, WriteWorldState);
