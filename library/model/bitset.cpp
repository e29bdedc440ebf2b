#include "library/model/bitset.h"

#include "library/base/log.h"
#include "library/base/memory.h"

#include <cstring>

// ---- block chains -------------------------------------------------------------------

void *AllocChainBlock(size_t size, MEMCHAIN **head) {
    if (size > SIZE_MAX - sizeof(MEMCHAIN)) size = SIZE_MAX - sizeof(MEMCHAIN);
    auto *block = static_cast<MEMCHAIN *>(AllocMemBlockZero(sizeof(MEMCHAIN) + size, nullptr, -1));
    if (!block) {
        WriteLog("メモリアドレス保存データ＋実際のデータを保存するメモリ領域の確保に失敗しました\n");
        return nullptr;
    }
    block->data = block + 1;
    block->next = *head;
    *head = block;
    return block->data;
}

void FreeChainBlocks(MEMCHAIN **head) {
    MEMCHAIN *block = *head;
    while (block) {
        MEMCHAIN *next = block->next;
        FreeMemBlock(block);
        block = next;
    }
    *head = nullptr;
}

// ---- bit sets -------------------------------------------------------------------------

int CreateBitSet(BITSET *set, int rows, int bitsPerRow, MEMCHAIN **chain) {
    std::memset(set, 0, sizeof *set);
    if (rows < 0 || bitsPerRow < 0) return -1;
    const size_t rowBytes = (size_t)(bitsPerRow + 7) / 8 + 1;
    void *block = AllocChainBlock((size_t)rows * (rowBytes + 4), chain);
    if (!block) {
        WriteLog("ビットデータを格納するメモリの確保に失敗しました\n");
        return -1;
    }
    set->rows = rows;
    set->bitsPerRow = bitsPerRow;
    set->rowBytes = (int32_t)rowBytes;
    set->data = static_cast<uint8_t *>(block);
    set->rowValues = reinterpret_cast<uint32_t *>(set->data + (size_t)rows * rowBytes);
    return 0;
}

int SetBitSetBit(BITSET *set, int row, int bit) {
    uint8_t *r = BitSetRow(set, row);
    uint8_t &used = r[set->rowBytes - 1];
    if (used == 0) {
        used = 1;
        ++set->usedRows;
    }
    r[bit >> 3] |= (uint8_t)(1u << (bit & 7));
    return 0;
}

int CopyBitSetRow(const BITSET *set, int row, uint8_t *buffer) {
    std::memcpy(buffer, BitSetRow(set, row), (size_t)set->rowBytes - 1);
    buffer[set->rowBytes - 1] = 0;
    return 0;
}

int OrBitSetRow(const BITSET *set, int row, uint8_t *buffer) {
    const uint8_t *r = BitSetRow(set, row);
    for (int i = 0; i < set->rowBytes - 1; ++i) buffer[i] |= r[i];
    return 0;
}

int StoreBitSetRow(BITSET *set, int row, const uint8_t *buffer) {
    uint8_t *r = BitSetRow(set, row);
    if ((r[set->rowBytes - 1] & 1) == 0) ++set->usedRows;
    std::memcpy(r, buffer, (size_t)set->rowBytes);
    return 0;
}

int CountBits(const uint8_t *bytes, int count) {
    int n = 0;
    for (int i = 0; i < count - 1; ++i) n += __builtin_popcount(bytes[i]);
    return n;
}

int ListBitSetRowBits(const BITSET *set, int row, uint16_t *out) {
    const uint8_t *r = BitSetRow(set, row);
    int n = 0;
    const int whole = set->bitsPerRow / 8;
    for (int i = 0; i < whole; ++i)
        for (int b = 0; b < 8; ++b)
            if (r[i] & (1u << b)) out[n++] = (uint16_t)(i * 8 + b);
    for (int b = 0; b < set->bitsPerRow % 8; ++b)
        if (r[whole] & (1u << b)) out[n++] = (uint16_t)(whole * 8 + b);
    return n;
}

// ---- bit ranges -------------------------------------------------------------------------

int BitRangeWordCount(int firstBit, int count) { return (firstBit % 32 + count + 31) / 32; }

uint32_t *BuildBitRange(BITRANGE *range, uint32_t *maskWords, int firstBit, int count) {
    range->wordIndex = firstBit / 32;
    range->maskWords = maskWords;
    range->wordCount = BitRangeWordCount(firstBit, count);
    range->firstBitMask = 1u << (firstBit % 32);
    if (!maskWords) return nullptr;
    if (count == 0) return maskWords;
    uint32_t *word = maskWords;
    *word = 0;
    int bit = firstBit % 32;
    for (int i = 0; i < count; ++i) {
        *word |= 1u << bit;
        if (++bit == 32 && i + 1 < count) {
            bit = 0;
            ++word;
        }
    }
    return word + 1;
}

void MarkBitRangeChanged(const BITRANGEREF *ref) {
    const BITRANGE *r = ref->range;
    if (*ref->word & r->firstBitMask) return;
    if (!r->maskWords) {
        *ref->word |= r->firstBitMask;
        return;
    }
    for (int i = 0; i < r->wordCount; ++i) ref->word[i] |= r->maskWords[i];
}

void ClearBitRange(const BITRANGEREF *ref) {
    const BITRANGE *r = ref->range;
    if (!r->maskWords) {
        *ref->word &= ~r->firstBitMask;
        return;
    }
    for (int i = 0; i < r->wordCount; ++i) ref->word[i] &= ~r->maskWords[i];
}
