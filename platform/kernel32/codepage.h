// Text between character sets over iconv: the platform's Shift-JIS, the host's UTF-8 names and
// whatever set the terminal uses.
#pragma once

#include <string>
#include <string_view>

// Converts `in` between two character sets (iconv names, "CP932" for Shift-JIS). Bytes that do
// not convert fail the whole conversion (false), or with `substitute` each becomes one '?' and
// the rest goes on. False also when iconv knows either set not.
bool PlatformConvertText(const char *to, const char *from, std::string_view in, std::string *out,
                         bool substitute = false);
