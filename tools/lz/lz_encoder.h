// LZBLOCK encoder for fixture and archive tools (the library itself only decodes).
// Greedy over a hash of 4-byte groups; the shortest distance form, the length-extension byte
// only above length 35.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// escape: -1 picks the least frequent byte of the data, else 0-255 forces one.
std::vector<uint8_t> EncodeLzBlock(const void *data, size_t size, int escape = -1);
