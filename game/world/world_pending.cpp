// Stand-ins for the world functions the actors call (world_services.h) and for what the gimmicks
// call of the event scripts (gimmicks.h), whose modules are not built yet, so that the game links.
// Each answers as the module would with nothing there. A module's own definition replaces its
// entry: delete the entry here when you define one.
#include "game/world/gimmicks.h"
#include "game/world/world_services.h"

// Event scripts: no exit script yet, and a step ends any script at once.
const ScriptCommand *MapExitScript(int) { return nullptr; }
int RunScriptStep(const ScriptCommand *, ScriptContext &) { return 0; }
