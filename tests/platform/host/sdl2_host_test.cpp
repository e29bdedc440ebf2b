// The SDL2 host on SDL's dummy video driver: a quit asked from outside the window reaches the
// windows as their close button would.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <memory>
#include <vector>

#include "platform/host/host.h"

namespace {

std::vector<host::Event> Closes(host::Host &h) {
    std::vector<host::Event> events, closes;
    h.PollEvents(events);
    for (const host::Event &e : events)
        if (e.kind == host::EventKind::Close) closes.push_back(e);
    return closes;
}

TEST(Sdl2Host, TerminationClosesEveryWindowOnce) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::unique_ptr<host::Host> h(host::CreateSdl2());
    ASSERT_NE(h, nullptr);
    for (uintptr_t id : {7u, 9u}) h->ShowWindowView(host::WindowView{id, "Brisgal", 0, 0, 64, 48, true, false, true});
    Closes(*h);  // whatever the windows' creation queued

    // SDL turns SIGTERM into its quit event; before, the host dropped it and the game ran on.
    ASSERT_EQ(raise(SIGTERM), 0);
    std::vector<host::Event> closes = Closes(*h);
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].window, 7u);
    EXPECT_EQ(closes[1].window, 9u);

    // Once the windows are gone a quit has nothing to close.
    h->RemoveWindowView(7);
    h->RemoveWindowView(9);
    ASSERT_EQ(raise(SIGTERM), 0);
    EXPECT_TRUE(Closes(*h).empty());
}

}  // namespace
