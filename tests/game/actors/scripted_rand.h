// A scripted source for the game's random draws (GameRand): the test lists the values the code
// must draw, in order. Drawing past the end, or leaving values undrawn, fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>

#include "game/frame/game_random.h"

class ScriptedRand {
public:
    explicit ScriptedRand(std::initializer_list<int> values = {}) : values_(values) {
        EXPECT_EQ(current_, nullptr) << "one scripted random source at a time";
        current_ = this;
        SetGameRandSource(Draw);
    }
    ~ScriptedRand() {
        EXPECT_TRUE(values_.empty()) << values_.size() << " scripted random values left undrawn";
        SetGameRandSource(nullptr);
        current_ = nullptr;
    }
    ScriptedRand(const ScriptedRand &) = delete;
    ScriptedRand &operator=(const ScriptedRand &) = delete;

    void Add(std::initializer_list<int> values) { values_.insert(values_.end(), values); }
    size_t Left() const { return values_.size(); }

private:
    static int Draw() {
        if (current_->values_.empty()) {
            ADD_FAILURE() << "a random value was drawn past the script";
            return 0;
        }
        int v = current_->values_.front();
        current_->values_.pop_front();
        return v;
    }
    static inline ScriptedRand *current_ = nullptr;
    std::deque<int> values_;
};
