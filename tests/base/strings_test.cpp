#include "library/base/strings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

TEST(Strings, CompareFamily) {
    struct Row {
        const char *a, *b;
        int equal, noCase;
    } rows[] = {
        {"abc", "abd", 1, 1},
        {"", "", 0, 0},
        {"abc", "abc", 0, 0},
        {"abc", "ABC", 1, 0},
        {"abc", "ab", 1, 1},
        {"ab", "abc", 1, 1},
        {"a[z", "A{Z", 1, 1},  // only a-z fold, not the bytes around them
        // Folding reaches into two-byte characters: 0x82 0x61 and 0x82 0x41 compare equal.
        {"\x82\x61", "\x82\x41", 1, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        EXPECT_EQ(CompareStrings(r.a, r.b), r.equal);
        EXPECT_EQ(CompareStringsNoCase(r.a, r.b), r.noCase);
    }
    // The first n bytes, NUL bytes included.
    const char x[] = {'a', 0, 'b'}, y[] = {'a', 0, 'c'};
    EXPECT_EQ(CompareStringsN(x, y, 2), 0);
    EXPECT_EQ(CompareStringsN(x, y, 3), 1);
    EXPECT_EQ(CompareStringsN(x, y, 0), 0);
    EXPECT_EQ(CompareBytes(x, y, 2), 0);
    EXPECT_EQ(CompareBytes(x, y, 3), 1);
}

TEST(Strings, CopyAndAppend) {
    struct Row {
        const char *source;
        int n;
        const char *expected;
    } rows[] = {
        {"abcdef", 3, "abc"}, {"ab", 5, "ab"}, {"abc", 0, ""}, {"abc", -4, ""}, {"abc", 3, "abc"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.source) + " n=" + std::to_string(r.n));
        char buffer[16];
        std::memset(buffer, 'X', sizeof buffer);
        CopyStringN(buffer, r.source, r.n);
        EXPECT_STREQ(buffer, r.expected);
        // Nothing past the NUL is touched.
        EXPECT_EQ(buffer[std::strlen(r.expected) + 1], 'X');
    }
    char buffer[16];
    CopyString(buffer, "ab");
    AppendString(buffer, "cd");
    AppendString(buffer, "");
    EXPECT_STREQ(buffer, "abcd");
}

TEST(Strings, FindString) {
    const char *text = "abcabd";
    struct Row {
        const char *text, *pattern;
        int offset;  // -1: null
    } rows[] = {
        {text, "abd", 3}, {text, "abc", 0}, {text, "", 0}, {text, "abdx", -1},
        {"", "", -1},     {"", "a", -1},    {"aaab", "aab", 1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("'") + r.text + "' / '" + r.pattern + "'");
        const char *found = FindString(r.text, r.pattern);
        if (r.offset < 0) {
            EXPECT_EQ(found, nullptr);
        } else {
            EXPECT_EQ(found, r.text + r.offset);
        }
    }
}

TEST(Strings, FindCharStepsOverTwoByteCharacters) {
    // "ソ" is 83 5C and "表" 95 5C in Shift-JIS: their trail bytes are "\".
    const char *sjis = "ソ表\\x";
    ASSERT_EQ(static_cast<unsigned char>(sjis[1]), 0x5C);
    struct Row {
        const char *text;
        int byte;
        int offset;
    } rows[] = {
        {sjis, '\\', 4},
        {sjis, 'x', 5},
        {"ソ", '\\', -1},
        {"a\x83", '\\', -1},  // a lead byte at the end does not run past the NUL
        {"ab", 0, 2},
        {"abc", 'c', 2},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("byte ") + std::to_string(r.byte) + " offset " + std::to_string(r.offset));
        const char *found = FindChar(r.text, r.byte);
        if (r.offset < 0) {
            EXPECT_EQ(found, nullptr);
        } else {
            EXPECT_EQ(found, r.text + r.offset);
        }
    }
}

