#include "app/CaptureWindow.h"

#include "base/Timer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

CaptureWindow::CaptureWindow(FrameSink& frameSink, CaptureTiming captureTiming)
    : sink(frameSink), timing(captureTiming), total(recordingFrameCount(captureTiming)), target(total) {}

CaptureWindow::CaptureWindow(std::string directory, int fps, double startAt, double endAt)
    : ownSink(std::make_unique<PngFolderSink>(std::move(directory), fps)), sink(*ownSink),
      timing{startAt, endAt, fps}, total(recordingFrameCount(timing)), target(total) {}

CaptureWindow::~CaptureWindow() { CaptureWindow::destroy(); }

bool CaptureWindow::create(const char* text, int requestedWidth, int requestedHeight, int requestedBits, bool) {
    width = requestedWidth;
    height = requestedHeight;
    bits = requestedBits;
    std::string why;
    if (!gl.create(width, height, &why)) {
        std::fprintf(stderr, "glowmotion: %s\n", why.c_str());
        showError("when init'ing display area");
        return false;
    }
    std::snprintf(title, sizeof title, "%s", text ? text : "");
    Timer::setDrivenTime(0.0);
    return true;
}

bool CaptureWindow::show() {
    showing = true;
    if (total == 0) {  // nothing to record: end before the first frame
        finished = true;
        postQuitMessage(0);
    }
    return GLWindow::show();
}

void CaptureWindow::destroy() {
    gl.destroy();
    showing = false;
}

void CaptureWindow::swapBuffers() {
    // The cleared frame presented while loading is not part of the recording.
    if (!showing || finished) return;
    clearBars();
    gl.readPixels(pixels, sink.topRowFirst());
    std::string error;
    if (!sink.writeFrame(written, pixels.data(), gl.width(), gl.height(), &error)) {
        std::fprintf(stderr, "glowmotion: %s\n", error.c_str());
        writeFailed = true;
        finished = true;
        postQuitMessage(1);
        return;
    }
    ++written;
    if (progress) progress(written, total);
    if (!stopping && shouldStop && shouldStop()) {
        stopping = true;
        target = std::min(total, std::max(written, sink.framesToStopAt(written)));
    }
    if (written >= target) {
        finished = true;
        postQuitMessage(0);
        return;
    }
    Timer::setDrivenTime(static_cast<double>(written) / timing.fps);
}

void CaptureWindow::showError(const char* text) { std::fprintf(stderr, "%s: %s\n", kErrorCaption, text); }
