#pragma once
// The show's window for recording: no display, an offscreen framebuffer of
// the recording's size, and a driven clock.
//
// A recording covers show time [start, end): frame k shows start + k/fps,
// for every k whose time is below the end, so a recording ending at 60 and
// one starting at 60 join without a repeated frame. Presenting frame k hands
// the framebuffer to the sink and moves the driven show clock to
// start + (k+1)/fps; after the last frame the window asks the show to quit.
// The framebuffer is never cleared by presenting, so a frame in which nothing
// draws repeats the picture before it. A frame the sink cannot take is
// reported on standard error and the show is asked to quit with status 1.
// When `shouldStop` says so (Ctrl-C), the recording ends cleanly at the
// frame count the sink names.
#include "app/FrameSink.h"
#include "app/GLWindow.h"
#include "app/OffscreenGL.h"
#include "app/PngFolderSink.h"
#include "app/RecordingFrames.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CaptureWindow final : public GLWindow {
public:
    CaptureWindow(FrameSink& sink, CaptureTiming timing);
    // PNG frames into `directory` (no music), show time [startAt, endAt).
    CaptureWindow(std::string directory, int fps, double startAt = 0.0, double endAt = 125.0);
    ~CaptureWindow() override;

    bool create(const char* title, int width, int height, int bits, bool fullscreen) override;
    bool show() override;
    void destroy() override;
    void swapBuffers() override;
    void showError(const char* text) override;

    // Called after every frame written with (frames written, frames in all).
    void setProgress(std::function<void(int64_t, int64_t)> report) { progress = std::move(report); }
    // Asked after every frame; true ends the recording early and cleanly.
    void setStopCheck(std::function<bool()> check) { shouldStop = std::move(check); }

    // Frames written so far (the presented start-up frame is not one).
    int64_t framesWritten() const { return written; }
    // Frames the whole recording holds.
    int64_t framesInAll() const { return total; }
    // False once a frame could not be written; the show is then asked to quit.
    bool ok() const { return !writeFailed; }
    // True when the recording ended early because a stop was asked for.
    bool stoppedEarly() const { return stopping; }

private:
    OffscreenGL gl;
    std::unique_ptr<FrameSink> ownSink;
    FrameSink& sink;
    CaptureTiming timing;
    int64_t total = 0;
    int64_t target = 0;     // frames to write; below total after a stop
    int64_t written = 0;
    bool showing = false;
    bool finished = false;
    bool writeFailed = false;
    bool stopping = false;
    std::vector<uint8_t> pixels;
    std::function<void(int64_t, int64_t)> progress;
    std::function<bool()> shouldStop;
};
