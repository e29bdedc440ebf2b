// The logical buttons' default assignments and the 72-byte "KEY_CONF.DAT": nine i32 key codes,
// then nine i32 pad counters, little-endian, in button order.
#pragma once

#include <array>
#include <cstdint>

#include "game/frame/game_input.h"

constexpr int kKeyConfBytes = 72;
constexpr const char *kKeyConfFile = "KEY_CONF.DAT";

struct KeyAssignments {
    std::array<int32_t, BUTTON_COUNT> keys{};
    std::array<int32_t, BUTTON_COUNT> pads{};
};

KeyAssignments DefaultKeyAssignments();
// Writes the defaults into the game-wide assignments.
void SetDefaultKeyBindings();

// Reads the file. False when it does not open or is not 72 bytes long; keys outside 1..255 and
// pads outside 0..15 read as -1.
bool ReadKeyConfFile(KeyAssignments *out);
// Writes the 72 bytes in one write. False when the file cannot be made.
bool WriteKeyConfFile(const KeyAssignments &in);

std::array<uint8_t, kKeyConfBytes> EncodeKeyConf(const KeyAssignments &in);
KeyAssignments DecodeKeyConf(const std::array<uint8_t, kKeyConfBytes> &bytes);
