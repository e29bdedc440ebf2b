// Every authored script walked without running it: known codes only, every jump inside, every
// path reaching an ending, and messages of full-width characters with the wait and line marks.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/world/event_script.h"
#include "library/base/pathchar.h"

namespace {

const std::set<int> kKnownCodes = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
    0x19, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x50, 0x51, 0x52, 0x53, 0x54, 0x57, 0x58,
    0x59, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77,
    0x78, 0x79, 0x80};
// Codes after which the script is over (0x38 hands over to the talk it starts).
const std::set<int> kEndings = {0x00, 0x22, 0x38, 0x44, 0x50};
// Codes that show their text: full-width only, plus wait (7) and line break (10).
const std::set<int> kMessages = {0x01, 0x19, 0x31, 0x58};

// Where a command can go next (positions relative to the script start).
std::vector<int> Successors(const ScriptCommand &c, int p)
{
    if (kEndings.count(c.code)) return {};
    switch (c.code) {
    case 0x04: return {p + 1, p + c.m};
    case 0x12: case 0x13: case 0x15: case 0x60: case 0x70: case 0x75: return {p + 1, p + c.b};
    case 0x14: return {p + 1, p + c.m};
    case 0x31: case 0x66: return {p + c.a, p + c.b};
    case 0x73: return {p + 1, p + (int)c.x};
    case 0x76: return {p + c.a};
    default: return {p + 1};
    }
}

bool FullWidthText(const char *text)
{
    for (const char *p = text; *p; p += PathCharLength(p)) {
        const unsigned char b = (unsigned char)*p;
        if (b == 7 || b == 10) continue;
        if (PathCharLength(p) != 2) return false;
    }
    return true;
}

std::vector<const Script *> AllScripts()
{
    std::vector<const Script *> all;
    for (int n = 0; n < kTalkScriptCount; n++)
        if (const Script *s = TalkScript(n)) all.push_back(s);
    for (int n = 666; n <= 669; n++) all.push_back(TalkScript(n));
    for (int n = 1; n <= 73; n++)
        if (const Script *s = MapExitScript(n)) all.push_back(s);
    return all;
}

TEST(EventScriptData, EveryScriptIsWellFormed) {
    const std::vector<const Script *> all = AllScripts();
    EXPECT_GE(all.size(), 5u + 4u + 11u);
    for (int n = 666; n <= 669; n++) EXPECT_NE(TalkScript(n), nullptr) << n;
    for (const Script *s : all) {
        SCOPED_TRACE(s->name);
        ASSERT_NE(s->commands, nullptr);
        ASSERT_GT(s->length, 0);
        // Reachable commands, and from each of them an ending must be reachable.
        std::vector<std::vector<int>> next((size_t)s->length);
        for (int p = 0; p < s->length; p++) {
            const ScriptCommand &c = s->commands[p];
            EXPECT_TRUE(kKnownCodes.count(c.code)) << "position " << p << " code " << (int)c.code;
            for (int q : Successors(c, p)) {
                EXPECT_TRUE(q >= 0 && q < s->length) << "position " << p << " goes to " << q;
                if (q >= 0 && q < s->length) next[(size_t)p].push_back(q);
            }
            if (kMessages.count(c.code) && c.text) {
                EXPECT_TRUE(FullWidthText(c.text)) << "position " << p;
            }
            if (c.code == 0x01 || c.code == 0x19) {
                EXPECT_NE(c.text, nullptr) << "position " << p;
            }
        }
        std::vector<bool> ends((size_t)s->length, false);
        for (bool changed = true; changed;) {
            changed = false;
            for (int p = 0; p < s->length; p++) {
                bool e = kEndings.count(s->commands[p].code) > 0;
                for (int q : next[(size_t)p]) e = e || ends[(size_t)q];
                if (e && !ends[(size_t)p]) changed = ends[(size_t)p] = true;
            }
        }
        for (int p = 0; p < s->length; p++) EXPECT_TRUE(ends[(size_t)p]) << "position " << p << " never ends";
    }
}

} // namespace
