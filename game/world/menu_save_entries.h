// What the event scripts call of the player menu and of the save file (player_menu.cpp and
// save_game.cpp define them).
#pragma once

struct PlayerMenu;
struct SaveRecord;

// One frame: -1 when the menu closes, else 1.
int RunPlayerMenu(PlayerMenu &menu);
// 1 YES, -1 NO, 0 undecided.
int RunYesNo(PlayerMenu &menu);
// The confirmed number, 0 when cancelled, -1 while entering.
int RunNumberEntry(PlayerMenu &menu);
// 1 when confirmed, else 0.
int RunCodeEntry(PlayerMenu &menu, int length);
// The code entry's thirty characters.
char *PlayerMenuCode(PlayerMenu &menu);

// 0, or -1 when the file could not be written.
int SaveGame(SaveRecord &save, int penalty);
void ResetWorldState(SaveRecord &save);
void CopyWorldToTemplate(SaveRecord &save);
