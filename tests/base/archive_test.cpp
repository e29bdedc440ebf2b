// KLA archives made by the writer: opening from memory and from files, keys, names, folders,
// entry streams and searches, and a table of damaged archives that must fail cleanly.
#include "library/base/archive.h"
#include "library/base/archiveread.h"
#include "library/base/filefind.h"
#include "library/base/memory.h"

#include "file_fixture.h"
#include "platform/testing.h"
#include "tools/kla/kla_writer.h"

#include <cstring>
#include <functional>
#include <map>

namespace {

using namespace filetest;

const char kSjisName[] = "\x83\x5c\x83\x74\x83\x67.txt";  // ソフト.txt: a trail byte 0x5C

KlaNode SampleTree()
{
    return KlaFolder("", {
                             KlaFile("readme.txt", "hello archive"),
                             KlaFolder("Data", {KlaFile("a.bin", RandomBytes(5000, 1)),
                                                KlaFolder("Sub", {KlaFile("x.png", StructuredBytes(70000, 2))}),
                                                KlaFile("empty", Bytes{})}),
                             KlaFile(kSjisName, StructuredBytes(3000, 3)),
                             KlaFolder("abcd", {KlaFile("f", "four")}),
                         });
}

// Every file of a tree with its path inside the archive.
void CollectFiles(const KlaNode &n, const std::string &prefix, std::map<std::string, Bytes> *out)
{
    for (const KlaNode &c : n.children) {
        std::string path = prefix.empty() ? c.name : prefix + "\\" + c.name;
        if (c.directory) CollectFiles(c, path, out);
        else (*out)[path] = c.data;
    }
}

Bytes ReadEntry(ARCHIVEREC *rec, const std::string &path, int async, size_t chunk = 4096)
{
    ENTRYSTREAM s;
    Bytes out;
    if (OpenArchiveStream(&s, rec, path.c_str(), async) != 0) return {0xDE, 0xAD};
    uint8_t buf[8192];
    for (;;) {
        size_t n = ReadArchiveStream(&s, buf, chunk);
        if (n == 0) break;
        while (PollArchiveStream(&s) == 0) Sleep(0);
        out.insert(out.end(), buf, buf + n);
    }
    CloseArchiveStream(&s);
    return out;
}

struct Variant {
    int version;
    KlaPack pack;
};
const Variant kVariants[] = {{0, KlaPack::None},   {1, KlaPack::None},      {2, KlaPack::None},
                             {2, KlaPack::Always}, {3, KlaPack::WhenSmaller}, {3, KlaPack::Always}};

class Archive : public FileTest {};

TEST_F(Archive, MemoryImagesOfEveryVersionReadBackAndAreScrambledBackOnRelease)
{
    std::map<std::string, Bytes> files;
    CollectFiles(SampleTree(), "", &files);
    for (const Variant &v : kVariants) {
        KlaOptions o;
        o.version = v.version;
        o.pack = v.pack;
        Bytes original = BuildKlaImage(SampleTree(), o);
        Bytes image = original;
        ARCHIVEREC rec;
        ClearArchive(&rec);
        ASSERT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), 0) << v.version;
        EXPECT_EQ(WaitArchiveImage(&rec), image.data());
        EXPECT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), -1) << "already open";
        for (const auto &[path, data] : files) EXPECT_EQ(ReadEntry(&rec, path, 0), data) << path;
        ReleaseArchive(&rec);
        EXPECT_EQ(image, original);
        EXPECT_EQ(WaitArchiveImage(&rec), nullptr);
    }
}

