#include "game/frame/key_bindings.h"

#include <algorithm>
#include <cstdio>

#include "game/frame/game_file.h"

KeyAssignments DefaultKeyAssignments()
{
    KeyAssignments a;
    a.keys = {GAMEKEY_LEFT, GAMEKEY_UP, GAMEKEY_RIGHT, GAMEKEY_DOWN, GAMEKEY_X, GAMEKEY_Z, GAMEKEY_Q, GAMEKEY_A, -1};
    a.pads = {1, 3, 2, 0, 4, 5, 6, 7, -1};
    return a;
}

void SetDefaultKeyBindings()
{
    KeyAssignments a = DefaultKeyAssignments();
    GameInput &input = GetGameInput();
    input.keyAssign = a.keys;
    input.padAssign = a.pads;
}

std::array<uint8_t, kKeyConfBytes> EncodeKeyConf(const KeyAssignments &in)
{
    std::array<uint8_t, kKeyConfBytes> b{};
    for (int i = 0; i < 2 * BUTTON_COUNT; i++) {
        uint32_t v = (uint32_t)(i < BUTTON_COUNT ? in.keys[i] : in.pads[i - BUTTON_COUNT]);
        for (int k = 0; k < 4; k++) b[i * 4 + k] = (uint8_t)(v >> (8 * k));
    }
    return b;
}

KeyAssignments DecodeKeyConf(const std::array<uint8_t, kKeyConfBytes> &b)
{
    KeyAssignments a;
    for (int i = 0; i < 2 * BUTTON_COUNT; i++) {
        uint32_t v = 0;
        for (int k = 0; k < 4; k++) v |= (uint32_t)b[i * 4 + k] << (8 * k);
        const int32_t value = (int32_t)v;
        // Anything but a keyboard code or a pad counter binds nothing.
        if (i < BUTTON_COUNT) a.keys[i] = value >= 1 && value <= 255 ? value : -1;
        else a.pads[i - BUTTON_COUNT] = value >= 0 && value <= 15 ? value : -1;
    }
    return a;
}

bool ReadKeyConfFile(KeyAssignments *out)
{
    // Opened for reading only, so a read-only file or folder still gives its bindings.
    FILE *f = OpenGameFile(kKeyConfFile, "rb");
    if (!f) return false;
    // One byte more than the file may hold, so that a longer file is told apart.
    std::array<uint8_t, kKeyConfBytes + 1> b{};
    const size_t got = fread(b.data(), 1, b.size(), f);
    fclose(f);
    // A file of another length is not a set of bindings: the caller keeps the defaults.
    if (got != kKeyConfBytes) return false;
    std::array<uint8_t, kKeyConfBytes> bytes;
    std::copy(b.begin(), b.begin() + kKeyConfBytes, bytes.begin());
    *out = DecodeKeyConf(bytes);
    return true;
}

bool WriteKeyConfFile(const KeyAssignments &in)
{
    // A failed save must not leave a short file, which would read back as key code 0 everywhere.
    std::array<uint8_t, kKeyConfBytes> b = EncodeKeyConf(in);
    return ReplaceGameFile(kKeyConfFile, b.data(), b.size());
}
