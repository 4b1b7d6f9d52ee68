#include "app/SongRenderer.h"

#include "app/RecordingFrames.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstring>
#include <vector>

SongRenderer::SongRenderer() = default;
SongRenderer::~SongRenderer() = default;

bool SongRenderer::load(const std::string& path, std::string* why) {
    songEnded = false;
    song = loadSong(path, why);
    return song != nullptr;
}

void SongRenderer::skipTo(int64_t position) {
    std::vector<float> scratch(2 * 4096);
    while (position > 0) {
        const int64_t chunk = std::min<int64_t>(position, 4096);
        render(scratch.data(), chunk);
        position -= chunk;
    }
}

void SongRenderer::render(float* interleaved, int64_t frames) {
    int64_t done = 0;
    while (song && !songEnded && done < frames) {
        const std::size_t got = song->read_interleaved_stereo(
            kRecordingMixRate, static_cast<std::size_t>(frames - done), interleaved + 2 * done);
        if (got == 0) songEnded = true;
        done += static_cast<int64_t>(got);
    }
    if (done < frames) std::memset(interleaved + 2 * done, 0, static_cast<size_t>(frames - done) * 2 * sizeof(float));
}
