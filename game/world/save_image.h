// The save file's layout: the player's state at fixed little-endian offsets, then the 200
// world-state blocks. Fields are copied one by one, so the image has the same bytes on every
// build whatever the records' layout in memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "game/world/field_objects.h"
#include "game/world/item_kind.h"

constexpr const char *kSaveFileName = "EX03_19_SCORE_DATA.DAT";
constexpr const char *kWorldTemplateFileName = "META_MUSIC_BUFFER_DATA.INT";

constexpr int kSaveBoxSlots = 50;
constexpr int kSaveCarriedSlots = 8;
constexpr int kSaveFlagBytes = 32;

// Offsets in the image.
constexpr size_t kSaveBoxIds = 0;
constexpr size_t kSaveBoxCounts = 200;
constexpr size_t kSaveCarriedIds = 400;
constexpr size_t kSaveCarriedCounts = 432;
constexpr size_t kSaveMoney = 464;
constexpr size_t kSaveWeapon = 468;
constexpr size_t kSaveWeaponCount = 472;
constexpr size_t kSaveArmour1 = 476;
constexpr size_t kSaveArmour2 = 480;
constexpr size_t kSaveFlags = 484;
constexpr size_t kSaveTalk = 516;
constexpr size_t kSaveHpMax = 520;
constexpr size_t kSaveMpMax = 524;
constexpr size_t kSaveHp = 528;
constexpr size_t kSaveMp = 532;
constexpr size_t kSaveResumeX = 536;
constexpr size_t kSaveResumeY = 540;
constexpr size_t kSaveResumeArea = 544;
constexpr size_t kSaveStock = 548;
constexpr size_t kSaveBlocks = 1748;
constexpr size_t kWorldTemplateBytes = (size_t)kWorldBlockCount * kWorldBlockBytes;
constexpr size_t kSaveImageBytes = kSaveBlocks + kWorldTemplateBytes; // 821,748

// Everything of the image but the world blocks, as numbers.
struct SaveFields {
    std::array<int32_t, kSaveBoxSlots> boxIds{}, boxCounts{};
    std::array<int32_t, kSaveCarriedSlots> carriedIds{}, carriedCounts{};
    int32_t money = 0;
    int32_t weapon = 0, weaponCount = 0, armour1 = 0, armour2 = 0;
    std::array<uint8_t, kSaveFlagBytes> flags{};
    int32_t talk = 0;
    int32_t hpMax = 0, mpMax = 0, hp = 0, mp = 0;
    float resumeX = 0, resumeY = 0;
    int32_t resumeArea = 0;
    std::array<int32_t, kItemKindCount> stock{};
};

// Writes the fields into the first kSaveBlocks bytes of an image.
void EncodeSaveFields(const SaveFields &fields, uint8_t *image);
SaveFields DecodeSaveFields(const uint8_t *image);
// Null when every item id (box, carried, weapon, armours) lies in 0..299; else why not.
const char *CheckSaveItemIds(const SaveFields &fields);
