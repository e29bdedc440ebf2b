// Text between the code pages and wide characters: the ANSI code page is Shift-JIS, wide
// characters hold one code point each; and text between any two character sets over iconv.
#include "platform/kernel32/codepage.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"

std::string PlatformWideToUtf8(std::wstring_view wide) {
    std::string out;
    for (wchar_t w : wide) {
        uint32_t c = static_cast<uint32_t>(w);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool PlatformUtf8ToWide(std::string_view utf8, std::wstring *wide) {
    wide->clear();
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int more = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + (size_t)more + 1 > utf8.size()) return false;
        uint32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (int k = 1; k <= more; k++) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + (size_t)k]);
            if ((next & 0xC0) != 0x80) return false;
            c = c << 6 | (next & 0x3F);
        }
        wide->push_back(static_cast<wchar_t>(c));
        i += (size_t)more + 1;
    }
    return true;
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int bytes, LPWSTR out, int outChars) {
    if (!text || outChars < 0 || (codePage != CP_ACP && codePage != CP_UTF8)) return 0;
    const std::string_view in(text, bytes < 0 ? strlen(text) + 1 : (size_t)bytes);
    std::string utf8;
    if (codePage == CP_UTF8) utf8 = in;
    else if (!PlatformShiftJisToUtf8(in, &utf8)) return 0;
    std::wstring wide;
    if (!PlatformUtf8ToWide(utf8, &wide)) return 0;
    if (outChars == 0) return (int)wide.size();
    if (!out || wide.size() > (size_t)outChars) return 0;
    std::copy(wide.begin(), wide.end(), out);
    return (int)wide.size();
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR text, int chars, LPSTR out, int outBytes, LPCSTR,
                        BOOL *usedDefault) {
    if (usedDefault) *usedDefault = FALSE;
    if (!text || outBytes < 0 || (codePage != CP_ACP && codePage != CP_UTF8)) return 0;
    const std::wstring_view in(text, chars < 0 ? wcslen(text) + 1 : (size_t)chars);
    std::string bytes = PlatformWideToUtf8(in);
    if (codePage == CP_ACP) {
        std::string sjis;
        if (!PlatformUtf8ToShiftJis(bytes, &sjis)) return 0;
        bytes = std::move(sjis);
    }
    if (outBytes == 0) return (int)bytes.size();
    if (!out || bytes.size() > (size_t)outBytes) return 0;
    memcpy(out, bytes.data(), bytes.size());
    return (int)bytes.size();
}

// ---- any two character sets -----------------------------------------------------------

namespace {

// One converter per direction and thread: iconv_t keeps shift state and is not shareable.
struct Converter {
    std::string to, from;
    iconv_t cd;
    Converter(const char *t, const char *f) : to(t), from(f), cd(iconv_open(t, f)) {}
    ~Converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

Converter &ConverterFor(const char *to, const char *from)
{
    thread_local std::vector<std::unique_ptr<Converter>> converters;
    for (auto &c : converters)
        if (c->to == to && c->from == from)
            return *c;
    converters.push_back(std::make_unique<Converter>(to, from));
    return *converters.back();
}

}  // namespace

bool PlatformConvertText(const char *to, const char *from, std::string_view in, std::string *out, bool substitute)
{
    out->clear();
    Converter &c = ConverterFor(to, from);
    if (c.cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    char buffer[512];
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(c.cd, &src, &srcLeft, &dst, &dstLeft);
        out->append(buffer, dst - buffer);
        if (rc != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        if (!substitute)
            return false;
        // A byte that is no character (or a character cut at the end): shown, not dropped.
        *out += '?';
        ++src;
        --srcLeft;
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}