TEST_F(Archive, FileArchivesReadTheSameBytesSyncAndAsync)
{
    std::map<std::string, Bytes> files;
    CollectFiles(SampleTree(), "", &files);
    for (const Variant &v : kVariants) {
        KlaOptions o;
        o.version = v.version;
        o.pack = v.pack;
        ASSERT_TRUE(WriteKlaFile(host / "t.kla", SampleTree(), o));
        ARCHIVEREC rec;
        ClearArchive(&rec);
        ASSERT_EQ(OpenArchiveFile(&rec, "t.kla", nullptr), 0);
        EXPECT_EQ(WaitArchiveImage(&rec), nullptr);
        for (const auto &[path, data] : files) {
            EXPECT_EQ(ReadEntry(&rec, path, 0), data) << path << " v" << v.version;
            EXPECT_EQ(ReadEntry(&rec, path, 1, 3333), data) << path << " async v" << v.version;
        }
        uint64_t position = 0;
        uint32_t size = 0;
        ASSERT_EQ(LocateArchiveEntry(&rec, "Data\\a.bin", &position, &size), 0);
        EXPECT_EQ(size, 5000u);
        if (v.pack == KlaPack::None) {
            // The stored bytes sit at that position, scrambled by their position.
            Bytes raw = ReadHostFile(host / "t.kla");
            ASSERT_LE(position + size, raw.size());
            Bytes bytes(raw.begin() + (long)position, raw.begin() + (long)(position + size));
            XorArchiveData(bytes.size(), bytes.data(), position, rec.key);
            EXPECT_EQ(bytes, files["Data\\a.bin"]);
        }
        CloseArchiveRecord(&rec);
    }
    ARCHIVEREC missing;
    ClearArchive(&missing);
    EXPECT_EQ(OpenArchiveFile(&missing, "missing.kla", nullptr), -1);
}

TEST_F(Archive, KeysFirstSecondAndKeyString)
{
    KlaOptions second;
    second.secondKey = true;
    Bytes image = BuildKlaImage(SampleTree(), second);
    ARCHIVEREC rec;
    ClearArchive(&rec);
    ASSERT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), 0);
    uint8_t key[ARCHIVE_KEY_SIZE];
    BuildArchiveSecondKey(key);
    EXPECT_EQ(memcmp(rec.key, key, sizeof key), 0) << "the second key is kept";
    EXPECT_EQ(ReadEntry(&rec, "readme.txt", 0), Bytes({'h', 'e', 'l', 'l', 'o', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'}));
    ReleaseArchive(&rec);

    KlaOptions keyed;
    keyed.keyString = "secret";
    WriteKlaFile(host / "k.kla", SampleTree(), keyed);
    ClearArchive(&rec);
    EXPECT_EQ(OpenArchiveFile(&rec, "k.kla", nullptr), -1) << "neither built-in key fits";
    EXPECT_EQ(OpenArchiveFile(&rec, "k.kla", "secret"), 0);
    EXPECT_EQ(ReadEntry(&rec, "abcd\\f", 0), Bytes({'f', 'o', 'u', 'r'}));
    CloseArchiveRecord(&rec);

    // A key string of 12 or more bytes uses its first 12.
    uint8_t a[ARCHIVE_KEY_SIZE], b[ARCHIVE_KEY_SIZE], c[ARCHIVE_KEY_SIZE];
    BuildArchiveKey("0123456789ABxyz", a);
    BuildArchiveKey("0123456789AB", b);
    BuildArchiveKey("0123", c);
    EXPECT_EQ(memcmp(a, b, sizeof a), 0);
    BuildArchiveKey("012301230123", b);
    EXPECT_EQ(memcmp(b, c, sizeof b), 0);
}

TEST_F(Archive, RefusedImagesAreLeftAsGiven)
{
    KlaOptions o;
    o.version = 3;
    Bytes image = BuildKlaImage(SampleTree(), o);
    // Version 4: unscramble, change the version, scramble again.
    uint8_t key[ARCHIVE_KEY_SIZE];
    BuildArchiveKey(nullptr, key);
    XorArchiveData(image.size(), image.data(), 0, key);
    image[2] = 4;
    XorArchiveData(image.size(), image.data(), 0, key);
    Bytes given = image;
    ARCHIVEREC rec;
    ClearArchive(&rec);
    EXPECT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), -1);
    EXPECT_EQ(image, given);
    Bytes noise = RandomBytes(100, 9);
    given = noise;
    EXPECT_EQ(OpenArchiveImage(&rec, noise.data(), noise.size(), nullptr), -1);
    EXPECT_EQ(noise, given);
    EXPECT_EQ(rec.image, nullptr);
}

