#include "app/CaptureWindow.h"

#include "base/Timer.h"
#include "gfx/PngFile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

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
    for (fs::directory_iterator entry(directory, code), end; !code && entry != end; entry.increment(code)) {
        if (isFrameFileName(entry->path().filename().string())) frames.push_back(entry->path());
    }
    if (code) return refuse(CaptureFolder::Unusable, code.message());
    if (frames.empty()) return CaptureFolder::Ready;
    if (!overwrite) {
        const std::string count = std::to_string(frames.size()) + (frames.size() == 1 ? " frame" : " frames");
        return refuse(CaptureFolder::HoldsFrames, "already holds " + count + " (NNNNNN.png); --overwrite replaces them");
    }
    for (const fs::path& frame : frames) {
        if (!fs::remove(frame, code) && code)
            return refuse(CaptureFolder::Unusable, "cannot remove " + frame.filename().string() + ": " + code.message());
    }
    return CaptureFolder::Ready;
}

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
        std::fprintf(stderr, "glowmotion: cannot write frame %s\n", error.c_str());
        writeFailed = true;
        postQuitMessage(1);
        return;
    }
    ++written;
    Timer::setDrivenTime(static_cast<double>(written) / fps);
}

void CaptureWindow::showError(const char* text) { std::fprintf(stderr, "%s: %s\n", kErrorCaption, text); }
