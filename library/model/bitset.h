// The model code's three small tools: chains of zeroed blocks freed together (the read data and
// a model base keep all their working memory in one), tables of equal-width bit rows (a bone
// bit per vertex, ORed per face), and bit ranges (a frame's run in a model's change arrays, so
// that marking a frame marks its whole subtree with a few word ORs).
#pragma once

#include <cstddef>
#include <cstdint>

// ---- block chains -------------------------------------------------------------------

// A block: its header, then the caller's bytes. The chain head is a block pointer.
struct MEMCHAIN {
    void *data;       // the caller's bytes, right after this header
    MEMCHAIN *next;   // null at the chain's end
};

// size zeroed bytes at the front of the chain, or null after logging.
void *AllocChainBlock(size_t size, MEMCHAIN **head);
// Frees every block from the head on; the head becomes null.
void FreeChainBlocks(MEMCHAIN **head);

// ---- bit sets -------------------------------------------------------------------------

struct BITSET {
    int32_t usedRows;
    int32_t rows;
    int32_t bitsPerRow;
    int32_t rowBytes;     // (bits + 7) / 8 + 1: the bit bytes and one trailing used byte
    uint8_t *data;        // rows x rowBytes
    uint32_t *rowValues;  // one 32-bit value per row for the caller, right after the rows
};

// The rows and row values in one chain block; 0, or -1 after logging.
int CreateBitSet(BITSET *set, int rows, int bitsPerRow, MEMCHAIN **chain);
inline uint8_t *BitSetRow(const BITSET *set, int row) { return set->data + (size_t)row * set->rowBytes; }
int SetBitSetBit(BITSET *set, int row, int bit);
// The row's bit bytes into the buffer, whose used byte (index rowBytes - 1) becomes 0.
int CopyBitSetRow(const BITSET *set, int row, uint8_t *buffer);
// ORs the row's bit bytes into the buffer's first rowBytes - 1 bytes.
int OrBitSetRow(const BITSET *set, int row, uint8_t *buffer);
// The buffer's rowBytes bytes (used byte included) over the row.
int StoreBitSetRow(BITSET *set, int row, const uint8_t *buffer);
// Set bits in the first count - 1 bytes (callers pass a row's bytes: the used byte is not counted).
int CountBits(const uint8_t *bytes, int count);
// The numbers of the row's set bits in rising order; how many were written.
int ListBitSetRowBits(const BITSET *set, int row, uint16_t *out);

// ---- bit ranges -------------------------------------------------------------------------

struct BITRANGE {
    int32_t wordIndex;     // first bit / 32
    uint32_t *maskWords;   // the run's bits as words from wordIndex on; null for a one-bit run
    int32_t wordCount;     // (first bit mod 32 + count + 31) / 32
    uint32_t firstBitMask; // 1 << (first bit mod 32)
};

// A frame's or mesh's hold on a range: the range and the change-array word at its word index.
struct BITRANGEREF {
    const BITRANGE *range;
    uint32_t *word;
};

// Fills the range. With mask words: word 0 is set to 0, then `count` bits from (first mod 32)
// on are set, moving word by word (words after the first are only ORed into, so the caller
// gives them zeroed); returns the word after the last one written into (the words' start for
// a count of 0). Without mask words only the fields are filled, and the result is null.
uint32_t *BuildBitRange(BITRANGE *range, uint32_t *maskWords, int firstBit, int count);
// Word count of a run, for sizing mask pools.
int BitRangeWordCount(int firstBit, int count);
// Nothing when the range's first bit is set already (its subtree is marked); else the mask
// words ORed into the change array from the referenced word on (only the first bit without
// mask words).
void MarkBitRangeChanged(const BITRANGEREF *ref);
inline bool BitRangeMarked(const BITRANGEREF *ref) { return (*ref->word & ref->range->firstBitMask) != 0; }
// Clears the range's bits in the change array.
void ClearBitRange(const BITRANGEREF *ref);
