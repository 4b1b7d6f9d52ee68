#include "app/CaptureWindow.h"

#include "base/Timer.h"
#include "gfx/PngFile.h"

#include <cstdio>
#include <utility>

CaptureWindow::CaptureWindow(std::string dir, int framesPerSecond)
    : directory(std::move(dir)), fps(framesPerSecond) {}

CaptureWindow::~CaptureWindow() { CaptureWindow::destroy(); }

bool CaptureWindow::create(const char* text, int requestedWidth, int requestedHeight, int requestedBits, bool) {
    width = requestedWidth;
    height = requestedHeight;
    bits = requestedBits;
    std::string why;
    if (!gl.create(width, height, &why)) {
        std::fprintf(stderr, "glowmotion: offscreen OpenGL: %s\n", why.c_str());
        showError("when init'ing display area");
        return false;
    }
    std::snprintf(title, sizeof title, "%s", text ? text : "");
    Timer::setDrivenTime(0.0);
    return true;
}

bool CaptureWindow::show() {
    showing = true;
    return GLWindow::show();
}

void CaptureWindow::destroy() {
    gl.destroy();
    showing = false;
}

void CaptureWindow::swapBuffers() {
    // The cleared frame presented while loading is not part of the recording.
    if (!showing || writeFailed) return;
    gl.readPixels(pixels);
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.png", written);
    std::string error;
    if (!writePngRgba(directory + name, gl.width(), gl.height(), pixels.data(), false, &error)) {
        std::fprintf(stderr, "glowmotion: %s\n", error.c_str());
        writeFailed = true;
        postQuitMessage(1);
        return;
    }
    ++written;
    Timer::setDrivenTime(static_cast<double>(written) / fps);
}

void CaptureWindow::showError(const char* text) { std::fprintf(stderr, "%s: %s\n", kErrorCaption, text); }
