#include "game/world/save_game.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/actors/actors.h"
#include "game/frame/game_file.h"
#include "game/frame/game_input.h"
#include "game/frame/status_window.h"
#include "game/world/area_transition.h"
#include "game/world/field_objects.h"
#include "game/world/inventory.h"
#include "game/world/menu_save_entries.h"
#include "game/world/save_image.h"
#include "game/world/storage_box.h"
#include "library/base/log.h"

namespace {
constexpr int kStatCap = 999;
constexpr int kKeptBlock = 92;  // the world reset leaves this area's objects as they are
constexpr int kKeptStockItem = 75;

struct StockValue {
    int item, value;
};
constexpr StockValue kNewGameStock[] = {{3, 11},  {5, 100}, {8, 2},   {10, 2},  {11, 21}, {12, 21}, {14, 2},
                                        {15, 2},  {18, 100}, {19, 100}, {30, 2}, {39, 11}, {43, 11}, {61, 2},
                                        {67, 6},  {68, 6},  {75, 6},  {134, 5}, {146, 2}, {150, 2}};

// A refused file: the reason in the log file and on the screen log.
int Refuse(const char *file, const char *reason, const char *who)
{
    char line[256];
    std::snprintf(line, sizeof line, "%s: %s in %s", file, reason, who);
    WriteLogFmt("%s", line);
    GamePrintScreenLog(line);
    return -1;
}

// The whole file when it opens and holds exactly `size` bytes; 1 missing, -1 refused.
int ReadWholeFile(const char *name, size_t size, std::vector<uint8_t> &out, const char *who)
{
    FILE *f = OpenGameFile(name, "rb");
    if (!f) return 1;
    out.assign(size + 1, 0);
    const size_t got = std::fread(out.data(), 1, size + 1, f);
    std::fclose(f);
    if (got != size) {
        char reason[128];
        std::snprintf(reason, sizeof reason, "大きさが %zu バイトではありません (%s)", size,
                      got < size ? "短すぎます" : "長すぎます");
        return Refuse(name, reason, who);
    }
    out.resize(size);
    return 0;
}

int Cap(int v) { return std::min(v, kStatCap); }

void CapLiveStats(StatusWindow &s)
{
    s.hp = Cap(s.hp);
    s.mp = Cap(s.mp);
    s.hpMax = Cap(s.hpMax);
    s.mpMax = Cap(s.mpMax);
}

void SetNewGameStock(Inventory &inventory, bool keepKept)
{
    for (const StockValue &v : kNewGameStock)
        if (!(keepKept && v.item == kKeptStockItem)) inventory.stock[v.item] = v.value;
}

void CopyBlocks(std::vector<uint8_t> &to, const uint8_t *from) { std::memcpy(to.data(), from, kWorldTemplateBytes); }

void ClearTemplate(std::vector<uint8_t> &blocks)
{
    blocks.assign(kWorldTemplateBytes, 0);
    for (int k = 0; k < kWorldBlockCount; k++) blocks[(size_t)k * kWorldBlockBytes] = 1;
}
} // namespace

SaveRecord::SaveRecord() : image(kSaveImageBytes, 0) { ClearTemplate(templateBlocks); }

int ReadWorldTemplate(SaveRecord &save)
{
    std::vector<uint8_t> bytes;
    const int r = ReadWholeFile(kWorldTemplateFileName, kWorldTemplateBytes, bytes, "ReadWorldTemplate");
    if (r == 1) return WriteLogFmt("%s がありません in ReadWorldTemplate", kWorldTemplateFileName);
    if (r < 0) return -1;
    save.templateBlocks = std::move(bytes);
    return 0;
}

int SaveGame(SaveRecord &save, int penalty)
{
    SaveFields f;
    const Inventory &inv = *save.inventory;
    StatusWindow &status = *save.status;
    const Arms &arms = *save.arms;
    std::copy(save.storage->ids.begin(), save.storage->ids.end(), f.boxIds.begin());
    std::copy(save.storage->counts.begin(), save.storage->counts.end(), f.boxCounts.begin());
    std::copy(inv.ids.begin(), inv.ids.end(), f.carriedIds.begin());
    std::copy(inv.counts.begin(), inv.counts.end(), f.carriedCounts.begin());
    f.money = penalty ? inv.money / 2 : inv.money;
    f.weapon = arms.weapon;
    f.weaponCount = arms.weaponCount;
    f.armour1 = arms.armour1;
    f.armour2 = arms.armour2;
    std::copy(status.storyFlags.begin(), status.storyFlags.end(), f.flags.begin());
    f.talk = status.requestedTalk;
    CapLiveStats(status);
    f.hpMax = status.hpMax;
    f.mpMax = status.mpMax;
    f.hp = penalty ? 1 : status.hp;
    f.mp = penalty ? 1 : status.mp;
    f.resumeX = (float)kContinueX;
    f.resumeY = (float)kContinueY;
    f.resumeArea = kContinueArea;
    f.stock = inv.stock;
    EncodeSaveFields(f, save.image.data());
    std::memcpy(save.image.data() + kSaveBlocks, save.fieldObjects->store.data(), kWorldTemplateBytes);
    save.holdsGame = true;
    if (!ReplaceGameFile(kSaveFileName, save.image.data(), save.image.size()))
        return Refuse(kSaveFileName, "書き込めませんでした。前のセーブはそのままです", "SaveGame");
    return 0;
}

