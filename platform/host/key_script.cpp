#include "platform/host/key_script.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/dinput/devices.h"

namespace {

struct ScriptEvent {
    int frame;
    int kind;  // 0 up, 1 down, 2 save
    int key;
};

struct KeyScript {
    std::mutex mu;
    bool loaded = false;
    std::vector<ScriptEvent> events;
    size_t next = 0;
    int frame = 0;
    int saveFrame = -1;
    std::string frameDir;
};

KeyScript &S() {
    static KeyScript s;
    return s;
}

void Parse(KeyScript &s, std::istream &in) {
    s.events.clear();
    s.next = 0;
    s.frame = 0;
    s.saveFrame = -1;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        int frame;
        std::string what;
        if (!(words >> frame)) continue;
        ScriptEvent e{frame, -1, 0};
        words >> what;
        if (what == "save") e.kind = 2;
        else if ((what == "down" || what == "up") && (words >> e.key) && e.key >= 0 && e.key < 256)
            e.kind = what == "down" ? 1 : 0;
        if (e.kind < 0) {
            std::fprintf(stderr, "key script line %d is not an event: %s\n", number, line.c_str());
            continue;
        }
        // Events stay in file order within a frame; frames must not go back.
        if (!s.events.empty() && frame < s.events.back().frame) {
            std::fprintf(stderr, "key script line %d goes back in frames\n", number);
            continue;
        }
        s.events.push_back(e);
    }
}

void EnsureLoaded(KeyScript &s) {
    if (s.loaded) return;
    s.loaded = true;
    const char *dir = std::getenv("KELMOR_FRAME_DIR");
    s.frameDir = dir && *dir ? dir : ".";
    const char *path = std::getenv("KELMOR_KEY_SCRIPT");
    if (!path || !*path) return;
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "key script %s does not open\n", path);
        return;
    }
    Parse(s, in);
}

}  // namespace

void PlatformKeyScriptStep() {
    KeyScript &s = S();
    std::lock_guard<std::mutex> lock(s.mu);
    EnsureLoaded(s);
    if (s.events.empty()) return;
    ++s.frame;
    while (s.next < s.events.size() && s.events[s.next].frame <= s.frame) {
        const ScriptEvent &e = s.events[s.next++];
        if (e.kind == 2) s.saveFrame = s.frame;
        else PlatformInputSetKey(e.key, e.kind == 1);
    }
}

int PlatformKeyScriptFrame() {
    KeyScript &s = S();
    std::lock_guard<std::mutex> lock(s.mu);
    return s.frame;
}

bool PlatformKeyScriptTakeSave(std::string *path) {
    KeyScript &s = S();
    std::lock_guard<std::mutex> lock(s.mu);
    if (s.saveFrame < 0) return false;
    char name[32];
    std::snprintf(name, sizeof name, "/frame%05d.png", s.saveFrame);
    s.saveFrame = -1;
    if (path) *path = s.frameDir + name;
    return true;
}

void PlatformKeyScriptLoad(const char *text) {
    KeyScript &s = S();
    std::lock_guard<std::mutex> lock(s.mu);
    s.loaded = true;
    if (s.frameDir.empty()) s.frameDir = ".";
    std::istringstream in(text ? text : "");
    Parse(s, in);
}
