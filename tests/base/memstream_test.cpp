// Memory streams: whole-element reads that agree with the disk files, clamped seeks, end flag.
#include "library/base/stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct ReadCase {
    int size, start;
    size_t elemSize, count;
    int result, endFlag, position;
};

TEST(MemStream, ReadsWholeElementsOnly) {
    const ReadCase cases[] = {
        {9, 0, 4, 10, 2, 0, 8},   // 9 bytes left, 10 elements of 4: two, one byte short of the end
        {11, 8, 8, 1, 0, 1, 8},   // 3 bytes left, one element of 8: nothing, end flag
        {8, 8, 1, 1, 0, 1, 8},    // at the end
        {8, 0, 1, 0, 0, 0, 0},    // no elements asked
        {8, 0, 0, 5, 0, 0, 0},    // element size 0
        {8, 0, 2, 4, 4, 0, 8},    // exactly to the end: the end flag stays clear
    };
    for (const ReadCase &c : cases) {
        unsigned char data[16], out[64];
        for (int i = 0; i < 16; i++) data[i] = (unsigned char)(i + 1);
        memset(out, 0xEE, sizeof out);
        BUFSTREAM *s = OpenMemStream(data, c.size);
        ASSERT_NE(s, nullptr);
        BufStreamSeek((uintptr_t)s, c.start, 0);
        EXPECT_EQ(BufStreamRead(out, c.elemSize, c.count, (uintptr_t)s), c.result) << c.size << " " << c.start;
        EXPECT_EQ(BufStreamEof((uintptr_t)s), c.endFlag);
        EXPECT_EQ(BufStreamTell((uintptr_t)s), c.position);
        size_t copied = (size_t)(c.position - c.start);
        EXPECT_EQ(memcmp(out, data + c.start, copied), 0);
        EXPECT_EQ(out[copied], 0xEE) << "no byte beyond the whole elements";
        CloseMemStream((uintptr_t)s);
    }
}

TEST(MemStream, SeeksAreClampedAndClearTheEndFlag) {
    char data[10] = {};
    BUFSTREAM *s = OpenMemStream(data, 10);
    uintptr_t h = (uintptr_t)s;
    const STREAMFUNCS *f = GetMemStreamFuncs();
    EXPECT_EQ(f->Seek(h, 25, 0), 0);
    EXPECT_EQ(f->Tell(h), 10);
    char b;
    EXPECT_EQ(f->Read(&b, 1, 1, h), 0);
    EXPECT_EQ(f->Eof(h), 1);
    EXPECT_EQ(f->Seek(h, -30, 1), 0);
    EXPECT_EQ(f->Tell(h), 0);
    EXPECT_EQ(f->Eof(h), 0);
    EXPECT_EQ(f->Seek(h, -4, 2), 0);
    EXPECT_EQ(f->Tell(h), 6);
    EXPECT_EQ(f->IsIdle(h), 1);
    EXPECT_EQ(f->Close(h), 0);
}

TEST(MemStream, StreamRefCallsThroughTheTable) {
    const char text[] = "abcdef";
    STREAMREF ref;
    MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)OpenMemStream(text, 6));
    char out[4] = {};
    EXPECT_EQ(ref.Read(out, 3, 1, ref.handle), 1);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(ref.Tell(ref.handle), 3);
    EXPECT_EQ(ref.Close(ref.handle), 0);
    EXPECT_EQ(OpenMemStream(text, -1), nullptr);
}

}  // namespace
