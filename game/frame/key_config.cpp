#include "game/frame/key_config.h"

#include "game/frame/text_overlay.h"
#include "library/base/input.h"

int g_measuredRefreshRate = 0;

namespace {
// Screen row -> logical button.
constexpr int kRowButton[BUTTON_COUNT] = {BUTTON_UP,   BUTTON_DOWN,  BUTTON_LEFT,   BUTTON_RIGHT, BUTTON_SHOT,
                                          BUTTON_JUMP, BUTTON_CHANGE, BUTTON_STATUS, BUTTON_RESET};
constexpr const char *kRowLabel[BUTTON_COUNT] = {"UP", "DOWN", "LEFT", "RIGHT", "SHOT", "JUMP", "CHANGE", "STATUS", "RESET"};

struct KeyNameEntry {
    int code;
    const char *name;
};
constexpr KeyNameEntry kKeyNames[] = {
    {1, "ｴｽｹ-ﾌﾟ"}, {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"}, {10, "9"},
    {11, "0"}, {12, "ﾏｲﾅｽ"}, {14, "ｽﾍﾟ-ｽ"}, {15, "ﾀﾌﾞ"}, {16, "Q"}, {17, "W"}, {18, "E"}, {19, "R"}, {20, "T"},
    {21, "Y"}, {22, "U"}, {23, "I"}, {24, "O"}, {25, "P"}, {26, "Lﾌﾞﾗｹﾂﾄ"}, {27, "Rﾌﾞﾗｹﾂﾄ"}, {28, "ｴﾝﾀ-"},
    {29, "Lｺﾝﾄﾛ-ﾙ"}, {30, "A"}, {31, "S"}, {32, "D"}, {33, "F"}, {34, "G"}, {35, "H"}, {36, "J"}, {37, "K"},
    {38, "L"}, {39, "ｾﾐｺﾛﾝ"}, {42, "Lｼﾌﾄ"}, {43, "ﾊﾞﾂｸｽﾗﾂｼﾕ"}, {44, "Z"}, {45, "X"}, {46, "C"}, {47, "V"},
    {48, "B"}, {49, "N"}, {50, "M"}, {51, "ｺﾝﾏ"}, {52, "ﾋﾟﾘｵﾄﾞ"}, {53, "ｽﾗﾂｼﾕ"}, {54, "Rｼﾌﾄ"}, {55, "ｱｽﾀﾘｽｸ"},
    {56, "Lｱﾙﾄ"}, {57, "ｽﾍﾟ-ｽ"}, {58, "ｷﾔﾂﾌﾟｽﾛﾂｸ"}, {59, "F1"}, {60, "F2"}, {61, "F3"}, {62, "F4"}, {63, "F5"},
    {64, "F6"}, {65, "F7"}, {66, "F8"}, {67, "F9"}, {68, "F10"}, {70, "ｽｸﾛ-ﾙ"}, {71, "NUM7"}, {72, "NUM8"},
    {73, "NUM9"}, {74, "ｻﾌﾞﾄﾗｸﾄ"}, {75, "NUM4"}, {76, "NUM5"}, {77, "NUM6"}, {78, "ﾌﾟﾗｽ"}, {79, "NUM1"},
    {80, "NUM2"}, {81, "NUM3"}, {82, "NUM0"}, {83, "ﾃﾞｼﾏﾙ"}, {87, "F11"}, {88, "F12"}, {125, "ｴﾝ"},
    {144, "ﾌﾟﾚﾋﾞﾕ-ﾄﾗﾂｸ"}, {145, "ｱﾂﾄﾏ-ｸ"}, {146, "ｺﾛﾝ"}, {156, "NUMｴﾝﾀ-"}, {157, "Rｼﾌﾄ"}, {181, "ﾃﾞｲﾊﾞｲﾄﾞ"},
    {184, "Rｱﾙﾄ"}, {197, "ﾎﾟ-ｽﾞﾌﾞﾚ-ｸ"}, {199, "ﾎ-ﾑ"}, {200, "ｳｴ"}, {201, "ﾍﾟ-ｼﾞｱﾂﾌﾟ"}, {203, "ﾋﾀﾞﾘ"},
    {205, "ﾐｷﾞ"}, {207, "ｴﾝﾄﾞ"}, {208, "ｼﾀ"}, {209, "ﾍﾟ-ｼﾞﾀﾞｳﾝ"}, {210, "ｲﾝｻ-ﾄ"}, {211, "ﾃﾞﾘ-ﾄ"},
};
constexpr const char *kNoAssignment = "ｼﾃｲﾅｼ";
constexpr const char *kPadNames[16] = {"PAD0", "PAD1", "PAD2",  "PAD3",  "PAD4",  "PAD5",  "PAD6",  "PAD7",
                                       "PAD8", "PAD9", "PAD10", "PAD11", "PAD12", "PAD13", "PAD14", "PAD15"};

// Every slot holding value takes the row's current value (a swap), then the row takes value.
void AssignSwapping(std::array<int32_t, BUTTON_COUNT> &slots, int button, int value)
{
    for (auto &s : slots)
        if (s == value) s = slots[button];
    slots[button] = value;
}

// The pad counter with the largest value (unsigned compare, lowest index on ties), -1 when none.
int StrongestPad(const std::array<int32_t, 16> &c)
{
    int best = -1;
    uint32_t bestCount = 0;
    for (int i = 0; i < 16; i++) {
        if ((uint32_t)c[i] > bestCount) {
            bestCount = (uint32_t)c[i];
            best = i;
        }
    }
    return best;
}

void LoadWorkingCopies(KeyAssignments &work)
{
    if (ReadKeyConfFile(&work)) return;
    SetDefaultKeyBindings();
    GameInput &input = GetGameInput();
    work.keys = input.keyAssign;
    work.pads = input.padAssign;
}
} // namespace

const char *KeyConfigScreen::KeyName(int code)
{
    for (const auto &e : kKeyNames)
        if (e.code == code) return e.name;
    return kNoAssignment;
}

const char *KeyConfigScreen::PadName(int pad) { return pad >= 0 && pad < 16 ? kPadNames[pad] : kNoAssignment; }

void KeyConfigScreen::LoadKeyBindings()
{
    unusedX = unusedY = 64.0f;
    cursor = 0;
    waiting = keysReleased = padsReleased = 0;
    frameCount = 0;
    KeyAssignments a;
    if (ReadKeyConfFile(&a)) {
        GameInput &input = GetGameInput();
        input.keyAssign = a.keys;
        input.padAssign = a.pads;
    } else {
        SetDefaultKeyBindings();
    }
}

int KeyConfigScreen::UpdateKeyConfig() { return UpdateKeyConfigWith(GetPadInputBits(1)); }

int KeyConfigScreen::UpdateKeyConfigWith(int padBits)
{
    if (frameCount == 0) LoadWorkingCopies(work);
    // The first 20 frames ignore input, including the button that opened the screen.
    if (frameCount++ <= 19) return 0;

    for (int i = 0; i < 16; i++) padCounters[i] = (padBits & (1 << i)) ? padCounters[i] + 1 : 0;
    const GameInput &input = GetGameInput();
    int k = input.FindStrongestKey();
    int p = StrongestPad(padCounters);
    int button = kRowButton[cursor];

    if (waiting) {
        if (k == -1) keysReleased = 1;
        if (p == -1) padsReleased = 1;
        if (k != -1 && keysReleased) {
            AssignSwapping(work.keys, button, k);
            if (button == BUTTON_RESET) work.pads[BUTTON_RESET] = -1;
            keysReleased = 0;
            waiting = 0;
        } else if (p != -1 && padsReleased) {
            AssignSwapping(work.pads, button, p);
            if (button == BUTTON_RESET) work.keys[BUTTON_RESET] = -1;
            padsReleased = 0;
            waiting = 0;
        }
        return 0;
    }

    if (input.KeyCounter(GAMEKEY_DOWN) == 1 || padCounters[0] == 1) {
        if (cursor < 8) cursor++;
    } else if (input.KeyCounter(GAMEKEY_UP) == 1 || padCounters[3] == 1) {
        if (cursor > 0) cursor--;
    } else if (input.KeyCounter(GAMEKEY_X) == 1 || padCounters[4] == 1) {
        waiting = 1;
    } else if (input.KeyCounter(GAMEKEY_Z) == 1 || padCounters[5] == 1) {
        GameInput &live = GetGameInput();
        live.keyAssign = work.keys;
        live.padAssign = work.pads;
        waiting = 0;
        // When the file cannot be made the new bindings still hold until the program ends.
        WriteKeyConfFile(work);
        frameCount = 0;
        return -1;
    }
    return 0;
}

void KeyConfigScreen::DrawKeyConfig(TextOverlay &overlay) const
{
    overlay.AddText(70, 50, "FPS   MAX60");
    overlay.AddNumber(150, 60, g_measuredRefreshRate);
    overlay.AddText(90, 120 + 10 * cursor, waiting ? "*" : ">");
    overlay.AddText(70, 100, "ｺﾝﾌｲｸﾞ");
    for (int r = 0; r < BUTTON_COUNT; r++) {
        int y = 120 + 10 * r;
        int b = kRowButton[r];
        overlay.AddText(100, y, kRowLabel[r]);
        overlay.AddText(150, y, KeyName(work.keys[b]));
        overlay.AddText(200, y, PadName(work.pads[b]));
    }
}
