// The tracked allocator: the block list through alloc, free and resize, the dump text byte for
// byte, damage detection, and allocation failure (the dump must not allocate).
#include "library/base/memory.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "log_dir.h"
#include "platform/testing.h"

namespace {

class MemBlocks : public LogDirTest {};

std::string Hex(const void *p) {
    char s[32];
    snprintf(s, sizeof s, "%016" PRIxPTR, reinterpret_cast<uintptr_t>(p));
    return s;
}

// The block line as the log holds it (without the stamp).
std::string BlockLine(const void *p, int size, const char *name, int line, int id) {
    char head[256];
    snprintf(head, sizeof head, "\tsize:%d(%.3fkb)  file:%s  line:%d  ID:%d  addr:%s  data:<", size, size / 1024.0,
             name, line, id, Hex(p).c_str());
    const unsigned char *d = static_cast<const unsigned char *>(p);
    int shown = size < 16 ? size : 16;
    std::string s = head, hex;
    for (int i = 0; i < shown; i++) {
        s += (d[i] >= 0x20 && d[i] <= 0x7F) ? static_cast<char>(d[i]) : '.';
        char h[4];
        snprintf(h, sizeof h, "%02x ", d[i]);
        hex += h;
    }
    if (hex.empty()) return s + "> ]\r\n";
    hex.back() = ']';
    return s + "> [" + hex + "\r\n";
}

// The id the log shows for the block at p (the last line naming it).
int IdIn(const std::string &log, const void *p) {
    size_t at = log.rfind("  addr:" + Hex(p));
    if (at == std::string::npos) return -1;
    size_t id = log.rfind("ID:", at);
    return std::stoi(log.substr(id + 3));
}

// The user addresses a fresh dump lists, newest first.
std::vector<std::string> DumpedAddresses(LogDirTest &t, std::string *log = nullptr) {
    t.StartLog();
    DumpMemBlocks();
    std::string text = t.LogBytes();
    std::vector<std::string> out;
    for (size_t at = 0; (at = text.find("addr:", at)) != std::string::npos; at += 5) out.push_back(text.substr(at + 5, 16));
    if (log) *log = text;
    return out;
}

TEST_F(MemBlocks, LeakDumpListsEveryBlockWithTotals) {
    char *a = static_cast<char *>(AllocMemBlock(20, "title.cpp", 42));
    ASSERT_NE(a, nullptr);
    memcpy(a, "ABCDE", 5);
    memset(a + 5, 0, 15);
    unsigned char *b = static_cast<unsigned char *>(AllocMemBlock(3, "abcdefghijklmnopqrst.cpp", -1));
    ASSERT_NE(b, nullptr);
    b[0] = 0x7F;
    b[1] = 0x20;
    b[2] = 0x1F;
    At(4);
    void *c = AllocMemBlock(0, nullptr, 9);
    ASSERT_NE(c, nullptr);
    std::string allocLog = LogBytes();

    StartLog();
    At(10);
    DumpMemBlocks();
    std::string log = LogBytes();
    const int id = IdIn(log, a);
    ASSERT_GE(id, 0);
    const std::string lineA = BlockLine(a, 20, "title.cpp", 42, id);
    const std::string lineB = BlockLine(b, 3, "jklmnopqrst.cpp", 65535, (id + 1) & 0xFFFF);
    const std::string lineC = BlockLine(c, 0, "", 9, (id + 2) & 0xFFFF);
    EXPECT_EQ(lineA.substr(0, 200).find("data:<ABCDE...........> [41 42 43 44 45 00 00 00 00 00 00 00 00 00 00 00]"),
              lineA.find("data:"));
    EXPECT_EQ(allocLog, "4:mem alloc  " + lineC);
    EXPECT_EQ(log, "10:\r\n10:Alloc memory dump\r\n10:" + lineC + "10:" + lineB + "10:" + lineA +
                       "10:\tTotal size:23(0.022kb)  Alloc num:3\r\n10:\r\n");

    StartLog();
    FreeMemBlock(c);
    EXPECT_EQ(LogBytes(), "0:mem free  " + lineC);
    FreeMemBlock(b);
    FreeMemBlock(a);
    FreeMemBlock(nullptr);
    StartLog();
    DumpMemBlocks();
    EXPECT_EQ(LogBytes(), "0:\r\n0:Alloc memory dump\r\n0:\tTotal size:0(0.000kb)  Alloc num:0\r\n0:\r\n");
}

TEST_F(MemBlocks, ListStaysWalkableThroughFreeAndResize) {
    unsigned char *a = static_cast<unsigned char *>(MEM_ALLOC(16));
    unsigned char *b = static_cast<unsigned char *>(MEM_ALLOC(16));
    unsigned char *c = static_cast<unsigned char *>(MEM_ALLOC(16));
    memset(c, 0xAB, 16);
    EXPECT_EQ(DumpedAddresses(*this), (std::vector<std::string>{Hex(c), Hex(b), Hex(a)}));

    // The head, resized to a new place: the list and the head follow it; the tail is zero.
    unsigned char *c2 = static_cast<unsigned char *>(MEM_REALLOC(c, 200000));
    ASSERT_NE(c2, nullptr);
    for (int i = 0; i < 16; i++) EXPECT_EQ(c2[i], 0xAB);
    for (int i = 16; i < 200000; i++) ASSERT_EQ(c2[i], 0) << i;
    EXPECT_EQ(DumpedAddresses(*this), (std::vector<std::string>{Hex(c2), Hex(b), Hex(a)}));
    EXPECT_EQ(CheckMemBlocks(), 0);

    // A middle block resized, then freed.
    unsigned char *b2 = static_cast<unsigned char *>(MEM_REALLOC(b, 300000));
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(DumpedAddresses(*this), (std::vector<std::string>{Hex(c2), Hex(b2), Hex(a)}));
    EXPECT_EQ(CheckMemBlocks(), 0);
    FreeMemBlock(b2);
    EXPECT_EQ(DumpedAddresses(*this), (std::vector<std::string>{Hex(c2), Hex(a)}));

    // Freeing the newest moves the head on; freeing the only block empties the list.
    FreeMemBlock(c2);
    std::string log;
    EXPECT_EQ(DumpedAddresses(*this, &log), (std::vector<std::string>{Hex(a)}));
    EXPECT_NE(log.find("Total size:16(0.016kb)  Alloc num:1"), std::string::npos);
    EXPECT_EQ(CheckMemBlocks(), 0);

    // Resizing takes the next id (a was followed by b, c and two resizes) and the new place of
    // the request; a size of 0 is logged.
    int oldId = IdIn(log, a);
    StartLog();
    void *a2 = ReallocMemBlock(a, 0, "shrink.cpp", 77);
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ(LogBytes(), "0:mem realloc  " + BlockLine(a2, 0, "shrink.cpp", 77, (oldId + 5) & 0xFFFF));
    FreeMemBlock(a2);
    EXPECT_EQ(DumpedAddresses(*this), std::vector<std::string>{});

    // A null block allocates.
    void *fresh = ReallocMemBlock(nullptr, 8, "fresh.cpp", 1);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(DumpedAddresses(*this), std::vector<std::string>{Hex(fresh)});
    FreeMemBlock(fresh);
}

TEST_F(MemBlocks, ZeroFilledBlocks) {
    std::vector<void *> held;
    for (int round = 0; round < 8; round++) {
        unsigned char *p = static_cast<unsigned char *>(MEM_ALLOC(4096));
        memset(p, 0xCD, 4096);
        FreeMemBlock(p);
        unsigned char *z = static_cast<unsigned char *>(MEM_ALLOC_ZERO(4096));
        ASSERT_NE(z, nullptr);
        for (int i = 0; i < 4096; i++) ASSERT_EQ(z[i], 0);
        held.push_back(z);
    }
    for (void *p : held) FreeMemBlock(p);
}

TEST_F(MemBlocks, CheckFindsAnOverwrittenHeader) {
    void *older = AllocMemBlock(8, "older.cpp", 1);
    unsigned char *p = static_cast<unsigned char *>(AllocMemBlock(8, "poked.cpp", 2));
    void *newer = AllocMemBlock(8, "newer.cpp", 3);
    memcpy(p, "12345678", 8);
    EXPECT_EQ(CheckMemBlocks(), 0);
    EXPECT_EQ(LogBytes(), "");

    // An overrun from the block in front reaches the end of this block's header.
    p[-1] ^= 0xFF;
    EXPECT_EQ(CheckMemBlocks(), -1);
    std::string log = LogBytes();
    EXPECT_EQ(log.substr(0, log.find('\t')), "0:以下のメモリ確保情報が破損しました\r\n0:");
    EXPECT_NE(log.find("file:poked.cpp  line:2"), std::string::npos);
    EXPECT_NE(log.find("data:<12345678> [31 32 33 34 35 36 37 38]"), std::string::npos);
    EXPECT_EQ(log.find("older.cpp"), std::string::npos) << "stops at the first damaged block";
    p[-1] ^= 0xFF;
    EXPECT_EQ(CheckMemBlocks(), 0);
    FreeMemBlock(newer);
    FreeMemBlock(p);
    FreeMemBlock(older);
}

TEST_F(MemBlocks, FailedAllocationDumpsWithoutAllocating) {
    char *keep = static_cast<char *>(AllocMemBlock(300, "keep.cpp", 5));
    ASSERT_NE(keep, nullptr);
    memcpy(keep, "kept", 4);
    memset(keep + 4, '-', 296);
    StartLog();
    const int heapBlocks = PlatformTestHeapBlockCount();

    // Every heap request fails from here: the dump's long lines must not ask for any.
    PlatformTestFailAllocations(1000000);
    EXPECT_EQ(AllocMemBlock(64, "big.cpp", 2), nullptr);
    EXPECT_EQ(PlatformTestHeapBlockCount(), heapBlocks);
    PlatformTestFailAllocations(0);
    std::string log = LogBytes();
    const int id = IdIn(log, keep);
    ASSERT_GE(id, 0);
    EXPECT_EQ(log, "0:\r\n0:Alloc memory dump\r\n0:" + BlockLine(keep, 300, "keep.cpp", 5, id) +
                       "0:\tTotal size:300(0.293kb)  Alloc num:1\r\n0:\r\n");

    // No tracked block came and went during the dump: the next id follows on.
    void *next = AllocMemBlock(1, "next.cpp", 6);
    StartLog();
    DumpMemBlocks();
    EXPECT_EQ(IdIn(LogBytes(), next), (id + 1) & 0xFFFF);

    // A failed resize dumps and leaves the old block as it was.
    StartLog();
    PlatformTestFailAllocations(1);
    EXPECT_EQ(ReallocMemBlock(keep, 100000, "grow.cpp", 7), nullptr);
    EXPECT_EQ(memcmp(keep, "kept----", 8), 0);
    EXPECT_NE(LogBytes().find("Alloc memory dump\r\n"), std::string::npos);
    EXPECT_NE(LogBytes().find("file:keep.cpp  line:5"), std::string::npos);

    // A size no header can hold fails the same way.
    StartLog();
    EXPECT_EQ(AllocMemBlock(SIZE_MAX, "huge.cpp", 8), nullptr);
    EXPECT_EQ(ReallocMemBlock(keep, SIZE_MAX - 8, "huge.cpp", 9), nullptr);
    EXPECT_NE(LogBytes().find("Total size:301(0.294kb)  Alloc num:2"), std::string::npos);
    EXPECT_EQ(CheckMemBlocks(), 0);
    FreeMemBlock(next);
    FreeMemBlock(keep);
}

TEST_F(MemBlocks, ThreadsAllocateAndFreeTogether) {
    SetLogStartDirectory(nullptr);  // keep the file quiet; the lock is what is under test
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([t] {
            std::vector<unsigned char *> mine;
            for (int i = 0; i < 3000; i++) {
                unsigned char *p = static_cast<unsigned char *>(MEM_ALLOC(static_cast<size_t>(1 + (i * 7 + t) % 200)));
                p[0] = static_cast<unsigned char>(t);
                mine.push_back(p);
                if (i % 3 == 2) {
                    size_t k = static_cast<size_t>(i) % mine.size();
                    mine[k] = static_cast<unsigned char *>(MEM_REALLOC(mine[k], 300));
                    FreeMemBlock(mine.back());
                    mine.pop_back();
                }
            }
            for (unsigned char *p : mine) {
                EXPECT_EQ(p[0], t);
                FreeMemBlock(p);
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(CheckMemBlocks(), 0);
    SetLogStartDirectory(startDirectory_.c_str());
    EXPECT_EQ(DumpedAddresses(*this), std::vector<std::string>{});
}

}  // namespace
