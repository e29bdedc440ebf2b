#include "game/world/event_script.h"

#include <cstring>

#include "game/actors/actors.h"
#include "game/frame/control_bytes.h"
#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/status_window.h"
#include "game/world/area_transition.h"
#include "game/world/effect_kinds.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/gimmicks.h"
#include "game/world/inventory.h"
#include "game/world/map_grid.h"
#include "game/world/menu_save_entries.h"
#include "game/world/screen_effect.h"
#include "game/world/shop.h"
#include "game/world/storage_box.h"
#include "game/world/world_services.h"
#include "library/base/log.h"

namespace {

constexpr int kEffectSoundCount = 102;
constexpr int kMusicTrackCount = 14;
constexpr int kLastNumberedArea = 125;
constexpr int kCaptionStrips = 8;
constexpr int kWeaponChangeSound = 55;
constexpr int kAreaPickSound = 38;

// What a step does with the position.
enum Move { NEXT, STAY, JUMP, END, BAD };

struct Step {
    Move move;
    int jump = 0;
};

Step Next() { return {NEXT}; }
Step Stay() { return {STAY}; }
Step Jump(int n) { return {JUMP, n}; }
Step End() { return {END}; }

bool ValidItem(int item) { return GetItemKind(item) != nullptr; }

// Gimmick slot 0 is the one whose exit runs; 1..3 those scripts made. Null when empty.
GimmickNode *GimmickSlot(ScriptContext &c, int slot)
{
    if (!c.gimmicks) return nullptr;
    if (slot == 0) return c.gimmicks->exitNode;
    if (slot >= 1 && slot <= kScriptGimmickSlots) return c.gimmicks->scriptNodes[(size_t)slot - 1];
    return nullptr;
}

int CurrentArea(const ScriptContext &c) { return c.transition ? c.transition->currentArea : 0; }

// The current area's objects go to its block; then the count of one stored kind in a block.
int StoreAndCount(ScriptContext &c, int block, int kind)
{
    if (!c.fieldObjects) return 0;
    c.fieldObjects->StoreMapObjects(CurrentArea(c));
    if (block < 0 || block >= kWorldBlockCount) return 0;
    return c.fieldObjects->CountStoredObjects(block, kind);
}

// A pick-up of an item at the player's place, 10 pixels up; false when refused.
bool DropItem(ScriptContext &c, int item)
{
    const float x = c.player ? c.player->x : 0, y = c.player ? c.player->y - 10 : 0;
    return WorldServices().createFieldObject(x, y, item, 0, 0, 0, 0, 1, -666, 0) >= 0;
}

// Everything carried, in hand and worn becomes pick-ups; the first refusal stops the making.
void DropEverything(ScriptContext &c)
{
    bool going = true;
    auto drop = [&](int item, int pieces) {
        for (int i = 0; i < pieces && going; i++) going = DropItem(c, item);
    };
    if (c.inventory) {
        Inventory &inv = *c.inventory;
        for (int s = 0; s < kCarriedSlots; s++) {
            if (inv.ids[(size_t)s] != 0) drop(inv.ids[(size_t)s], inv.counts[(size_t)s] + 1);
            inv.ids[(size_t)s] = inv.counts[(size_t)s] = 0;
        }
    }
    if (c.arms) {
        Arms &arms = *c.arms;
        if (arms.weapon != 0) drop(arms.weapon, arms.weaponCount + 1);
        if (arms.armour1 != 0) drop(arms.armour1, 1);
        if (arms.armour2 != 0) drop(arms.armour2, 1);
        arms.weapon = arms.weaponCount = arms.armour1 = arms.armour2 = 0;
    }
}

bool HasItem(const ScriptContext &c, int item)
{
    if (c.arms && (c.arms->weapon == item || c.arms->armour1 == item || c.arms->armour2 == item)) return true;
    return c.inventory && FindCarriedItem(item, *c.inventory) >= 0;
}

void SpawnEnemyCommand(ScriptContext &c, const ScriptCommand &cmd)
{
    if (!c.enemies) return;
    Enemies &e = *c.enemies;
    const int which = (int)cmd.x;
    auto spawn = [&] { return SpawnEnemy(cmd.m, e, (float)cmd.a, (float)cmd.b, 0, 0); };
    if (which == 0) {
        spawn();
    } else if (which == 1) {
        // A refused boss leaves no boss behind.
        EnemyNode *boss = cmd.m != 0 ? spawn() : nullptr;
        e.boss = RefTo(boss);
        e.bossMaxLife = boss ? boss->hp : 100;
    } else {
        e.second = RefTo(cmd.m != 0 ? spawn() : nullptr);
    }
}

// One frame of the message box with a YES / NO choice: 1 YES, -1 NO, 0 undecided.
int AskYesNo(ScriptContext &c, const char *text)
{
    if (c.messageBox) ShowMessageAndWait(*c.messageBox, text);
    return c.menu ? RunYesNo(*c.menu) : -1;
}

// A number entry: the confirmed number, 0 cancelled, -1 still entering.
int EnterNumber(ScriptContext &c) { return c.menu ? RunNumberEntry(*c.menu) : 0; }

void SaveWithPenalty(ScriptContext &c, int penalty)
{
    if (c.fieldObjects) c.fieldObjects->StoreMapObjects(CurrentArea(c));
    if (c.save) SaveGame(*c.save, penalty);
}

Step Execute(const ScriptCommand &cmd, ScriptContext &c)
{
    StatusWindow *status = c.status;
    ControlBytes *control = c.control;
    switch (cmd.code) {
    case 0x00:
        if (c.gimmicks) c.gimmicks->removeRequest = 1;
        return End();
    case 0x01:
        if (!c.messageBox) return Next();
        return ShowTypedMessage(*c.messageBox, cmd.text ? cmd.text : "") == -1 ? Next() : Stay();
    case 0x02:
    case 0x03:
    case 0x05:
        if (c.screenEffect) {
            c.screenEffect->stripA = 0;
            c.screenEffect->stripB = cmd.code == 0x02;
            c.screenEffect->wave = cmd.code == 0x03;
        }
        return Next();
    case 0x04: {
        const int count = c.fieldObjects && cmd.a >= 0 && cmd.a < kCountedRows ? c.fieldObjects->kindCounts[(size_t)cmd.a] : 0;
        return count < cmd.b ? Jump(cmd.m) : Next();
    }
    case 0x06:
    case 0x07:
        if (control) control->playFreeze = cmd.code == 0x06;
        return Next();
    case 0x08:
        if (!c.companion) return Next();
        return MoveCompanionToward(*c.companion, (float)cmd.a, (float)cmd.b) == 1 ? Next() : Stay();
    case 0x09:
    case 0x53:
        return Next();
    case 0x10:
        if (status) SetStoryFlag(cmd.a, *status);
        return Next();
    case 0x11:
        if (status) ClearStoryFlag(cmd.a, *status);
        return Next();
    case 0x12:
    case 0x13: {
        const bool set = status && TestStoryFlag(cmd.a, *status) == 1;
        return set == (cmd.code == 0x12) ? Jump(cmd.b) : Next();
    }
    case 0x14: {
        if (!c.inventory || !ValidItem(cmd.a)) return Next();
        const int r = cmd.b == 0 ? AddCarriedItem(cmd.a, *c.inventory) : AddCarriedItemCount(cmd.a, cmd.b, *c.inventory);
        return r >= 0 ? Jump(cmd.m) : Next();
    }
    case 0x15: {
        const int slot = c.inventory && ValidItem(cmd.a) ? FindCarriedItem(cmd.a, *c.inventory) : -1;
        if (slot < 0) return Next();
        RemoveCarriedItem(slot, *c.inventory);
        return Jump(cmd.b);
    }
    case 0x16:
        if (c.messageBox && ValidItem(cmd.a)) AddNotification(*c.messageBox, GetItemKind(cmd.a)->name);
        return Next();
    case 0x17:
    case 0x18:
        if (control) control->worldDrawingOff = cmd.code == 0x17;
        return Next();
    case 0x19:
        if (!c.messageBox) return Next();
        return ShowMessageAndWait(*c.messageBox, cmd.text ? cmd.text : "") == -1 ? Next() : Stay();
    case 0x20:
        return !c.shop || RunShopScreen(*c.shop) == -1 ? Next() : Stay();
    case 0x21:
        SaveWithPenalty(c, 0);
        return Next();
    case 0x22:
        return End();
    case 0x23:
        return !c.menu || RunPlayerMenu(*c.menu) == -1 ? Next() : Stay();
    case 0x24:
        if (GimmickNode *n = GimmickSlot(c, cmd.m)) {
            n->sheetX = (float)cmd.a;
            n->sheetY = (float)cmd.b;
            n->frameCount = (int)cmd.x;
            n->frameInterval = (int)cmd.y;
            n->frame = 0;
        }
        return Next();
    case 0x25:
        if (c.transition) LoadArea(*c.transition, cmd.m, cmd.a * 16 + 8, cmd.b * 16 + 8, c.transition->currentArea);
        c.scriptGimmickCount = 0;
        if (c.gimmicks) c.gimmicks->scriptNodes.fill(nullptr);
        return Next();
    case 0x26:
        if (GimmickNode *n = GimmickSlot(c, cmd.m)) {
            n->motion = cmd.a;
            n->speedX = cmd.x;
            n->speedY = cmd.y;
        }
        return Next();
    case 0x27:
        if (c.gimmicks && c.scriptGimmickCount < kScriptGimmickSlots && cmd.m >= 0 && cmd.m < kGimmickKindCount) {
            c.gimmicks->CreateGimmick(cmd.a * 16, cmd.b * 16, cmd.m);
            c.gimmicks->scriptNodes[(size_t)c.scriptGimmickCount++] = &c.gimmicks->nodes.back();
        }
        return Next();
    case 0x28:
        // A pattern no wipe has is done at once, so the script goes on.
        if (c.effects && cmd.a >= 0 && cmd.a <= 4 && RunWipe(c.effects->wipe, cmd.a, cmd.b) != 1) return Stay();
        if (c.effects && cmd.b == 0) c.effects->fullScreenPicture = 1;
        return Next();
    case 0x29:
        if (control) control->playerHidden = cmd.a != 0;
        return Next();
    case 0x30:
        if (c.effects) c.effects->fullScreenPicture = cmd.a != 0;
        return Next();
    case 0x31: {
        const int answer = AskYesNo(c, cmd.text);
        return answer == 1 ? Jump(cmd.a) : answer == -1 ? Jump(cmd.b) : Stay();
    }
    case 0x32:
        ChangeWeapon(c);
        return Next();
    case 0x33:
        if (status && cmd.a != 0) AddPlayerHp(*status, cmd.a);
        if (status && cmd.b != 0) AddPlayerMp(*status, cmd.b);
        return Next();
    case 0x34: {
        if (!c.effects || cmd.a < 0 || cmd.a >= kEffectKindCount) return Next();
        float x = cmd.x, y = cmd.y;
        if (cmd.m == 2) {
            if (!c.player) return Next();
            x += c.player->x;
            y += c.player->y;
        } else if (cmd.m != 1) {
            const GimmickNode *n = GimmickSlot(c, cmd.m == 0 ? 0 : cmd.m - 2);
            if (!n) return Next();
            x += n->x;
            y += n->y;
        }
        c.effects->SpawnEffect(x, y, cmd.a);
        return Next();
    }
    case 0x35:
        if (c.waitCounter >= cmd.a) {
            c.waitCounter = 0;
            return Next();
        }
        c.waitCounter++;
        return Stay();
    case 0x36:
        if (control) control->hudOff = cmd.a != 0;
        return Next();
    case 0x37:
        if (cmd.a >= 0 && cmd.a < kEffectSoundCount) PlayEffectSound(cmd.a);
        return Next();
    case 0x38:
        if (c.gimmicks) c.gimmicks->exitRunning = 0;
        if (c.talkActive) *c.talkActive = 1;
        return Jump(-c.position);
    case 0x39:
        if (cmd.a >= -1 && cmd.a < kMusicTrackCount) SwitchMusicTrack(cmd.a);
        return Next();
    case 0x40:
        if (GimmickNode *n = GimmickSlot(c, 0)) n->sheetY = (float)(c.player && c.player->facing != 0 ? cmd.a : cmd.b);
        return Next();
    case 0x41:
        SpawnEnemyCommand(c, cmd);
        return Next();
    case 0x42:
        for (int i = 0; i < (int)cmd.x; i++)
            if (WorldServices().createFieldObject((float)cmd.a, (float)cmd.b, cmd.m - 2, 0, 0, 0, 0, 0, 0, 0) < 0) break;
        return Next();
    case 0x43:
        // Cells outside the grid are left alone.
        if (c.grid) SetCellAt(*c.grid, cmd.a, cmd.b, (uint32_t)cmd.m);
        return Next();
    case 0x44:
        if (status) status->requestedTalk--;
        return End();
    case 0x45:
        if (c.player) {
            c.player->frameCounter = cmd.a;
            c.player->pose = cmd.b;
        }
        return Next();
    case 0x46:
        if (c.fieldObjects) c.fieldObjects->CountObjectsInRect(cmd.a, cmd.b, cmd.a + cmd.m, cmd.b + cmd.m);
        return Next();
    case 0x47:
        if (status) status->requestedTalk = cmd.a;
        return Next();
    case 0x48:
    case 0x49:
        if (control) control->effectsFreeze = cmd.code == 0x48;
        return Next();
    case 0x50:
        if (control) control->endingRequest = 1;
        return End();
    case 0x51:
        if (status) status->storyFlags.fill(0);
        if (c.save) ResetWorldState(*c.save);
        return Next();
    case 0x52:
        if (c.transition) c.transition->warpFlag = cmd.a != 0;
        return Next();
    case 0x54:
        return !c.storage || RunStorageScreen(*c.storage) == -1 ? Next() : Stay();
    case 0x57:
        if (c.enemies) FreeEnemyList(*c.enemies);
        return Next();
    case 0x58: {
        if (c.messageBox) ShowMessageAndWait(*c.messageBox, cmd.text ? cmd.text : "");
        const int length = cmd.a < 0 ? 0 : cmd.a > kScriptCodeLength ? kScriptCodeLength : cmd.a;
        if (c.menu && RunCodeEntry(*c.menu, length) != 1) return Stay();
        if (char *entered = c.menu ? PlayerMenuCode(*c.menu) : nullptr) {
            std::memcpy(c.code, entered, (size_t)length);
            std::memset(entered, 'A', kScriptCodeLength);
        }
        return Next();
    }
    case 0x59:
        if (char *entered = c.menu ? PlayerMenuCode(*c.menu) : nullptr) {
            const char *text = cmd.text ? cmd.text : "";
            for (int i = 0; i < cmd.a && i < kScriptCodeLength && text[i] != 0; i++) entered[i] = text[i];
        }
        return Next();
    case 0x60:
        return ValidItem(cmd.a - 2) && HasItem(c, cmd.a - 2) ? Jump(cmd.b) : Next();
    case 0x61:
        if (c.fullScreen) c.fullScreen->frame = 99950;
        return Next();
    case 0x62:
        if (c.player) {
            c.player->poseOverrideOn = cmd.a;
            c.player->poseOverrideColumn = cmd.b;
            c.player->poseOverrideRow = cmd.m;
        }
        return Next();
    case 0x63:
        if (c.save) CopyWorldToTemplate(*c.save);
        return Next();
    case 0x64: {
        const int n = EnterNumber(c);
        if (n == -1) return Stay();
        if (n > 0 && c.companion)
            WorldServices().createFieldObject(c.companion->x + 16, c.companion->y + 16, n, 0, 0, 0, 0, 1, -666, 0);
        return Next();
    }
    case 0x65: {
        const int count = StoreAndCount(c, cmd.a, cmd.b);
        if (!c.messageBox) return Next();
        return ShowNumberMessage(*c.messageBox, count) == -1 ? Next() : Stay();
    }
    case 0x66: {
        const bool plain = c.inventory && CountPlainCarriedItems(*c.inventory) != -1;
        return Jump(plain ? cmd.a : cmd.b);
    }
    case 0x67:
        if (c.transition) c.transition->forcedWarp = cmd.a;
        return Next();
    case 0x68:
        DropEverything(c);
        return Next();
    case 0x69:
        SaveWithPenalty(c, 1);
        return Next();
    case 0x70:
        if (c.inventory && c.inventory->money >= cmd.a) {
            c.inventory->money -= cmd.a;
            return Jump(cmd.b);
        }
        return Next();
    case 0x71:
        if (c.fieldObjects) c.fieldObjects->SyncObjectsFromBodies();
        return Next();
    case 0x72:
        if (c.fieldObjects) c.fieldObjects->release = 1;
        return Next();
    case 0x73:
        return cmd.m > StoreAndCount(c, cmd.a, cmd.b) ? Next() : Jump((int)cmd.x);
    case 0x74:
        if (c.fieldObjects)
            c.fieldObjects->RemoveObjectsInRect((int)cmd.y, cmd.a, cmd.b, cmd.a + cmd.m, cmd.b + cmd.m, (int)cmd.x);
        return Next();
    case 0x75:
        return c.player && c.player->costume == cmd.a ? Jump(cmd.b) : Next();
    case 0x76:
        return Jump(cmd.a);
    case 0x77:
        if (c.player) c.player->costume = cmd.a;
        return Next();
    case 0x78:
        if (c.arms && ValidItem(cmd.a)) {
            c.arms->armour1 = cmd.a;
            ApplyArmorEffects(*c.arms);
        }
        return Next();
    case 0x79: {
        const int n = EnterNumber(c);
        if (n == -1) return Stay();
        if (n >= 1 && n <= kLastNumberedArea && c.transition) {
            c.transition->currentArea = n;
            c.transition->warpIndex = 0;
            PlayEffectSound(kAreaPickSound);
        }
        return Next();
    }
    case 0x80:
        if (!c.messageBox) return Next();
        if (cmd.a == 666) return ScrollCastRoll(*c.messageBox) == -1 ? Next() : Stay();
        if (cmd.a < 0 || cmd.a >= kCaptionStrips) return Next();
        return ShowCaptionStrip(*c.messageBox, cmd.a) == -1 ? Next() : Stay();
    default:
        return {BAD};
    }
}

// A broken script ends here; whatever it held still is let go so that play goes on.
int EndBrokenScript(const Script *script, ScriptContext &c, const char *why)
{
    WriteLogFmt("イベントスクリプト %s の位置 %d で%s in RunScriptStep", script && script->name ? script->name : "(null)",
                c.position, why);
    if (c.control) {
        c.control->playFreeze = c.control->effectsFreeze = 0;
        c.control->worldDrawingOff = c.control->hudOff = c.control->playerHidden = 0;
    }
    c.position = 0;
    c.waitCounter = 0;
    return 0;
}

// The built scripts of the three buttons.
constexpr ScriptCommand kChangeCommands[] = {{0x37, kWeaponChangeSound}, {0x32}, {0x22}};
constexpr ScriptCommand kResetCommands[] = {{0x50}};
constexpr ScriptCommand kStatusCommands[] = {{0x06}, {0x48}, {0x23}, {0x07}, {0x49}, {0x22}};
constexpr Script kChangeScript{"CHANGE", kChangeCommands, 3};
constexpr Script kResetScript{"RESET", kResetCommands, 1};
constexpr Script kStatusScript{"STATUS", kStatusCommands, 6};

int RunButtonScript(ButtonScripts &buttons, int button, bool held, uint8_t &running, const Script &script)
{
    const int count = GetGameInput().Button(button);
    const bool go = held ? count > 0 : count == 1;
    if (!go && running == 0) return count;
    const int r = buttons.context ? RunScriptStep(&script, *buttons.context) : 0;
    running = r != 0;
    return r;
}

} // namespace

