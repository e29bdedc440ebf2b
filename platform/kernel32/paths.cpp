// Path mapping and name conversion (see paths.h).
#include "platform/kernel32/paths.h"
#include "platform/kernel32/codepage.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits at "\" and "/", stepping over two-byte characters (whose trail byte may be 0x5C).
std::vector<std::string> SplitShiftJis(std::string_view path)
{
    std::vector<std::string> parts;
    std::string current;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (PlatformIsShiftJisLead(c) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
        } else if (IsSeparator(path[i])) {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return parts;
}

std::vector<std::string> SplitHost(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool CurrentHostDirectory(std::string *out)
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return false;
        buffer.resize(buffer.size() * 2);
    }
    *out = buffer.data();
    return true;
}

std::string Join(const std::string &dir, const std::string &name)
{
    return dir == "/" ? "/" + name : dir + "/" + name;
}

// The entry of `dir` named `name`: exactly when present, else the first (in byte order)
// equal ignoring case; empty when none.
std::string ResolveEntry(const std::string &dir, const std::string &name)
{
    struct stat st;
    if (lstat(Join(dir, name).c_str(), &st) == 0)
        return name;
    DIR *d = opendir(dir.c_str());
    if (!d)
        return {};
    std::string best;
    while (dirent *entry = readdir(d)) {
        std::string_view candidate(entry->d_name);
        if (PlatformSameNameIgnoringCase(candidate, name) && (best.empty() || candidate < best))
            best = candidate;
    }
    closedir(d);
    return best;
}

}  // namespace

bool PlatformShiftJisToUtf8(std::string_view sjis, std::string *utf8)
{
    return PlatformConvertText("UTF-8", "CP932", sjis, utf8);
}

bool PlatformUtf8ToShiftJis(std::string_view utf8, std::string *sjis)
{
    return PlatformConvertText("CP932", "UTF-8", utf8, sjis);
}

bool PlatformSameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool PlatformMapPath(const char *windowsPath, std::string *hostPath)
{
    if (!windowsPath || !*windowsPath)
        return false;
    std::string_view path(windowsPath);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return false;  // UNC name
    bool absolute = false;
    if (path.size() >= 2 && path[1] == ':') {
        if (path[0] != 'C' && path[0] != 'c')
            return false;
        path.remove_prefix(2);
    }
    if (!path.empty() && IsSeparator(path[0]))
        absolute = true;

    // Folded components, host side (UTF-8).
    std::vector<std::string> parts;
    if (!absolute) {
        std::string cwd;
        if (!CurrentHostDirectory(&cwd))
            return false;
        parts = SplitHost(cwd);
    }
    for (const std::string &part : SplitShiftJis(path)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        std::string converted;
        if (!PlatformShiftJisToUtf8(part, &converted))
            return false;
        parts.push_back(std::move(converted));
    }

    std::string resolved = "/";
    for (const std::string &part : parts)
        resolved = Join(resolved, part);
    struct stat st;
    if (lstat(resolved.c_str(), &st) == 0) {
        // Spelled as on disk: the usual case, one look-up.
        *hostPath = std::move(resolved);
        return true;
    }
    resolved = "/";
    bool parentExists = true;
    for (const std::string &part : parts) {
        std::string name = parentExists ? ResolveEntry(resolved, part) : std::string();
        if (name.empty()) {
            parentExists = false;
            name = part;
        }
        resolved = Join(resolved, name);
    }
    *hostPath = std::move(resolved);
    return true;
}

bool PlatformHostToWindowsPath(std::string_view hostPath, std::string *windowsPath)
{
    std::string out = "C:";
    std::vector<std::string> parts = SplitHost(hostPath);
    if (parts.empty())
        out += '\\';
    for (const std::string &part : parts) {
        std::string converted;
        if (!PlatformUtf8ToShiftJis(part, &converted))
            return false;
        out += '\\';
        out += converted;
    }
    *windowsPath = std::move(out);
    return true;
}

FILE *PlatformOpenFile(const char *windowsPath, const char *mode)
{
    std::string host;
    if (!mode || !PlatformMapPath(windowsPath, &host))
        return nullptr;
    return std::fopen(host.c_str(), mode);
}
