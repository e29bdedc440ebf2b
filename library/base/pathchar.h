// Byte classes of Shift-JIS path text, shared by the path and archive code. Paths and archive
// names step over a two-byte character whole, so a second byte 0x5C is never a separator.
#pragma once

inline bool IsPathLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

inline bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Bytes of the character at p: 2 for a lead byte with its follower, else 1 (0 at the end).
inline int PathCharLength(const char *p)
{
    if (*p == '\0') return 0;
    if (IsPathLeadByte((unsigned char)*p) && p[1] != '\0') return 2;
    return 1;
}
