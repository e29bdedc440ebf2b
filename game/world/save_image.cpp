#include "game/world/save_image.h"

#include <bit>

namespace {
void Put(uint8_t *at, uint32_t v)
{
    for (int i = 0; i < 4; i++) at[i] = (uint8_t)(v >> (8 * i));
}
uint32_t Get(const uint8_t *at) { return at[0] | at[1] << 8 | at[2] << 16 | (uint32_t)at[3] << 24; }

template <size_t N> void PutArray(uint8_t *image, size_t offset, const std::array<int32_t, N> &values)
{
    for (size_t i = 0; i < N; i++) Put(image + offset + 4 * i, (uint32_t)values[i]);
}
template <size_t N> void GetArray(const uint8_t *image, size_t offset, std::array<int32_t, N> &values)
{
    for (size_t i = 0; i < N; i++) values[i] = (int32_t)Get(image + offset + 4 * i);
}

bool ValidItem(int32_t id) { return id >= 0 && id < kItemKindCount; }
template <size_t N> bool ValidItems(const std::array<int32_t, N> &ids)
{
    for (int32_t id : ids)
        if (!ValidItem(id)) return false;
    return true;
}
} // namespace

void EncodeSaveFields(const SaveFields &f, uint8_t *image)
{
    PutArray(image, kSaveBoxIds, f.boxIds);
    PutArray(image, kSaveBoxCounts, f.boxCounts);
    PutArray(image, kSaveCarriedIds, f.carriedIds);
    PutArray(image, kSaveCarriedCounts, f.carriedCounts);
    Put(image + kSaveMoney, (uint32_t)f.money);
    Put(image + kSaveWeapon, (uint32_t)f.weapon);
    Put(image + kSaveWeaponCount, (uint32_t)f.weaponCount);
    Put(image + kSaveArmour1, (uint32_t)f.armour1);
    Put(image + kSaveArmour2, (uint32_t)f.armour2);
    for (int i = 0; i < kSaveFlagBytes; i++) image[kSaveFlags + i] = f.flags[i];
    Put(image + kSaveTalk, (uint32_t)f.talk);
    Put(image + kSaveHpMax, (uint32_t)f.hpMax);
    Put(image + kSaveMpMax, (uint32_t)f.mpMax);
    Put(image + kSaveHp, (uint32_t)f.hp);
    Put(image + kSaveMp, (uint32_t)f.mp);
    Put(image + kSaveResumeX, std::bit_cast<uint32_t>(f.resumeX));
    Put(image + kSaveResumeY, std::bit_cast<uint32_t>(f.resumeY));
    Put(image + kSaveResumeArea, (uint32_t)f.resumeArea);
    PutArray(image, kSaveStock, f.stock);
}

SaveFields DecodeSaveFields(const uint8_t *image)
{
    SaveFields f;
    GetArray(image, kSaveBoxIds, f.boxIds);
    GetArray(image, kSaveBoxCounts, f.boxCounts);
    GetArray(image, kSaveCarriedIds, f.carriedIds);
    GetArray(image, kSaveCarriedCounts, f.carriedCounts);
    f.money = (int32_t)Get(image + kSaveMoney);
    f.weapon = (int32_t)Get(image + kSaveWeapon);
    f.weaponCount = (int32_t)Get(image + kSaveWeaponCount);
    f.armour1 = (int32_t)Get(image + kSaveArmour1);
    f.armour2 = (int32_t)Get(image + kSaveArmour2);
    for (int i = 0; i < kSaveFlagBytes; i++) f.flags[i] = image[kSaveFlags + i];
    f.talk = (int32_t)Get(image + kSaveTalk);
    f.hpMax = (int32_t)Get(image + kSaveHpMax);
    f.mpMax = (int32_t)Get(image + kSaveMpMax);
    f.hp = (int32_t)Get(image + kSaveHp);
    f.mp = (int32_t)Get(image + kSaveMp);
    f.resumeX = std::bit_cast<float>(Get(image + kSaveResumeX));
    f.resumeY = std::bit_cast<float>(Get(image + kSaveResumeY));
    f.resumeArea = (int32_t)Get(image + kSaveResumeArea);
    GetArray(image, kSaveStock, f.stock);
    return f;
}

const char *CheckSaveItemIds(const SaveFields &f)
{
    if (!ValidItems(f.boxIds)) return "預かり箱のアイテム番号が範囲外です";
    if (!ValidItems(f.carriedIds)) return "持ち物のアイテム番号が範囲外です";
    if (!ValidItem(f.weapon) || !ValidItem(f.armour1) || !ValidItem(f.armour2)) return "装備のアイテム番号が範囲外です";
    return nullptr;
}
