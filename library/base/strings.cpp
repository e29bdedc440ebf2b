#include "library/base/strings.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool IsSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

unsigned char ToUpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Beyond this many powers of ten every value the grammar can hold is already inf or 0.
constexpr long long kExponentLimit = 1000;
constexpr int kMaxDoubleDigits = 127;
constexpr int kMaxIntDigits = 32;

}  // namespace

// ---- strings ------------------------------------------------------------------

void CopyString(char *destination, const char *source) {
    while ((*destination++ = *source++) != 0) {
    }
}

void CopyStringN(char *destination, const char *source, int n) {
    int i = 0;
    for (; i < n && source[i] != 0; ++i) destination[i] = source[i];
    destination[i] = 0;
}

void AppendString(char *destination, const char *source) {
    CopyString(destination + std::strlen(destination), source);
}

const char *FindString(const char *text, const char *pattern) {
    if (text[0] == 0) return nullptr;
    for (const char *p = text; *p != 0; ++p) {
        size_t i = 0;
        while (pattern[i] != 0 && p[i] == pattern[i]) ++i;
        if (pattern[i] == 0) return p;
    }
    return nullptr;
}

const char *FindChar(const char *text, int byte) {
    const unsigned char want = static_cast<unsigned char>(byte);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    for (;;) {
        if (*p == 0) return want == 0 ? reinterpret_cast<const char *>(p) : nullptr;
        if (IsSjisLead(*p)) {
            if (p[1] == 0) return want == 0 ? reinterpret_cast<const char *>(p + 1) : nullptr;
            p += 2;
            continue;
        }
        if (*p == want) return reinterpret_cast<const char *>(p);
        ++p;
    }
}

int CompareStrings(const char *a, const char *b) {
    for (;; ++a, ++b) {
        if (*a != *b) return 1;
        if (*a == 0) return 0;
    }
}

int CompareStringsNoCase(const char *a, const char *b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
    for (;; ++x, ++y) {
        if (ToUpperAscii(*x) != ToUpperAscii(*y)) return 1;
        if (*x == 0) return 0;
    }
}

void UpperCaseString(char *text) {
    unsigned char *p = reinterpret_cast<unsigned char *>(text);
    while (*p != 0) {
        if (IsSjisLead(*p)) {
            if (p[1] == 0) return;
            p += 2;
            continue;
        }
        *p = ToUpperAscii(*p);
        ++p;
    }
}

int CompareStringsN(const char *a, const char *b, int n) {
    if (n <= 0) return 0;
    return std::memcmp(a, b, static_cast<size_t>(n)) == 0 ? 0 : 1;
}

// ---- memory -------------------------------------------------------------------

void FillBytes(void *destination, int byte, size_t n) {
    if (n != 0) std::memset(destination, byte, n);
}

int CompareBytes(const void *a, const void *b, size_t n) {
    if (n == 0) return 0;
    return std::memcmp(a, b, n) == 0 ? 0 : 1;
}

void *CopyBytes(void *destination, const void *source, size_t n) {
    if (n != 0) std::memcpy(destination, source, n);
    return destination;
}

void *MoveBytes(void *destination, const void *source, size_t n) {
    if (n != 0) std::memmove(destination, source, n);
    return destination;
}

// ---- numbers ------------------------------------------------------------------

void SinCosFloat(float angle, float *sine, float *cosine) {
    const double a = angle;
    *sine = static_cast<float>(std::sin(a));
    *cosine = static_cast<float>(std::cos(a));
}

int AbsInt(int value) {
    return value < 0 ? static_cast<int>(0u - static_cast<unsigned>(value)) : value;
}

float AbsFloat(float value) { return std::fabs(value); }

int DoubleToInt(double value) {
    // Outside (INT_MIN - 1, INT_MAX + 1) the cast is undefined; give what the hardware gives.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);
}

int FloatToInt(float value) { return DoubleToInt(static_cast<double>(value)); }

const double *DoublesToInts(const double *in, int *out) {
    for (int i = 0; i < 4; ++i) out[i] = DoubleToInt(in[i]);
    return in;
}

float SqrtFloat(float value) { return std::sqrt(value); }
float Atan2Float(float y, float x) { return std::atan2(y, x); }
float AsinFloat(float value) { return std::asin(value); }
float AcosFloat(float value) { return std::acos(value); }

// ---- formatting ---------------------------------------------------------------

