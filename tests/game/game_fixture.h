// A fresh working folder for the game's files, and the input record reset between tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/frame/game_input.h"

class GameFolderTest : public ::testing::Test {
public:
    void SetUp() override {
        saved_ = std::filesystem::current_path();
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("brisgal-game-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        GetGameInput() = GameInput{};
    }
    void TearDown() override {
        GetGameInput() = GameInput{};
        std::filesystem::current_path(saved_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::vector<uint8_t> ReadBytes(const std::string &name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void WriteBytes(const std::string &name, const std::vector<uint8_t> &b) const {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char *>(b.data()), (std::streamsize)b.size());
    }

    std::filesystem::path dir_, saved_;
};
