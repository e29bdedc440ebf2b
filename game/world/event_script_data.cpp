// The demo's scripts: the talks by number and the map gimmicks' exit scripts. Messages are
// full-width text; "\a" waits for a press (the mark blinks) and "\n" breaks the line. Jumps are
// relative to the command that jumps.
#include <iterator>

#include "game/world/event_script.h"

namespace {

using C = ScriptCommand;

// Talk 0: the opening, typed over the cover a new game starts with, which then wipes open.
constexpr C kTalkOpening[] = {
    {0x06},
    {0x36, 1},
    {0x01, 0, 0, "……めが　さめた。\nここは　どこだろう。\a"},
    {0x30, 0},
    {0x28, 0, 1},
    {0x01, 0, 0, "シエル「やっと　おきたね　ヴェダ。\nむらの　ひとたちが　まってるよ。」\a"},
    {0x10, 0},
    {0x47, 1},
    {0x36, 0},
    {0x07},
    {0x22},
};

// Talk 1: the old man tells of the master and gives a medicine; the story goes on to talk 2.
constexpr C kTalkOldMan[] = {
    {0x06},
    {0x01, 0, 0, "ろうじん「ほらあなの　ぬしが\nめざめようと　しておる。」\a"},
    {0x01, 0, 0, "ろうじん「もりを　ぬけた　さきの\nほらあなじゃ。これを　もっていけ。」\a"},
    {0x14, 11, 0, nullptr, 3},
    {0x19, 0, 0, "もちものが　いっぱいだ。"},
    {0x76, 2},
    {0x16, 11},
    {0x10, 9},
    {0x47, 2},
    {0x07},
    {0x22},
};

// Talk 2: the old man once more.
constexpr C kTalkOldManAgain[] = {
    {0x06},
    {0x01, 0, 0, "ろうじん「ぬしは　ほらあなの　おくじゃ。\nきを　つけてな。」\a"},
    {0x07},
    {0x22},
};

// Talk 3: the master wakes in its lair.
constexpr C kTalkMasterWakes[] = {
    {0x06},
    {0x37, 12},
    {0x01, 0, 0, "………だれだ。\nわしの　ねむりを　さますのは。\a"},
    {0x10, 49},
    {0x47, 4},
    {0x07},
    {0x22},
};

// Talk 4: the light comes home; the ending follows in the same talk.
constexpr C kTalkLightHome[] = {
    {0x06},
    {0x01, 0, 0, "シエル「ひかりが　もどってきた。\nむらへ　かえろう　ヴェダ。」\a"},
    {0x10, 55},
    {0x10, 59},
    {0x47, 669},
    {0x38},
};

// 666: the game over, saved with the penalty.
constexpr C kTalkGameOver[] = {
    {0x06},
    {0x19, 0, 0, "ヴェダは　ちからつきた……"},
    {0x69},
    {0x07},
    {0x22},
};

constexpr C kTalk667[] = {
    {0x19, 0, 0, "……つづく"},
    {0x22},
};

// 668: RESET, back to the title.
constexpr C kTalkReset[] = {
    {0x06},
    {0x19, 0, 0, "タイトルに　もどります。"},
    {0x07},
    {0x22},
};

// 669: the ending: the cast roll, then back to the title.
constexpr C kTalkEnding[] = {
    {0x06},
    {0x36, 1},
    {0x80, 666},
    {0x36, 0},
    {0x07},
    {0x50},
};

// Exit 4: the child.
constexpr C kExitChild[] = {
    {0x06},
    {0x01, 0, 0, "こども「もりには　おにびが\nでるんだって。こわいなあ。」\a"},
    {0x10, 5},
    {0x07},
    {0x22},
};

// Exit 5: the shop.
constexpr C kExitShop[] = {{0x06}, {0x20}, {0x10, 10}, {0x07}, {0x22}};

// Exit 14: the closed sign (until the old man has spoken).
constexpr C kExitClosedSign[] = {
    {0x19, 0, 0, "とおれない。\nろうじんに　はなしを　きこう。"},
    {0x22},
};

// Exit 17: the light home (shown once the master is beaten).
constexpr C kExitLightHome[] = {{0x13, 50, 3}, {0x47, 4}, {0x38}, {0x22}};

// Exit 41: the storage chest.
constexpr C kExitStorage[] = {{0x06}, {0x54}, {0x10, 15}, {0x07}, {0x22}};

// Exit 42: the old man: his story once, then his reminder.
constexpr C kExitOldMan[] = {{0x12, 9, 3}, {0x47, 1}, {0x38}, {0x47, 2}, {0x38}};

// Exit 45: the save point's crystal. The prayer's flag is set before the save, so the record
// holds it.
constexpr C kExitSavePoint[] = {
    {0x06},
    {0x31, 1, 4, "クリスタルに　いのりを\nささげますか？"},
    {0x10, 19},
    {0x21},
    {0x19, 0, 0, "いのりを　ささげた。\nきろく　しました。"},
    {0x07},
    {0x22},
};

// Exit 46: the signboard to the woods.
constexpr C kExitSignboard[] = {
    {0x19, 0, 0, "このさき　くらきもり"},
    {0x22},
};

// Exit 60: the lair's wisp wakes the master, once.
constexpr C kExitWakeMaster[] = {{0x12, 49, 3}, {0x47, 3}, {0x38}, {0x22}};

// Exit 67: the cave's orb heals.
constexpr C kExitOrb[] = {
    {0x33, 99},
    {0x37, 21},
    {0x34, 46, 0, nullptr, 2},
    {0x19, 0, 0, "あおい　ひかりが　きずを　いやした。"},
    {0x22},
};

// Exit 68: the woods' wisp blesses the hero, leaves three arrows and three remote bombs, and
// goes. Without room for them all it takes back the arrows it gave and stays until there is.
constexpr C kExitWisp[] = {
    {0x06},
    {0x37, 21},
    {0x34, 47},
    {0x14, 144, 0, nullptr, 2},
    {0x76, 16}, // no room: the message
    {0x14, 144, 0, nullptr, 2},
    {0x76, 6}, // back: one arrow
    {0x14, 144, 0, nullptr, 2},
    {0x76, 3}, // back: two arrows
    {0x14, 51, 2, nullptr, 5},
    {0x15, 144, 1},
    {0x15, 144, 1},
    {0x15, 144, 1},
    {0x76, 7},
    {0x16, 144},
    {0x16, 51},
    {0x19, 0, 0, "おにびは　しずかに　きえていった。"},
    {0x10, 20},
    {0x07},
    {0x00},
    {0x19, 0, 0, "もちものが　いっぱいだ。"},
    {0x07},
    {0x22},
};

template <size_t N> constexpr Script Make(const char *name, const C (&commands)[N])
{
    return Script{name, commands, (int)N};
}

constexpr Script kTalks[] = {
    Make("talk 0", kTalkOpening),      Make("talk 1", kTalkOldMan),    Make("talk 2", kTalkOldManAgain),
    Make("talk 3", kTalkMasterWakes),  Make("talk 4", kTalkLightHome),
};
constexpr Script kSpecialTalks[] = {
    Make("talk 666", kTalkGameOver), Make("talk 667", kTalk667), Make("talk 668", kTalkReset),
    Make("talk 669", kTalkEnding),
};

struct NumberedScript {
    int number;
    Script script;
};
constexpr NumberedScript kExits[] = {
    {4, Make("exit 4", kExitChild)},         {5, Make("exit 5", kExitShop)},
    {14, Make("exit 14", kExitClosedSign)},  {17, Make("exit 17", kExitLightHome)},
    {41, Make("exit 41", kExitStorage)},     {42, Make("exit 42", kExitOldMan)},
    {45, Make("exit 45", kExitSavePoint)},   {46, Make("exit 46", kExitSignboard)},
    {60, Make("exit 60", kExitWakeMaster)},  {67, Make("exit 67", kExitOrb)},
    {68, Make("exit 68", kExitWisp)},
};

} // namespace

const Script *TalkScript(int talk)
{
    if (talk >= 0 && talk < (int)std::size(kTalks)) return &kTalks[talk];
    if (talk >= 666 && talk <= 669) return &kSpecialTalks[talk - 666];
    return nullptr;
}

const Script *MapExitScript(int n)
{
    for (const NumberedScript &e : kExits)
        if (e.number == n) return &e.script;
    return nullptr;
}
