// The "Log.txt" half of the log.
#include "library/base/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "library/base/memory.h"
#include "platform/kernel32/kernel32.h"

namespace {

constexpr const char *kLogFileName = "Log.txt";
constexpr size_t kLocalBufferBytes = 256;
constexpr size_t kFormatBufferBytes = 1024;

struct LOGSTATE {
    int indent;
    int midLine;
    DWORD startTime;
    char startDirectory[MAX_PATH];
};

LOGSTATE g_log;

bool IsLogLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Newline conversion, resumable so that a text can be converted in pieces when no work buffer
// of its full size is to be had (memory exhaustion must not recurse into the allocator).
struct Converter {
    const char *next;
    bool raw;       // an existing "\r\n" was met: the rest is copied unchanged
    bool afterCR;   // the previous character was a lone "\r"
};

// Fills out (capacity >= 3) with converted text; returns the bytes written, 0 at the end.
size_t ConvertSome(Converter &cv, char *out, size_t capacity) {
    size_t n = 0;
    while (*cv.next != '\0' && n + 2 < capacity) {
        unsigned char c = static_cast<unsigned char>(*cv.next);
        if (cv.raw) {
            out[n++] = *cv.next++;
            continue;
        }
        if (IsLogLeadByte(c) && cv.next[1] != '\0') {
            out[n++] = cv.next[0];
            out[n++] = cv.next[1];
            cv.next += 2;
            cv.afterCR = false;
            continue;
        }
        if (c == '\n') {
            if (cv.afterCR) {
                cv.raw = true;
            } else {
                out[n++] = '\r';
            }
        }
        out[n++] = *cv.next++;
        cv.afterCR = (c == '\r');
    }
    out[n] = '\0';
    return n;
}

void WriteBoth(HANDLE file, const char *text, size_t n) {
    if (n == 0) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(n), &written, nullptr);
    OutputDebugStringA(text);
}

}  // namespace

int WriteLog(const char *text) {
    if (text == nullptr) return -1;
    size_t length = strlen(text);
    char local[kLocalBufferBytes];
    char *work = local;
    size_t capacity = sizeof local;
    if (length * 2 + 1 > sizeof local) {
        // Null during an allocation-failure dump, or when the heap is exhausted: the text then
        // goes out in pieces through the local buffer.
        char *heap = static_cast<char *>(AllocMemBlock(length * 2 + 1, nullptr, -1));
        if (heap != nullptr) {
            work = heap;
            capacity = length * 2 + 1;
        }
    }

    if (g_log.startDirectory[0] != '\0') {
        char path[MAX_PATH + 16];
        size_t dirLength = strlen(g_log.startDirectory);
        bool hasSeparator = g_log.startDirectory[dirLength - 1] == '\\' || g_log.startDirectory[dirLength - 1] == '/';
        snprintf(path, sizeof path, "%s%s%s", g_log.startDirectory, hasSeparator ? "" : "\\", kLogFileName);
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            SetFilePointer(file, 0, nullptr, FILE_END);
            if (!g_log.midLine) {
                char stamp[16];
                int n = snprintf(stamp, sizeof stamp, "%d:", static_cast<int>(timeGetTime() - g_log.startTime));
                DWORD written = 0;
                WriteFile(file, stamp, static_cast<DWORD>(n), &written, nullptr);
                if (g_log.indent > 0) {
                    char tabs[kLocalBufferBytes];
                    int count = 0;
                    for (int left = g_log.indent; left > 0; left -= count) {
                        count = left < static_cast<int>(sizeof tabs) - 1 ? left : static_cast<int>(sizeof tabs) - 1;
                        memset(tabs, '\t', count);
                        tabs[count] = '\0';
                        WriteBoth(file, tabs, count);
                    }
                }
            }
            Converter cv{text, false, false};
            char last = '\0';
            for (size_t n; (n = ConvertSome(cv, work, capacity)) > 0;) {
                WriteBoth(file, work, n);
                last = work[n - 1];
            }
            g_log.midLine = last != '\n';
            CloseHandle(file);
        }
    }

    if (work != local) FreeMemBlock(work);
    return -1;
}

int WriteLogFmt(const char *format, ...) {
    char buffer[kFormatBufferBytes];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(buffer, sizeof buffer - 1, format, args);
    va_end(args);
    if (n < 0) n = 0;
    size_t length = static_cast<size_t>(n) < sizeof buffer - 2 ? static_cast<size_t>(n) : sizeof buffer - 2;
    if (static_cast<size_t>(n) > length) {
        // Cut text: a lead byte left without its second byte would swallow the "\n".
        size_t lastStart = 0;
        for (size_t i = 0; i < length; i += IsLogLeadByte(static_cast<unsigned char>(buffer[i])) ? 2 : 1) lastStart = i;
        if (IsLogLeadByte(static_cast<unsigned char>(buffer[lastStart])) && lastStart + 1 >= length) length = lastStart;
    }
    buffer[length] = '\n';
    buffer[length + 1] = '\0';
    return WriteLog(buffer);
}

int RaiseLogIndent() {
    g_log.indent++;
    return 0;
}

int LowerLogIndent() {
    if (g_log.indent > 0) g_log.indent--;
    return 0;
}

int StartLogFile() {
    DeleteFileA(kLogFileName);
    HANDLE file = CreateFileA(kLogFileName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    g_log.indent = 0;
    g_log.midLine = 0;
    g_log.startTime = timeGetTime();
    return 1;
}

void SetLogStartDirectory(const char *directory) {
    if (directory == nullptr) directory = "";
    snprintf(g_log.startDirectory, sizeof g_log.startDirectory, "%s", directory);
}

const char *GetLogStartDirectory() { return g_log.startDirectory; }
