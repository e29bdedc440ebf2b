// The host with a real display: one SDL window per window record, SDL's events turned into
// host events, SDL's message box.
#include "platform/host/host.h"
#include "platform/host/sdl2/keymap.h"
#include "platform/dinput/devices.h"

#include <SDL.h>

#include <cstdio>
#include <map>

namespace host {
namespace {

struct SdlView {
    SDL_Window *window = nullptr;
    SDL_Renderer *renderer = nullptr;
    SDL_Texture *texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
};

class Sdl2Host final : public Host {
public:
    ~Sdl2Host() override {
        for (auto &[id, view] : views_) Destroy(view);
        SDL_Quit();
    }

    const char *Name() const override { return "sdl2"; }

    void Desktop(int *width, int *height, int *depth) override {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
            *width = 1920, *height = 1080, *depth = 32;
            return;
        }
        *width = mode.w;
        *height = mode.h;
        // A 24-bit X visual keeps its pixels in 32 bits, as a 32-bit desktop does.
        int bytes = SDL_BYTESPERPIXEL(mode.format);
        *depth = bytes >= 3 ? 32 : bytes * 8;
    }

    void ShowWindowView(const WindowView &v) override {
        SdlView &view = views_[v.id];
        int w = v.width > 0 ? v.width : 1, h = v.height > 0 ? v.height : 1;
        if (!view.window) {
            Uint32 flags = SDL_WINDOW_HIDDEN | (v.decorated ? 0 : SDL_WINDOW_BORDERLESS);
            view.window = SDL_CreateWindow(v.title, v.x, v.y, w, h, flags);
            if (!view.window) {
                std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
                views_.erase(v.id);
                return;
            }
            ids_[SDL_GetWindowID(view.window)] = v.id;
            // Made now and in software: an accelerated renderer made later can have the X
            // backend replace the window by one of another visual, under a new id.
            view.renderer = SDL_CreateRenderer(view.window, -1, SDL_RENDERER_SOFTWARE);
        }
        if (SDL_strcmp(SDL_GetWindowTitle(view.window), v.title) != 0)
            SDL_SetWindowTitle(view.window, v.title);
        int cw, ch, cx, cy;
        SDL_GetWindowSize(view.window, &cw, &ch);
        if (cw != w || ch != h) SDL_SetWindowSize(view.window, w, h);
        SDL_GetWindowPosition(view.window, &cx, &cy);
        if (cx != v.x || cy != v.y) SDL_SetWindowPosition(view.window, v.x, v.y);
        bool bordered = !(SDL_GetWindowFlags(view.window) & SDL_WINDOW_BORDERLESS);
        if (bordered != v.decorated) SDL_SetWindowBordered(view.window, v.decorated ? SDL_TRUE : SDL_FALSE);
        Uint32 flags = SDL_GetWindowFlags(view.window);
        bool shown = flags & SDL_WINDOW_SHOWN;
        if (v.visible && !shown) SDL_ShowWindow(view.window);
        if (!v.visible && shown) SDL_HideWindow(view.window);
        bool minimized = flags & SDL_WINDOW_MINIMIZED;
        if (v.visible && v.minimized && !minimized) SDL_MinimizeWindow(view.window);
        if (v.visible && !v.minimized && minimized) SDL_RestoreWindow(view.window);
    }

    void RemoveWindowView(uintptr_t id) override {
        auto it = views_.find(id);
        if (it == views_.end()) return;
        ids_.erase(SDL_GetWindowID(it->second.window));
        Destroy(it->second);
        views_.erase(it);
    }

