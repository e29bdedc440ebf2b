// The archive-aware file layer over a temporary current directory: which archive serves a
// path, the handle and archive tables, and the same bytes from archives as from plain files.
#include "library/base/arcfile.h"

#include "library/base/log.h"
#include "library/base/path.h"
#include "platform/testing.h"

#include "file_fixture.h"
#include "tools/kla/kla_writer.h"

#include <cstring>

namespace {

using namespace filetest;

// The folder "data" as an archive and as plain files with other contents, so a test sees which
// one served a read.
KlaNode DataTree(const std::string &marker)
{
    return KlaFolder("", {KlaFile("top.txt", marker + " top"),
                          KlaFolder("sub", {KlaFile("x.png", marker + " x"), KlaFile("big.bin", StructuredBytes(200000, 4))}),
                          KlaFolder("Mixed", {KlaFile("Case.TXT", marker + " case")})});
}

Bytes Text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

class ArcFile : public FileTest {
protected:
    void WritePlain(const std::string &folder, const std::string &marker)
    {
        WriteHostFile(host / folder / "top.txt", Text(marker + " top"));
        WriteHostFile(host / folder / "sub" / "x.png", Text(marker + " x"));
        WriteHostFile(host / folder / "sub" / "big.bin", StructuredBytes(200000, 4));
        WriteHostFile(host / folder / "Mixed" / "Case.TXT", Text(marker + " case"));
    }
};

TEST_F(ArcFile, ResolvesToTheShortestArchivePrefix)
{
    WriteKlaFile(host / "DATA.KLA", DataTree("archive"), {});
    WriteKlaFile(host / "DATA" / "SUB.KLA", KlaFolder("", {KlaFile("x.png", "inner")}), {});
    int number = -1;
    char archivePath[PATH_BUFFER_SIZE], inner[PATH_BUFFER_SIZE];
    ASSERT_EQ(ResolveArchivePath("data\\sub\\x.png", &number, archivePath, inner), 0);
    std::string upper = win;
    for (char &c : upper) c = (char)toupper((unsigned char)c);
    EXPECT_EQ(std::string(archivePath), upper + "\\DATA.KLA");
    EXPECT_STREQ(inner, "SUB\\X.PNG");
    EXPECT_EQ(ReadThrough("data\\sub\\x.png", 0), Text("archive x"));
    // Through the cached prefix, without probing again.
    ASSERT_EQ(ResolveArchivePath(".\\DATA/top.txt", &number, nullptr, inner), 0);
    EXPECT_STREQ(inner, "TOP.TXT");
    EXPECT_EQ(GetArchiveManager()->cachedPrefixLength, (int)upper.size() + 5);
    EXPECT_EQ(GetArchiveManager()->archiveCount, 1);
    // The file name itself is never tried as an archive.
    WriteKlaFile(host / "lone.KLA", DataTree("no"), {});
    EXPECT_EQ(ResolveArchivePath("lone", &number, nullptr, nullptr), -1);
}

TEST_F(ArcFile, ArchiveServesStoredAndPackedEntriesLikeThePlainFiles)
{
    WritePlain("plain", "archive");
    const std::string paths[] = {"top.txt", "sub\\x.png", "sub\\big.bin", "mixed\\case.txt"};
    for (KlaPack pack : {KlaPack::None, KlaPack::Always}) {
        for (int version : {1, 2, 3}) {
            if (version < 2 && pack != KlaPack::None) continue;
            InitArchiveManager();
            KlaOptions o;
            o.version = version;
            o.pack = pack;
            ASSERT_TRUE(WriteKlaFile(host / "Data.kla", DataTree("archive"), o));
            for (const std::string &p : paths) {
                Bytes plain = ReadThrough(("plain\\" + p).c_str(), 0);
                ASSERT_FALSE(plain.empty());
                for (int async = 0; async < 2; async++) {
                    bool opened = false;
                    EXPECT_EQ(ReadThrough(("DATA\\" + p).c_str(), async, &opened), plain) << p << " v" << version;
                    EXPECT_TRUE(opened);
                }
            }
            EXPECT_EQ(GetArchiveManager()->archiveCount, 1);
        }
    }
}

TEST_F(ArcFile, PlainFilesWhenNoArchiveAndNoFallBackWhenOne)
{
    WritePlain("data", "disk");
    EXPECT_EQ(ReadThrough("data\\sub\\x.png", 0), Text("disk x"));
    EXPECT_EQ(ReadThrough("DATA\\SUB\\X.PNG", 1), Text("disk x")) << "mixed case on the host";
    EXPECT_EQ(GetArchiveManager()->archiveCount, 0);
    WriteKlaFile(host / "dAtA.Kla", KlaFolder("", {KlaFile("top.txt", "archive top")}), {});
    // The layer remembers that "data" had no archive until it is told that archives changed (or
    // the directory changes).
    EXPECT_EQ(ReadThrough("data\\top.txt", 0), Text("disk top"));
    ForgetArchiveProbes();
    EXPECT_EQ(ReadThrough("data\\top.txt", 0), Text("archive top"));
    bool opened = true;
    ReadThrough("data\\sub\\x.png", 0, &opened);
    EXPECT_FALSE(opened) << "an entry missing from an archive that opened is not looked for on disk";
    EXPECT_EQ(ReadThrough("Data\\Mixed\\Case.txt", 0, &opened), Bytes{});
    EXPECT_FALSE(opened);
}

TEST_F(ArcFile, MixedCaseFolderAndArchiveNames)
{
    // The archive lies in a folder whose name differs in case from the path asked for.
    std::filesystem::create_directories(host / "Game" / "Res");
    WriteKlaFile(host / "Game" / "Res" / "Img.KlA", DataTree("mixed"), {KlaOptions{2, KlaPack::Always, "", false}});
    EXPECT_EQ(ReadThrough("game\\RES\\img\\Mixed\\CASE.txt", 0), Text("mixed case"));
    EXPECT_EQ(ReadThrough("GAME/res/IMG/sub/X.PNG", 1), Text("mixed x"));
    char full[PATH_BUFFER_SIZE];
    ASSERT_EQ(SetCurrentDirectoryA("game\\res") ? 0 : -1, 0);
    EXPECT_EQ(ReadThrough("img\\top.txt", 0), Text("mixed top"));
    EXPECT_EQ(ReadThrough("..\\RES\\IMG\\TOP.TXT", 0), Text("mixed top"));
    ASSERT_EQ(BuildArchiveFullPath(full, "img\\..\\x"), 0);
    EXPECT_EQ(std::string(full).substr(std::string(full).size() - 10), "GAME\\RES\\X");
}

TEST_F(ArcFile, HandlesAndTheOpenFileLimit)
{
    WriteKlaFile(host / "data.kla", DataTree("a"), {});
    SetLogStartDirectory(win.c_str());
    PlatformTestCaptureDebugOutput(true);
    EXPECT_EQ(ArcFileOpen("data\\missing", 0, 0, 0), 0u);
    EXPECT_EQ(ArcFileOpen("nofile.txt", 0, 0, 0), 0u);
    std::vector<uintptr_t> handles;
    for (int i = 0; i < ARC_MAX_FILES; i++) {
        uintptr_t h = ArcFileOpen("data\\top.txt", 0, 0, 0);
        ASSERT_EQ(h, (uintptr_t)i | ARC_HANDLE_FLAG);
        handles.push_back(h);
    }
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "");
    EXPECT_EQ(ArcFileOpen("data\\top.txt", 0, 0, 0), 0u);
    EXPECT_NE(PlatformTestTakeDebugOutput().find("同時に開けるファイルの数が限界を超えました"), std::string::npos);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, ARC_MAX_FILES);
    EXPECT_EQ(ArcFileClose(handles[7]), 0);
    EXPECT_EQ(ArcFileClose(handles[7]), -1) << "a free slot";
    EXPECT_EQ(ArcFileOpen("data\\top.txt", 0, 0, 0), handles[7]);
    for (uintptr_t h : handles) EXPECT_EQ(ArcFileClose(h), 0);
    // No memory for the file's slot.
    PlatformTestFailAllocations(1);
    EXPECT_EQ(ArcFileOpen("data\\top.txt", 0, 0, 0), 0u);
    PlatformTestFailAllocations(0);
    EXPECT_NE(PlatformTestTakeDebugOutput().find("ファイルの情報を格納するメモリの確保に失敗しました"), std::string::npos);
    EXPECT_EQ(GetArchiveManager()->fileCount, 0);
    PlatformTestCaptureDebugOutput(false);
    SetLogStartDirectory(nullptr);

    // Stale and foreign handles fail every operation.
    char b;
    for (uintptr_t bad : {(uintptr_t)0, handles[3], (uintptr_t)0x12345678, (uintptr_t)ARC_HANDLE_FLAG | 600,
                          ((uintptr_t)1 << 40) | ARC_HANDLE_FLAG}) {
        EXPECT_EQ(ArcFileTell(bad), -1);
        EXPECT_EQ(ArcFileSeek(bad, 0, 0), -1);
        EXPECT_EQ(ArcFileRead(&b, 1, 1, bad), -1);
        EXPECT_EQ(ArcFileEof(bad), -1);
        EXPECT_EQ(ArcFileIsIdle(bad), -1);
        EXPECT_EQ(ArcFileClose(bad), -1);
    }
}

