#include "app/MusicPlayer.h"

#include <libopenmpt/libopenmpt.hpp>

#include "base/FileRead.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

MusicPlayer::MusicPlayer(std::unique_ptr<AudioOutput> audio) : output(std::move(audio)) {}

MusicPlayer::~MusicPlayer() { stop(); }

bool MusicPlayer::init(int mixRate) {
    freeSong();
    rate = mixRate;
    return output->open(mixRate, kBufferFrames, [this](float* interleaved, int frames) {
        render(interleaved, frames);
    });
}

void MusicPlayer::freeSong() {
    output->lock();
    std::unique_ptr<openmpt::module> old = std::move(song);
    output->unlock();
    old.reset();  // freed outside the lock, so the mixer never waits on it
}

void MusicPlayer::play(const char* path, double startSeconds) {
    freeSong();
    if (!output->isOpen() || !path) return;  // no device: already said, nothing would hear it
    auto silence = [](const std::string& why) {
        std::fprintf(stderr, "glowmotion: no music: %s; the show plays in silence\n", why.c_str());
    };
    std::vector<uint8_t> bytes;
    std::string why;
    if (!readWholeFile(path, kMaxModuleBytes, &bytes, &why)) return silence(why);
    std::unique_ptr<openmpt::module> loaded;
    try {
        std::ostringstream log;  // the loader's remarks are nobody's business at show time
        loaded = std::make_unique<openmpt::module>(bytes, log);
        if (startSeconds > 0.0) loaded->set_position_seconds(startSeconds);
    } catch (const std::exception&) {
        // libopenmpt only says "error loading file"; say what that means here.
        return silence(std::string(path) + ": not a tracker module the player can read");
    }
    output->lock();
    song = std::move(loaded);
    output->unlock();
}

void MusicPlayer::stop() {
    freeSong();
    output->close();
}

std::string MusicPlayer::songTitle() const {
    output->lock();
    std::string title = song ? song->get_metadata("title") : std::string();
    output->unlock();
    return title;
}

double MusicPlayer::songPosition() const {
    output->lock();
    const double position = song ? song->get_position_seconds() : 0.0;
    output->unlock();
    return position;
}

void MusicPlayer::render(float* interleaved, int frames) {
    std::size_t done = 0;
    if (song) {
        done = song->read_interleaved_stereo(rate, static_cast<std::size_t>(frames), interleaved);
    }
    if (done < static_cast<std::size_t>(frames)) {
        std::memset(interleaved + 2 * done, 0, (static_cast<std::size_t>(frames) - done) * 2 * sizeof(float));
    }
}