ScriptContext::ScriptContext()
{
    std::memset(code, 'A', kScriptCodeLength);
    code[kScriptCodeLength] = '\0';
}

int RunScriptStep(const Script *script, ScriptContext &c)
{
    c.ranThisFrame = 1;
    if (!script || !script->commands) return EndBrokenScript(script, c, "スクリプトがありません");
    if (c.position < 0 || c.position >= script->length) return EndBrokenScript(script, c, "スクリプトの終わりを越えました");
    const Step step = Execute(script->commands[c.position], c);
    switch (step.move) {
    case NEXT:
    case JUMP: {
        const int to = c.position + (step.move == NEXT ? 1 : step.jump);
        if (to < 0 || to >= script->length) return EndBrokenScript(script, c, "スクリプトの外に出ました");
        c.position = to;
        return 1;
    }
    case STAY:
        return 1;
    case END:
        c.position = 0;
        return 0;
    default:
        return EndBrokenScript(script, c, "不明な命令です");
    }
}

void EndScriptFrame(ScriptContext &c)
{
    if (c.ranThisFrame == 1) c.ranThisFrame = 0;
    else c.position = 0;
}

void SetTalkScripts(EventContext &events)
{
    for (int n = 0; n < kTalkScriptCount; n++) events.talkScripts[(size_t)n] = TalkScript(n);
}

