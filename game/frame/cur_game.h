// The one game object: every module of the game is a member; the top state picks the title
// menu (0), play (2) or the key configuration (3).
#pragma once

#include <cstdint>

#include "game/actors/actors.h"
#include "game/frame/control_bytes.h"
#include "game/frame/game_frame.h"
#include "game/frame/hero_model_view.h"
#include "game/frame/hud.h"
#include "game/frame/key_config.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/frame/title_menu.h"
#include "game/world/area_transition.h"
#include "game/world/backdrop.h"
#include "game/world/effects.h"
#include "game/world/event_script.h"
#include "game/world/field_objects.h"
#include "game/world/full_screen_effect.h"
#include "game/world/gimmicks.h"
#include "game/world/inventory.h"
#include "game/world/map_grid.h"
#include "game/world/physics_manager.h"
#include "game/world/player_menu.h"
#include "game/world/save_game.h"
#include "game/world/screen_effect.h"
#include "game/world/shop.h"
#include "game/world/storage_box.h"
#include "game/world/tile_view.h"

enum TopState { TOP_TITLE = 0, TOP_PLAY = 2, TOP_KEY_CONFIG = 3 };

class CurGame : public GameFrame {
public:
    CurGame();
    ~CurGame() override;

    void OnLoad() override;
    void OnFrame() override;
    void OnUpdate() override;
    void OnDraw() override;

    // The play state's update and its world drawing, back to front.
    void UpdatePlay();
    void DrawWorld();
    // Copies the 320 x 240 work area into a graph and shows it doubled on the whole screen.
    void PresentScaledFrame();
    // Frees the field's lists (enemies, effects, gimmicks, field objects) and destroys every object body.
    void ClearFieldLists();

    MapGrid grid;
    TileView tileView;
    Player player;
    TextOverlay overlay;
    Hud hud;
    FieldObjects fieldObjects; // with the world-state store
    StatusWindow status;
    Effects effects;           // with the wipes and the full-screen picture flag
    PhysicsManager physics;
    Inventory inventory;
    StorageBox storage;
    Shop shop;
    SaveRecord save;
    PlayerMenu menu;
    Companion companion;
    Arms arms;
    PlayerContact playerContact;
    Enemies enemies;
    Gimmicks gimmicks;
    MapChange mapChange;
    AreaTransition transition;
    Backdrop backdrop;
    ControlBytes control;
    ButtonScripts buttons;
    EventContext events;
    ScriptContext script;
    TitleMenu title;
    ScreenEffect screenEffect;
    KeyConfigScreen keyConfig;
    HeroModelView heroModel;   // the player menu turns it (UpdateHeroModel)
    FullScreenEffect fullScreen;
    int topState = TOP_TITLE;
    int captureGraph = 0;
    // The second one-frame latch pair.
    uint8_t latchHold = 0;
    int latchValue = 0;

private:
    // Points the area transition at the records it sets.
    void LinkTransition();
    // Points the inventory, the storage box and the shop at the records they use.
    void LinkItemRecords();
    // Points the save record and the player menu at the records they read and change.
    void LinkSaveAndMenu();
    // Points the event scripts at every record their commands reach.
    void LinkScriptRecords();
    // Play: the ending, RESET's talk and the game over, each back to the title once its talk ends.
    void UpdatePlayEnding();
};
