#include "game/frame/cur_game.h"

#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"

CurGame::CurGame()
{
    tileView.focus = &companion;
    tileView.grid = &grid;
    tileView.player = &player;
    hud.overlay = &overlay;
    status.overlay = &overlay;
    backdrop.transition = &transition;
    fullScreen.tileView = &tileView;
    mapChange.grid = &grid;
    LinkFieldRecords(fieldObjects, physics, effects, grid, companion);
    fieldObjects.enemies = &enemies;
    fieldObjects.arms = &arms;
    physics.player = &player;
    mapChange.effects = &effects;
    mapChange.fieldObjects = &fieldObjects;
    mapChange.physics = &physics;
    SetGamePhysics(&physics);
    SetGameFieldObjects(&fieldObjects);
    LinkHeroRecords(player, companion, arms);
    player.grid = companion.grid = arms.grid = &grid;
    player.effects = &effects;
    companion.status = arms.status = &status;
    arms.screenEffect = &fullScreen;
    arms.enemies = &enemies;
    arms.overlay = &overlay;
    arms.effects = &effects;
    arms.fieldObjects = &fieldObjects;
    arms.physics = &physics;
    LinkItemRecords();
    InitPlayer(player);
    InitArms(arms);
    playerContact.arms = &arms;
    playerContact.enemies = &enemies;
    playerContact.player = &player;
    mapChange.enemies = &enemies;
    mapChange.arms = &arms;
    mapChange.gimmicks = &gimmicks;
    gimmicks.status = &status;
    gimmicks.companion = &companion;
    gimmicks.grid = &grid;
    gimmicks.player = &player;
    LinkTransition();
    InitMapGrid(grid);
    LoadMapGrid(grid);
    InitStatusWindow(status);
    InitAreaTransition(transition);
    gimmicks.InitGimmicks();
    keyConfig.LoadKeyBindings();
    topState = TOP_TITLE;
}

CurGame::~CurGame()
{
    SetGameFieldObjects(nullptr);
    SetGamePhysics(nullptr);
    FreeShotList(arms);
    gimmicks.FreeGimmickList();
    overlay.FreeEntries();
    overlay.FreeOverlayFonts();
    FreeTileSheets(tileView);
    FreeMapGrid(grid);
}

void CurGame::OnLoad()
{
    GameGraphicsCalls &g = GameGraphics();
    LoadTileSheets(tileView);
    LoadPlayerImages(player);
    overlay.LoadOverlayFonts();
    LoadHudImages(hud);
    fieldObjects.LoadObjectSheets();
    LoadStatusWindowImages(status);
    effects.LoadEffectSheets();
    LoadInventorySheet(inventory);
    LoadCompanionImage(companion);
    LoadArmsImages(arms);
    gimmicks.LoadGimmickSheet();
    LoadBackdropImages(backdrop);
    title.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
    LoadScreenEffectImage(screenEffect);
    keyConfig.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
    LoadFullScreenEffectImages(fullScreen);
    LoadMenuWindowImages(storage.window);
    LoadMenuWindowImages(shop.window);
}

void CurGame::OnFrame()
{
    OnUpdate();
    OnDraw();
    LatchHud(hud);
    // A value written with its hold byte set survives exactly one more frame.
    if (latchHold == 1) latchHold = 0;
    else latchValue = 0;
}

void CurGame::OnUpdate()
{
    switch (topState) {
    case TOP_TITLE: {
        SoundLists &sounds = GetSoundLists();
        if (sounds.currentTrack != kTitleMusicTrack) sounds.SwitchMusicTrack(kTitleMusicTrack);
        StopCompanion(companion);
        enemies.hudIndicator = 0;
        player.darkness = 0;
        player.invulnerable = 0;
        status.requestedTalk = 2;
        effects.fullScreenPicture = 0;
        control.endingRequest = 0;
        switch (title.UpdateTitleMenu()) {
        case 1: // NEW GAME: the new-game room (the full-screen picture comes with its opening talk)
            LoadArea(transition, kNewGameArea, kNewGameX, kNewGameY, kNoArea);
            topState = TOP_PLAY;
            break;
        case 2: // CONTINUE
            sounds.SwitchMusicTrack(-1);
            topState = TOP_PLAY;
            break;
        case 3:
            topState = TOP_KEY_CONFIG;
            break;
        default:
            break;
        }
        break;
    }
    case TOP_PLAY:
        if (control.playFreeze == 0) UpdatePlay();
        else gimmicks.UpdateGimmicks();
        if (control.effectsFreeze == 0) effects.UpdateEffects();
        UpdateCamera(tileView);
        UpdateCompanionScreenPosition(companion);
        UpdatePlayerScreenPosition(player);
        UpdateShotScreenPositions(arms);
        gimmicks.UpdateGimmickScreenPositions();
        effects.PlaceEffects();
        fieldObjects.UpdateObjectScreenPositions();
        break;
    case TOP_KEY_CONFIG:
        if (keyConfig.UpdateKeyConfig() == -1) topState = TOP_TITLE;
        break;
    default:
        break;
    }
}

