// The scrambling of KLA archives: the 12-byte key and the XOR by archive position. The archive
// reader and the archive writer (tools/kla-pack) share this code, so both sides always agree.
#pragma once

#include <cstddef>
#include <cstdint>

#define ARCHIVE_KEY_SIZE 12

// The key of an archive: the key string repeated to 12 bytes (none: 12 fill bytes), each byte
// then put through the fixed step of its position.
void BuildArchiveKey(const char *keyString, uint8_t key[ARCHIVE_KEY_SIZE]);
// The key tried when the head does not unscramble with the first: 12 copies of the second fill
// byte, with no steps.
void BuildArchiveSecondKey(uint8_t key[ARCHIVE_KEY_SIZE]);
// XORs count bytes that lie at archive position `position` with key[position mod 12]; the same
// call scrambles and unscrambles. Returns the key index after the last byte.
int XorArchiveData(size_t count, void *buffer, uint64_t position, const uint8_t key[ARCHIVE_KEY_SIZE]);
