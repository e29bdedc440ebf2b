// Stand-ins for the actor functions the world calls (actors.h) whose modules are not built yet,
// so that the game links. Each answers as the actors would with nothing there. An actor
// module's own definition replaces its entry: delete the entry here when you define one.
#include "game/actors/actors.h"
