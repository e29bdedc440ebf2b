// Disk files in plain and thread mode: element reads, seeks past the end, asynchronous reads,
// the read-ahead cache, and a missing file that must leave no thread behind.
#include "library/base/diskfile.h"

#include "library/base/log.h"
#include "platform/testing.h"

#include "file_fixture.h"

#include <cstring>

namespace {

using namespace filetest;

class DiskFile : public FileTest {};

struct Mode {
    int useCache, async;
};
const Mode kModes[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

// Reads and, for an asynchronous file, waits until the data is in.
int ReadAndWait(void *buffer, size_t elemSize, size_t count, DISKFILE *f)
{
    int n = DiskFileRead(buffer, elemSize, count, f);
    while (DiskFileIsIdle(f) != 1) Sleep(0);
    return n;
}

TEST_F(DiskFile, ElementReadsAgreeInEveryMode)
{
    Bytes content = RandomBytes(1000, 5);
    WriteHostFile(host / "e.bin", content);
    struct Case {
        int start;
        size_t elemSize, count;
        int result, endFlag, position;
    } cases[] = {
        {991, 4, 10, 2, 0, 999},    // 9 bytes left: two elements, one byte short of the end
        {997, 8, 1, 0, -1, 997},    // 3 bytes left: nothing, the end flag
        {1000, 1, 1, 0, -1, 1000},  // at the end
        {0, 0, 1, 0, 0, 0},         // element size 0
        {5000, 1, 10, 0, -1, 5000}, // a seek past the end reads as the end, never a huge count
        {0, 250, 4, 4, 0, 1000},    // exactly to the end
    };
    for (const Mode &m : kModes) {
        for (const Case &c : cases) {
            DISKFILE *f = DiskFileOpen("e.bin", m.useCache, 0, m.async);
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(f->threadMode, m.useCache || m.async);
            EXPECT_EQ(DiskFileSeek(f, c.start, 0), 0);
            uint8_t buf[1200];
            memset(buf, 0xEE, sizeof buf);
            EXPECT_EQ(ReadAndWait(buf, c.elemSize, c.count, f), c.result) << c.start << " mode " << m.useCache << m.async;
            EXPECT_EQ(DiskFileEof(f), c.endFlag);
            EXPECT_EQ(DiskFileTell(f), c.position);
            size_t got = (size_t)(c.position - c.start);
            if (got > 0) {
                EXPECT_EQ(memcmp(buf, content.data() + c.start, got), 0);
            }
            EXPECT_EQ(buf[got], 0xEE);
            EXPECT_EQ(DiskFileClose(f), 0);
        }
    }
}

TEST_F(DiskFile, SeeksAndSequentialReadsMatchTheFile)
{
    Bytes content = StructuredBytes(300000, 6);
    WriteHostFile(host / "big.bin", content);
    for (const Mode &m : kModes) {
        DISKFILE *f = DiskFileOpen("big.bin", m.useCache, 0, m.async);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->size, 300000);
        Bytes got(content.size());
        size_t done = 0;
        while (done < got.size()) {
            int n = ReadAndWait(got.data() + done, 1, 4099, f);
            ASSERT_GT(n, 0);
            done += (size_t)n;
        }
        EXPECT_EQ(got, content);
        EXPECT_EQ(ReadAndWait(got.data(), 1, 1, f), 0);
        EXPECT_EQ(DiskFileEof(f), -1);
        EXPECT_EQ(DiskFileSeek(f, -100, 2), 0);
        EXPECT_EQ(DiskFileEof(f), 0);
        EXPECT_EQ(ReadAndWait(got.data(), 1, 1000, f), 100);
        EXPECT_EQ(memcmp(got.data(), content.data() + 299900, 100), 0);
        EXPECT_EQ(DiskFileSeek(f, -10, 1), 0);
        EXPECT_EQ(DiskFileTell(f), 299990);
        EXPECT_EQ(DiskFileSeek(f, -1, 0), -1) << "a negative position is refused";
        EXPECT_EQ(DiskFileSeek(f, -300001, 2), -1);
        EXPECT_EQ(DiskFileTell(f), 299990);
        EXPECT_EQ(DiskFileSeek(f, 10, 0), 0);
        EXPECT_EQ(ReadAndWait(got.data(), 4, 2, f), 2);
        EXPECT_EQ(memcmp(got.data(), content.data() + 10, 8), 0);
        EXPECT_EQ(DiskFileClose(f), 0);
    }
}

TEST_F(DiskFile, AsynchronousReadCompletesWhenIdle)
{
    Bytes content = RandomBytes(2 << 20, 7);
    WriteHostFile(host / "a.bin", content);
    DISKFILE *f = DiskFileOpen("a.bin", 0, 0, 1);
    ASSERT_NE(f, nullptr);
    Bytes got(content.size());
    EXPECT_EQ(DiskFileRead(got.data(), 1024, 2048, f), 2048) << "the request count comes back at once";
    EXPECT_EQ(DiskFileTell(f), 2 << 20);
    while (DiskFileIsIdle(f) != 1) Sleep(0);
    EXPECT_EQ(got, content);
    EXPECT_EQ(DiskFileClose(f), 0);
}

// The shared workers watch for the next request a short while, then sleep: requests that come
// at once, after a pause long enough for the worker to sleep, and from two files at a time all
// complete with the right bytes.
TEST_F(DiskFile, AsynchronousRequestsReachWatchingAndSleepingWorkers)
{
    Bytes one = RandomBytes(60000, 11), two = RandomBytes(50000, 12);
    WriteHostFile(host / "one.bin", one);
    WriteHostFile(host / "two.bin", two);
    for (int pauseMs : {0, 2}) {
        for (int round = 0; round < 20; round++) {
            DISKFILE *a = DiskFileOpen("one.bin", 0, 0, 1);
            DISKFILE *b = DiskFileOpen("two.bin", 0, 0, 1);
            ASSERT_NE(a, nullptr);
            ASSERT_NE(b, nullptr);
            Bytes gotA(one.size()), gotB(two.size());
            for (size_t done = 0; done < gotA.size(); done += 20000) {
                ASSERT_EQ(DiskFileRead(gotA.data() + done, 1, 20000, a), 20000);
                ASSERT_EQ(DiskFileRead(gotB.data() + done / 20000 * 16667, 1, 16667, b),
                          done == 40000 ? 16666 : 16667);
                while (DiskFileIsIdle(a) != 1 || DiskFileIsIdle(b) != 1) Sleep(0);
                if (pauseMs > 0) Sleep((DWORD)pauseMs);
            }
            EXPECT_EQ(gotA, one) << pauseMs << " ms, round " << round;
            EXPECT_EQ(gotB, two) << pauseMs << " ms, round " << round;
            EXPECT_EQ(DiskFileClose(a), 0);
            EXPECT_EQ(DiskFileClose(b), 0);
        }
    }
}

TEST_F(DiskFile, ReadAheadCacheServesSequentialReads)
{
    Bytes content = StructuredBytes(100000, 8);
    WriteHostFile(host / "c.bin", content);
    PlatformTestUseFakeClock(true);
    PlatformTestResetReadFileCount();
    DISKFILE *f = DiskFileOpen("c.bin", 1, 0, 0);
    ASSERT_NE(f, nullptr);
    // The worker reads ahead on its 100 ms time-outs; with the fake clock they come at once. One
    // read takes the whole file; the cache itself is the worker's until a request hands it over.
    for (int i = 0; i < 50000 && PlatformTestReadFileCount() == 0; i++) Sleep(1);  // up to ~5 s real on a loaded machine
    EXPECT_EQ(PlatformTestReadFileCount(), 1);
    PlatformTestResetReadFileCount();
    Bytes got(content.size());
    for (size_t done = 0; done < got.size(); done += 1000) ASSERT_EQ(DiskFileRead(got.data() + done, 1, 1000, f), 1000);
    EXPECT_EQ(PlatformTestReadFileCount(), 0) << "every read came from the cache";
    EXPECT_EQ(f->cachePosition, 100000);
    EXPECT_EQ(got, content);
    EXPECT_EQ(DiskFileClose(f), 0);
    PlatformTestResetTime();
}

TEST_F(DiskFile, MissingFileLeavesNoThreadAndLogs)
{
    SetLogStartDirectory(win.c_str());
    PlatformTestCaptureDebugOutput(true);
    int threads = PlatformTestLiveThreadCount();
    int handles = PlatformTestOpenHandleCount();
    EXPECT_EQ(DiskFileOpen("missing.bin", 0, 0, 0), nullptr);
    EXPECT_EQ(DiskFileOpen("missing.bin", 1, 0, 1), nullptr);
    // A threaded file that opens and closes leaves nothing behind either.
    WriteHostFile(host / "gone.bin", Bytes(10));
    DISKFILE *f = DiskFileOpen("gone.bin", 0, 0, 1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(DiskFileClose(f), 0);
    EXPECT_EQ(PlatformTestLiveThreadCount(), threads);
    EXPECT_EQ(PlatformTestOpenHandleCount(), handles);
    std::string log = PlatformTestTakeDebugOutput();
    PlatformTestCaptureDebugOutput(false);
    SetLogStartDirectory(nullptr);
    // The size probe fails before any thread exists, silently: the archive layer probes many
    // such names for every plain file.
    EXPECT_EQ(log, "");
}

TEST_F(DiskFile, FunctionSetsAndDirectories)
{
    WriteHostFile(host / "Sub" / "f.txt", Bytes{'x', 'y'});
    EXPECT_EQ(GetFileFunctions()->Open, GetArchiveFileFuncs()->Open);
    SelectFileFunctions(GetDiskFileFuncs());
    EXPECT_EQ(GetFileFunctions()->Open, GetDiskFileFuncs()->Open);
    SelectFileFunctions(nullptr);
    EXPECT_EQ(GetFileFunctions()->Open, GetArchiveFileFuncs()->Open);
    SetUsePlainFiles(1);
    SelectFileFunctions(nullptr);
    EXPECT_EQ(GetFileFunctions()->Open, GetDiskFileFuncs()->Open);
    uintptr_t h = OpenDataFile("sub\\F.TXT", 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(((DISKFILE *)h)->size, 2);
    EXPECT_EQ(CloseDataFile(h), 0);

    for (const FILEFUNCS *set : {GetDiskFileFuncs(), GetArchiveFileFuncs()}) {
        char dir[FILE_DIR_BUFFER];
        EXPECT_EQ(set->GetDir(dir), 0);
        EXPECT_STREQ(dir, win.c_str());
        EXPECT_EQ(set->ChangeDir("Sub"), 0);
        EXPECT_EQ(set->GetDir(dir), 0);
        EXPECT_EQ(std::string(dir), win + "\\Sub");
        EXPECT_EQ(set->ChangeDir(".."), 0);
        EXPECT_EQ(set->ChangeDir("nowhere"), -1);

        FILEFINDINFO info;
        uintptr_t s = set->FindFirst("sub\\*.txt", &info);
        ASSERT_NE(s, FILE_SEARCH_NONE);
        EXPECT_STREQ(info.name, "f.txt");
        EXPECT_EQ(info.directory, 0);
        EXPECT_EQ(info.sizeLow, 2u);
        EXPECT_GE(info.writeTime.year, 2020);
        EXPECT_EQ(set->FindNext(s, &info), -1);
        EXPECT_EQ(set->FindClose(s), 0);
        EXPECT_EQ(set->FindFirst("sub\\*.none", &info), FILE_SEARCH_NONE);
    }
    SetUsePlainFiles(0);
}

}  // namespace
