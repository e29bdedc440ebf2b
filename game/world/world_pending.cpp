// Stand-ins for the world functions the actors call (world_services.h) and for what the event
// scripts call of the menu and the save file (menu_save_entries.h), whose modules are not built
// yet, so that the game links.
// Each answers as the module would with nothing there. A module's own definition replaces its
// entry: delete the entry here when you define one.
#include "game/world/menu_save_entries.h"
#include "game/world/world_services.h"

// The player menu and the save file (the event commands' calls): the menu closes at once, a
// choice answers NO, a number entry is cancelled, nothing is saved.
int RunPlayerMenu(PlayerMenu &) { return -1; }
int RunYesNo(PlayerMenu &) { return -1; }
int RunNumberEntry(PlayerMenu &) { return 0; }
int RunCodeEntry(PlayerMenu &, int) { return 1; }
char *PlayerMenuCode(PlayerMenu &) { return nullptr; }
int SaveGame(SaveRecord &, int) { return -1; }
void ResetWorldState(SaveRecord &) {}
void CopyWorldToTemplate(SaveRecord &) {}
