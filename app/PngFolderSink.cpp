#include "app/PngFolderSink.h"

#include "app/RecordingFrames.h"
#include "app/SongRenderer.h"
#include "gfx/PngFile.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// The names frames are written under: six digits and ".png".
bool isFrameFileName(const std::string& name) {
    if (name.size() != 10 || name.compare(6, 4, ".png") != 0) return false;
    for (int i = 0; i < 6; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}
}  // namespace

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

PngFolderSink::PngFolderSink(std::string dir, int framesPerSecond) : directory(std::move(dir)), fps(framesPerSecond) {}

bool PngFolderSink::startAudio(SongRenderer& renderer, std::string* error) {
    if (!wav.open(directory + "/audio.wav", kRecordingMixRate, error)) return false;
    song = &renderer;
    return true;
}

PngFolderSink::~PngFolderSink() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (writer.joinable()) writer.join();
}

bool PngFolderSink::store(int64_t index, const std::vector<uint8_t>& frame, int width, int height, std::string* why) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06lld.png", static_cast<long long>(index));
    std::string reason;
    if (!writePngRgba(directory + name, width, height, frame.data(), false, &reason)) {
        *why = "cannot write frame " + reason;
        return false;
    }
    if (!song) return true;
    const int64_t count = frameFirstSample(index + 1, fps) - frameFirstSample(index, fps);
    samples.resize(static_cast<size_t>(count) * 2);
    song->render(samples.data(), count);
    if (!wav.write(samples.data(), count, &reason)) {
        // The frame goes too: the folder keeps frames and music of one length.
        std::remove((directory + name).c_str());
        *why = "cannot write the music " + reason;
        return false;
    }
    return true;
}

void PngFolderSink::writeFrames() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return pendingIndex >= 0 || stopping; });
        if (pendingIndex < 0) return;  // stopping, nothing in hand
        const int64_t index = pendingIndex;
        const int width = pendingWidth, height = pendingHeight;
        lock.unlock();
        std::string why;
        const bool ok = store(index, pending, width, height, &why);
        lock.lock();
        if (ok) {
            ++stored;
        } else {
            failed = true;
            failure = why;
        }
        pendingIndex = -1;
        changed.notify_all();
    }
}

void PngFolderSink::waitIdle(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [this] { return pendingIndex < 0; });
}

bool PngFolderSink::writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) {
    std::unique_lock<std::mutex> lock(mutex);
    waitIdle(lock);
    if (failed) {
        reported = true;
        if (error) *error = failure;
        return false;
    }
    pending.assign(rgba, rgba + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (!writer.joinable() && !storeHere) {
        try {
            writer = std::thread(&PngFolderSink::writeFrames, this);
        } catch (const std::system_error&) {
            storeHere = true;
        }
    }
    if (storeHere) {
        std::string why;
        if (store(index, pending, width, height, &why)) {
            ++stored;
            return true;
        }
        failed = reported = true;
        failure = why;
        if (error) *error = why;
        return false;
    }
    pendingIndex = index;
    pendingWidth = width;
    pendingHeight = height;
    changed.notify_all();
    return true;
}

bool PngFolderSink::finishFrames(std::string* error) {
    std::unique_lock<std::mutex> lock(mutex);
    waitIdle(lock);
    if (!failed || reported) return true;
    reported = true;
    if (error) *error = failure;
    return false;
}

int64_t PngFolderSink::framesStored() {
    const std::lock_guard<std::mutex> lock(mutex);
    return stored;
}

bool PngFolderSink::finish(std::string* error) {
    {
        std::unique_lock<std::mutex> lock(mutex);
        waitIdle(lock);
    }
    if (!song) return true;
    song = nullptr;
    std::string why;
    if (!wav.finish(&why)) {
        if (error) *error = "cannot write the music " + why;
        return false;
    }
    return true;
}
