#pragma once
// The show's window for recording: no display, an offscreen 800×600
// framebuffer, and a driven clock.
//
// Presenting frame k writes the framebuffer to DIR/NNNNNN.png (k with six
// digits, top row of the picture first) and moves the driven show clock to
// start + (k+1)/fps. The framebuffer is never cleared by presenting, so a
// frame in which nothing draws repeats the picture before it. A frame that
// cannot be written is reported on standard error with the system's reason,
// whatever part of it was written is removed, and the show is asked to quit.
#include "app/GLWindow.h"
#include "app/OffscreenGL.h"

#include <cstdint>
#include <string>
#include <vector>

// How a folder for a recording was found.
enum class CaptureFolder {
    Ready,        // exists (made if need be) and holds no frames
    HoldsFrames,  // holds files named NNNNNN.png and overwriting was not asked for
    Unusable,     // cannot be made, or is not a folder
};

// Makes `directory` and its parents when missing and checks it for frames of
// an earlier recording. With `overwrite` those frames are removed first, so
// the folder ends up holding exactly the new recording. On anything but
// Ready, *error says why ("<directory>: <reason>").
CaptureFolder prepareCaptureFolder(const std::string& directory, bool overwrite, std::string* error);

// True for the file names frames are written under: six digits and ".png".
bool isFrameFileName(const std::string& name);

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
