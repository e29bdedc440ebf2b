// Writes KLA archives: a tree of folders and files laid out and scrambled exactly as the
// library's archive reader reads them. Used by tools/kla-pack, the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct KlaNode {
    std::string name;  // as stored (its own case); bytes, Shift-JIS allowed
    bool directory = false;
    std::vector<uint8_t> data;      // files
    std::vector<KlaNode> children;  // folders
    uint64_t creationTime = 0;      // FILETIME ticks
    uint64_t writeTime = 0;
};

enum class KlaPack {
    None,        // every entry stored
    WhenSmaller, // packed when the LZ block is smaller than the data
    Always,      // every file packed (version 2 and later)
};

struct KlaOptions {
    int version = 2;            // 0-3 are readable; below 2 every entry is stored
    KlaPack pack = KlaPack::None;
    std::string keyString;      // empty: no key string
    bool secondKey = false;     // scramble with the second key instead
};

// A folder tree as a KlaNode (the root's name is ignored); entries sorted by name.
KlaNode ReadKlaFolder(const std::filesystem::path &folder);
// The whole archive image, scrambled.
std::vector<uint8_t> BuildKlaImage(const KlaNode &root, const KlaOptions &options);
// Builds the image and writes it; false when the file cannot be written.
bool WriteKlaFile(const std::filesystem::path &file, const KlaNode &root, const KlaOptions &options);

// Builders for tests.
KlaNode KlaFile(const std::string &name, std::vector<uint8_t> data);
KlaNode KlaFile(const std::string &name, const std::string &text);
KlaNode KlaFolder(const std::string &name, std::vector<KlaNode> children);