TEST_F(Archive, NameKeys)
{
    ARCHIVENAMEKEY a, b;
    PackArchiveName("abc", &a);
    PackArchiveName("ABC\\ignored", &b);
    EXPECT_EQ(a.words, 1);
    EXPECT_EQ(a.sum, 'A' + 'B' + 'C');
    EXPECT_EQ(a.words, b.words);
    EXPECT_EQ(memcmp(a.packed, b.packed, 4), 0);
    PackArchiveName("abcd", &a);
    EXPECT_EQ(a.words, 2);
    EXPECT_EQ(memcmp(a.packed, "ABCD\0\0\0\0", 8), 0);
    // A Shift-JIS pair is kept as is, trail byte included ('a' = 0x61 stays, 0x5C does not split).
    PackArchiveName("\x82\x61x\x83\x5cy", &a);
    EXPECT_EQ(a.words, 2);
    EXPECT_EQ(memcmp(a.packed, "\x82\x61X\x83\x5cY\0\0", 8), 0);
    std::string huge(ARCHIVE_NAME_ROOM + 10, 'a');
    PackArchiveName(huge.c_str(), &a);
    EXPECT_EQ(a.words, 0) << "a component that does not fit matches nothing";
}

TEST_F(Archive, FoldersAndLookups)
{
    Bytes image = BuildKlaImage(SampleTree(), {});
    ARCHIVEREC rec;
    ClearArchive(&rec);
    ASSERT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), 0);
    EXPECT_EQ(ChangeArchiveDir(&rec, ".."), -1);
    EXPECT_EQ(rec.currentDir, 0u);
    EXPECT_EQ(ChangeArchiveDir(&rec, "data"), 0);
    uint32_t data = rec.currentDir;
    EXPECT_NE(data, 0u);
    EXPECT_EQ(ChangeArchiveDir(&rec, "SUB"), 0);
    EXPECT_EQ(ChangeArchiveDir(&rec, ".."), 0);
    EXPECT_EQ(rec.currentDir, data);
    EXPECT_EQ(ChangeArchiveDir(&rec, "\\"), 0);
    EXPECT_EQ(rec.currentDir, 0u);
    EXPECT_EQ(ChangeArchiveDir(&rec, "Data\\Sub\\"), 0);
    EXPECT_EQ(ChangeArchiveDir(&rec, "/abcd"), 0) << "a leading separator starts at the root";
    EXPECT_EQ(ChangeArchiveDir(&rec, "\\Data\\nothing\\Sub"), -1);
    EXPECT_EQ(rec.currentDir, data) << "the walk stops at the last folder entered";
    EXPECT_EQ(ChangeArchiveDir(&rec, "\\"), 0);
    EXPECT_EQ(ChangeArchiveDir(&rec, "readme.txt"), -1) << "a file is not a folder";

    ARCHIVEENTRY e;
    EXPECT_EQ(FindArchiveEntry(&rec, "DATA\\SUB\\X.PNG", &e), 0);
    EXPECT_EQ(e.size, 70000u);
    EXPECT_EQ(FindArchiveEntry(&rec, "Data\\Sub", &e), -1) << "folders only";
    EXPECT_EQ(FindArchiveEntry(&rec, "Data", &e), -1);
    EXPECT_EQ(FindArchiveEntry(&rec, "readme.txt\\x", &e), -1) << "a file in the middle names nothing";
    EXPECT_EQ(FindArchiveEntry(&rec, "data\\missing.png", &e), -1);
    EXPECT_EQ(FindArchiveEntry(&rec, kSjisName, &e), 0);
    EXPECT_EQ(FindArchiveEntry(&rec, "ABCD\\F", &e), 0);
    ChangeArchiveDir(&rec, "Data");
    EXPECT_EQ(FindArchiveEntry(&rec, "a.bin", &e), 0) << "looked up in the current folder";
    EXPECT_EQ(rec.currentDir, data) << "and the current folder is kept";
    ReleaseArchive(&rec);
}

