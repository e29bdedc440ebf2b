// Kernel services of the stand-in layer: threads, synchronisation, heap, time,
// system facts, debugger output and files. Paths are Windows-shaped (see paths.h).
#pragma once

#include "platform/windef.h"

// ---- threads and synchronisation ----------------------------------------------

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID param);

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

HANDLE CreateThread(void *security, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID param,
                    DWORD flags, DWORD *threadId);
BOOL GetExitCodeThread(HANDLE thread, DWORD *exitCode);
DWORD GetCurrentThreadId();
void Sleep(DWORD ms);

HANDLE CreateEventA(void *security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// Works on events and threads (a thread is signalled once it has returned).
DWORD WaitForSingleObject(HANDLE object, DWORD ms);
// Events, threads, files and find handles alike.
BOOL CloseHandle(HANDLE object);

// Recursive, as the platform's are.
struct CRITICAL_SECTION {
    void *impl;
};
void InitializeCriticalSection(CRITICAL_SECTION *cs);
void EnterCriticalSection(CRITICAL_SECTION *cs);
void LeaveCriticalSection(CRITICAL_SECTION *cs);
void DeleteCriticalSection(CRITICAL_SECTION *cs);

[[noreturn]] void ExitProcess(UINT exitCode);

// ---- code pages ---------------------------------------------------------------

#define CP_ACP 0u       // the ANSI code page: Shift-JIS (932)
#define CP_UTF8 65001u

// A byte count of -1 takes the text with its terminating zero. An output size of 0 asks for the
// size needed. 0 when the text does not convert or the output is too small.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, LPWSTR out, int outChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int chars, LPSTR out, int outBytes,
                        LPCSTR defaultChar, BOOL *usedDefault);

// ---- heap ---------------------------------------------------------------------

#define HEAP_ZERO_MEMORY 0x00000008u

HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
// With HEAP_ZERO_MEMORY the grown part is zeroed; on failure the old block stays valid.
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID mem, size_t bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID mem);
size_t HeapSize(HANDLE heap, DWORD flags, LPCVOID mem);

// ---- time ---------------------------------------------------------------------

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};
#define TIMERR_NOERROR 0u
#define TIMERR_NOCANDO 97u

DWORD timeGetTime();
UINT timeGetDevCaps(TIMECAPS *caps, UINT size);
UINT timeBeginPeriod(UINT period);
UINT timeEndPeriod(UINT period);
BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER *count);
void GetLocalTime(SYSTEMTIME *time);
BOOL FileTimeToLocalFileTime(const FILETIME *fileTime, FILETIME *localTime);
BOOL FileTimeToSystemTime(const FILETIME *fileTime, SYSTEMTIME *systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME *systemTime, FILETIME *fileTime);

// ---- system facts -------------------------------------------------------------

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    size_t dwTotalPhys;
    size_t dwAvailPhys;
    size_t dwTotalPageFile;
    size_t dwAvailPageFile;
    size_t dwTotalVirtual;
    size_t dwAvailVirtual;
};

BOOL GetVersionExA(OSVERSIONINFOA *info);
void GlobalMemoryStatus(MEMORYSTATUS *status);
UINT GetOEMCP();
HMODULE GetModuleHandleA(LPCSTR name);

// The processor, as the cpuid instruction reports it.
struct CPUID_RESULT {
    DWORD eax, ebx, ecx, edx;
};
BOOL PlatformHasCpuid();
void PlatformCpuid(DWORD leaf, CPUID_RESULT *out);
ULONGLONG PlatformReadTimeStamp();

// ---- debugger output ----------------------------------------------------------

void OutputDebugStringA(LPCSTR text);
// Not the platform's: silences the standard-error copy (also KELMOR_DEBUG_QUIET=1).
void PlatformSetDebugOutputQuiet(bool quiet);

// ---- files --------------------------------------------------------------------

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, void *security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, DWORD *bytesRead, void *overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, DWORD *bytesWritten, void *overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, DWORD *sizeHigh);
BOOL DeleteFileA(LPCSTR path);
#define MOVEFILE_REPLACE_EXISTING 0x1u
// Renames a file; with MOVEFILE_REPLACE_EXISTING an existing target is replaced in one step.
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
DWORD GetFileAttributesA(LPCSTR path);
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA *data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA *data);
BOOL FindClose(HANDLE find);

DWORD GetTempPathA(DWORD size, LPSTR buffer);
UINT GetTempFileNameA(LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR name);
