// The host without a display: every test and CI run on it. Windows exist only in the
// window manager's records; message boxes take their default button; frames that the key
// script marks are saved as PNG files.
#include "platform/host/host.h"

#include <cstdio>
#include <string>

#include "platform/host/headless/frame_png.h"
#include "platform/host/key_script.h"

namespace host {
namespace {

class HeadlessHost final : public Host {
public:
    const char *Name() const override { return "headless"; }
    void Desktop(int *width, int *height, int *depth) override {
        *width = 1920;
        *height = 1080;
        *depth = 32;
    }
    void ShowWindowView(const WindowView &) override {}
    void RemoveWindowView(uintptr_t) override {}
    void SetCursorVisible(bool) override {}
    void PollEvents(std::vector<Event> &) override {}
    int MessageBox(const char *text, const char *caption, unsigned type) override {
        std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
        switch (type & 0xFu) {
        case 3:  // yes, no, cancel
        case 4:  // yes, no
            return 6;
        default:
            return 1;
        }
    }
    // A frame the key script marks is written as a PNG file.
    bool PresentFrame(uintptr_t, const uint32_t *pixels, int width, int height, int pitchBytes,
                      const int *) override {
        std::string path;
        if (PlatformKeyScriptTakeSave(&path)) PlatformWriteFramePng(path.c_str(), pixels, width, height, pitchBytes);
        return true;
    }
};

}  // namespace

// One instance for the process: a test may switch to it after another choice was made.
Host *CreateHeadless() {
    static HeadlessHost host;
    return &host;
}

}  // namespace host