TEST_F(Archive, StreamEndFlagAndSeekClamping)
{
    for (KlaPack pack : {KlaPack::None, KlaPack::Always}) {
        KlaOptions o;
        o.pack = pack;
        ASSERT_TRUE(WriteKlaFile(host / "s.kla", SampleTree(), o));
        ARCHIVEREC rec;
        ClearArchive(&rec);
        ASSERT_EQ(OpenArchiveFile(&rec, "s.kla", nullptr), 0);
        ENTRYSTREAM s;
        ASSERT_EQ(OpenArchiveStream(&s, &rec, "readme.txt", 0), 0);
        char buf[64];
        EXPECT_EQ(ReadArchiveStream(&s, buf, 64), 13u);
        EXPECT_EQ(EofArchiveStream(&s), 0) << "the read that reached the end leaves the flag clear";
        EXPECT_EQ(ReadArchiveStream(&s, buf, 1), 0u);
        EXPECT_EQ(EofArchiveStream(&s), -1);
        EXPECT_EQ(SeekArchiveStream(&s, 10, 2), 0);
        EXPECT_EQ(TellArchiveStream(&s), 13);
        EXPECT_EQ(EofArchiveStream(&s), 0);
        EXPECT_EQ(SeekArchiveStream(&s, -20, 1), 0);
        EXPECT_EQ(TellArchiveStream(&s), 0);
        EXPECT_EQ(SeekArchiveStream(&s, 6, 0), 0);
        EXPECT_EQ(ReadArchiveStream(&s, buf, 7), 7u);
        EXPECT_EQ(memcmp(buf, "archive", 7), 0);
        CloseArchiveStream(&s);
        ASSERT_EQ(OpenArchiveStream(&s, &rec, "Data\\empty", 1), 0);
        EXPECT_EQ(ReadArchiveStream(&s, buf, 1), 0u);
        EXPECT_EQ(EofArchiveStream(&s), -1);
        CloseArchiveStream(&s);
        EXPECT_EQ(OpenArchiveStream(&s, &rec, "Data", 0), -1);
        CloseArchiveRecord(&rec);
    }
}

std::vector<std::string> SearchNames(ARCHIVEREC *rec, const char *pattern)
{
    std::vector<std::string> names;
    FILEFINDINFO info;
    ENTRYSEARCH *s = BeginArchiveSearch(rec, pattern, &info);
    if (s == ARCHIVE_SEARCH_NONE) return names;
    // The search has already moved past its first match.
    names.push_back(info.name);
    while (NextArchiveSearchMatch(s, &info) == 0) {
        names.push_back(info.name);
        s->next++;
    }
    FreeMemBlock(s);
    return names;
}

TEST_F(Archive, SearchesAndWildcards)
{
    Bytes image = BuildKlaImage(SampleTree(), {});
    ARCHIVEREC rec;
    ClearArchive(&rec);
    ASSERT_EQ(OpenArchiveImage(&rec, image.data(), image.size(), nullptr), 0);
    using V = std::vector<std::string>;
    EXPECT_EQ(SearchNames(&rec, "data\\*"), (V{".", "..", "a.bin", "Sub", "empty"}));
    EXPECT_EQ(SearchNames(&rec, "*"), (V{".", "readme.txt", "Data", kSjisName, "abcd"}));
    EXPECT_EQ(SearchNames(&rec, "*.TXT"), (V{"readme.txt", kSjisName}));
    EXPECT_EQ(SearchNames(&rec, "data\\sub\\x.*"), (V{"x.png"}));
    EXPECT_EQ(SearchNames(&rec, "nothing\\*"), V{});
    EXPECT_EQ(SearchNames(&rec, "*.zzz"), V{});

    FILEFINDINFO info;
    ENTRYSEARCH *s = BeginArchiveSearch(&rec, "Data\\a.bin", &info);
    ASSERT_NE(s, ARCHIVE_SEARCH_NONE);
    EXPECT_EQ(info.directory, 0);
    EXPECT_EQ(info.sizeLow, 5000u);
    EXPECT_EQ(info.sizeHigh, 0u);
    FreeMemBlock(s);
    s = BeginArchiveSearch(&rec, "SUB", &info);
    EXPECT_EQ(s, ARCHIVE_SEARCH_NONE) << "SUB lies in Data, not in the root";
    ReleaseArchive(&rec);

    const struct {
        const char *name, *pattern;
        int result;
    } cases[] = {
        {"A.TXT", "*.TXT", 0},  {"A.B.TXT", "*.TXT", -1}, {"ABC", "ABC*", -1}, {"ABCD", "ABC*", 0},
        {"AXB", "A?B", 0},      {"AB", "A?B", -1},        {"ABC", "ABC", 0},   {"ABC", "AB", -1},
        {"ABC", "**C", 0},      {"X\x83\x5cY", "X\x83\x5c?", 0}, {"X\x83\x5dY", "X\x83\x5c?", -1},
        {"ABC", "*", 0},        {"", "*", -1},
    };
    for (const auto &c : cases) EXPECT_EQ(MatchWildcard(c.name, c.pattern), c.result) << c.name << " ~ " << c.pattern;

    char name[64], folder[64];
    SplitArchivePath(name, folder, "A\\B/\x83\x5c.X");
    EXPECT_STREQ(name, "\x83\x5c.X");
    EXPECT_STREQ(folder, "A\\B");
}

