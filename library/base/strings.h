// The library's own byte-string, memory and number routines. Their behaviour is fixed here
// rather than left to the runtime: equality tests answer 0 (equal) or 1 (different) and never
// order, conversions truncate, and the text routines that search or change case step over
// Shift-JIS two-byte characters (lead bytes 0x81-0x9F and 0xE0-0xFC) whole.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "platform/windef.h"

// ---- strings ------------------------------------------------------------------

// Copies up to and including the NUL.
void CopyString(char *destination, const char *source);
// Copies at most n bytes, stopping at the NUL, then always writes a NUL after them
// (the destination holds n + 1 bytes); n <= 0 writes an empty string.
void CopyStringN(char *destination, const char *source, int n);
void AppendString(char *destination, const char *source);
// First byte-wise occurrence of the pattern; null for an empty text; an empty pattern
// matches at the start of a non-empty text.
const char *FindString(const char *text, const char *pattern);
// First occurrence of a single-byte character; two-byte characters are stepped over whole,
// so their bytes never match. Looking for 0 finds the terminator.
const char *FindChar(const char *text, int byte);
inline char *FindString(char *text, const char *pattern) {
    return const_cast<char *>(FindString(static_cast<const char *>(text), pattern));
}
inline char *FindChar(char *text, int byte) {
    return const_cast<char *>(FindChar(static_cast<const char *>(text), byte));
}
// 0 when equal, 1 when different.
int CompareStrings(const char *a, const char *b);
// As CompareStrings with a-z taken as A-Z on every byte of both sides.
int CompareStringsNoCase(const char *a, const char *b);
// a-z to A-Z in place; two-byte characters are left as they are.
void UpperCaseString(char *text);
// The first n bytes, NUL bytes included; 0 when equal (n <= 0 gives 0).
int CompareStringsN(const char *a, const char *b, int n);

// ---- memory -------------------------------------------------------------------

void FillBytes(void *destination, int byte, size_t n);
int CompareBytes(const void *a, const void *b, size_t n);
// The regions must not overlap.
void *CopyBytes(void *destination, const void *source, size_t n);
// Overlap-safe.
void *MoveBytes(void *destination, const void *source, size_t n);

// ---- numbers ------------------------------------------------------------------

// Sine and cosine of one angle, computed (not read from the sine table).
void SinCosFloat(float angle, float *sine, float *cosine);
// AbsInt(INT_MIN) stays INT_MIN, as the hardware gives it.
int AbsInt(int value);
float AbsFloat(float value);
// Truncation toward zero. NaN and values outside the int range give INT_MIN, the value the
// processor's own conversion stores for them.
int FloatToInt(float value);
int DoubleToInt(double value);
// Truncates four doubles into four ints; returns the input.
const double *DoublesToInts(const double *in, int *out);
float SqrtFloat(float value);
float Atan2Float(float y, float x);
float AsinFloat(float value);
float AcosFloat(float value);

// ---- formatting ---------------------------------------------------------------

// printf formatting into a buffer of bufferSize bytes; a longer text is cut and always
// NUL-terminated. FormatStringV returns the length stored; FormatString returns 0.
int FormatStringV(char *buffer, size_t bufferSize, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));
int FormatString(char *buffer, size_t bufferSize, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Decimal text to int: leading bytes other than digits and '-' are skipped (-1 when the text
// ends first), an optional '-', then at most 32 digits (wrapping 32-bit arithmetic).
int TextToInt(const char *text);
// Decimal text to double: [-] digits [. digits] [e|E [+|-] digits]; anything outside that
// grammar, or more than 127 digits in a part, gives 0.0. The exponent is clamped, so a huge
// exponent ends at once in inf or 0.
double TextToDouble(const char *text);
// Enough for INT_MIN in radix 2 with its sign and NUL.
#define INTTOTEXT_BUFFER_SIZE 34
// value in radix 2..36 (digits above 9 as 'a'...), NUL-terminated; returns the buffer. The
// buffer holds INTTOTEXT_BUFFER_SIZE bytes. Another radix writes an empty text and returns null.
char *IntToText(int value, char *buffer, int radix);

// ---- 128-bit arithmetic -------------------------------------------------------

struct UINT128 {
    ULONGLONG low;
    ULONGLONG high;
};
// Unsigned 64 x 64 -> 128-bit product.
void MulU64To128(ULONGLONG a, ULONGLONG b, UINT128 *out);
// Unsigned division by shift-and-subtract; stores the low 64 bits of the quotient.
// A zero divisor leaves the quotient untouched and returns -1; else 0.
int DivU128By64(const UINT128 *dividend, ULONGLONG divisor, ULONGLONG *quotient);
