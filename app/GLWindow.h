#pragma once
// The show's window on screen: an SDL window with its OpenGL context, the
// keys the show acts on, and a title.
//
// The driver sees a window through `Window` (tests give it their own); the
// one real implementation is GLWindow. create() makes the window hidden,
// with its context current on the main thread until destroy(); show()
// makes it visible and puts the picture in place. Size changes are the
// window's own business: taking events keeps the picture letterboxed in the
// drawable. Failures of the window layer are reported in a message box and
// on standard error.
#include "app/Surface.h"

#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

// The keys the show acts on: Escape and F12 always, the others with the
// watching controls (--controls).
enum class ShowKey { Escape, F12, Space, Left, Right, Up, Down, PageUp, PageDown, Home, Period, Comma };
constexpr int kShowKeyCount = 12;

// What the window tells the driver.
struct WindowEvent {
    enum class Type {
        Key,    // `key` went down; `repeat`: by the keyboard's auto-repeat, the key held
        Close,  // the window is closed, or the system asks the show to end
    };
    Type type = Type::Key;
    ShowKey key = ShowKey::Escape;
    bool repeat = false;
};

// The event an SDL event is for the driver; false for every event it does
// not act on (key releases, keys it has no use for, mouse, focus, size, ...).
bool windowEventFromSdl(const SDL_Event& sdl, WindowEvent* event);

// A window as the driver uses it.
class Window : public Surface {
public:
    // Visible and focused, the picture's viewport in place.
    virtual void show() = 0;
    virtual std::string title() const = 0;
    virtual void setTitle(const std::string& text) = 0;
    // Appends, in order, the events waiting now. Events the driver does not
    // act on are dropped on the way, so however many there are (a moving
    // mouse) they never hold up one it does.
    virtual void takeEvents(std::vector<WindowEvent>& events) = 0;
    // Returns once an event of any kind waits, or after `timeoutMs`.
    virtual void waitForEvent(int timeoutMs) = 0;
};

// How a full-screen request is met.
enum class FullscreenMode {
    Desktop,    // the desktop's own mode, picture scaled into a centred 4:3 viewport
    Exclusive,  // a real mode change to the requested size; windowed if refused
};

class GLWindow final : public Window {
public:
    // The show's picture: every frame is drawn for this size, whatever the drawable.
    static constexpr int kShowWidth = 800;
    static constexpr int kShowHeight = 600;

    GLWindow() = default;
    ~GLWindow() override;
    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    // Presentation choices, set before create().
    void setFullscreenMode(FullscreenMode mode) { fullscreenMode = mode; }
    void setVsync(bool on) { vsync = on; }
    void setResizable(bool on) { resizable = on; }

    // The hidden window and its current context. On failure everything made
    // is torn down, "when init'ing display area" is reported, and false.
    bool create(const char* title, int width, int height, int bits, bool fullscreen);
    // Restores the display mode and the cursor, releases context and window.
    void destroy();

    void show() override;
    Viewport viewport() const override { return picture; }
    void present() override;
    std::string title() const override { return titleText; }
    void setTitle(const std::string& text) override;
    void takeEvents(std::vector<WindowEvent>& events) override;
    void waitForEvent(int timeoutMs) override;

private:
    bool changeDisplayMode(int modeWidth, int modeHeight, int modeBits);
    // The drawable's size as it is now; the picture letterboxed in it.
    void fitPicture();
    void showError(const char* text);

    SDL_Window* window = nullptr;
    void* context = nullptr;  // SDL_GLContext
    bool videoStarted = false;
    bool fullscreen = false;  // the display mode was changed and must be restored
    FullscreenMode fullscreenMode = FullscreenMode::Desktop;
    bool vsync = true;
    bool resizable = false;
    int width = 0, height = 0;  // the drawable, in pixels
    Viewport picture;
    std::string titleText;
};
