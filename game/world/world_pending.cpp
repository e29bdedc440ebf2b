// Stand-ins for the world functions the actors call (world_services.h) whose modules are not
// built yet, so that the game links.
// Each answers as the module would with nothing there. A module's own definition replaces its
// entry: delete the entry here when you define one.
#include "game/world/world_services.h"
