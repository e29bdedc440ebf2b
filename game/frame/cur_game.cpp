#include "game/frame/cur_game.h"

#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"

CurGame::CurGame()
{
    tileView.focus = &companion;
    tileView.grid = &grid;
    tileView.player = &player;
    mapChange.grid = &grid;
    LinkHeroRecords(player, companion, arms);
    arms.enemies = &enemies;
    arms.overlay = &overlay;
    InitPlayer(player);
    InitArms(arms);
    playerContact.arms = &arms;
    playerContact.enemies = &enemies;
    playerContact.player = &player;
    mapChange.enemies = &enemies;
    mapChange.arms = &arms;
    InitMapGrid(grid);
    LoadMapGrid(grid);
    InitAreaTransition(transition);
    keyConfig.LoadKeyBindings();
    topState = TOP_TITLE;
}

CurGame::~CurGame()
{
    FreeShotList(arms);
    overlay.FreeEntries();
    overlay.FreeOverlayFonts();
    FreeTileSheets(tileView);
    FreeMapGrid(grid);
}

void CurGame::OnLoad()
{
    GameGraphicsCalls &g = GameGraphics();
    overlay.LoadOverlayFonts();
    title.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
    keyConfig.titleGraph = g.openImageAsGraph("DataForWork\\title.bmp", 0);
}

void CurGame::OnFrame()
{
    OnUpdate();
    OnDraw();
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
        companion.mode = 0;
        companion.offsetX = companion.offsetY = companion.lookSpeed = companion.swaySpeed = 0;
        enemies.hudIndicator = 0;
        player.darkness = 0;
        player.invulnerable = 0;
        control.endingRequest = 0;
        switch (title.UpdateTitleMenu()) {
        case 1: // NEW GAME: the play state's modules start the game when they are wired in
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
    case TOP_KEY_CONFIG:
        keyConfig.DrawKeyConfig(overlay);
        overlay.Flush();
        break;
    default:
        break;
    }
    PresentScaledFrame();
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
