// The screen-mode change's fall-back chain under scripted refusals.
#include "library/graphics/screen_mode_chain.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::string Name(const SCREENMODE &m) {
    return std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.bits) + "@" +
           std::to_string(m.refresh) + (m.emulation320 ? "e" : "");
}

struct Refusals {
    std::set<std::string> refused;
    std::vector<std::string> tried;
};

int Start(const SCREENMODE &m, void *context) {
    auto *r = static_cast<Refusals *>(context);
    r->tried.push_back(Name(m));
    return r->refused.count(Name(m)) ? -1 : 0;
}

TEST(ScreenModeChain, WalksItsFallBacksUnderRefusals) {
    const SCREENMODE previous{800, 600, 32, 60, 0};
    struct Case {
        SCREENMODE request;
        std::set<std::string> refused;
        std::vector<std::string> tried;  // in order; the last one started unless `fails`
        bool fails;
    } cases[] = {
        {{1024, 768, 32, 0, 0}, {}, {"1024x768x32@0"}, false},
        {{1024, 768, 32, 0, 0}, {"1024x768x32@0"}, {"1024x768x32@0", "800x600x32@60"}, false},
        // 320 x 240 goes to 640 x 480 with the emulation first.
        {{320, 240, 16, 0, 0}, {"320x240x16@0"}, {"320x240x16@0", "640x480x16@0e"}, false},
        {{320, 240, 16, 0, 0},
         {"320x240x16@0", "640x480x16@0e"},
         {"320x240x16@0", "640x480x16@0e", "800x600x32@60"},
         false},
        // Everything refused but the last resort.
        {{1024, 768, 32, 75, 0},
         {"1024x768x32@75", "800x600x32@60"},
         {"1024x768x32@75", "800x600x32@60", "640x480x16@0"},
         false},
        // Nothing starts: the caller ends the program.
        {{320, 240, 32, 0, 0},
         {"320x240x32@0", "640x480x32@0e", "800x600x32@60", "640x480x16@0"},
         {"320x240x32@0", "640x480x32@0e", "800x600x32@60", "640x480x16@0"},
         true},
    };
    for (const Case &c : cases) {
        SCREENMODE chain[kScreenModeChainMax];
        const int n = BuildScreenModeChain(c.request, previous, chain);
        Refusals r{c.refused, {}};
        const int started = WalkScreenModeChain(chain, n, Start, &r);
        EXPECT_EQ(r.tried, c.tried) << Name(c.request);
        if (c.fails) {
            EXPECT_EQ(started, -1);
        } else {
            ASSERT_GE(started, 0);
            EXPECT_EQ(Name(chain[started]), c.tried.back());
        }
    }
}

}  // namespace
