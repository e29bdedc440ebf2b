// Shared fixtures of the file tests: a temporary folder that is the current directory while a
// test runs, seen both as a host path and as the library's Windows path.
#pragma once

#include "library/base/arcfile.h"
#include "library/base/filefind.h"
#include "library/base/stream.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace filetest {

using Bytes = std::vector<uint8_t>;

inline Bytes RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(size);
    for (auto &c : b) c = (uint8_t)rng();
    return b;
}

// Compressible bytes: runs and repeated rows.
inline Bytes StructuredBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < size) {
        uint8_t v = (uint8_t)rng();
        size_t run = 1 + rng() % 40;
        for (size_t i = 0; i < run && b.size() < size; i++) b.push_back((uint8_t)(v + (i & 3)));
    }
    return b;
}

inline Bytes ReadHostFile(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteHostFile(const std::filesystem::path &p, const Bytes &b)
{
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write((const char *)b.data(), (std::streamsize)b.size());
}

// A fresh folder under the host's temporary folder, made the current directory; the archive
// layer starts clear and the archive-aware set is selected.
class FileTest : public ::testing::Test {
protected:
    std::filesystem::path host;  // host path of the folder
    std::string win;             // the same as the library sees it ("C:\...")
    std::filesystem::path previous;

    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmor-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        host = pattern;
        ASSERT_TRUE(PlatformHostToWindowsPath(host.string(), &win));
        previous = std::filesystem::current_path();
        ASSERT_TRUE(SetCurrentDirectoryA(win.c_str()));
        InitArchiveManager();
        SetUsePlainFiles(0);
        SelectFileFunctions(nullptr);
    }

    void TearDown() override
    {
        InitArchiveManager();
        std::filesystem::current_path(previous);
        std::error_code error;
        std::filesystem::remove_all(host, error);
    }

    // Reads a whole file through the selected file functions, synchronously or not.
    static Bytes ReadThrough(const char *path, int async, bool *opened = nullptr)
    {
        Bytes out;
        uintptr_t h = OpenDataFile(path, 0, 0, async);
        if (opened != nullptr) *opened = h != 0;
        if (h == 0) return out;
        SeekDataFile(h, 0, 2);
        int size = TellDataFile(h);
        SeekDataFile(h, 0, 0);
        out.resize((size_t)size);
        size_t done = 0;
        while (done < out.size()) {
            size_t chunk = std::min<size_t>(out.size() - done, 7000);
            int n = ReadDataFile(out.data() + done, 1, chunk, h);
            if (n <= 0) break;
            while (IsDataFileIdle(h) != 1) Sleep(0);
            done += (size_t)n;
        }
        out.resize(done);
        CloseDataFile(h);
        return out;
    }
};

}  // namespace filetest
