// The host under the stand-in layer: what is really on the machine. One host is chosen at
// the first use: env KELMOR_HOST=sdl2 or headless; without the variable SDL2 is tried and
// the headless host taken when SDL's video cannot start. Only platform/ sees this header.
//
// Texts passed in are UTF-8. Window ids are the window manager's handles.
#pragma once

#include <cstdint>
#include <vector>

namespace host {

// What the window manager's record says a window should look like.
struct WindowView {
    uintptr_t id;
    const char *title;           // UTF-8
    int x, y;                    // client area's top-left, in desktop coordinates
    int width, height;           // client size
    bool visible;
    bool minimized;
    bool decorated;              // has a caption
};

enum class EventKind {
    Close,          // the user asked to close the window
    Activate,       // the window got the focus
    Deactivate,     // the window lost it
    Expose,         // the client area must be drawn again
    Moved,          // the user moved the window (x, y: client top-left)
    MouseMove,      // x, y in client coordinates
    MouseButton,    // button 0 left, 1 right, 2 middle; down
};

struct Event {
    EventKind kind;
    uintptr_t window;
    int x, y;
    int button;
    bool down;
};

class Host {
public:
    virtual ~Host() = default;
    virtual const char *Name() const = 0;

    // The desktop the windows sit on (depth in bits per pixel).
    virtual void Desktop(int *width, int *height, int *depth) = 0;

    // Windows: shown, changed and removed as their records change.
    virtual void ShowWindowView(const WindowView &view) = 0;
    virtual void RemoveWindowView(uintptr_t id) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // Drains what happened since the last call.
    virtual void PollEvents(std::vector<Event> &out) = 0;

    // A modal box; buttons as the platform's MB_* type; answers the platform's ID* value.
    virtual int MessageBox(const char *text, const char *caption, unsigned type) = 0;

    // Frames of the Direct3D stand-in: 32-bit pixels, 0x00RRGGBB, shown in the window's
    // client area, scaled into dest (x, y, width, height) or onto the whole area when dest is
    // null. False when the frame could not be shown.
    virtual bool PresentFrame(uintptr_t window, const uint32_t *pixels, int width, int height,
                              int pitchBytes, const int *dest) {
        (void)window, (void)pixels, (void)width, (void)height, (void)pitchBytes, (void)dest;
        return true;
    }

    // Sound output is the sound stand-in's seam (platform/dsound/output.h); choosing the
    // SDL2 host connects SDL's audio device to it.
    // Keys reach the input stand-in's virtual keyboard (platform/dinput/devices.h).
};

// The host of this process, chosen at the first call.
Host &Current();
// For tests: put the headless host in place whatever was chosen.
void UseHeadless();

Host *CreateHeadless();
Host *CreateSdl2();   // null when SDL's video cannot start

}  // namespace host
