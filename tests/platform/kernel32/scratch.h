// A fresh host folder per test, made current for the test's duration.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kelmor-platform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(root_);
    }
    // Creates a host file (UTF-8 path relative to the scratch folder) with the given bytes.
    void MakeFile(const std::string &relative, const std::string &bytes = "")
    {
        std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // The scratch folder as the library sees it: "C:\tmp\kelmor-platform-...".
    std::string WindowsRoot() const
    {
        std::string out = "C:" + root_.string();
        for (char &c : out)
            if (c == '/')
                c = '\\';
        return out;
    }
    std::filesystem::path root_;
    std::filesystem::path previous_;
};

// A UTF-8 literal as plain chars (u8 literals stay UTF-8 whatever the execution set).
inline std::string Utf8(const char8_t *text) { return reinterpret_cast<const char *>(text); }
