// The one mapping between the library's Windows-shaped paths and the host tree.
//
// The host tree is drive "C:": POSIX "/home/a/g" is "C:\home\a\g". "\" and "/" both
// separate; a path without a drive, or "C:" without a root, is taken against the process's
// current directory; "." and ".." are folded by name, as the platform does. Names are
// Shift-JIS on the Windows side and UTF-8 on the host. Each component is taken as written
// when it exists, else as the entry of its folder that equals it ignoring ASCII case;
// a component that matches nothing (a file about to be created) stays as written.
// Other drives and UNC names have no host counterpart and do not map.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The host path for a Windows path; false when it has no host counterpart.
bool PlatformMapPath(const char *windowsPath, std::string *hostPath);
// The Windows path ("C:\...", Shift-JIS) for an absolute host path; false when a name
// cannot be written in Shift-JIS.
bool PlatformHostToWindowsPath(std::string_view hostPath, std::string *windowsPath);

// Name conversions at the boundary (false on bytes that do not convert).
bool PlatformShiftJisToUtf8(std::string_view sjis, std::string *utf8);
bool PlatformUtf8ToShiftJis(std::string_view utf8, std::string *sjis);
// Wide text (one code point a WCHAR) and UTF-8.
std::string PlatformWideToUtf8(std::wstring_view wide);
bool PlatformUtf8ToWide(std::string_view utf8, std::wstring *wide);

// True when the byte starts a two-byte Shift-JIS character.
inline bool PlatformIsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// ASCII-only case folding, as the file system compares names.
bool PlatformSameNameIgnoringCase(std::string_view a, std::string_view b);

// The game's stdio calls: fopen over the same mapping. Null when the path does not map.
FILE *PlatformOpenFile(const char *windowsPath, const char *mode);
