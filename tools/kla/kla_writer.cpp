// The archive writer. Layout: head at 0, the data area right after it, then the header block
// (name table, file table, directory table). Every folder's entries are contiguous in the file
// table; folders are laid out breadth first, the root's record first in the directory table.
#include "tools/kla/kla_writer.h"

#include "library/base/archive.h"
#include "library/base/archivekey.h"
#include "platform/kernel32/paths.h"
#include "tools/lz/lz_encoder.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <stdexcept>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes &b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

void Put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

void Put64(Bytes &b, size_t at, uint64_t v)
{
    for (int i = 0; i < 8; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

bool IsLead(uint8_t c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Name record: word count, byte sum of the packed name, the packed name, the stored name.
uint32_t AddName(Bytes &names, const std::string &name)
{
    Bytes packed;
    for (size_t i = 0; i < name.size(); i++) {
        uint8_t c = (uint8_t)name[i];
        if (IsLead(c) && i + 1 < name.size()) {
            packed.push_back(c);
            packed.push_back((uint8_t)name[++i]);
        } else {
            packed.push_back(c >= 'a' && c <= 'z' ? (uint8_t)(c - 'a' + 'A') : c);
        }
    }
    size_t words = packed.size() / 4 + 1;
    uint32_t sum = 0;
    for (uint8_t c : packed) sum += c;
    packed.resize(words * 4, 0);
    uint32_t at = (uint32_t)names.size();
    size_t record = 4 + packed.size() + name.size() + 1;
    names.resize(at + ((record + 3) & ~(size_t)3), 0);
    Put16(names, at, (uint32_t)words);
    Put16(names, at + 2, sum & 0xFFFF);
    memcpy(names.data() + at + 4, packed.data(), packed.size());
    memcpy(names.data() + at + 4 + packed.size(), name.data(), name.size());
    return at;
}

struct Folder {
    const KlaNode *node;
    uint32_t dirOffset;
    uint32_t parentOffset;
    uint32_t ownEntry;
};

}  // namespace

KlaNode KlaFile(const std::string &name, std::vector<uint8_t> data)
{
    KlaNode n;
    n.name = name;
    n.data = std::move(data);
    return n;
}

KlaNode KlaFile(const std::string &name, const std::string &text)
{
    return KlaFile(name, Bytes(text.begin(), text.end()));
}

KlaNode KlaFolder(const std::string &name, std::vector<KlaNode> children)
{
    KlaNode n;
    n.name = name;
    n.directory = true;
    n.children = std::move(children);
    return n;
}

// FILETIME: 100 ns ticks since 1601.
static uint64_t FileTimeOf(const std::filesystem::directory_entry &e)
{
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::file_clock::to_sys(e.last_write_time()).time_since_epoch())
                       .count();
    return (uint64_t)(seconds + 11644473600LL) * 10000000ULL;
}

// Host names are UTF-8; the archive keeps the library's Shift-JIS names.
static std::string ArchiveName(const std::filesystem::path &p)
{
    std::string sjis, utf8 = p.filename().string();
    if (!PlatformUtf8ToShiftJis(utf8, &sjis)) throw std::runtime_error("name not writable in Shift-JIS: " + utf8);
    return sjis;
}

KlaNode ReadKlaFolder(const std::filesystem::path &folder)
{
    KlaNode root;
    root.directory = true;
    root.name = ArchiveName(folder);
    std::vector<std::filesystem::directory_entry> entries(std::filesystem::directory_iterator(folder), {});
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.path().filename() < b.path().filename(); });
    for (const auto &e : entries) {
        if (e.is_directory()) {
            root.children.push_back(ReadKlaFolder(e.path()));
            root.children.back().writeTime = root.children.back().creationTime = FileTimeOf(e);
        } else if (e.is_regular_file()) {
            KlaNode file;
            file.name = ArchiveName(e.path());
            std::ifstream in(e.path(), std::ios::binary);
            file.data.assign(std::istreambuf_iterator<char>(in), {});
            file.writeTime = file.creationTime = FileTimeOf(e);
            root.children.push_back(std::move(file));
        }
    }
    return root;
}