int RunTalkStep(EventContext &events)
{
    if (events.talkActive == 1) {
        // The number is taken when the talk's script starts: 0x47 names the next talk, and 0x38,
        // which starts over, hands over to it.
        if (!events.context || events.context->position == 0)
            events.currentTalk = events.status ? events.status->requestedTalk : 0;
        const int talk = events.currentTalk;
        const bool special = talk >= 666 && talk <= 669;
        const Script *script = special ? TalkScript(talk)
                               : talk >= 0 && talk < kTalkScriptCount ? events.talkScripts[(size_t)talk]
                                                                       : nullptr;
        // A talk without a script ends at once.
        const int r = script && events.context ? RunScriptStep(script, *events.context) : 0;
        if (r == 0) {
            events.finished = 1;
            if (special) events.finishedResult = 1;
        }
    }
    if (events.finished != 1) return 0;
    events.currentTalk = 0;
    events.talkActive = 0;
    events.finished = 0;
    return 1;
}

int RequestTalk(EventContext &events, int talk)
{
    if (events.finishedResult != 0) {
        const int r = events.finishedResult;
        events.finishedResult = 0;
        return r;
    }
    events.talkActive = 1;
    if (events.status) events.status->requestedTalk = talk;
    return 0;
}

int RunChangeButtonScript(ButtonScripts &b) { return RunButtonScript(b, BUTTON_CHANGE, false, b.changeRunning, kChangeScript); }
int RunResetButtonScript(ButtonScripts &b) { return RunButtonScript(b, BUTTON_RESET, true, b.resetRunning, kResetScript); }
int RunStatusButtonScript(ButtonScripts &b) { return RunButtonScript(b, BUTTON_STATUS, false, b.statusRunning, kStatusScript); }

void ChangeWeapon(ScriptContext &c)
{
    if (c.companion && c.companion->mode != 0) StopCompanion(*c.companion);
    if (!c.arms) return;
    Arms &arms = *c.arms;
    arms.iconSlide = 10;
    if (!c.inventory) return;
    Inventory &inv = *c.inventory;
    const int slot = FindCarriedWeapon(inv);
    if (slot < 0) return;
    const int previousCount = arms.weaponCount;
    const int previous = EquipWeapon(inv.ids[(size_t)slot], arms);
    if (previous == -1) return;
    arms.weaponCount = inv.counts[(size_t)slot];
    RemoveCarriedItem(slot, inv);
    if (previous == 0) return;
    // A plain weapon with a count left over still goes back, as one piece.
    if (previousCount == 0 || AddCarriedItemCount(previous, previousCount, inv) < 0) AddCarriedItem(previous, inv);
}
