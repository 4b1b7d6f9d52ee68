#include "app/GLWindow.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

const char* const kErrorCaption = "qlxGLIntro Error";

namespace {
void copyTitle(char (&buffer)[256], const char* text) {
    std::snprintf(buffer, sizeof buffer, "%s", text ? text : "");
}

// SDL falls back to these when it finds no display; the show never asks for them.
bool isHeadlessDriver(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}
}  // namespace

Viewport letterboxViewport(int drawableWidth, int drawableHeight) {
    const long w = drawableWidth > 0 ? drawableWidth : 1;
    const long h = drawableHeight > 0 ? drawableHeight : 1;
    Viewport v;
    if (w * 3 >= h * 4) {  // wider than 4:3: bars left and right
        v.height = static_cast<int>(h);
        v.width = static_cast<int>((h * 4 + 1) / 3);
        if (v.width > w) v.width = static_cast<int>(w);
    } else {               // taller: bars top and bottom
        v.width = static_cast<int>(w);
        v.height = static_cast<int>((w * 3 + 2) / 4);
        if (v.height > h) v.height = static_cast<int>(h);
    }
    if (v.width < 1) v.width = 1;
    if (v.height < 1) v.height = 1;
    v.x = static_cast<int>((w - v.width) / 2);
    v.y = static_cast<int>((h - v.height) / 2);
    return v;
}

int virtualKeyFromSdl(int sdlKeycode) {
    const SDL_Keycode key = sdlKeycode;
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::F1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return vk::F1 + 12 + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vk::Numpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_RETURN: case SDLK_KP_ENTER: return vk::Return;
    case SDLK_SPACE: return vk::Space;
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_TAB: return vk::Tab;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LCTRL: case SDLK_RCTRL: return vk::Control;
    case SDLK_LALT: case SDLK_RALT: return vk::Menu;
    case SDLK_PAUSE: return vk::Pause;
    case SDLK_CAPSLOCK: return vk::Capital;
    case SDLK_PAGEUP: return vk::Prior;
    case SDLK_PAGEDOWN: return vk::Next;
    case SDLK_END: return vk::End;
    case SDLK_HOME: return vk::Home;
    case SDLK_LEFT: return vk::Left;
    case SDLK_UP: return vk::Up;
    case SDLK_RIGHT: return vk::Right;
    case SDLK_DOWN: return vk::Down;
    case SDLK_INSERT: return vk::Insert;
    case SDLK_DELETE: return vk::Delete;
    case SDLK_KP_0: return vk::Numpad0;
    case SDLK_KP_MULTIPLY: return vk::Multiply;
    case SDLK_KP_PLUS: return vk::Add;
    case SDLK_KP_MINUS: return vk::Subtract;
    case SDLK_KP_PERIOD: return vk::Decimal;
    case SDLK_KP_DIVIDE: return vk::Divide;
    default: return 0;
    }
}

GLWindow::GLWindow() : keyState(new KeyState), exitProcess([](int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}) {}

GLWindow::~GLWindow() = default;

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

bool GLWindow::create(const char* text, int requestedWidth, int requestedHeight, int requestedBits,
                      bool wantFullscreen) {
    width = requestedWidth;
    height = requestedHeight;
    bits = requestedBits;
    fullscreen = false;
    bool failed = false;

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "glowmotion: video: %s\n", SDL_GetError());
        failed = true;
    } else {
        videoStarted = true;
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (isHeadlessDriver(driver) && !(asked && strcasecmp(asked, driver) == 0)) {
            std::fprintf(stderr, "glowmotion: no display (video driver \"%s\")\n", driver);
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
        showError("when init'ing display area");
        return false;
    }
    // Refusal is not an error: the show then draws as fast as it can.
    if (vsync && SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    if (!vsync) SDL_GL_SetSwapInterval(0);
    SDL_DisableScreenSaver();
    copyTitle(title, text);
    return true;
}

bool GLWindow::show() {
    if (window) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
        SDL_GL_GetDrawableSize(window, &width, &height);
    }
    resize();
    if (!initGL()) {
        destroy();
        showError("GL initialization failed");
        return false;
    }
    return true;
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
}

