#include "app/MusicPlayer.h"

#include <libopenmpt/libopenmpt.hpp>

#include "base/FileRead.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace {
// Puts `song` at `seconds`, to the sample at `rate` Hz. libopenmpt moves
// to the start of a row, the first one at or after the time asked for;
// this asks for ever earlier times until the row begins before `seconds`,
// then mixes and drops the frames up to it. Starting a row early, even when
// one begins right at `seconds`, lets the notes sounding then ring out
// into it as they would have.
void placeSong(openmpt::module& song, int rate, double seconds) {
    seconds = std::max(0.0, seconds);
    // libopenmpt times the rows with ticks rounded to whole frames at the
    // rate it last mixed at (48 kHz before the first read), and the song
    // heard runs on the ticks rounded at `rate`: a read of no frames sets
    // the rate, so the times sought are the times heard (otherwise 0.05 %
    // apart at some tempos: the show's music ran 40 ms ahead at 100 s).
    float scratch[2 * 1024];
    song.read_interleaved_stereo(rate, 0, scratch);
    // A row that starts within half a frame of `seconds` starts at it.
    const double atSeconds = seconds - 0.5 / rate;
    double back = 0.0;
    double row = song.set_position_seconds(seconds);
    while (row >= atSeconds && seconds > 0.0 && back < seconds) {
        back = back == 0.0 ? 0.05 : back * 2.0;
        row = song.set_position_seconds(std::max(0.0, seconds - back));
    }
    long long frames = std::llround((seconds - row) * rate);
    while (frames > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<long long>(frames, 1024));
        if (song.read_interleaved_stereo(rate, step, scratch) == 0) break;  // past the end
        frames -= static_cast<long long>(step);
    }
}
}  // namespace

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
        // Notes struck before the place sought sound on from there.
        loaded->ctl_set_boolean("seek.sync_samples", true);
        if (startSeconds > 0.0) placeSong(*loaded, rate, startSeconds);
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

void MusicPlayer::seek(double seconds) {
    output->lock();
    if (song) placeSong(*song, rate, seconds);
    output->unlock();
}

void MusicPlayer::pause(bool pause) {
    output->lock();
    paused = pause;
    output->unlock();
}

bool MusicPlayer::isPaused() const {
    output->lock();
    const bool result = paused;
    output->unlock();
    return result;
}

void MusicPlayer::render(float* interleaved, int frames) {
    std::size_t done = 0;
    if (song && !paused) {
        done = song->read_interleaved_stereo(rate, static_cast<std::size_t>(frames), interleaved);
    }
    if (done < static_cast<std::size_t>(frames)) {
        std::memset(interleaved + 2 * done, 0, (static_cast<std::size_t>(frames) - done) * 2 * sizeof(float));
    }
}
