// The area tables: what each numbered area is (its map file, tile sheets, wipe, music, enemy set
// and its three flags). Two constant tables: the transition table (areas 0..126), read when the
// player changes area through a warp, and the load table (areas 0..111), read when an area is
// entered directly by number (new game, loaded game, event command). They agree except in six
// rows. Lookup is by area number only.
#pragma once

#include <cstdint>

struct AreaRecord {
    const char *path;  // "MAP/<folder>/<file>.bin"
    const char *name;  // the banner's name: half-width katakana, digits, Latin, at most 11 bytes
    int32_t tileSheet1; // layer 1's sheet
    int32_t tileSheet2; // layer 2's sheet
    int32_t wipePattern; // 0..4: leaving covers with it, entering uncovers with it
    int32_t musicTrack;  // started by a warp into the area
    int32_t enemySet;
    uint8_t waveArea;
    uint8_t darkArea;
    uint8_t enemyFlag;
};

constexpr int kTransitionAreaCount = 127;
constexpr int kLoadAreaCount = 112;

// The row of an area, null outside the table.
const AreaRecord *TransitionArea(int area);
const AreaRecord *LoadAreaRow(int area);