TEST_F(ArcFile, ArchivesStayOpenUntilTheTableFillsOrTheEnd)
{
    WriteKlaFile(host / "data.kla", DataTree("a"), {});
    uintptr_t h = ArcFileOpen("data\\top.txt", 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 1);
    ArcFileClose(h);
    EXPECT_EQ(GetArchiveManager()->archiveCount, 1);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 0);
    // A failed open gives its reference back.
    EXPECT_EQ(ArcFileOpen("data\\none", 0, 0, 0), 0u);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 0);

    // Fill the archive table with other archives: the unused one is closed to make room.
    for (int i = 0; i < ARC_MAX_ARCHIVES; i++) {
        std::string name = "a" + std::to_string(i);
        WriteKlaFile(host / (name + ".kla"), KlaFolder("", {KlaFile("f", name)}), {});
    }
    std::vector<uintptr_t> open;
    for (int i = 0; i < ARC_MAX_ARCHIVES - 1; i++) {
        uintptr_t f = ArcFileOpen(("a" + std::to_string(i) + "\\f").c_str(), 0, 0, 0);
        ASSERT_NE(f, 0u) << i;
        open.push_back(f);
    }
    EXPECT_EQ(GetArchiveManager()->archiveCount, ARC_MAX_ARCHIVES);
    // The last one is held by a search, so that a file slot stays free.
    FILEFINDINFO info;
    uintptr_t last = ArcFindFirst("a511\\*", &info);
    ASSERT_NE(last, FILE_SEARCH_NONE);
    EXPECT_EQ(GetArchiveManager()->archiveCount, ARC_MAX_ARCHIVES) << "data.kla made room";
    // Every archive in use: a new one cannot open, and the path is tried as a plain file.
    WritePlain("data", "disk");
    EXPECT_EQ(ReadThrough("data\\top.txt", 0), Text("disk top"));
    for (uintptr_t f : open) ArcFileClose(f);
    ArcFindClose(last);
    EXPECT_EQ(ShutdownArchives(), 0);
    EXPECT_EQ(GetArchiveManager()->archiveCount, 0);
}

