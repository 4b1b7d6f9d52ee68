#include "app/GLWindow.h"

#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {
// Keeps standard error shut while SDL tries its video drivers: the
// libraries under them print their own noise there as they give up (the
// Wayland client library's "error: XDG_RUNTIME_DIR is invalid or not set",
// then SDL moves on). What failed is asked of SDL afterwards and said once.
class QuietStandardError {
public:
    QuietStandardError() {
        std::fflush(stderr);
        saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStandardError() {
        if (saved < 0) return;
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved = -1;
};

// The displays the environment names, which could not be opened:
// "; cannot open DISPLAY=:99", or nothing when it names none.
std::string displaysNotOpened() {
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        named += (named.empty() ? "" : " or ") + std::string(variable) + "=" + value;
    }
    return named.empty() ? named : "; cannot open " + named;
}

// SDL falls back to these when it finds no display; the show never asks for them.
bool isHeadlessDriver(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool showKeyFor(SDL_Keycode code, ShowKey* key) {
    switch (code) {
    case SDLK_ESCAPE: *key = ShowKey::Escape; return true;
    case SDLK_F12: *key = ShowKey::F12; return true;
    case SDLK_SPACE: *key = ShowKey::Space; return true;
    case SDLK_LEFT: *key = ShowKey::Left; return true;
    case SDLK_RIGHT: *key = ShowKey::Right; return true;
    case SDLK_UP: *key = ShowKey::Up; return true;
    case SDLK_DOWN: *key = ShowKey::Down; return true;
    case SDLK_PAGEUP: *key = ShowKey::PageUp; return true;
    case SDLK_PAGEDOWN: *key = ShowKey::PageDown; return true;
    case SDLK_HOME: *key = ShowKey::Home; return true;
    case SDLK_PERIOD: *key = ShowKey::Period; return true;
    case SDLK_COMMA: *key = ShowKey::Comma; return true;
    default: return false;
    }
}
}  // namespace

bool windowEventFromSdl(const SDL_Event& sdl, WindowEvent* event) {
    if (sdl.type == SDL_QUIT || (sdl.type == SDL_WINDOWEVENT && sdl.window.event == SDL_WINDOWEVENT_CLOSE)) {
        *event = WindowEvent{WindowEvent::Type::Close};
        return true;
    }
    ShowKey key;
    if (sdl.type != SDL_KEYDOWN || !showKeyFor(sdl.key.keysym.sym, &key)) return false;
    *event = WindowEvent{WindowEvent::Type::Key, key, sdl.key.repeat != 0};
    return true;
}

GLWindow::~GLWindow() { destroy(); }

bool GLWindow::changeDisplayMode(int modeWidth, int modeHeight, int modeBits) {
    if (!window) return false;
    SDL_DisplayMode wanted{};
    wanted.format = modeBits >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    wanted.w = modeWidth;
    wanted.h = modeHeight;
    SDL_DisplayMode closest{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (!SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest)) return false;
    // SDL would quietly take a bigger mode; only the exact size is a mode change.
    if (closest.w != modeWidth || closest.h != modeHeight) return false;
    if (SDL_SetWindowDisplayMode(window, &closest) != 0) return false;
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool GLWindow::create(const char* text, int requestedWidth, int requestedHeight, int bits, bool wantFullscreen) {
    width = requestedWidth;
    height = requestedHeight;
    fullscreen = false;
    bool failed = false;

    int started;
    {
        QuietStandardError quiet;
        started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    }
    if (started != 0) {
        std::fprintf(stderr, "glowmotion: video: %s%s\n", SDL_GetError(), displaysNotOpened().c_str());
        failed = true;
    } else {
        videoStarted = true;
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (isHeadlessDriver(driver) && !(asked && strcasecmp(asked, driver) == 0)) {
            std::fprintf(stderr, "glowmotion: no display (video driver \"%s\")%s\n", driver, displaysNotOpened().c_str());
            failed = true;
        }
    }

    if (!failed) {
        const int channelBits = bits >= 24 ? 8 : 5;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
        const bool desktopFullscreen = wantFullscreen && fullscreenMode == FullscreenMode::Desktop;
        if (desktopFullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        else if (resizable && !wantFullscreen) flags |= SDL_WINDOW_RESIZABLE;
        window = SDL_CreateWindow(text ? text : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  width, height, flags);
        if (!window) {
            std::fprintf(stderr, "glowmotion: window: %s\n", SDL_GetError());
            failed = true;
        } else if (wantFullscreen) {
            if (fullscreenMode == FullscreenMode::Exclusive) {
                // A refused mode leaves a captioned window of the requested size.
                fullscreen = changeDisplayMode(width, height, bits);
                if (!fullscreen) SDL_SetWindowFullscreen(window, 0);
            }
            if (desktopFullscreen || fullscreen) SDL_ShowCursor(SDL_DISABLE);
        }
    }

    if (!failed) {
        context = SDL_GL_CreateContext(window);
        if (!context || SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context)) != 0) {
            std::fprintf(stderr, "glowmotion: OpenGL context: %s\n", SDL_GetError());
            failed = true;
        }
    }

    if (failed) {
        destroy();
        showError(kNoSurfaceError);
        return false;
    }
    // Refusal is not an error: the show then draws as fast as it can.
    if (vsync && SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    if (!vsync) SDL_GL_SetSwapInterval(0);
    SDL_DisableScreenSaver();
    titleText = text ? text : "";
    return true;
}

void GLWindow::show() {
    if (!window) return;
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    fitPicture();
}

void GLWindow::fitPicture() {
    SDL_GL_GetDrawableSize(window, &width, &height);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    picture = letterboxViewport(width, height);
    usePictureArea(picture);
}

void GLWindow::destroy() {
    if (window) {
        if (fullscreen) SDL_SetWindowFullscreen(window, 0);  // restores the desktop mode
        SDL_ShowCursor(SDL_ENABLE);
    }
    fullscreen = false;
    if (context) {
        if (SDL_GL_MakeCurrent(window, nullptr) != 0) showError("when releasing render context");
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
        context = nullptr;
    }
    if (window) {
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (videoStarted) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
    }
    picture = Viewport{};
}

void GLWindow::present() {
    if (!window) return;
    clearBars(picture, width, height);
    SDL_GL_SwapWindow(window);
}

void GLWindow::setTitle(const std::string& text) {
    titleText = text;
    if (window) SDL_SetWindowTitle(window, titleText.c_str());
}

void GLWindow::takeEvents(std::vector<WindowEvent>& events) {
    if (!videoStarted) return;
    // Only the events waiting now: pumped once, then taken without pumping,
    // so even an endless stream of them lets the frame go on.
    SDL_PumpEvents();
    SDL_Event sdl;
    while (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        if (sdl.type == SDL_WINDOWEVENT && sdl.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && window) {
            fitPicture();
            continue;
        }
        WindowEvent event;
        if (windowEventFromSdl(sdl, &event)) events.push_back(event);
    }
}

void GLWindow::waitForEvent(int timeoutMs) {
    if (videoStarted) SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void GLWindow::showError(const char* text) {
    std::fprintf(stderr, "%s: %s\n", kErrorCaption, text);
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kErrorCaption, text, nullptr);
}