int FormatStringV(char *buffer, size_t bufferSize, const char *format, va_list args) {
    if (bufferSize == 0) return 0;
    const int written = std::vsnprintf(buffer, bufferSize, format, args);
    if (written < 0) {
        buffer[0] = 0;
        return 0;
    }
    return static_cast<size_t>(written) < bufferSize ? written : static_cast<int>(bufferSize - 1);
}

int FormatString(char *buffer, size_t bufferSize, const char *format, ...) {
    va_list args;
    va_start(args, format);
    FormatStringV(buffer, bufferSize, format, args);
    va_end(args);
    return 0;
}

int TextToInt(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != 0 && !IsDigit(*p) && *p != '-') ++p;
    if (*p == 0) return -1;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    unsigned value = 0;
    for (int digits = 0; IsDigit(*p); ++p, ++digits) {
        if (digits < kMaxIntDigits) value = value * 10u + static_cast<unsigned>(*p - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

double TextToDouble(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    enum { kInteger, kFraction, kExponent } part = kInteger;
    int digitCount[3] = {0, 0, 0};
    double integerValue = 0.0, fractionValue = 0.0, weight = 0.1;
    long long exponent = 0;
    bool exponentNegative = false;
    bool signAllowed = false;
    for (; *p != 0; ++p) {
        const unsigned char c = *p;
        if (IsDigit(c)) {
            if (++digitCount[part] > kMaxDoubleDigits) return 0.0;
            const int d = c - '0';
            if (part == kInteger) {
                integerValue = integerValue * 10.0 + d;
            } else if (part == kFraction) {
                fractionValue += d * weight;
                weight *= 0.1;
            } else if (exponent < kExponentLimit) {
                exponent = exponent * 10 + d;
            }
            signAllowed = false;
        } else if (c == '.') {
            if (part != kInteger) return 0.0;
            part = kFraction;
        } else if (c == 'e' || c == 'E') {
            if (part == kExponent) return 0.0;
            part = kExponent;
            signAllowed = true;
        } else if ((c == '+' || c == '-') && signAllowed) {
            exponentNegative = c == '-';
            signAllowed = false;
        } else {
            return 0.0;
        }
    }
    if (digitCount[kInteger] == 0 && digitCount[kFraction] == 0) return 0.0;
    double value = integerValue + fractionValue;
    if (negative) value = -value;
    if (exponent > kExponentLimit) exponent = kExponentLimit;
    for (long long i = 0; i < exponent; ++i) value = exponentNegative ? value / 10.0 : value * 10.0;
    return value;
}

char *IntToText(int value, char *buffer, int radix) {
    if (radix < 2 || radix > 36) {
        buffer[0] = 0;
        return nullptr;
    }
    char digits[INTTOTEXT_BUFFER_SIZE];
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        const unsigned d = magnitude % static_cast<unsigned>(radix);
        digits[count++] = static_cast<char>(d < 10 ? '0' + d : 'a' + (d - 10));
        magnitude /= static_cast<unsigned>(radix);
    } while (magnitude != 0);
    char *out = buffer;
    if (value < 0) *out++ = '-';
    while (count > 0) *out++ = digits[--count];
    *out = 0;
    return buffer;
}

// ---- 128-bit arithmetic -------------------------------------------------------

void MulU64To128(ULONGLONG a, ULONGLONG b, UINT128 *out) {
    const ULONGLONG aLo = a & 0xFFFFFFFFu, aHi = a >> 32;
    const ULONGLONG bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const ULONGLONG ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const ULONGLONG middle = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    out->low = (middle << 32) | (ll & 0xFFFFFFFFu);
    out->high = hh + (lh >> 32) + (hl >> 32) + (middle >> 32);
}

int DivU128By64(const UINT128 *dividend, ULONGLONG divisor, ULONGLONG *quotient) {
    if (divisor == 0) return -1;
    if (dividend->high == 0) {
        *quotient = dividend->low / divisor;
        return 0;
    }
    ULONGLONG remainder = 0, q = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const ULONGLONG carry = remainder >> 63;
        const ULONGLONG next = bit >= 64 ? (dividend->high >> (bit - 64)) & 1u : (dividend->low >> bit) & 1u;
        remainder = (remainder << 1) | next;
        if (carry != 0 || remainder >= divisor) {
            remainder -= divisor;
            if (bit < 64) q |= 1ull << bit;
        }
    }
    *quotient = q;
    return 0;
}