TEST_F(ArcFile, ReadsCountWholeElementsAndSeeksClamp)
{
    WriteKlaFile(host / "data.kla", KlaFolder("", {KlaFile("nine", "123456789")}), {KlaOptions{2, KlaPack::Always, "", false}});
    WriteHostFile(host / "plain" / "nine", Text("123456789"));
    for (const char *path : {"data\\nine", "plain\\nine"}) {
        uintptr_t h = OpenDataFile(path, 0, 0, 0);
        ASSERT_NE(h, 0u);
        char buf[64] = {};
        EXPECT_EQ(ReadDataFile(buf, 4, 10, h), 2) << path;
        EXPECT_EQ(TellDataFile(h), 8);
        EXPECT_EQ(ReadDataFile(buf, 8, 1, h), 0) << path;
        EXPECT_EQ(EofDataFile(h), -1);
        EXPECT_EQ(SeekDataFile(h, 0, 0), 0);
        EXPECT_EQ(EofDataFile(h), 0);
        EXPECT_EQ(ReadDataFile(buf, 9, 1, h), 1) << path;
        EXPECT_EQ(IsDataFileIdle(h), 1);
        CloseDataFile(h);
    }
}

TEST_F(ArcFile, SearchesThroughTheLayer)
{
    WriteKlaFile(host / "data.kla", DataTree("a"), {});
    WritePlain("plain", "p");
    FILEFINDINFO info;
    uintptr_t s = ArcFindFirst("data\\sub\\*", &info);
    ASSERT_NE(s, FILE_SEARCH_NONE);
    std::vector<std::string> names{info.name};
    while (ArcFindNext(s, &info) == 0) names.push_back(info.name);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "x.png", "big.bin"}));
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 1);
    EXPECT_EQ(ArcFindClose(s), 0);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 0);
    EXPECT_EQ(ArcFindFirst("data\\nothing\\*", &info), FILE_SEARCH_NONE);
    EXPECT_EQ(GetArchiveManager()->archives[0]->refCount, 0);
    s = ArcFindFirst("plain\\sub\\x.*", &info);
    ASSERT_NE(s, FILE_SEARCH_NONE);
    EXPECT_STREQ(info.name, "x.png");
    EXPECT_EQ(ArcFindClose(s), 0);
}

}  // namespace