void GLWindow::resize() {
    if (height == 0) height = 1;
    if (width == 0) width = 1;
    viewport = letterboxViewport(width, height);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    // Clears reach only the picture; the bars are kept black by swapBuffers.
    glScissor(viewport.x, viewport.y, viewport.width, viewport.height);
    glEnable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The picture is the 800×600 show's whatever the drawable's shape.
    gluPerspective(45.0, static_cast<double>(kShowWidth) / kShowHeight, static_cast<double>(0.1f), 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLWindow::clearBars() {
    if (viewport.x == 0 && viewport.y == 0 && viewport.width == width && viewport.height == height) return;
    // Whatever a scene left (scissor test off, colour channels masked, any
    // clear colour), the bars are cleared black and the scene's state is
    // put back afterwards.
    GLfloat savedClear[4];
    GLboolean savedMask[4];
    GLint savedBox[4];
    const GLboolean savedScissorTest = glIsEnabled(GL_SCISSOR_TEST);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);
    glGetBooleanv(GL_COLOR_WRITEMASK, savedMask);
    glGetIntegerv(GL_SCISSOR_BOX, savedBox);
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    const Viewport& v = viewport;
    const Viewport bars[4] = {
        {0, 0, v.x, height},                                        // left
        {v.x + v.width, 0, width - v.x - v.width, height},          // right
        {v.x, 0, v.width, v.y},                                     // bottom
        {v.x, v.y + v.height, v.width, height - v.y - v.height},    // top
    };
    for (const Viewport& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0) continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glScissor(savedBox[0], savedBox[1], savedBox[2], savedBox[3]);
    glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);
    glColorMask(savedMask[0], savedMask[1], savedMask[2], savedMask[3]);
    if (!savedScissorTest) glDisable(GL_SCISSOR_TEST);
}

void GLWindow::swapBuffers() {
    if (!window) return;
    clearBars();
    SDL_GL_SwapWindow(window);
}

bool GLWindow::initGL() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    return true;
}

WindowMessage windowMessageFromSdl(const SDL_Event& event, SDL_Window* window) {
    WindowMessage message;
    switch (event.type) {
    case SDL_QUIT:
        message.type = WindowMessage::Type::Quit;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            message.type = WindowMessage::Type::Close;
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && window) {
            message.type = WindowMessage::Type::Size;
            SDL_GL_GetDrawableSize(window, &message.sizeWidth, &message.sizeHeight);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        message.wParam = virtualKeyFromSdl(event.key.keysym.sym);
        if (message.wParam != 0)
            message.type = event.type == SDL_KEYDOWN ? WindowMessage::Type::KeyDown : WindowMessage::Type::KeyUp;
        break;
    default:
        break;
    }
    return message;
}

bool GLWindow::pollEvent(WindowMessage& message) {
    SDL_Event event;
    if (!videoStarted || !SDL_PollEvent(&event)) return false;
    message = windowMessageFromSdl(event, window);
    return true;
}

bool GLWindow::peekMessage(WindowMessage& message) {
    int skipped = 0;
    while (pollEvent(message)) {
        if (message.type != WindowMessage::Type::Other || ++skipped >= kMaxSkippedEvents) return true;
    }
    if (quitPosted) {
        quitPosted = false;
        message = WindowMessage{};
        message.type = WindowMessage::Type::Quit;
        message.wParam = quitCode;
        return true;
    }
    return false;
}

void GLWindow::dispatchMessage(const WindowMessage& message) {
    switch (message.type) {
    case WindowMessage::Type::Size:
        width = message.sizeWidth;
        height = message.sizeHeight;
        resize();
        break;
    case WindowMessage::Type::Close:
    case WindowMessage::Type::Quit:
        destroy();
        exitProcess(0);
        break;
    case WindowMessage::Type::KeyDown:
        keyState->setKey(message.wParam, true);
        break;
    case WindowMessage::Type::KeyUp:
        keyState->setKey(message.wParam, false);
        break;
    case WindowMessage::Type::Other:
        break;
    }
}

void GLWindow::postQuitMessage(int code) {
    quitPosted = true;
    quitCode = code;
}

void GLWindow::setTitle(const char* text) {
    copyTitle(title, text);
    if (window) SDL_SetWindowTitle(window, title);
}

void GLWindow::showError(const char* text) {
    std::fprintf(stderr, "%s: %s\n", kErrorCaption, text);
    std::fflush(stderr);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, kErrorCaption, text, nullptr);
}
