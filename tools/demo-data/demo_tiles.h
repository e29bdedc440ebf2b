// Tile numbers of the demo's tile sheets, shared by the sheet writer and the map writer. Every
// sheet holds the same pieces at the same numbers, each drawn in its own style (rooms and the
// village, the field, the cave), so a map reads the same on any sheet.
#pragma once

enum DemoTile {
    TILE_NONE = 0,
    // Solid ground and blocks.
    TILE_GROUND_TOP = 1,
    TILE_GROUND = 2,
    TILE_BLOCK = 3,
    TILE_PLATFORM = 4,
    TILE_GROUND_TOP_LEFT = 5,
    TILE_GROUND_TOP_RIGHT = 6,
    TILE_GROUND_UNDER = 7,
    TILE_BREAKABLE = 8,
    TILE_SPIKES = 9,
    // Floor slopes (attributes 2..5) and ceiling slopes (6..9), in attribute order.
    TILE_SLOPE_FIRST = 16,
    TILE_CEILING_SLOPE_FIRST = 20,
    // Behind the actors, passable.
    TILE_BACK_WALL = 32,
    TILE_BACK_WALL_DARK = 33,
    TILE_WINDOW = 34,
    TILE_DOOR_TOP = 35,
    TILE_DOOR = 36,
    TILE_PILLAR = 37,
    TILE_SHELF = 38,
    TILE_PICTURE = 39,
    TILE_LAMP = 40,
    TILE_BED_LEFT = 41,
    TILE_BED_RIGHT = 42,
    TILE_TABLE = 43,
    TILE_PLANT = 44,
    TILE_FENCE = 45,
    TILE_SIGN = 46,
    TILE_CRATE = 47,
    TILE_ROOF_LEFT = 48,
    TILE_ROOF = 49,
    TILE_ROOF_RIGHT = 50,
    TILE_HOUSE_WALL = 51,
    TILE_HOUSE_WINDOW = 52,
    TILE_HOUSE_DOOR_TOP = 53,
    TILE_HOUSE_DOOR = 54,
    TILE_TRUNK = 55,
    TILE_TRUNK_BASE = 56,
    TILE_BUSH_BACK = 57,
    TILE_ROCK_BACK = 58,
    TILE_STALAGMITE = 59,
    TILE_CRYSTAL = 60,
    TILE_TORCH = 61,
    TILE_BANNER = 62,
    TILE_CAVE_WALL = 63,
    // In front of the actors.
    TILE_GRASS = 64,
    TILE_FLOWERS = 65,
    TILE_LEAVES = 66,
    TILE_LEAVES_LEFT = 67,
    TILE_LEAVES_RIGHT = 68,
    TILE_LEAVES_BOTTOM = 69,
    TILE_BUSH = 70,
    TILE_STALACTITE = 71,
    TILE_VINE = 72,
    TILE_PILLAR_FRONT = 73,
    TILE_CURTAIN = 74,
    TILE_ROCK_FRONT = 75,
    TILE_BEAM = 78,
    TILE_COBWEB = 79,
    // Animated: each steps through itself and the three cells after it.
    TILE_CONVEYOR_RIGHT = 240,
    TILE_CONVEYOR_LEFT = 244,
    TILE_WATER_TOP = 248,
    TILE_WATER = 252,
};

constexpr int kDemoSheetColumns = 16;
constexpr int kDemoSheetRows = 17; // the last row holds the animation's cells past 255
