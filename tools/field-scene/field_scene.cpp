// field-scene: plays an area's field objects as the game does (physics step, object update,
// effects) over its map grid, from the area's block of the initial world state, and prints
// every object's position and angle each frame as the bits of their floats, so two runs can
// be compared byte for byte. The field is drawn and shown each frame; on the headless host a
// key script with "N save" (env KELMOR_KEY_SCRIPT, KELMOR_FRAME_DIR) writes frame N as a PNG.
//
//   field-scene [--frames N] [--sheet S] [--twice] AREA MAPFILE
//     run in a demo data folder (tools/make-demo-data); MAPFILE as the area table names it,
//     S the tile sheet of both layers (default 7), --twice plays the scene a second time in
//     the same process without showing it and fails when its positions differ from the first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/frame/game_file.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_random.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/map_grid.h"
#include "game/world/physics_manager.h"
#include "game/world/tile_view.h"
#include "library/base/input.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/screen.h"
#include "platform/kernel32/kernel32.h"

namespace {

constexpr const char *kWorldStateFile = "META_MUSIC_BUFFER_DATA.INT";

int Usage(const char *self) {
    std::fprintf(stderr, "usage: %s [--frames N] [--sheet S] [--twice] AREA MAPFILE\n", self);
    return 2;
}

uint32_t Bits(float v) {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    return b;
}

struct Scene {
    MapGrid grid;
    Player player;
    Companion companion;
    PhysicsManager physics;
    Effects effects;
    FieldObjects objects;
    TileView view;

    bool Start(int area, const char *mapFile, const std::vector<uint8_t> &store) {
        SetGameRandSeed(1); // as the game starts: every run draws the same numbers
        InitMapGrid(grid);
        SetMapGridPath(grid, mapFile);
        if (LoadMapGrid(grid) != 0) return false;
        player.x = player.y = -1000; // the player's box stays off the map
        LinkFieldRecords(objects, physics, effects, grid, companion);
        physics.player = &player;
        physics.CreatePhysicsWorld();
        physics.BuildMapStaticBodies();
        std::memcpy(objects.Block(area), store.data() + (size_t)area * kWorldBlockBytes, kWorldBlockBytes);
        if (objects.RestoreMapObjects(area) != 0 || objects.nodes.empty()) return false;
        // The camera looks at the middle of the objects.
        for (const FieldObjectNode &n : objects.nodes) {
            companion.x += n.x / (float)objects.nodes.size();
            companion.y += n.y / (float)objects.nodes.size();
        }
        view.grid = &grid;
        view.focus = &companion;
        view.player = &player;
        return true;
    }

    void Step(std::string *log, int frame) {
        physics.StepPhysicsWorld();
        objects.UpdateFieldObjects();
        effects.UpdateEffects();
        char line[96];
        for (const FieldObjectNode &n : objects.nodes) {
            std::snprintf(line, sizeof line, "%d %d %08x %08x %08x\n", frame, n.bodyId, Bits(n.x), Bits(n.y),
                          Bits(n.angle));
            *log += line;
        }
    }

    void Draw() {
        UpdateCamera(view);
        effects.PlaceEffects();
        objects.UpdateObjectScreenPositions();
        DrawTileLayer(view, 1);
        objects.DrawFieldObjects();
        DrawTileLayer(view, 2);
        effects.DrawEffects();
    }
};

bool ReadStore(std::vector<uint8_t> *store) {
    FILE *f = OpenGameFile(kWorldStateFile, "rb");
    if (!f) return false;
    store->assign((size_t)kWorldBlockCount * kWorldBlockBytes, 0);
    size_t got = std::fread(store->data(), 1, store->size(), f);
    std::fclose(f);
    return got == store->size();
}

} // namespace

int main(int argc, char **argv) {
    int frames = 600, sheet = 7, area = -1;
    bool twice = false;
    const char *mapFile = nullptr;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--sheet") == 0 && i + 1 < argc) sheet = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--twice") == 0) twice = true;
        else if (argv[i][0] != '-' && area < 0) area = std::atoi(argv[i]);
        else if (argv[i][0] != '-' && !mapFile) mapFile = argv[i];
        else return Usage(argv[0]);
    }
    if (area < 0 || area >= kWorldBlockCount || !mapFile) return Usage(argv[0]);

    std::vector<uint8_t> store;
    if (!ReadStore(&store)) {
        std::fprintf(stderr, "field-scene: %s is missing or short\n", kWorldStateFile);
        return 1;
    }
    ChangeWindowMode(1);
    SetMainWindowTitle("Brisgal field scene");
    SetVSyncWait(0);
    if (InitLibrary() == -1) {
        std::fprintf(stderr, "field-scene: the library did not start (see Log.txt)\n");
        return 1;
    }
    GameGraphicsCalls &g = GameGraphics();
    g.setDrawTarget(kBackPage);
    g.setTransparentKey(123, 250, 3);

    int status = 0, capture = 0;
    std::string first;
    {
        Scene scene;
        LoadTileSheets(scene.view);
        scene.view.layer1Sheet = scene.view.layer2Sheet = sheet;
        scene.objects.LoadObjectSheets();
        scene.effects.LoadEffectSheets();
        if (!scene.Start(area, mapFile, store)) {
            std::fprintf(stderr, "field-scene: no map or no objects for area %d\n", area);
            status = 1;
        }
        for (int frame = 1; status == 0 && frame <= frames && ProcessWindowMessages() == 0; frame++) {
            char keys[256];
            GetAllKeyStates(keys); // the key script counts its frames by keyboard reads
            g.clearDrawTarget();
            scene.Step(&first, frame);
            scene.Draw();
            // As the game shows its frames: the 320 x 240 work area doubled.
            g.destroyGraph(capture);
            capture = g.createBlankGraph(320, 240);
            g.getDrawScreenGraph(0, 0, 320, 240, capture);
            g.drawGraphStretched(0, 0, 640, 480, capture, 0);
            g.presentBackScreen();
            Sleep(2); // the keyboard is read at most once a millisecond
        }
        FreeTileSheets(scene.view);
        FreeMapGrid(scene.grid);
    }
    std::fwrite(first.data(), 1, first.size(), stdout);
    if (status == 0 && twice) {
        Scene again;
        std::string second;
        again.Start(area, mapFile, store);
        for (int frame = 1; frame <= frames; frame++) {
            // The same calls, drawn but not shown: drawing counts the objects' frames.
            again.Step(&second, frame);
            again.Draw();
        }
        FreeMapGrid(again.grid);
        if (second != first) {
            std::fprintf(stderr, "field-scene: the second run in this process went another way\n");
            status = 1;
        }
    }
    EndLibrary();
    return status;
}
