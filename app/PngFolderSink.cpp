#include "app/PngFolderSink.h"

#include "app/CaptureWindow.h"
#include "app/SongRenderer.h"
#include "gfx/PngFile.h"

#include <cstdio>

PngFolderSink::PngFolderSink(std::string dir, int framesPerSecond) : directory(std::move(dir)), fps(framesPerSecond) {}

bool PngFolderSink::startAudio(SongRenderer& renderer, std::string* error) {
    if (!wav.open(directory + "/audio.wav", kRecordingMixRate, error)) return false;
    song = &renderer;
    return true;
}

bool PngFolderSink::writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06lld.png", static_cast<long long>(index));
    std::string why;
    if (!writePngRgba(directory + name, width, height, rgba, false, &why)) {
        if (error) *error = "cannot write frame " + why;
        return false;
    }
    if (!song) return true;
    const int64_t count = frameFirstSample(index + 1, fps) - frameFirstSample(index, fps);
    samples.resize(static_cast<size_t>(count) * 2);
    song->render(samples.data(), count);
    if (!wav.write(samples.data(), count, &why)) {
        // The frame goes too: the folder keeps frames and music of one length.
        std::remove((directory + name).c_str());
        if (error) *error = "cannot write the music " + why;
        return false;
    }
    return true;
}

bool PngFolderSink::finish(std::string* error) {
    if (!song) return true;
    song = nullptr;
    std::string why;
    if (!wav.finish(&why)) {
        if (error) *error = "cannot write the music " + why;
        return false;
    }
    return true;
}