int LoadGame(SaveRecord &save)
{
    std::vector<uint8_t> bytes;
    const int r = ReadWholeFile(kSaveFileName, kSaveImageBytes, bytes, "LoadGame");
    if (r < 0) return -1;
    if (r == 1 && !save.holdsGame) return WriteLogFmt("%s がなく、続ける記録がありません in LoadGame", kSaveFileName);
    if (r == 0) {
        if (const char *bad = CheckSaveItemIds(DecodeSaveFields(bytes.data()))) return Refuse(kSaveFileName, bad, "LoadGame");
        save.image = std::move(bytes);
    }
    save.holdsGame = true;

    const SaveFields f = DecodeSaveFields(save.image.data());
    Inventory &inv = *save.inventory;
    StatusWindow &status = *save.status;
    Arms &arms = *save.arms;
    std::copy(f.boxIds.begin(), f.boxIds.end(), save.storage->ids.begin());
    std::copy(f.boxCounts.begin(), f.boxCounts.end(), save.storage->counts.begin());
    std::copy(f.carriedIds.begin(), f.carriedIds.end(), inv.ids.begin());
    std::copy(f.carriedCounts.begin(), f.carriedCounts.end(), inv.counts.begin());
    inv.stock = f.stock;
    inv.money = f.money;
    arms.weapon = f.weapon;
    arms.armour1 = f.armour1;
    ApplyArmorEffects(arms);
    arms.armour2 = f.armour2;
    ApplyArmorEffects(arms);
    arms.weaponCount = f.weaponCount;
    std::copy(f.flags.begin(), f.flags.end(), status.storyFlags.begin());
    status.requestedTalk = f.talk;
    status.hp = f.hp;
    status.mp = f.mp;
    status.hpMax = f.hpMax;
    status.mpMax = f.mpMax;
    CapLiveStats(status);
    CopyBlocks(save.fieldObjects->store, save.image.data() + kSaveBlocks);
    LoadArea(*save.transition, kContinueArea, kContinueX, kContinueY, kNoArea);
    return 0;
}

void StartNewGame(SaveRecord &save)
{
    ReadWorldTemplate(save);
    Inventory &inv = *save.inventory;
    StatusWindow &status = *save.status;
    Arms &arms = *save.arms;
    save.storage->ids.fill(0);
    save.storage->counts.fill(0);
    inv.ids.fill(0);
    inv.counts.fill(0);
    inv.stock.fill(0);
    inv.ids[0] = 5;
    inv.money = 50;
    SetNewGameStock(inv, false);
    arms.weapon = 0;
    arms.armour1 = 0;
    ApplyArmorEffects(arms);
    arms.armour2 = 0;
    ApplyArmorEffects(arms);
    arms.weaponCount = 0;
    status.storyFlags.fill(0);
    status.requestedTalk = 0;
    status.hp = 4;
    status.mp = 20;
    status.hpMax = 4;
    status.mpMax = 20;
    CopyBlocks(save.fieldObjects->store, save.templateBlocks.data());
    LoadArea(*save.transition, kNewGameArea, kNewGameX, kNewGameY, kNoArea);
}

void ResetWorldState(SaveRecord &save)
{
    SetNewGameStock(*save.inventory, true);
    ReadWorldTemplate(save);
    std::vector<uint8_t> &live = save.fieldObjects->store;
    for (int k = 0; k < kWorldBlockCount; k++) {
        if (k == kKeptBlock) continue;
        const size_t at = (size_t)k * kWorldBlockBytes;
        std::memcpy(live.data() + at, save.templateBlocks.data() + at, kWorldBlockBytes);
    }
}

void CopyWorldToTemplate(SaveRecord &save) { CopyBlocks(save.templateBlocks, save.fieldObjects->store.data()); }
