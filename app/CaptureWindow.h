#pragma once
// The show's window for recording: no display, an offscreen 800×600
// framebuffer, and a driven clock.
//
// Presenting frame k writes the framebuffer to DIR/NNNNNN.png (k with six
// digits, top row of the picture first) and moves the driven show clock to
// start + (k+1)/fps. The framebuffer is never cleared by presenting, so a
// frame in which nothing draws repeats the picture before it.
#include "app/GLWindow.h"
#include "app/OffscreenGL.h"

#include <cstdint>
#include <string>
#include <vector>

class CaptureWindow final : public GLWindow {
public:
    CaptureWindow(std::string directory, int fps);
    ~CaptureWindow() override;

    bool create(const char* title, int width, int height, int bits, bool fullscreen) override;
    bool show() override;
    void destroy() override;
    void swapBuffers() override;
    void showError(const char* text) override;

    // Frames written so far (the presented start-up frame is not one).
    int framesWritten() const { return written; }
    // False once a frame could not be written; the show is then asked to quit.
    bool ok() const { return !writeFailed; }

private:
    OffscreenGL gl;
    std::string directory;
    int fps;
    bool showing = false;
    bool writeFailed = false;
    int written = 0;
    std::vector<uint8_t> pixels;
};
