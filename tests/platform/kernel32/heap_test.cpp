// The process heap: zeroed growth, scripted failures that keep the old block.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(Heap, ReAllocZeroesOnlyTheGrownTail)
{
    HANDLE heap = GetProcessHeap();
    auto *p = static_cast<unsigned char *>(HeapAlloc(heap, 0, 16));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, p), 16u);
    std::memset(p, 0xAB, 16);
    // Dirty memory that a grown block could land on.
    void *junk = HeapAlloc(heap, 0, 4096);
    std::memset(junk, 0xCD, 4096);
    HeapFree(heap, 0, junk);
    p = static_cast<unsigned char *>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, p), 4096u);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(p[i], 0xAB) << i;
    for (int i = 16; i < 4096; ++i)
        ASSERT_EQ(p[i], 0) << i;
    p = static_cast<unsigned char *>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 8));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(HeapSize(heap, 0, p), 8u);
    EXPECT_EQ(p[7], 0xAB);
    EXPECT_TRUE(HeapFree(heap, 0, p));
}

TEST(Heap, ScriptedFailuresKeepTheOldBlock)
{
    HANDLE heap = GetProcessHeap();
    int blocks = PlatformTestHeapBlockCount();
    auto *p = static_cast<char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 32));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[31], 0);
    std::strcpy(p, "kept");
    PlatformTestFailAllocations(2);
    EXPECT_EQ(HeapReAlloc(heap, 0, p, 64), nullptr);
    EXPECT_EQ(HeapAlloc(heap, 0, 8), nullptr);
    void *third = HeapAlloc(heap, 0, 8);  // the script is used up
    EXPECT_NE(third, nullptr);
    EXPECT_STREQ(p, "kept");
    EXPECT_EQ(HeapSize(heap, 0, p), 32u);
    EXPECT_EQ(PlatformTestHeapBlockCount(), blocks + 2);
    HeapFree(heap, 0, third);
    HeapFree(heap, 0, p);
    EXPECT_EQ(PlatformTestHeapBlockCount(), blocks);
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

}  // namespace
