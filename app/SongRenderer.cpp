#include "app/SongRenderer.h"

#include "app/CaptureWindow.h"
#include "base/FileRead.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

SongRenderer::SongRenderer() = default;
SongRenderer::~SongRenderer() = default;

bool SongRenderer::load(const std::string& path, std::string* why) {
    song.reset();
    songEnded = false;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path.c_str(), kMaxModuleBytes, &bytes, why)) return false;
    try {
        std::ostringstream log;  // the loader's remarks
        song = std::make_unique<openmpt::module>(bytes, log);
        song->set_repeat_count(0);  // the song's own end; never loop
    } catch (const std::exception&) {
        if (why) *why = path + ": not a tracker module the player can read";
        return false;
    }
    return true;
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
            kRecordingRate, static_cast<std::size_t>(frames - done), interleaved + 2 * done);
        if (got == 0) songEnded = true;
        done += static_cast<int64_t>(got);
    }
    if (done < frames) std::memset(interleaved + 2 * done, 0, static_cast<size_t>(frames - done) * 2 * sizeof(float));
}
