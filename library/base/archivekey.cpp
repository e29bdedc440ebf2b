// The archive key routine. Without a key string every byte starts as the fill byte 0xA5; the
// second key is twelve bytes 0x3C. Each position then takes its own step:
//   0 complement            4 rotate left 3              8 swap nibbles, XOR 0x96
//   1 swap nibbles          5 complement, swap nibbles   9 complement, rotate left 2
//   2 rotate left 1         6 XOR 0xC3                  10 XOR 0x3F
//   3 XOR 0x5A              7 rotate left 5             11 rotate left 7, complement
// Archives written for this library (the shader pack included) are scrambled with exactly this.
#include "library/base/archivekey.h"

#include <cstring>

static const uint8_t kFillByte = 0xA5;
static const uint8_t kSecondFillByte = 0x3C;

static uint8_t RotateLeft(uint8_t b, int bits)
{
    return (uint8_t)((b << bits) | (b >> (8 - bits)));
}

static uint8_t SwapNibbles(uint8_t b)
{
    return (uint8_t)((b << 4) | (b >> 4));
}

static uint8_t KeyStep(int index, uint8_t b)
{
    switch (index) {
    case 0: return (uint8_t)~b;
    case 1: return SwapNibbles(b);
    case 2: return RotateLeft(b, 1);
    case 3: return (uint8_t)(b ^ 0x5A);
    case 4: return RotateLeft(b, 3);
    case 5: return SwapNibbles((uint8_t)~b);
    case 6: return (uint8_t)(b ^ 0xC3);
    case 7: return RotateLeft(b, 5);
    case 8: return (uint8_t)(SwapNibbles(b) ^ 0x96);
    case 9: return RotateLeft((uint8_t)~b, 2);
    case 10: return (uint8_t)(b ^ 0x3F);
    default: return (uint8_t)~RotateLeft(b, 7);
    }
}

void BuildArchiveKey(const char *keyString, uint8_t key[ARCHIVE_KEY_SIZE])
{
    size_t length = keyString != nullptr ? strlen(keyString) : 0;
    for (int i = 0; i < ARCHIVE_KEY_SIZE; i++) {
        uint8_t b = length > 0 ? (uint8_t)keyString[i % length] : kFillByte;
        key[i] = KeyStep(i, b);
    }
}

void BuildArchiveSecondKey(uint8_t key[ARCHIVE_KEY_SIZE])
{
    memset(key, kSecondFillByte, ARCHIVE_KEY_SIZE);
}

int XorArchiveData(size_t count, void *buffer, uint64_t position, const uint8_t key[ARCHIVE_KEY_SIZE])
{
    uint8_t *p = (uint8_t *)buffer;
    int index = (int)(position % ARCHIVE_KEY_SIZE);
    // A byte at a time up to the next multiple of 12 ...
    while (count > 0 && index != 0) {
        *p++ ^= key[index];
        index = (index + 1) % ARCHIVE_KEY_SIZE;
        count--;
    }
    // ... then twelve at a time as three words ...
    uint32_t k[3];
    memcpy(k, key, sizeof k);
    while (count >= ARCHIVE_KEY_SIZE) {
        uint32_t w[3];
        memcpy(w, p, sizeof w);
        w[0] ^= k[0];
        w[1] ^= k[1];
        w[2] ^= k[2];
        memcpy(p, w, sizeof w);
        p += ARCHIVE_KEY_SIZE;
        count -= ARCHIVE_KEY_SIZE;
    }
    // ... and the rest byte by byte.
    while (count > 0) {
        *p++ ^= key[index];
        index = (index + 1) % ARCHIVE_KEY_SIZE;
        count--;
    }
    return index;
}