void CurGame::OnDraw()
{
    switch (topState) {
    case TOP_TITLE:
        title.DrawTitleMenu();
        break;
    case TOP_PLAY:
        if (control.worldDrawingOff == 0) DrawWorld();
        effects.DrawEffects();
        // Warps run in the draw step (held back by the STATUS button script when it exists); the
        // rebuild acts on the map change a load posts.
        RunAreaTransition(transition);
        RebuildFieldForMap(mapChange);
        effects.DrawFullScreenPicture();
        // Exits wait while a talk or the CHANGE or STATUS button script runs, once those exist.
        gimmicks.RunGimmickExits();
        overlay.Flush();
        break;
    case TOP_KEY_CONFIG:
        keyConfig.DrawKeyConfig(overlay);
        overlay.Flush();
        break;
    default:
        break;
    }
    PresentScaledFrame();
}

void CurGame::UpdatePlay()
{
    if (companion.mode == COMPANION_FOLLOW) {
        UpdatePlayerMovement(player);
        UpdateLookOffset(companion);
    }
    physics.StepPhysicsWorld();
    // The player-enemy contact comes here.
    CollidePlayerWithMap(player);
    UpdateCompanion(companion);
    // The enemies' programs and motion come here.
    fieldObjects.UpdateFieldObjects();
    StepStatusTimers(status);
    gimmicks.UpdateGimmicks();
    // The RESET and CHANGE button scripts go here, while no exit script runs.
    RemoveShotsOffMap(arms);
    // The enemies' attacks and the cells' damage go last, unless control.attackPause holds them.
}

void CurGame::DrawWorld()
{
    DrawBackdrop(backdrop);
    DrawTileLayer(tileView, 1);
    RunScreenEffect(fullScreen);
    // The enemies go here.
    gimmicks.DrawGimmicks();
    if (control.playerHidden == 0) {
        DrawPlayer(player);
        DrawWeaponInHand(arms);
    }
    fieldObjects.DrawFieldObjects();
    DrawShots(arms);
    DrawTileLayer(tileView, 2);
    DrawCompanion(companion);
    // The enemies' speech goes here.
    DrawLightMask(player);
    UpdateScreenWaveRows(screenEffect);
    DrawScreenEffect(screenEffect);
    if (control.hudOff == 0) {
        DrawStatusBars(status, enemies.hudIndicator);
        DrawArmsHud(arms);
        DrawMiniMap(tileView);
    }
    DrawNotifications(hud);
}

void CurGame::ClearFieldLists()
{
    effects.FreeEffects();
    gimmicks.FreeGimmickList();
    fieldObjects.FreeFieldObjects();
    physics.DestroyAllBodies();
}

void CurGame::LinkTransition()
{
    transition.grid = &grid;
    transition.tileView = &tileView;
    transition.mapChange = &mapChange;
    transition.wipe = &effects.wipe;
    transition.hud = &hud;
    transition.player = &player;
    transition.enemies = &enemies;
    transition.companion = &companion;
    transition.fullScreen = &fullScreen;
    transition.screenEffect = &screenEffect;
    transition.control = &control;
    companion.transitionBusy = &transition.busy;
}

void CurGame::LinkItemRecords()
{
    inventory.status = &status;
    inventory.messageBox = &hud;
    inventory.arms = &arms;
    arms.inventory = &inventory;
    storage.messageBox = shop.messageBox = &hud;
    storage.inventory = shop.inventory = &inventory;
    storage.overlay = shop.overlay = &overlay;
}

void CurGame::PresentScaledFrame()
{
    GameGraphicsCalls &g = GameGraphics();
    // The first time the handle is 0 and the destroy fails harmlessly.
    g.destroyGraph(captureGraph);
    captureGraph = g.createBlankGraph(320, 240);
    g.getDrawScreenGraph(0, 0, 320, 240, captureGraph);
    g.drawGraphStretched(0, 0, 640, 480, captureGraph, 0);
}
