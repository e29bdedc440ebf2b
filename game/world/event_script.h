// Event scripts: every scripted sequence (talks, shop and storage visits, saving, the map
// gimmicks' exits and the three button actions) is an array of fixed commands run one command a
// frame by RunScriptStep. A command that waits (a message, a walk, a timer, a screen) leaves the
// position where it is and runs again on the next frame. All scripts share one position, so only
// one runs at a time; a frame in which no script ran puts it back to 0.
#pragma once

#include <array>
#include <cstdint>

struct Arms;
struct AreaTransition;
struct Companion;
struct ControlBytes;
struct Enemies;
struct FullScreenEffect;
struct MapGrid;
struct Player;
struct PlayerMenu;
struct SaveRecord;
struct ScreenEffect;
struct Shop;
struct StatusWindow;
struct StorageBox;
class Effects;
class FieldObjects;
class Gimmicks;
class Hud;
class Inventory;

struct ScriptCommand {
    uint8_t code = 0;
    int32_t a = 0;
    int32_t b = 0;          // also the relative jump of most tests
    const char *text = nullptr;
    int32_t m = 0;          // also the relative jump of some tests
    float x = 0, y = 0;
};

// A script with its length and a name for the log.
struct Script {
    const char *name = "";
    const ScriptCommand *commands = nullptr;
    int length = 0;
};

constexpr int kTalkScriptCount = 24;
constexpr int kScriptGimmickSlots = 3;
constexpr int kScriptCodeLength = 30;

struct ScriptContext {
    // Sibling records, set once by the game object. The menu and the save record stay null
    // until the game has them; their commands then answer at once.
    Shop *shop = nullptr;
    StorageBox *storage = nullptr;
    Inventory *inventory = nullptr;
    Companion *companion = nullptr;
    ScreenEffect *screenEffect = nullptr; // the strips and the wave
    Hud *messageBox = nullptr;
    SaveRecord *save = nullptr;
    Gimmicks *gimmicks = nullptr;
    PlayerMenu *menu = nullptr;
    StatusWindow *status = nullptr;
    AreaTransition *transition = nullptr;
    Effects *effects = nullptr;           // with the wipe and the full-screen picture flag
    Player *player = nullptr;
    Arms *arms = nullptr;
    uint8_t *talkActive = nullptr;        // the event context's
    Enemies *enemies = nullptr;
    FieldObjects *fieldObjects = nullptr;
    MapGrid *grid = nullptr;
    FullScreenEffect *fullScreen = nullptr;
    ControlBytes *control = nullptr;      // freezes, drawing off, HUD off, player hidden, ending request

    int position = 0;
    int waitCounter = 0;
    uint8_t ranThisFrame = 0;
    int scriptGimmickCount = 0;           // made by scripts since the last area load, 0..3
    char code[kScriptCodeLength + 1];     // a code entry's characters

    ScriptContext();
};

struct EventContext {
    uint8_t talkActive = 0;
    ScriptContext *context = nullptr;
    StatusWindow *status = nullptr;       // its requested talk selects the talk
    int finished = 0;
    int currentTalk = 0;
    int finishedResult = 0;               // 1 when a special talk (666..669) ended
    std::array<const Script *, kTalkScriptCount> talkScripts{};
};

struct ButtonScripts {
    ScriptContext *context = nullptr;
    uint8_t statusRunning = 0;
    uint8_t changeRunning = 0;
    uint8_t resetRunning = 0;
};

// One command of the script at the context's position: 0 when the script ended on this step
// (the position is then 0), else 1. An unknown code, a jump outside the script or a step past
// its end ends it with a log line and lets play go on (freezes, drawing off, HUD off and the
// hidden player cleared).
int RunScriptStep(const Script *script, ScriptContext &context);
// After a frame: a script that ran keeps its place; otherwise the position goes back to 0.
void EndScriptFrame(ScriptContext &context);

// One frame of the current talk: 1 on the frame it ended. The talk number is read when its script
// starts (position 0). Talk numbers without a script end at once.
int RunTalkStep(EventContext &events);
void SetTalkScripts(EventContext &events);
// A finished special talk's result, returned once; otherwise starts the talk and answers 0.
int RequestTalk(EventContext &events, int talk);

// One frame of a button's script, or the button's count when it is not running.
int RunChangeButtonScript(ButtonScripts &buttons);
int RunResetButtonScript(ButtonScripts &buttons);
int RunStatusButtonScript(ButtonScripts &buttons);
// The weapon in hand goes back to the carried slots and the first carried weapon comes to hand.
void ChangeWeapon(ScriptContext &context);

// The authored scripts: talks 0..23 and 666..669, map exit scripts 1..73 (null where there is none).
const Script *TalkScript(int talk);
const Script *MapExitScript(int n);
