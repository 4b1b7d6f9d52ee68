#pragma once
// Where the show's frames are drawn: the window on screen, or an offscreen
// framebuffer for a recording. A surface only presents: the driver draws a
// frame into it and calls present().
//
// The picture is always the 4:3 show's, placed as gfx/PictureArea.h says
// (the viewport), and presenting clears the rest, the bars, to black
// whatever the frame left there.
#include "app/OffscreenGL.h"
#include "gfx/PictureArea.h"

#include <cstdint>
#include <string>
#include <vector>

// How a failure to make a surface is reported: "<caption>: <text>" on
// standard error (and in a message box, for a window).
extern const char* const kErrorCaption;     // "qlxGLIntro Error"
extern const char* const kNoSurfaceError;   // "when init'ing display area"

class Surface {
public:
    virtual ~Surface() = default;
    // The picture's rectangle; empty until the surface is shown.
    virtual Viewport viewport() const = 0;
    // The frame drawn is complete: the bars are cleared and the frame is
    // shown (on screen) or ready to be read (offscreen).
    virtual void present() = 0;
};

// A framebuffer without any display (EGL), for recordings, benchmarks and
// picture tests.
class OffscreenSurface final : public Surface {
public:
    // The context and a framebuffer of this size, current from now on.
    // False with *why when there is none.
    bool create(int width, int height, std::string* why);
    void destroy();
    // Viewport and scissor box on the picture, scissor test on.
    void show();

    Viewport viewport() const override { return picture; }
    // Clears the bars (nothing before show()).
    void present() override;
    // The framebuffer, RGBA, top row first or OpenGL's bottom row first.
    void readPixels(std::vector<uint8_t>& rgba, bool topRowFirst) const { gl.readPixels(rgba, topRowFirst); }
    int width() const { return gl.width(); }
    int height() const { return gl.height(); }

private:
    OffscreenGL gl;
    Viewport picture;
};

// Clears a `width` x `height` drawable outside `picture` to black, whatever
// the scene left (scissor test off, channels masked, any clear colour), and
// puts that state back as it found it. An empty picture (a surface not shown
// yet) has no bars.
void clearBars(const Viewport& picture, int width, int height);