TEST(Strings, UpperCaseLeavesTwoByteCharactersAlone) {
    struct Row {
        const char *in, *out;
    } rows[] = {
        {"abc.txt", "ABC.TXT"},
        {"\x82\x61z", "\x82\x61Z"},  // trail byte 'a' stays
        {"ソa", "ソA"},
        {"a\x83", "A\x83"},
        {"", ""},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.out);
        char buffer[32];
        std::strcpy(buffer, r.in);
        UpperCaseString(buffer);
        EXPECT_STREQ(buffer, r.out);
    }
}

TEST(Strings, MoveBytesOverlapsBothWays) {
    for (int shift : {-3, -1, 1, 3}) {
        SCOPED_TRACE("shift " + std::to_string(shift));
        char buffer[16] = "0123456789";
        std::string expected(buffer, 16);
        std::memmove(&expected[5 + shift], &expected[5], 5);
        EXPECT_EQ(MoveBytes(buffer + 5 + shift, buffer + 5, 5), buffer + 5 + shift);
        EXPECT_EQ(std::string(buffer, 16), expected);
    }
    char a[4] = "abc", b[4];
    EXPECT_EQ(CopyBytes(b, a, 4), b);
    EXPECT_STREQ(b, "abc");
    FillBytes(b, 'z', 3);
    EXPECT_STREQ(b, "zzz");
}

TEST(Strings, TextToInt) {
    struct Row {
        const char *text;
        int value;
    } rows[] = {
        {"x-12y", -12},
        {"abc", -1},
        {"", -1},
        {"-", 0},
        {"a-b", 0},
        {"  42", 42},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},  // wraps
        {"-2147483648", INT_MIN},
        {"4294967297", 1},
        // 33 digits: the 33rd is ignored.
        {"000000000000000000000000000000129", 12},
        {"12.5", 12},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(TextToInt(r.text), r.value);
    }
}

TEST(Strings, TextToDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::string digits127(127, '1'), digits128(128, '1');
    const std::string fraction127 = "0." + std::string(127, '0');
    struct Row {
        std::string text;
        double value;
    } rows[] = {
        {"1.5e2", 150.0},
        {"1.5e-2", 0.015},
        {"1.5E+2", 150.0},
        {"-2.25", -2.25},
        {".5", 0.5},
        {"5.", 5.0},
        {"-.5", -0.5},
        {"1e", 1.0},
        {"", 0.0},
        {"-", 0.0},
        {"e5", 0.0},
        {".", 0.0},
        {"1e+-2", 0.0},
        {"1e--2", 0.0},
        {"--1", 0.0},
        {"+1", 0.0},
        {"1-2", 0.0},
        {"1.2.3", 0.0},
        {"1e2e3", 0.0},
        {"1e2.5", 0.0},
        {"1.5 ", 0.0},
        {"1x", 0.0},
        {digits128, 0.0},
        {"1." + digits128, 0.0},
        {"1e" + std::string(128, '0'), 0.0},
        {fraction127, 0.0},
        // A clamped exponent ends at once.
        {"1e999999999999", inf},
        {"1e-999999999999", 0.0},
        {"-1e" + digits127, -inf},
        {"0e999999999999", 0.0},
        {"1e308", 1e308},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text.substr(0, 40));
        EXPECT_DOUBLE_EQ(TextToDouble(r.text.c_str()), r.value);
    }
    EXPECT_NEAR(TextToDouble(digits127.c_str()) / 1.111111111111111e126, 1.0, 1e-12);
}

TEST(Strings, IntToText) {
    struct Row {
        int value, radix;
        const char *text;  // null: refused
    } rows[] = {
        {255, 16, "ff"},
        {-7, 10, "-7"},
        {0, 10, "0"},
        {0, 2, "0"},
        {35, 36, "z"},
        {INT_MAX, 10, "2147483647"},
        {INT_MIN, 10, "-2147483648"},
        {INT_MIN, 2, "-10000000000000000000000000000000"},
        {INT_MIN, 16, "-80000000"},
        {5, 1, nullptr},
        {5, 0, nullptr},
        {5, 37, nullptr},
        {5, -10, nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.value) + " radix " + std::to_string(r.radix));
        char buffer[INTTOTEXT_BUFFER_SIZE];
        std::memset(buffer, 'X', sizeof buffer);
        char *result = IntToText(r.value, buffer, r.radix);
        if (r.text == nullptr) {
            EXPECT_EQ(result, nullptr);
            EXPECT_STREQ(buffer, "");
        } else {
            EXPECT_EQ(result, buffer);
            EXPECT_STREQ(buffer, r.text);
        }
    }
}