Bytes BuildKlaImage(const KlaNode &root, const KlaOptions &options)
{
    if (options.version < 0 || options.version > ARCHIVE_MAX_VERSION) throw std::invalid_argument("version");
    const uint32_t stride = options.version < 2 ? ARCHIVE_ENTRY_SIZE_V1 : ARCHIVE_ENTRY_SIZE;

    // Folders breadth first: each gets its directory record and a contiguous run of entries.
    std::vector<Folder> folders;
    std::deque<size_t> queue;
    folders.push_back({&root, 0, ARCHIVE_NO_PARENT, ARCHIVE_NO_PARENT});
    queue.push_back(0);
    std::vector<std::pair<const KlaNode *, size_t>> entries;  // node, owning folder
    std::vector<uint32_t> firstEntry;
    while (!queue.empty()) {
        size_t f = queue.front();
        queue.pop_front();
        if (firstEntry.size() <= f) firstEntry.resize(f + 1);
        firstEntry[f] = (uint32_t)entries.size() * stride;
        for (const KlaNode &child : folders[f].node->children) {
            entries.push_back({&child, f});
            if (child.directory) {
                folders.push_back({&child, (uint32_t)folders.size() * ARCHIVE_DIR_SIZE, folders[f].dirOffset,
                                   (uint32_t)(entries.size() - 1) * stride});
                queue.push_back(folders.size() - 1);
            }
        }
    }

    Bytes data, names, fileTable(entries.size() * stride, 0), dirTable(folders.size() * ARCHIVE_DIR_SIZE, 0);
    size_t nextFolder = 1;
    for (size_t i = 0; i < entries.size(); i++) {
        const KlaNode &n = *entries[i].first;
        size_t at = i * stride;
        Put32(fileTable, at, AddName(names, n.name));
        Put32(fileTable, at + 4, n.directory ? ARCHIVE_ATTR_DIRECTORY : 0x20u);
        Put64(fileTable, at + 8, n.creationTime);
        Put64(fileTable, at + 16, n.writeTime);
        Put64(fileTable, at + 24, n.writeTime);
        if (n.directory) {
            // Folders were numbered in the same breadth-first order.
            while (folders[nextFolder].node != &n) nextFolder++;
            Put32(fileTable, at + 32, folders[nextFolder].dirOffset);
            Put32(fileTable, at + 36, 0);
            if (stride == ARCHIVE_ENTRY_SIZE) Put32(fileTable, at + 40, ARCHIVE_STORED);
            continue;
        }
        uint32_t packedSize = ARCHIVE_STORED;
        Bytes block;
        if (options.version >= 2 && options.pack != KlaPack::None) {
            block = EncodeLzBlock(n.data.data(), n.data.size());
            if (options.pack == KlaPack::Always || block.size() < n.data.size()) packedSize = (uint32_t)block.size();
        }
        Put32(fileTable, at + 32, (uint32_t)data.size());
        Put32(fileTable, at + 36, (uint32_t)n.data.size());
        if (stride == ARCHIVE_ENTRY_SIZE) Put32(fileTable, at + 40, packedSize);
        if (packedSize != ARCHIVE_STORED) data.insert(data.end(), block.begin(), block.end());
        else data.insert(data.end(), n.data.begin(), n.data.end());
    }
    for (size_t f = 0; f < folders.size(); f++) {
        size_t at = f * ARCHIVE_DIR_SIZE;
        Put32(dirTable, at, folders[f].ownEntry);
        Put32(dirTable, at + 4, folders[f].parentOffset);
        Put32(dirTable, at + 8, (uint32_t)folders[f].node->children.size());
        Put32(dirTable, at + 12, firstEntry[f]);
    }

    Bytes image(ARCHIVE_HEAD_SIZE, 0);
    uint32_t dataOffset = ARCHIVE_HEAD_SIZE;
    image.insert(image.end(), data.begin(), data.end());
    while (image.size() % 4) image.push_back(0);
    uint32_t blockOffset = (uint32_t)image.size();
    uint32_t fileTableOffset = (uint32_t)names.size();
    uint32_t dirTableOffset = fileTableOffset + (uint32_t)fileTable.size();
    image.insert(image.end(), names.begin(), names.end());
    image.insert(image.end(), fileTable.begin(), fileTable.end());
    image.insert(image.end(), dirTable.begin(), dirTable.end());
    image[0] = 'K';
    image[1] = 'L';
    Put16(image, 2, (uint32_t)options.version);
    Put32(image, 4, (uint32_t)(image.size() - blockOffset));
    Put32(image, 8, dataOffset);
    Put32(image, 12, blockOffset);
    Put32(image, 16, fileTableOffset);
    Put32(image, 20, dirTableOffset);

    uint8_t key[ARCHIVE_KEY_SIZE];
    if (options.secondKey) BuildArchiveSecondKey(key);
    else BuildArchiveKey(options.keyString.empty() ? nullptr : options.keyString.c_str(), key);
    XorArchiveData(image.size(), image.data(), 0, key);
    return image;
}

bool WriteKlaFile(const std::filesystem::path &file, const KlaNode &root, const KlaOptions &options)
{
    Bytes image = BuildKlaImage(root, options);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write((const char *)image.data(), (std::streamsize)image.size());
    return (bool)out;
}
