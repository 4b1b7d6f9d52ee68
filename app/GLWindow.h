#pragma once
// The one window of the show with its OpenGL context, key table and title.
//
// Owned by the Demo. The window is made hidden by create(), shown by show(),
// and torn down by destroy(); the context stays current on the main thread
// in between. Messages are taken one at a time with peekMessage() and
// handled by dispatchMessage(), which alone writes the key table and the
// size; the driver reads them between messages. Subclasses replace the
// platform half (an offscreen window for capture, fakes in tests).
#include "app/KeyState.h"

#include <functional>
#include <memory>

struct SDL_Window;

// One message from the window system, in the shape the driver expects.
struct WindowMessage {
    enum class Type { Quit, Close, KeyDown, KeyUp, Size, Other };
    Type type = Type::Other;
    int wParam = 0;               // Quit: exit code; KeyDown/KeyUp: virtual-key code
    int sizeWidth = 0;            // Size: new drawable size in pixels
    int sizeHeight = 0;
};

// How a full-screen request is met.
enum class FullscreenMode {
    Desktop,    // the desktop's own mode, picture scaled into a centred 4:3 viewport
    Exclusive,  // a real mode change to the requested size; windowed if refused
};

// Rectangle of the drawable that shows the picture (OpenGL window coordinates).
struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
};

// The largest centred rectangle of aspect 4:3 inside a drawable; at least 1×1.
Viewport letterboxViewport(int drawableWidth, int drawableHeight);

// Win32 virtual-key code of an SDL key, or 0 when the key has none.
int virtualKeyFromSdl(int sdlKeycode);

// The message an SDL event carries (`window` gives the drawable size of a
// size change). Type Other for every event the driver does not act on:
// mouse, focus, exposure, keys without a virtual-key code, and so on.
union SDL_Event;
WindowMessage windowMessageFromSdl(const SDL_Event& event, SDL_Window* window);

class GLWindow {
public:
    // The show's picture: every frame is drawn for this size, whatever the drawable.
    static constexpr int kShowWidth = 800;
    static constexpr int kShowHeight = 600;

    GLWindow();
    virtual ~GLWindow();
    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    virtual bool create(const char* title, int width, int height, int bits, bool fullscreen);
    virtual bool show();
    virtual void destroy();
    virtual void resize();
    virtual void swapBuffers();
    virtual bool initGL();
    // Takes one waiting message, like PeekMessage with removal; false when
    // none waits. A posted quit is delivered once the queue is empty.
    // Events of type Other are consumed on the way and never returned, so
    // a flood of mouse motion cannot queue ahead of a key: only the
    // messages the driver acts on count as a loop pass's one message.
    virtual bool peekMessage(WindowMessage& message);
    // Reports a failure of the window layer (message box and standard error).
    virtual void showError(const char* text);

    // The window procedure: keys, size, close.
    void dispatchMessage(const WindowMessage& message);
    void postQuitMessage(int code);
    void setTitle(const char* text);
    bool changeDisplayMode(int modeWidth, int modeHeight, int modeBits);

    // Presentation choices, set before create().
    void setFullscreenMode(FullscreenMode mode) { fullscreenMode = mode; }
    void setVsync(bool on) { vsync = on; }
    void setResizable(bool on) { resizable = on; }
    // What closing the window does after destroy(): ends the process by default.
    void setExitHandler(std::function<void(int)> handler) { exitProcess = std::move(handler); }

    bool fullscreen = false;    // the display mode was changed and must be restored
    char title[256] = {};       // current window title
    std::unique_ptr<KeyState> keyState;
    int width = 0, height = 0;  // drawable size in pixels; height never 0 after resize()
    int bits = 0;
    Viewport viewport;          // where the picture lands inside the drawable

    // Most Other events one peekMessage consumes; past that it hands one on
    // as the pass's message, so even an endless flood never stalls a frame.
    static constexpr int kMaxSkippedEvents = 100000;

protected:
    // Takes the next event from the window system as a message (any type,
    // Other included); false when none waits. Fake windows replace it.
    virtual bool pollEvent(WindowMessage& message);
    // Clears the parts of the drawable outside the viewport to black, with
    // the scissor test, colour mask and clear colour it needs whatever the
    // scene left, and puts those back as it found them.
    void clearBars();

    SDL_Window* window = nullptr;
    void* context = nullptr;    // SDL_GLContext
    bool videoStarted = false;
    bool quitPosted = false;
    int quitCode = 0;
    FullscreenMode fullscreenMode = FullscreenMode::Desktop;
    bool vsync = true;
    bool resizable = false;
    std::function<void(int)> exitProcess;
};

// Caption of every error message box.
extern const char* const kErrorCaption;