TEST(Strings, FormatStringIsBounded) {
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(FormatString(buffer, 6, "Mat_%d", 12345), 0);
    EXPECT_STREQ(buffer, "Mat_1");
    EXPECT_EQ(buffer[6], 'X');
    EXPECT_EQ(FormatString(buffer, sizeof buffer, "%s\\%03d", "a", 7), 0);
    EXPECT_STREQ(buffer, "a\\007");
    buffer[0] = 'Q';
    FormatString(buffer, 0, "abc");
    EXPECT_EQ(buffer[0], 'Q');
}

TEST(Strings, Conversions) {
    struct Row {
        double value;
        int truncated;
    } rows[] = {
        {2.9, 2}, {-2.9, -2}, {0.0, 0}, {-0.5, 0}, {2147483647.0, INT_MAX}, {-2147483648.0, INT_MIN},
        {3e9, INT_MIN}, {-3e9, INT_MIN}, {std::nan(""), INT_MIN},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.value));
        EXPECT_EQ(DoubleToInt(r.value), r.truncated);
        if (std::fabs(r.value) < 1e7 || std::isnan(r.value)) {
            EXPECT_EQ(FloatToInt(static_cast<float>(r.value)), r.truncated);
        }
    }
    const double four[4] = {1.9, -1.9, 100.5, -0.1};
    int out[4];
    EXPECT_EQ(DoublesToInts(four, out), four);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], -1);
    EXPECT_EQ(out[2], 100);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(AbsInt(-5), 5);
    EXPECT_EQ(AbsInt(INT_MIN), INT_MIN);
    EXPECT_EQ(AbsFloat(-1.5f), 1.5f);
    float s, c;
    SinCosFloat(0.5f, &s, &c);
    EXPECT_EQ(s, static_cast<float>(std::sin(static_cast<double>(0.5f))));
    EXPECT_EQ(c, static_cast<float>(std::cos(static_cast<double>(0.5f))));
}

TEST(Strings, Wide128AgainstInt128) {
    std::mt19937_64 random(7);
    const unsigned long long edges[] = {0, 1, 2, 0xFFFFFFFFull, 0x100000000ull, 0x8000000000000000ull,
                                        0xFFFFFFFFFFFFFFFFull, 1000000ull, 3579545ull};
    for (int i = 0; i < 2000; ++i) {
        const unsigned long long a = i < 81 ? edges[i % 9] : random();
        const unsigned long long b = i < 81 ? edges[i / 9] : (i % 3 == 0 ? random() >> (i % 64) : random());
        SCOPED_TRACE("row " + std::to_string(i) + ": " + std::to_string(a) + " * " + std::to_string(b));
        UINT128 product;
        MulU64To128(a, b, &product);
        const unsigned __int128 expected = static_cast<unsigned __int128>(a) * b;
        EXPECT_EQ(product.low, static_cast<unsigned long long>(expected));
        EXPECT_EQ(product.high, static_cast<unsigned long long>(expected >> 64));
        if (b == 0) {
            ULONGLONG untouched = 42;
            EXPECT_EQ(DivU128By64(&product, b, &untouched), -1);
            EXPECT_EQ(untouched, 42u);
            continue;
        }
        const unsigned __int128 dividend = (static_cast<unsigned __int128>(random()) << 64) | random();
        const UINT128 parts = {static_cast<ULONGLONG>(dividend), static_cast<ULONGLONG>(dividend >> 64)};
        ULONGLONG quotient = 0;
        EXPECT_EQ(DivU128By64(&parts, b, &quotient), 0);
        EXPECT_EQ(quotient, static_cast<unsigned long long>(dividend / b));
        EXPECT_EQ(DivU128By64(&product, b, &quotient), 0);
        EXPECT_EQ(quotient, a);
    }
}

}  // namespace
