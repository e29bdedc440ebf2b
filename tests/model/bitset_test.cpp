// Bit sets, bit ranges and block chains: row layout and bookkeeping, ranges against a plain bit
// loop, the mark that stops at an already marked subtree.
#include "fixtures/start_dir.h"
#include "library/model/bitset.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using BitSetTest = LogStartTest;

TEST_F(BitSetTest, RowsOfNineBitsCountTheirUseOnceAndListTheirBits) {
    MEMCHAIN *chain = nullptr;
    BITSET set;
    ASSERT_EQ(CreateBitSet(&set, 4, 9, &chain), 0);
    EXPECT_EQ(set.rowBytes, 3);
    SetBitSetBit(&set, 1, 0);
    SetBitSetBit(&set, 1, 3);
    SetBitSetBit(&set, 1, 8);
    EXPECT_EQ(set.usedRows, 1) << "three bits of one row use it once";
    EXPECT_EQ(BitSetRow(&set, 1)[1], 1) << "bit 8 is bit 0 of byte 1";
    uint16_t bits[16];
    ASSERT_EQ(ListBitSetRowBits(&set, 1, bits), 3);
    EXPECT_EQ(bits[0], 0);
    EXPECT_EQ(bits[1], 3);
    EXPECT_EQ(bits[2], 8);
    EXPECT_EQ(CountBits(BitSetRow(&set, 1), set.rowBytes), 3) << "the used byte is not counted";

    // A face's row: the OR of its vertices' rows, stored as a used row.
    SetBitSetBit(&set, 2, 5);
    uint8_t face[3];
    CopyBitSetRow(&set, 1, face);
    EXPECT_EQ(face[2], 0);
    OrBitSetRow(&set, 2, face);
    face[2] = 1;
    StoreBitSetRow(&set, 3, face);
    EXPECT_EQ(set.usedRows, 3);
    ASSERT_EQ(ListBitSetRowBits(&set, 3, bits), 4);
    EXPECT_EQ(bits[2], 5);
    set.rowValues[3] = 77;  // the caller's value lies past the rows
    EXPECT_EQ(BitSetRow(&set, 3)[0] & 1, 1);
    FreeChainBlocks(&chain);
    EXPECT_EQ(chain, nullptr);
    FreeChainBlocks(&chain);  // an empty chain only clears its head
}

TEST_F(BitSetTest, RangesMarkExactlyTheirBits) {
    struct Case {
        int first, count;
    };
    const Case cases[] = {{30, 5}, {0, 1}, {1, 31}, {31, 1}, {32, 32}, {5, 100}, {63, 2}, {7, 0}, {96, 64}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "first " << c.first << " count " << c.count);
        uint32_t masks[8] = {};
        BITRANGE range;
        uint32_t *end = BuildBitRange(&range, masks, c.first, c.count);
        EXPECT_EQ(range.wordIndex, c.first / 32);
        EXPECT_EQ(range.firstBitMask, 1u << (c.first % 32));
        EXPECT_EQ(range.wordCount, (c.first % 32 + c.count + 31) / 32);
        EXPECT_EQ(end - masks, c.count == 0 ? 0 : range.wordCount);
        std::vector<uint32_t> array(10, 0), naive(10, 0);
        const BITRANGEREF ref{&range, array.data() + range.wordIndex};
        MarkBitRangeChanged(&ref);
        for (int b = c.first; b < c.first + c.count; ++b) naive[b / 32] |= 1u << (b % 32);
        EXPECT_EQ(array, naive);
        ClearBitRange(&ref);
        EXPECT_EQ(array, std::vector<uint32_t>(10, 0));
    }
    uint32_t masks[2] = {};
    BITRANGE range;
    BuildBitRange(&range, masks, 30, 5);
    EXPECT_EQ(masks[0], 0xC0000000u);
    EXPECT_EQ(masks[1], 0x7u);
}

TEST_F(BitSetTest, AMarkedFrameLeavesItsSubtreeAsItIs) {
    uint32_t masks[2] = {};
    BITRANGE range;
    BuildBitRange(&range, masks, 3, 6);
    uint32_t array[2] = {1u << 3, 0};  // the frame's own bit set, its subtree clear
    const BITRANGEREF ref{&range, array};
    MarkBitRangeChanged(&ref);
    EXPECT_EQ(array[0], 1u << 3);
    // A one-bit range has no mask words.
    BITRANGE one;
    EXPECT_EQ(BuildBitRange(&one, nullptr, 40, 1), nullptr);
    uint32_t words[2] = {};
    const BITRANGEREF meshRef{&one, words + one.wordIndex};
    MarkBitRangeChanged(&meshRef);
    EXPECT_EQ(words[1], 1u << 8);
}

TEST_F(BitSetTest, ChainBlocksAreZeroedAndFreedTogether) {
    MEMCHAIN *chain = nullptr;
    for (int i = 1; i <= 3; ++i) {
        auto *p = static_cast<uint8_t *>(AllocChainBlock(64 * (size_t)i, &chain));
        ASSERT_NE(p, nullptr);
        for (int k = 0; k < 64 * i; ++k) ASSERT_EQ(p[k], 0);
        std::memset(p, 0xAB, 64 * (size_t)i);
    }
    EXPECT_NE(chain->next, nullptr);
    FreeChainBlocks(&chain);
    EXPECT_EQ(chain, nullptr);
}

}  // namespace
