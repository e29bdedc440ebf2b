// Saving, loading and starting a new game over the live records, in a fresh working folder.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/status_window.h"
#include "game/world/area_transition.h"
#include "game/world/field_objects.h"
#include "game/world/inventory.h"
#include "game/world/save_game.h"
#include "game/world/save_image.h"
#include "game/world/storage_box.h"
#include "fixtures/start_dir.h"

namespace {
std::vector<std::string> g_screenLog;
void CaptureScreenLog(const char *text) { g_screenLog.push_back(text); }

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}
uint32_t Get32(const std::vector<uint8_t> &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

// A world-state file whose block k holds one object of kind k + 3 at (k, 2k), header bytes 1.
std::vector<uint8_t> MarkedWorld()
{
    std::vector<uint8_t> w(kWorldTemplateBytes, 0);
    for (int k = 0; k < kWorldBlockCount; k++) {
        const size_t at = (size_t)k * kWorldBlockBytes;
        w[at] = 1;
        Put32(w, at + 4, std::bit_cast<uint32_t>((float)k));
        Put32(w, at + 8, std::bit_cast<uint32_t>((float)(2 * k)));
        Put32(w, at + 12, (uint32_t)(k + 3));
    }
    return w;
}

class SaveGameTest : public LogStartTest {
public:
    void SetUp() override {
        LogStartTest::SetUp();
        GetGameInput() = GameInput{};
        g_screenLog.clear();
        SetGameScreenLogHook(CaptureScreenLog);
        InitStatusWindow(status);
        save.inventory = &inventory;
        save.fieldObjects = &objects;
        save.storage = &storage;
        save.arms = &arms;
        save.status = &status;
        save.transition = &transition;
    }
    void TearDown() override {
        SetGameScreenLogHook(nullptr);
        LogStartTest::TearDown();
    }

    // A game in progress with every field apart from the new game's.
    void PlayABit() {
        storage.ids[0] = 12;
        storage.counts[0] = 3;
        storage.ids[49] = 40;
        inventory.ids = {5, 30, 11, 0, 0, 0, 0, 0};
        inventory.counts = {0, 0, 4, 0, 0, 0, 0, 0};
        inventory.money = 1234;
        inventory.stock[75] = 9;
        inventory.stock[299] = 3;
        arms.weapon = 8;
        arms.weaponCount = 17;
        arms.armour1 = 4;
        arms.armour2 = 10;
        SetStoryFlag(0, status);
        SetStoryFlag(255, status);
        status.requestedTalk = 7;
        status.hp = 30, status.hpMax = 40, status.mp = 5, status.mpMax = 60;
        objects.Block(53)[4] = 0x42;
        objects.Block(199)[4099] = 0x24;
    }

    Inventory inventory;
    StorageBox storage;
    Arms arms;
    StatusWindow status;
    FieldObjects objects;
    AreaTransition transition;
    SaveRecord save;
};

TEST_F(SaveGameTest, TheSaveAfterANewGameMatchesTheLayoutByteForByte) {
    WriteFile(kWorldTemplateFileName, MarkedWorld());
    StartNewGame(save);
    EXPECT_EQ(transition.currentArea, kNewGameArea);
    ASSERT_EQ(SaveGame(save, 0), 0);

    std::vector<uint8_t> want(kSaveImageBytes, 0);
    Put32(want, 400, 5);  // carried slot 0: the knife, one piece
    Put32(want, 464, 50); // money
    Put32(want, 520, 4);
    Put32(want, 524, 20);
    Put32(want, 528, 4);
    Put32(want, 532, 20);
    Put32(want, 536, std::bit_cast<uint32_t>(248.0f));
    Put32(want, 540, std::bit_cast<uint32_t>(328.0f));
    Put32(want, 544, 99);
    const int stock[][2] = {{3, 11},  {5, 100}, {8, 2},   {10, 2},   {11, 21}, {12, 21}, {14, 2},
                            {15, 2},  {18, 100}, {19, 100}, {30, 2},  {39, 11}, {43, 11}, {61, 2},
                            {67, 6},  {68, 6},  {75, 6},  {134, 5}, {146, 2}, {150, 2}};
    for (const auto &s : stock) Put32(want, 548 + 4 * (size_t)s[0], (uint32_t)s[1]);
    const std::vector<uint8_t> world = MarkedWorld();
    std::memcpy(want.data() + 1748, world.data(), world.size());
    EXPECT_TRUE(ReadBytes(kSaveFileName) == want);
    EXPECT_EQ(ReadBytes(kSaveFileName).size(), 821748u);
}

TEST_F(SaveGameTest, PenaltyHalvesMoneyAndWritesHpMpOneWhileTheLiveValuesStay) {
    struct Case {
        int money, penalty, savedMoney;
    } cases[] = {{7, 1, 3}, {-7, 1, -3}, {7, 0, 7}};
    for (const Case &c : cases) {
        inventory.money = c.money;
        status.hp = 9, status.mp = 8;
        ASSERT_EQ(SaveGame(save, c.penalty), 0);
        const std::vector<uint8_t> file = ReadBytes(kSaveFileName);
        EXPECT_EQ((int32_t)Get32(file, kSaveMoney), c.savedMoney) << c.money << " " << c.penalty;
        EXPECT_EQ(Get32(file, kSaveHp), c.penalty ? 1u : 9u);
        EXPECT_EQ(Get32(file, kSaveMp), c.penalty ? 1u : 8u);
        EXPECT_EQ(inventory.money, c.money);
        EXPECT_EQ(status.hp, 9);
        EXPECT_EQ(status.mp, 8);
    }
}

TEST_F(SaveGameTest, StatsAboveTheCapAreHeldTo999LiveAndInTheFile) {
    status.hp = 1200, status.hpMax = 1500, status.mp = 999, status.mpMax = 1000;
    ASSERT_EQ(SaveGame(save, 0), 0);
    const std::vector<uint8_t> file = ReadBytes(kSaveFileName);
    for (size_t at : {kSaveHp, kSaveHpMax, kSaveMp, kSaveMpMax}) EXPECT_EQ(Get32(file, at), 999u) << at;
    EXPECT_EQ(status.hp, 999);
    EXPECT_EQ(status.hpMax, 999);
    EXPECT_EQ(status.mpMax, 999);
    // A file holding more is capped on the way in too.
    std::vector<uint8_t> big = file;
    Put32(big, kSaveHp, 5000);
    WriteFile(kSaveFileName, big);
    ASSERT_EQ(LoadGame(save), 0);
    EXPECT_EQ(status.hp, 999);
}

TEST_F(SaveGameTest, ARoundTripRestoresEveryFieldAndResumesInArea99) {
    PlayABit();
    ASSERT_EQ(SaveGame(save, 0), 0);
    const Inventory savedInventory = inventory;
    const StorageBox savedStorage = storage;
    const StatusWindow savedStatus = status;
    const std::vector<uint8_t> savedWorld = objects.store;

    // Everything changes after the save, and the file's resume fields say somewhere else.
    inventory = Inventory{};
    storage = StorageBox{};
    arms.weapon = arms.weaponCount = arms.armour1 = arms.armour2 = 0;
    status.storyFlags.fill(0);
    status.requestedTalk = status.hp = status.hpMax = status.mp = status.mpMax = 0;
    objects.InitFieldObjects();
    std::vector<uint8_t> file = ReadBytes(kSaveFileName);
    Put32(file, kSaveResumeArea, 53);
    Put32(file, kSaveResumeX, std::bit_cast<uint32_t>(1.0f));
    WriteFile(kSaveFileName, file);
    transition.currentArea = 111;

    ASSERT_EQ(LoadGame(save), 0);
    EXPECT_EQ(inventory.ids, savedInventory.ids);
    EXPECT_EQ(inventory.counts, savedInventory.counts);
    EXPECT_EQ(inventory.stock, savedInventory.stock);
    EXPECT_EQ(inventory.money, 1234);
    EXPECT_EQ(storage.ids, savedStorage.ids);
    EXPECT_EQ(storage.counts, savedStorage.counts);
    EXPECT_EQ(arms.weapon, 8);
    EXPECT_EQ(arms.weaponCount, 17);
    EXPECT_EQ(arms.armour1, 4);
    EXPECT_EQ(arms.armour2, 10);
    EXPECT_EQ(arms.appliedArmour2, 10); // the armour effects were re-applied
    EXPECT_EQ(status.storyFlags, savedStatus.storyFlags);
    EXPECT_EQ(status.requestedTalk, 7);
    EXPECT_EQ(status.hp, 30);
    EXPECT_EQ(status.hpMax, 40);
    EXPECT_EQ(status.mp, 5);
    EXPECT_EQ(status.mpMax, 60);
    EXPECT_TRUE(objects.store == savedWorld);
    EXPECT_EQ(transition.currentArea, kContinueArea);
}

TEST_F(SaveGameTest, ResetKeepsBlock92AndItem75AndCopyFillsTheTemplate) {
    WriteFile(kWorldTemplateFileName, MarkedWorld());
    StartNewGame(save);
    inventory.stock[75] = 1;  // bought out
    inventory.stock[3] = 1;
    inventory.stock[4] = 7;   // not a new-game entry: kept
    objects.Block(92)[4] = 0x77;
    objects.Block(10)[4] = 0x77;
    ResetWorldState(save);
    EXPECT_EQ(inventory.stock[75], 1);
    EXPECT_EQ(inventory.stock[3], 11);
    EXPECT_EQ(inventory.stock[4], 7);
    EXPECT_EQ(objects.Block(92)[4], 0x77);
    EXPECT_EQ(std::memcmp(objects.Block(10), MarkedWorld().data() + 10 * kWorldBlockBytes, kWorldBlockBytes), 0);

    // The copy replaces the template in memory; without the file a reset then uses it.
    objects.Block(10)[4] = 0x77;
    CopyWorldToTemplate(save);
    EXPECT_TRUE(save.templateBlocks == objects.store);
    std::remove(kWorldTemplateFileName);
    objects.Block(92)[4] = 0x11;
    objects.Block(10)[4] = 0x11;
    ResetWorldState(save);
    EXPECT_EQ(objects.Block(10)[4], 0x77);
    EXPECT_EQ(objects.Block(92)[4], 0x11);
}

TEST_F(SaveGameTest, AFailedSaveLeavesTheOldFileWhole) {
    PlayABit();
    ASSERT_EQ(SaveGame(save, 0), 0);
    const std::vector<uint8_t> old = ReadBytes(kSaveFileName);
    inventory.money = 1;
    // The sibling cannot be made.
    ASSERT_EQ(mkdir("EX03_19_SCORE_DATA.DAT.new", 0700), 0);
    EXPECT_EQ(SaveGame(save, 0), -1);
    EXPECT_TRUE(ReadBytes(kSaveFileName) == old);
    rmdir("EX03_19_SCORE_DATA.DAT.new");
    ASSERT_EQ(g_screenLog.size(), 1u);
    EXPECT_NE(g_screenLog[0].find("EX03_19_SCORE_DATA.DAT"), std::string::npos);
    EXPECT_NE(LogBytes().find("SaveGame"), std::string::npos);

    // The replace fails: a folder stands where the save goes, and stays.
    std::remove(kSaveFileName);
    ASSERT_EQ(mkdir(kSaveFileName, 0700), 0);
    WriteFile(std::string(kSaveFileName) + "/keep", {1, 2, 3});
    EXPECT_EQ(SaveGame(save, 0), -1);
    EXPECT_EQ(ReadBytes(std::string(kSaveFileName) + "/keep"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_NE(access("EX03_19_SCORE_DATA.DAT.new", F_OK), 0);
}

TEST_F(SaveGameTest, DamagedFilesAreRefusedAndNothingLiveChanges) {
    PlayABit();
    ASSERT_EQ(SaveGame(save, 0), 0);
    const std::vector<uint8_t> good = ReadBytes(kSaveFileName);
    const std::vector<uint8_t> imageBefore = save.image;
    std::vector<uint8_t> shortFile(good.begin(), good.end() - 1), longFile = good, badCarried = good, badBox = good,
        badArmour = good;
    longFile.push_back(0);
    Put32(badCarried, kSaveCarriedIds + 4, 300);
    Put32(badBox, kSaveBoxIds + 4 * 49, (uint32_t)-1);
    Put32(badArmour, kSaveArmour2, 1000);
    struct Case {
        const char *what;
        const std::vector<uint8_t> *bytes;
        const char *logged;
    } cases[] = {{"short", &shortFile, "短すぎます"},      {"long", &longFile, "長すぎます"},
                 {"carried id", &badCarried, "持ち物"}, {"box id", &badBox, "預かり箱"},
                 {"armour id", &badArmour, "装備"}};
    status.hp = 2;
    transition.currentArea = 53;
    for (const Case &c : cases) {
        g_screenLog.clear();
        WriteFile(kSaveFileName, *c.bytes);
        EXPECT_EQ(LoadGame(save), -1) << c.what;
        ASSERT_EQ(g_screenLog.size(), 1u) << c.what;
        EXPECT_NE(g_screenLog[0].find(c.logged), std::string::npos) << c.what;
        EXPECT_NE(g_screenLog[0].find("EX03_19_SCORE_DATA.DAT"), std::string::npos) << c.what;
        EXPECT_EQ(status.hp, 2) << c.what;
        EXPECT_EQ(transition.currentArea, 53) << c.what;
        EXPECT_TRUE(save.image == imageBefore) << c.what;
    }
    EXPECT_NE(LogBytes().find("LoadGame"), std::string::npos);

    // A short world-state file leaves the template as it was.
    WriteFile(kWorldTemplateFileName, std::vector<uint8_t>(kWorldTemplateBytes - 4, 0));
    const std::vector<uint8_t> templateBefore = save.templateBlocks;
    EXPECT_EQ(ReadWorldTemplate(save), -1);
    EXPECT_TRUE(save.templateBlocks == templateBefore);
    EXPECT_NE(LogBytes().find("META_MUSIC_BUFFER_DATA.INT"), std::string::npos);
}

TEST_F(SaveGameTest, NothingToResumeWithoutAFileUnlessThisRunSavedOrLoaded) {
    status.hp = 3;
    EXPECT_EQ(LoadGame(save), -1);
    EXPECT_EQ(status.hp, 3);
    EXPECT_EQ(transition.currentArea, 0);
    // A missing template leaves empty areas: every header byte 1, nothing in them.
    StartNewGame(save);
    for (int k = 0; k < kWorldBlockCount; k++) EXPECT_EQ(objects.Block(k)[0], 1) << k;
    EXPECT_TRUE(std::all_of(objects.Block(53) + 1, objects.Block(53) + kWorldBlockBytes, [](uint8_t b) { return b == 0; }));
    // After a save this run, a lost file resumes from the last save.
    inventory.money = 77;
    ASSERT_EQ(SaveGame(save, 0), 0);
    std::remove(kSaveFileName);
    inventory.money = 0;
    EXPECT_EQ(LoadGame(save), 0);
    EXPECT_EQ(inventory.money, 77);
    EXPECT_EQ(transition.currentArea, kContinueArea);
}
} // namespace
