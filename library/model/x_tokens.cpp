// X files: the header and the token readers of both forms. Every read is bounded by the body's
// size: a token that would run past it is refused, never read.
#include "library/base/log.h"
#include "library/base/pathchar.h"
#include "library/base/strings.h"
#include "library/model/x_parse.h"

#include <cstring>

namespace {

const char kDefaultSeparators[] = " \r\n\t,;";

inline const uint8_t *Bytes(const XPARSESTATE *s) { return reinterpret_cast<const uint8_t *>(s->body); }

inline uint32_t LoadU32(const uint8_t *p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline bool IsLead(uint8_t c) { return IsPathLeadByte(c); }

// Bytes of the character at p (a pair only when its second byte is inside the body).
inline int CharBytes(const XPARSESTATE *s, int p) { return IsLead(Bytes(s)[p]) && p + 1 < s->size ? 2 : 1; }

// At a "//" (or, where allowed, "#") comment: the position of its line feed, or the size.
inline bool AtComment(const XPARSESTATE *s, int p, bool hash) {
    const uint8_t c = Bytes(s)[p];
    return (c == '/' && p + 1 < s->size && Bytes(s)[p + 1] == '/') || (hash && c == '#');
}

int SkipComment(const XPARSESTATE *s, int p) {
    const void *lf = std::memchr(s->body + p, '\n', (size_t)(s->size - p));
    return lf ? (int)(static_cast<const char *>(lf) - s->body) : s->size;
}

// The length of the binary token at p, or -1 when it is cut short by the body's end.
int64_t BinaryTokenLength(const XPARSESTATE *s, int p) {
    const int64_t left = (int64_t)s->size - p;
    if (left < 2) return -1;
    const uint8_t *b = Bytes(s) + p;
    const int code = b[0] | b[1] << 8;
    int64_t length = 2;
    switch (code) {
    case XB_NAME:
    case XB_STRING:
    case XB_INTEGER_LIST:
    case XB_FLOAT_LIST: {
        if (left < 6) return -1;
        const int64_t n = LoadU32(b + 2);
        if (code == XB_NAME) length = 6 + n;
        else if (code == XB_STRING) length = 8 + n;
        else if (code == XB_INTEGER_LIST) length = 6 + 4 * n;
        else length = 6 + (s->doubles ? 8 : 4) * n;
        break;
    }
    case XB_INTEGER: length = 6; break;
    case XB_GUID: length = 18; break;
    default: break;
    }
    return length <= left ? length : -1;
}

}  // namespace

int StartXParse(XPARSESTATE *state, const void *image, int size) {
    std::memset(state, 0, sizeof *state);
    const char *bytes = static_cast<const char *>(image);
    if (size < 4 || std::memcmp(bytes, "xof ", 4) != 0) return -1;
    if (size < XFILE_HEADER_SIZE || (std::memcmp(bytes + 8, "txt ", 4) != 0 && std::memcmp(bytes + 8, "bin ", 4) != 0))
        return WriteLogFmt("対応している xファイル形式はテキスト形式と非圧縮バイナリ形式のみです");
    state->body = bytes + XFILE_HEADER_SIZE;
    state->size = size - XFILE_HEADER_SIZE;
    state->binary = std::memcmp(bytes + 8, "bin ", 4) == 0;
    state->doubles = std::memcmp(bytes + 12, "0064", 4) == 0;
    SetXSeparators(state, kDefaultSeparators);
    return 0;
}

void SetXSeparators(XPARSESTATE *state, const char *separators) {
    CopyStringN(state->separators, separators, XSEPARATORS_MAX);
    state->separatorCount = (int32_t)std::strlen(state->separators);
    std::memset(state->isSeparator, 0, sizeof state->isSeparator);
    for (int i = 0; i < state->separatorCount; ++i) state->isSeparator[(uint8_t)state->separators[i]] = 1;
}

// ---- text -------------------------------------------------------------------------------

int ScanXToken(XPARSESTATE *s, int *start) {
    const uint8_t *b = Bytes(s);
    const int n = s->size;
    int p = s->position;
    for (;;) {
        if (p >= n) {
            s->position = n;
            return -1;
        }
        if (AtComment(s, p, true)) {
            p = SkipComment(s, p);
            if (p >= n) {
                s->position = n;
                return -1;
            }
            continue;
        }
        const uint8_t c = b[p];
        if (!IsLead(c) && s->isSeparator[c]) {
            ++p;
            continue;
        }
        break;
    }
    *start = p;
    while (p < n) {
        const uint8_t c = b[p];
        if (IsLead(c)) {
            p += CharBytes(s, p);
            continue;
        }
        if (s->isSeparator[c]) break;
        ++p;
    }
    s->position = p;
    return p - *start;
}

int ReadXToken(XPARSESTATE *state, char *buffer, int bufferSize) {
    int start;
    const int length = ScanXToken(state, &start);
    if (length < 0 || length >= bufferSize) return -1;
    std::memcpy(buffer, state->body + start, (size_t)length);
    buffer[length] = '\0';
    return length;
}

int ReadXTokenWith(XPARSESTATE *state, const char *extra, char *buffer, int bufferSize) {
    uint8_t saved[256];
    std::memcpy(saved, state->isSeparator, sizeof saved);
    for (const char *c = extra; *c; ++c) state->isSeparator[(uint8_t)*c] = 1;
    const int length = ReadXToken(state, buffer, bufferSize);
    std::memcpy(state->isSeparator, saved, sizeof saved);
    return length;
}

int PeekXTokenWith(XPARSESTATE *state, const char *extra, char *buffer, int bufferSize) {
    const int position = state->position;
    const int length = ReadXTokenWith(state, extra, buffer, bufferSize);
    state->position = position;
    return length;
}

int SkipXTextUntil(XPARSESTATE *s, const char *characters) {
    const uint8_t *b = Bytes(s);
    int p = s->position;
    while (p < s->size) {
        if (AtComment(s, p, false)) {
            p = SkipComment(s, p);
            continue;
        }
        const uint8_t c = b[p];
        if (IsLead(c)) {
            p += CharBytes(s, p);
            continue;
        }
        if (std::strchr(characters, c) && c != '\0') {
            s->position = p;
            return 0;
        }
        ++p;
    }
    s->position = s->size;
    return -1;
}

int SkipXTextBlock(XPARSESTATE *s) {
    if (SkipXTextUntil(s, "{") != 0) return -1;
    int depth = 0;
    while (SkipXTextUntil(s, "{}") == 0) {
        if (s->body[s->position++] == '{') ++depth;
        else if (--depth == 0) return 0;
    }
    return -1;
}

// ---- binary -----------------------------------------------------------------------------

int PeekXBinaryCode(const XPARSESTATE *s) {
    if ((int64_t)s->size - s->position < 2) return -1;
    return Bytes(s)[s->position] | Bytes(s)[s->position + 1] << 8;
}

int SkipXBinaryToken(XPARSESTATE *s) {
    const int64_t length = BinaryTokenLength(s, s->position);
    if (length < 0) return -1;
    s->position += (int)length;
    return 0;
}

int SkipXBinaryTo(XPARSESTATE *s, int code) {
    for (;;) {
        const int c = PeekXBinaryCode(s);
        if (c < 0) return -1;
        if (c == code) return 0;
        if (SkipXBinaryToken(s) != 0) return -1;
    }
}

int SkipXBinaryBlock(XPARSESTATE *s) {
    if (SkipXBinaryTo(s, XB_OBRACE) != 0) return -1;
    s->position += 2;
    int depth = 1;
    while (depth > 0) {
        const int c = PeekXBinaryCode(s);
        if (c < 0 || SkipXBinaryToken(s) != 0) return -1;
        if (c == XB_OBRACE) ++depth;
        else if (c == XB_CBRACE) --depth;
    }
    return 0;
}

int PeekXBinaryName(XPARSESTATE *s, char *buffer, int bufferSize) {
    if (PeekXBinaryCode(s) != XB_NAME || BinaryTokenLength(s, s->position) < 0) return -1;
    const uint32_t length = LoadU32(Bytes(s) + s->position + 2);
    if (length >= (uint32_t)bufferSize) return -1;
    std::memcpy(buffer, s->body + s->position + 6, length);
    buffer[length] = '\0';
    return (int)length;
}

int ReadXBinaryName(XPARSESTATE *s, char *buffer, int bufferSize) {
    const int length = PeekXBinaryName(s, buffer, bufferSize);
    if (length >= 0) s->position += 6 + length;
    return length;
}

int ReadXBinaryList(XPARSESTATE *s, int code, XBINLIST *list) {
    if (PeekXBinaryCode(s) != code) return -1;
    const int64_t length = BinaryTokenLength(s, s->position);
    if (length < 0) return -1;
    const uint8_t *b = Bytes(s) + s->position;
    list->count = (int32_t)LoadU32(b + 2);
    if (list->count < 0) return -1;
    list->data = b + 6;
    list->floats = code == XB_FLOAT_LIST;
    list->doubles = list->floats && s->doubles;
    s->position += (int)length;
    return 0;
}

int32_t XBinaryInt(const XBINLIST *list, int i) { return (int32_t)LoadU32(list->data + 4 * (size_t)i); }

float XBinaryFloat(const XBINLIST *list, int i) {
    if (list->doubles) {
        double d;
        std::memcpy(&d, list->data + 8 * (size_t)i, 8);
        return (float)d;
    }
    float f;
    std::memcpy(&f, list->data + 4 * (size_t)i, 4);
    return f;
}

// ---- both -------------------------------------------------------------------------------

int ReadXInt(XPARSESTATE *s, int32_t *value) {
    if (!s->binary) {
        char token[XTOKEN_BUFFER];
        if (ReadXToken(s, token, sizeof token) < 0) return -1;
        *value = TextToInt(token);
        return 0;
    }
    const int code = PeekXBinaryCode(s);
    if (code == XB_INTEGER) {
        if (BinaryTokenLength(s, s->position) < 0) return -1;
        *value = (int32_t)LoadU32(Bytes(s) + s->position + 2);
        s->position += 6;
        return 0;
    }
    XBINLIST list;
    const int position = s->position;
    if (ReadXBinaryList(s, XB_INTEGER_LIST, &list) != 0) return -1;
    if (list.count != 1) {
        s->position = position;
        return -1;
    }
    *value = XBinaryInt(&list, 0);
    return 0;
}
