#include "game/frame/cur_game.h"

#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"

namespace {
// Worn in the first armour slot with no weapon in hand, it keeps nearby enemies from noticing.
constexpr int kUnnoticedArmour = 28;
} // namespace

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
    LinkSaveAndMenu();
    InitPlayer(player);
    InitArms(arms);
    playerContact.arms = &arms;
    playerContact.enemies = &enemies;
    playerContact.player = &player;
    playerContact.effects = &effects;
    playerContact.status = &status;
    playerContact.grid = &grid;
    playerContact.fieldObjects = &fieldObjects;
    playerContact.hud = &hud;
    playerContact.inventory = &inventory;
    mapChange.enemies = &enemies;
    mapChange.arms = &arms;
    mapChange.gimmicks = &gimmicks;
    gimmicks.status = &status;
    gimmicks.companion = &companion;
    gimmicks.grid = &grid;
    gimmicks.player = &player;
    LinkTransition();
    LinkScriptRecords();
    LinkEnemyRecords(enemies, grid, player, arms, companion);
    enemies.effects = &effects;
    enemies.hud = &hud;
    enemies.fieldObjects = &fieldObjects;
    enemies.status = &status;
    enemies.physics = &physics;
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
    FreeEnemyList(enemies);
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
    LoadPlayerMenuImages(menu);
    LoadCompanionImage(companion);
    LoadArmsImages(arms);
    gimmicks.LoadGimmickSheet();
    LoadEnemyImages(enemies);
    LoadBackdropImages(backdrop);
    title.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
    LoadScreenEffectImage(screenEffect);
    keyConfig.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
    LoadFullScreenEffectImages(fullScreen);
    LoadMenuWindowImages(storage.window);
    LoadMenuWindowImages(shop.window);
    LoadHeroModel(heroModel);
}

void CurGame::OnFrame()
{
    OnUpdate();
    OnDraw();
    EndScriptFrame(script);
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
        case 1: // NEW GAME: the new-game room under the cover, which the opening talk 0 lifts
            effects.fullScreenPicture = 1;
            StartNewGame(save);
            topState = TOP_PLAY;
            events.currentTalk = 0;
            events.talkActive = 1;
            break;
        case 2: // CONTINUE; with nothing to resume the title stays
            if (LoadGame(save) == 0) {
                sounds.SwitchMusicTrack(-1);
                topState = TOP_PLAY;
                events.talkActive = 0;
            }
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
        UpdateEnemyScreenPositions(enemies);
        UpdateShotScreenPositions(arms);
        gimmicks.UpdateGimmickScreenPositions();
        effects.PlaceEffects();
        fieldObjects.UpdateObjectScreenPositions();
        UpdatePlayEnding();
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
        // Warps run in the draw step, held back while the STATUS button script runs; the rebuild
        // acts on the map change a load posts.
        if (buttons.statusRunning == 0) RunAreaTransition(transition);
        RebuildFieldForMap(mapChange);
        effects.DrawFullScreenPicture();
        // Exits wait while a talk or the CHANGE or STATUS button script runs.
        if (buttons.changeRunning == 0 && buttons.statusRunning == 0 && events.talkActive == 0)
            gimmicks.RunGimmickExits();
        RunTalkStep(events);
        if (buttons.changeRunning == 0 && gimmicks.exitRunning == 0 && events.talkActive == 0)
            RunStatusButtonScript(buttons);
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
    UpdatePlayerEnemyContact(playerContact);
    CollidePlayerWithMap(player);
    // The enemies notice a hero close by, unless it goes unarmed in the armour that hides it.
    if (!(arms.armour1 == kUnnoticedArmour && arms.weapon == 0)) MarkEnemiesNear(enemies, 16, player.x, player.y);
    UpdateCompanion(companion);
    RunEnemyPrograms(enemies);
    SettleBossFight(enemies);
    UpdateEnemyAmbient(enemies);
    MoveEnemies(enemies);
    fieldObjects.UpdateFieldObjects();
    StepStatusTimers(status);
    gimmicks.UpdateGimmicks();
    if (events.talkActive == 0 && gimmicks.exitRunning == 0 && buttons.statusRunning == 0) {
        RunResetButtonScript(buttons);
        RunChangeButtonScript(buttons);
    }
    FireWeapon(arms);
    // A splash or a head bump this frame is heard farther.
    if (player.noise) {
        MarkEnemiesNear(enemies, 32, player.x, player.y);
        player.noise = 0;
    }
    RemoveShotsOffMap(arms);
    if (companion.mode == COMPANION_FOLLOW) PickUpItems(playerContact);
    if (control.attackPause == 0) {
        PushFieldObjects(playerContact);
        ApplyShotHits(playerContact);
        CheckDeadlyCells(playerContact);
    }
}

void CurGame::DrawWorld()
{
    DrawBackdrop(backdrop);
    DrawTileLayer(tileView, 1);
    RunScreenEffect(fullScreen);
    DrawEnemies(enemies);
    gimmicks.DrawGimmicks();
    if (control.playerHidden == 0) {
        DrawPlayer(player);
        DrawWeaponInHand(arms);
    }
    fieldObjects.DrawFieldObjects();
    DrawShots(arms);
    DrawTileLayer(tileView, 2);
    DrawCompanion(companion);
    DrawEnemySpeech(enemies);
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

void CurGame::UpdatePlayEnding()
{
    if (enemies.ending == 1) {
        if (events.finishedResult == 0) {
            events.talkActive = 1;
            status.requestedTalk = 669;
        } else {
            events.finishedResult = 0;
            topState = TOP_TITLE;
        }
    }
    if (status.hp > 0) {
        if (control.endingRequest == 1 && RequestTalk(events, 668) != 0) {
            topState = TOP_TITLE;
            ClearFieldLists();
        }
        return;
    }
    if (events.finishedResult == 0) {
        events.talkActive = 1;
        status.requestedTalk = 666;
        return;
    }
    events.finishedResult = 0;
    topState = TOP_TITLE;
    ClearFieldLists();
}

void CurGame::ClearFieldLists()
{
    FreeEnemyList(enemies);
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

void CurGame::LinkScriptRecords()
{
    script.shop = &shop;
    script.storage = &storage;
    script.inventory = &inventory;
    script.companion = &companion;
    script.screenEffect = &screenEffect;
    script.messageBox = &hud;
    script.gimmicks = &gimmicks;
    script.status = &status;
    script.transition = &transition;
    script.effects = &effects;
    script.player = &player;
    script.arms = &arms;
    script.talkActive = &events.talkActive;
    script.enemies = &enemies;
    script.fieldObjects = &fieldObjects;
    script.grid = &grid;
    script.fullScreen = &fullScreen;
    script.control = &control;
    events.context = &script;
    events.status = &status;
    SetTalkScripts(events);
    buttons.context = &script;
    gimmicks.script = &script;
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

void CurGame::LinkSaveAndMenu()
{
    save.inventory = menu.inventory = &inventory;
    save.fieldObjects = menu.fieldObjects = &fieldObjects;
    save.storage = &storage;
    save.arms = menu.arms = &arms;
    save.status = menu.status = &status;
    save.transition = &transition;
    menu.messageBox = &hud;
    menu.overlay = &overlay;
    menu.player = &player;
    menu.heroView = &heroModel;
    script.menu = &menu;
    script.save = &save;
}