// ---- damaged archives ------------------------------------------------------------------

uint32_t Get32(const Bytes &b, size_t at)
{
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
void Set32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = (uint8_t)(v >> (8 * i));
}

// Offsets into the unscrambled sample image (version 2: 44-byte entries). Entries in table
// order: 0 readme.txt, 1 Data, 2 the Shift-JIS file, 3 abcd, 4 a.bin, 5 Sub, 6 empty, 7 f,
// 8 x.png. Folders: 0 root, 1 Data, 2 abcd, 3 Sub.
struct Plain {
    Bytes b;
    size_t Block() const { return Get32(b, 12); }
    size_t Entry(int i) const { return Block() + Get32(b, 16) + (size_t)i * 44; }
    size_t Dir(int d) const { return Block() + Get32(b, 20) + (size_t)d * 16; }
};

enum Outcome { OpenFails, SomeEntriesFail, Any };

struct Damage {
    const char *what;
    Outcome outcome;
    std::function<void(Plain &)> apply;
};

TEST_F(Archive, DamagedArchivesFailCleanly)
{
    const Damage damages[] = {
        {"shorter than the head", OpenFails, [](Plain &p) { p.b.resize(20); }},
        {"empty", OpenFails, [](Plain &p) { p.b.clear(); }},
        {"cut in the header block", OpenFails, [](Plain &p) { p.b.resize(p.b.size() > 30 ? p.b.size() - 30 : 0); }},
        {"header block too large", OpenFails, [](Plain &p) { Set32(p.b, 4, 0x7FFFFFF0u); }},
        {"header block beyond the end", OpenFails, [](Plain &p) { Set32(p.b, 12, 0xFFFFFFF0u); }},
        {"file table beyond the block", Any, [](Plain &p) { Set32(p.b, 16, 0xFFFFFF00u); }},
        {"dir table beyond the block", OpenFails, [](Plain &p) { Set32(p.b, 20, Get32(p.b, 4) - 8); }},
        {"data area beyond the end", OpenFails, [](Plain &p) { Set32(p.b, 8, 0xFFFFFFF0u); }},
        {"data area moved", SomeEntriesFail, [](Plain &p) { Set32(p.b, 8, (uint32_t)p.b.size() - 10); }},
        {"root with a huge count", OpenFails, [](Plain &p) { Set32(p.b, p.Dir(0) + 8, 0x10000000u); }},
        {"root entries beyond the block", OpenFails, [](Plain &p) { Set32(p.b, p.Dir(0) + 12, 0xFFFFFFF0u); }},
        {"folder with a huge count", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Dir(1) + 8, 0x7FFFFFFFu); }},
        {"folder record beyond the table", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(1) + 32, 0x00FFFFF0u); }},
        {"parent points to itself", Any, [](Plain &p) { Set32(p.b, p.Dir(1) + 4, 16); }},
        {"parent beyond the table", Any, [](Plain &p) { Set32(p.b, p.Dir(3) + 4, 0x7FFFFFF0u); }},
        {"name offset beyond the block", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(0), 0xFFFFFFF0u); }},
        {"name word count huge", SomeEntriesFail,
         [](Plain &p) {
             size_t n = p.Block() + Get32(p.b, p.Entry(0));
             p.b[n] = 0xFF;
             p.b[n + 1] = 0xFF;
         }},
        {"stored name without its end", Any,
         [](Plain &p) {
             size_t end = p.Block() + Get32(p.b, 16);  // the name table ends where the file table starts
             p.b[end - 1] = 'z';
             p.b[end - 2] = 'z';
             p.b[end - 3] = 'z';
             p.b[end - 4] = 'z';
         }},
        {"entry data beyond the end", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(4) + 32, 0x7FFFFFF0u); }},
        {"entry size beyond the end", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(4) + 36, 0x7FFFFFF0u); }},
        {"entry size above 2 GB", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(6) + 36, 0x90000000u); }},
        {"packed size below the block head", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(4) + 40, 5); }},
        {"packed size beyond the end", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(4) + 40, 0x7FFFFFF0u); }},
        {"unpacked size unlike the block's", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(8) + 36, 69999); }},
        {"block head claims more", SomeEntriesFail,
         [](Plain &p) { Set32(p.b, Get32(p.b, 8) + Get32(p.b, p.Entry(8) + 32), 80000); }},
        // The head's size is more than its packed bytes can expand to: refused before any
        // buffer of that size is asked for.
        {"block and entry claim 1.8 GB", SomeEntriesFail,
         [](Plain &p) {
             Set32(p.b, p.Entry(8) + 36, 1800000000u);
             Set32(p.b, Get32(p.b, 8) + Get32(p.b, p.Entry(8) + 32), 1800000000u);
         }},
        {"block tokens damaged", Any,
         [](Plain &p) {
             size_t at = Get32(p.b, 8) + Get32(p.b, p.Entry(8) + 32);
             for (size_t i = at + 9; i < at + Get32(p.b, p.Entry(8) + 40); i += 7) p.b[i] = p.b[at + 8];
         }},
        {"stored entry said to be packed", SomeEntriesFail, [](Plain &p) { Set32(p.b, p.Entry(0) + 40, 13); }},
    };
    std::map<std::string, Bytes> files;
    CollectFiles(SampleTree(), "", &files);
    uint8_t key[ARCHIVE_KEY_SIZE];
    BuildArchiveKey(nullptr, key);
    for (const Damage &d : damages) {
        KlaOptions o;
        o.pack = KlaPack::WhenSmaller;
        Plain p{BuildKlaImage(SampleTree(), o)};
        XorArchiveData(p.b.size(), p.b.data(), 0, key);
        ASSERT_EQ(Get32(p.b, p.Entry(8) + 40) == ARCHIVE_STORED, false) << "x.png is packed";
        d.apply(p);
        XorArchiveData(p.b.size(), p.b.data(), 0, key);
        WriteHostFile(host / "d.kla", p.b);
        for (int fromFile = 0; fromFile < 2; fromFile++) {
            // An exact-size copy, so that the sanitizers see any read past it.
            Bytes image = p.b;
            ARCHIVEREC rec;
            ClearArchive(&rec);
            int opened = fromFile ? OpenArchiveFile(&rec, "d.kla", nullptr)
                                  : OpenArchiveImage(&rec, image.data(), image.size(), nullptr);
            if (d.outcome == OpenFails) {
                EXPECT_EQ(opened, -1) << d.what;
                if (!fromFile) {
                    EXPECT_EQ(image, p.b) << d.what << ": the image is given back";
                }
            }
            if (opened != 0) continue;
            int failures = 0;
            for (const auto &[path, data] : files) {
                for (int async = 0; async < 1 + fromFile; async++) {
                    ENTRYSTREAM s;
                    if (OpenArchiveStream(&s, &rec, path.c_str(), async) != 0) {
                        failures++;
                        continue;
                    }
                    Bytes buf(100000);
                    size_t n = ReadArchiveStream(&s, buf.data(), buf.size());
                    while (PollArchiveStream(&s) == 0) Sleep(0);
                    EXPECT_LE(n, buf.size());
                    CloseArchiveStream(&s);
                }
            }
            for (const char *walk : {"Data\\Sub", "..", "..", "..", "\\", "abcd\\..\\Data"}) ChangeArchiveDir(&rec, walk);
            for (const char *pattern : {"*", "Data\\*", "Data\\Sub\\*", "abcd\\*"}) SearchNames(&rec, pattern);
            if (d.outcome == SomeEntriesFail) {
                EXPECT_GT(failures, 0) << d.what << (fromFile ? " (file)" : " (memory)");
            }
            CloseArchiveRecord(&rec);
            // Nothing asks for more memory than the archive's data could fill.
            EXPECT_LT(PlatformTestTakeLargestHeapRequest(), (size_t)1 << 24) << d.what;
        }
    }
}

}  // namespace
