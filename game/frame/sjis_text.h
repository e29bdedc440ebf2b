// Bounded copies of Shift-JIS text: a cut never splits a two-byte character, so the kept part
// ends on a whole character (the lead-byte rule is the one paths use).
#pragma once

#include <cstddef>
#include <cstring>

#include "library/base/pathchar.h"

// How many leading bytes of the text fit in maxBytes, two-byte characters counted whole.
inline size_t SjisFitLength(const char *text, size_t maxBytes)
{
    size_t n = 0;
    while (text[n] != '\0') {
        const size_t len = (size_t)PathCharLength(text + n);
        if (n + len > maxBytes) break;
        n += len;
    }
    return n;
}

// Copies what fits in capacity - 1 bytes and the terminator (capacity must be at least 1).
inline void CopySjisBounded(char *destination, size_t capacity, const char *source)
{
    const size_t n = source ? SjisFitLength(source, capacity - 1) : 0;
    if (n) std::memcpy(destination, source, n);
    destination[n] = '\0';
}
