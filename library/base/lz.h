// The library's compressed block, LZBLOCK: u32 decoded size, u32 stored size (the 9 head bytes
// included), u8 escape byte, then tokens (literals, and matches marked by the escape byte).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t LZBLOCK_HEAD_BYTES = 9;

// blockBytes is how much of the block the caller holds; destinationBytes the room behind
// destination. With a null destination only the head is read and the decoded size returned.
// Else the tokens are decoded and the decoded size returned. -1 for a malformed block: a head
// that does not fit or claims more than its tokens can expand to (8,195 bytes a 4-byte match),
// tokens past the stored size, output beyond the decoded size or short of it, a distance
// reaching before the start, the unused distance form, or too small a destination.
// The destination may then hold partial output.
int32_t DecodeLzBlock(const void *block, size_t blockBytes, void *destination, size_t destinationBytes);
