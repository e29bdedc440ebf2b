// Pixel blocks of the image code. Stand-in until the library allocator lands.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>

inline void *AllocImageBlock(size_t bytes) {
    return std::malloc(bytes ? bytes : 1);
}
inline void *AllocImageBlockZero(size_t bytes) {
    return std::calloc(bytes ? bytes : 1, 1);
}
inline void FreeImageBlock(void *p) {
    std::free(p);
}