    void SetCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    void PollEvents(std::vector<Event> &out) override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            Event ev{};
            switch (e.type) {
            case SDL_WINDOWEVENT:
                ev.window = Find(e.window.windowID);
                if (!ev.window) break;
                switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: ev.kind = EventKind::Close; break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: ev.kind = EventKind::Activate; break;
                case SDL_WINDOWEVENT_FOCUS_LOST: ev.kind = EventKind::Deactivate; break;
                case SDL_WINDOWEVENT_EXPOSED: ev.kind = EventKind::Expose; break;
                case SDL_WINDOWEVENT_MOVED:
                    ev.kind = EventKind::Moved;
                    ev.x = e.window.data1;
                    ev.y = e.window.data2;
                    break;
                default: ev.window = 0; break;
                }
                if (ev.window) out.push_back(ev);
                break;
            case SDL_MOUSEMOTION:
                ev.window = Find(e.motion.windowID);
                if (!ev.window) break;
                ev.kind = EventKind::MouseMove;
                ev.x = e.motion.x;
                ev.y = e.motion.y;
                out.push_back(ev);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                ev.window = Find(e.button.windowID);
                if (!ev.window) break;
                ev.kind = EventKind::MouseButton;
                ev.x = e.button.x;
                ev.y = e.button.y;
                ev.down = e.type == SDL_MOUSEBUTTONDOWN;
                ev.button = e.button.button == SDL_BUTTON_LEFT    ? 0
                            : e.button.button == SDL_BUTTON_RIGHT ? 1
                            : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                   : -1;
                if (ev.button >= 0) out.push_back(ev);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                // Keys go to the input stand-in's virtual keyboard, not the message queue.
                if (int dik = SdlScancodeToDik(e.key.keysym.scancode))
                    PlatformInputSetKey(dik, e.type == SDL_KEYDOWN);
                break;
            case SDL_QUIT:
                // A quit asked from outside (SIGTERM, Ctrl-C) closes every window as its close
                // button would; after the last window's own close it adds nothing.
                for (const auto &[id, view] : views_) {
                    bool asked = false;
                    for (const Event &o : out) asked |= o.kind == EventKind::Close && o.window == id;
                    if (!asked) out.push_back(Event{EventKind::Close, id, 0, 0, 0, false});
                }
                break;
            default:
                // Pads belong to the input stand-in.
                break;
            }
        }
    }

    int MessageBox(const char *text, const char *caption, unsigned type) override {
        static const SDL_MessageBoxButtonData ok[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"}};
        static const SDL_MessageBoxButtonData okCancel[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "Cancel"}};
        static const SDL_MessageBoxButtonData yesNoCancel[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 6, "Yes"},
            {0, 7, "No"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "Cancel"}};
        static const SDL_MessageBoxButtonData yesNo[] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 6, "Yes"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 7, "No"}};
        SDL_MessageBoxData data{};
        switch (type & 0xF0u) {
        case 0x10: data.flags = SDL_MESSAGEBOX_ERROR; break;
        case 0x30: data.flags = SDL_MESSAGEBOX_WARNING; break;
        default: data.flags = SDL_MESSAGEBOX_INFORMATION; break;
        }
        data.title = caption ? caption : "";
        data.message = text ? text : "";
        switch (type & 0xFu) {
        case 1: data.buttons = okCancel, data.numbuttons = 2; break;
        case 3: data.buttons = yesNoCancel, data.numbuttons = 3; break;
        case 4: data.buttons = yesNo, data.numbuttons = 2; break;
        default: data.buttons = ok, data.numbuttons = 1; break;
        }
        int answer = 0;
        if (SDL_ShowMessageBox(&data, &answer) != 0) {
            std::fprintf(stderr, "[%s] %s (%s)\n", data.title, data.message, SDL_GetError());
            return data.buttons[0].buttonid;
        }
        // Closing the box without a button is the escape button.
        if (answer < 0) {
            for (int i = 0; i < data.numbuttons; ++i)
                if (data.buttons[i].flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT) return data.buttons[i].buttonid;
            return data.buttons[0].buttonid;
        }
        return answer;
    }

    bool PresentFrame(uintptr_t window, const uint32_t *pixels, int width, int height,
                      int pitchBytes, const int *dest) override {
        auto it = views_.find(window);
        if (it == views_.end()) return true;   // not on the screen: nothing to show
        if (width <= 0 || height <= 0) return false;
        SdlView &view = it->second;
        if (!view.renderer) {
            view.renderer = SDL_CreateRenderer(view.window, -1, SDL_RENDERER_SOFTWARE);
            if (!view.renderer) return false;
        }
        if (!view.texture || view.textureWidth != width || view.textureHeight != height) {
            if (view.texture) SDL_DestroyTexture(view.texture);
            view.texture = SDL_CreateTexture(view.renderer, SDL_PIXELFORMAT_RGB888,
                                             SDL_TEXTUREACCESS_STREAMING, width, height);
            if (!view.texture) return false;
            view.textureWidth = width;
            view.textureHeight = height;
        }
        if (SDL_UpdateTexture(view.texture, nullptr, pixels, pitchBytes) != 0) return false;
        SDL_Rect to;
        if (dest) to = SDL_Rect{dest[0], dest[1], dest[2], dest[3]};
        SDL_RenderCopy(view.renderer, view.texture, nullptr, dest ? &to : nullptr);
        SDL_RenderPresent(view.renderer);
        return true;
    }

private:
    uintptr_t Find(Uint32 sdlId) const {
        auto it = ids_.find(sdlId);
        return it == ids_.end() ? 0 : it->second;
    }

    static void Destroy(SdlView &view) {
        if (view.texture) SDL_DestroyTexture(view.texture);
        if (view.renderer) SDL_DestroyRenderer(view.renderer);
        if (view.window) SDL_DestroyWindow(view.window);
        view = SdlView{};
    }

    std::map<uintptr_t, SdlView> views_;
    std::map<Uint32, uintptr_t> ids_;
};

}  // namespace

Host *CreateSdl2() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return new Sdl2Host();
}

}  // namespace host
