#include "app/CaptureWindow.h"

#include "app/PngFolderSink.h"
#include "base/Timer.h"

#include <cctype>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int64_t kNanoseconds = 1000000000;
int64_t nanoseconds(double seconds) { return std::llround(seconds * static_cast<double>(kNanoseconds)); }
}  // namespace

int64_t recordingFrameCount(const CaptureTiming& timing) {
    if (timing.fps <= 0) return 0;
    const int64_t span = nanoseconds(timing.endAt) - nanoseconds(timing.startAt);
    if (span <= 0) return 0;
    // k * 1e9 / fps < span  <=>  k < span * fps / 1e9
    return (span * timing.fps + kNanoseconds - 1) / kNanoseconds;
}

int64_t frameFirstSample(int64_t frame, int fps) { return frame * kRecordingMixRate / fps; }

int64_t songSampleAt(double showTime) { return std::llround(showTime * kRecordingMixRate); }

bool isFrameFileName(const std::string& name) {
    if (name.size() != 10 || name.compare(6, 4, ".png") != 0) return false;
    for (int i = 0; i < 6; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

CaptureFolder prepareCaptureFolder(const std::string& directory, bool overwrite, std::string* error) {
    auto refuse = [&](CaptureFolder kind, const std::string& why) {
        if (error) *error = directory + ": " + why;
        return kind;
    };
    std::error_code code;
    const fs::file_status status = fs::status(directory, code);
    if (fs::exists(status) && !fs::is_directory(status)) return refuse(CaptureFolder::Unusable, "is not a folder");
    if (!fs::exists(status)) {
        fs::create_directories(directory, code);
        if (code) return refuse(CaptureFolder::Unusable, code.message());
    }
    std::vector<fs::path> frames;
    bool audio = false;
    for (fs::directory_iterator entry(directory, code), end; !code && entry != end; entry.increment(code)) {
        const std::string name = entry->path().filename().string();
        if (isFrameFileName(name)) frames.push_back(entry->path());
        if (name == "audio.wav") audio = true;
    }
    if (code) return refuse(CaptureFolder::Unusable, code.message());
    if (frames.empty() && !audio) return CaptureFolder::Ready;
    if (!overwrite) {
        if (frames.empty()) return refuse(CaptureFolder::HoldsFrames, "already holds audio.wav; --overwrite replaces it");
        const std::string count = std::to_string(frames.size()) + (frames.size() == 1 ? " frame" : " frames");
        return refuse(CaptureFolder::HoldsFrames, "already holds " + count + " (NNNNNN.png); --overwrite replaces them");
    }
    if (audio) frames.push_back(fs::path(directory) / "audio.wav");
    for (const fs::path& frame : frames) {
        if (!fs::remove(frame, code) && code)
            return refuse(CaptureFolder::Unusable, "cannot remove " + frame.filename().string() + ": " + code.message());
    }
    return CaptureFolder::Ready;
}

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