namespace {

using namespace filetest;

class KlaPackFolder : public FileTest {};

// The writer's folder walk: host (UTF-8) names become the archive's Shift-JIS names, and the
// archive then serves the same bytes as the folder, under any case of the path.
TEST_F(KlaPackFolder, FolderTreeBecomesAnArchive)
{
    Bytes image = StructuredBytes(50000, 11);
    WriteHostFile(host / "src" / "Sub" / "Pic.PNG", image);
    // u8: host names are UTF-8, while plain literals become Shift-JIS.
    WriteHostFile(host / "src" / std::filesystem::path(u8"ソフト") / std::filesystem::path(u8"表.txt"), Bytes{'s', 'j'});
    WriteHostFile(host / "src" / "top.txt", Bytes{'t'});
    KlaNode tree = ReadKlaFolder(host / "src");
    ASSERT_EQ(tree.children.size(), 3u);
    for (KlaPack pack : {KlaPack::None, KlaPack::WhenSmaller}) {
        InitArchiveManager();
        ASSERT_TRUE(WriteKlaFile(host / "Pack.kla", tree, KlaOptions{3, pack, "", false}));
        EXPECT_EQ(ReadThrough("pack\\sub\\pic.png", 0), image);
        EXPECT_EQ(ReadThrough("PACK\\SUB\\PIC.PNG", 1), image);
        EXPECT_EQ(ReadThrough("pack\\\x83\x5c\x83\x74\x83\x67\\\x95\x5c.txt", 0), (Bytes{'s', 'j'}));
        EXPECT_EQ(ReadThrough("Pack\\Top.txt", 0), Bytes{'t'});
    }
    FILEFINDINFO info;
    uintptr_t s = ArcFindFirst("pack\\sub\\*.png", &info);
    ASSERT_NE(s, FILE_SEARCH_NONE);
    EXPECT_STREQ(info.name, "Pic.PNG") << "searches give the stored case";
    EXPECT_GE(info.writeTime.year, 2020) << "the folder's file times are kept";
    ArcFindClose(s);
}

}  // namespace
