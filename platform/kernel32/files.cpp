// File handles over POSIX descriptors, and the directory and attribute calls.
// Paths go through the one mapping of paths.h. Sharing modes are accepted and ignored:
// the stand-in never reports a sharing violation.
#include "platform/kernel32/fileinfo.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/objects.h"
#include "platform/kernel32/paths.h"
#include "platform/testing.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct FileObject : KernelObject {
    explicit FileObject(int f) : KernelObject(ObjectKind::File), fd(f) {}
    ~FileObject() override { close(fd); }
    const int fd;
};

std::atomic<int> g_readFileCalls{0};
// WriteFile calls still to come that write only half of their bytes (a full disk).
std::atomic<int> g_shortWrites{0};

std::shared_ptr<FileObject> LookupFile(HANDLE handle)
{
    return LookupObjectAs<FileObject>(handle, ObjectKind::File);
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, void *, DWORD disposition, DWORD, HANDLE)
{
    std::string host;
    if (!PlatformMapPath(path, &host))
        return INVALID_HANDLE_VALUE;
    int flags = O_CLOEXEC;
    bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
        if (!write)
            return INVALID_HANDLE_VALUE;
        flags |= O_TRUNC;
        break;
    default: return INVALID_HANDLE_VALUE;
    }
    int fd = open(host.c_str(), flags, 0666);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return RegisterObject(std::make_shared<FileObject>(fd));
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytes, DWORD *bytesRead, void *)
{
    g_readFileCalls.fetch_add(1);
    if (bytesRead)
        *bytesRead = 0;
    auto file = LookupFile(handle);
    if (!file || (!buffer && bytes))
        return FALSE;
    DWORD done = 0;
    while (done < bytes) {
        ssize_t n = read(file->fd, static_cast<char *>(buffer) + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bytesRead)
                *bytesRead = done;
            return FALSE;
        }
        if (n == 0)
            break;  // end of file: a short count, not a failure
        done += static_cast<DWORD>(n);
    }
    if (bytesRead)
        *bytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytes, DWORD *bytesWritten, void *)
{
    if (bytesWritten)
        *bytesWritten = 0;
    auto file = LookupFile(handle);
    if (!file || (!buffer && bytes))
        return FALSE;
    DWORD done = 0;
    int shortWrites = g_shortWrites.load();
    while (shortWrites > 0 && !g_shortWrites.compare_exchange_weak(shortWrites, shortWrites - 1)) {
    }
    if (shortWrites > 0)
        bytes /= 2;
    while (done < bytes) {
        ssize_t n = write(file->fd, static_cast<const char *>(buffer) + done, bytes - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (bytesWritten)
                *bytesWritten = done;
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (bytesWritten)
        *bytesWritten = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG *distanceHigh, DWORD method)
{
    auto file = LookupFile(handle);
    if (!file)
        return INVALID_SET_FILE_POINTER;
    // Without the high part the distance is a signed 32-bit value.
    int64_t move = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                       static_cast<uint32_t>(distance))
                                : static_cast<int64_t>(distance);
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
    if (whence < 0)
        return INVALID_SET_FILE_POINTER;
    off_t position = lseek(file->fd, static_cast<off_t>(move), whence);
    if (position < 0)
        return INVALID_SET_FILE_POINTER;
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    return static_cast<DWORD>(position);
}

DWORD GetFileSize(HANDLE handle, DWORD *sizeHigh)
{
    auto file = LookupFile(handle);
    struct stat st;
    if (!file || fstat(file->fd, &st) != 0)
        return INVALID_FILE_SIZE;
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

BOOL DeleteFileA(LPCSTR path)
{
    std::string host;
    struct stat st;
    if (!PlatformMapPath(path, &host) || lstat(host.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return FALSE;
    return unlink(host.c_str()) == 0 ? TRUE : FALSE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    std::string hostFrom, hostTo;
    struct stat st;
    if (!PlatformMapPath(from, &hostFrom) || !PlatformMapPath(to, &hostTo) || lstat(hostFrom.c_str(), &st) != 0)
        return FALSE;
    // rename(2) replaces silently; without the flag an existing target refuses, as on the platform.
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(hostTo.c_str(), &st) == 0) return FALSE;
    return rename(hostFrom.c_str(), hostTo.c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    std::string host, windows;
    if (!PlatformMapPath(".", &host) || !PlatformHostToWindowsPath(host, &windows))
        return 0;
    // Too small: nothing is written and the size needed (with the terminator) comes back.
    if (!buffer || size <= windows.size())
        return static_cast<DWORD>(windows.size() + 1);
    windows.copy(buffer, windows.size());
    buffer[windows.size()] = '\0';
    return static_cast<DWORD>(windows.size());
}

BOOL SetCurrentDirectoryA(LPCSTR path)
{
    std::string host;
    if (!PlatformMapPath(path, &host))
        return FALSE;
    return chdir(host.c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    std::string host;
    struct stat st;
    if (!PlatformMapPath(path, &host) || stat(host.c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return FileAttributesFromMode(st.st_mode);
}

int PlatformTestReadFileCount() { return g_readFileCalls.load(); }

void PlatformTestResetReadFileCount() { g_readFileCalls.store(0); }

void PlatformTestShortWrites(int count) { g_shortWrites.store(count); }
