// The hero model view's buttons and turn, over the game's input record (no model file: the
// handle stays -1 and the model calls refuse it).
#include "game/frame/hero_model_view.h"

#include "game/frame/game_input.h"
#include "game/frame/key_bindings.h"
#include "game_fixture.h"

namespace {

class HeroModelViewTest : public GameFolderTest {
public:
    void SetUp() override {
        GameFolderTest::SetUp();
        SetDefaultKeyBindings();
        GetGameInput().ClearInputCounters();
    }
    // One frame with the given keys down, then the view's update.
    void Frame(std::initializer_list<int> keys) {
        char states[256] = {};
        for (int k : keys) states[k] = 1;
        GameInput &in = GetGameInput();
        in.UpdateKeyCountersFrom(states);
        in.UpdatePadCountersFrom(0);
        UpdateHeroModel(view, in);
    }
    HeroModelView view;
};

TEST_F(HeroModelViewTest, ShotTogglesTheTurnAndRightWinsOverLeft) {
    Frame({GAMEKEY_X});
    EXPECT_EQ(view.turning, 1);
    EXPECT_EQ(view.angle, 0.5f);
    Frame({GAMEKEY_X});  // held: no second toggle
    EXPECT_EQ(view.turning, 1);
    Frame({GAMEKEY_LEFT, GAMEKEY_RIGHT});
    EXPECT_EQ(view.direction, 0);
    EXPECT_EQ(view.angle, 0.5f);
    Frame({});
    Frame({GAMEKEY_LEFT});
    EXPECT_EQ(view.direction, 1);
    Frame({GAMEKEY_X});
    EXPECT_EQ(view.turning, 0);
    const float stopped = view.angle;
    Frame({});
    EXPECT_EQ(view.angle, stopped);
}

TEST_F(HeroModelViewTest, AFullTurnTakes720Frames) {
    Frame({GAMEKEY_X});
    for (int i = 1; i < 720; ++i) Frame({});
    EXPECT_EQ(view.angle, 360.0f);
    EXPECT_EQ(view.model, -1);
}

}  // namespace
