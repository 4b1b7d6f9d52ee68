#include "app/MusicPlayer.h"

#include "app/Song.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

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
    std::string why;
    std::unique_ptr<openmpt::module> loaded = loadSong(path, &why);
    if (!loaded) {
        std::fprintf(stderr, "glowmotion: no music: %s; the show plays in silence\n", why.c_str());
        return;
    }
    if (startSeconds > 0.0) placeSong(*loaded, rate, startSeconds);
    output->lock();
    song = std::move(loaded);
    output->unlock();
}

void MusicPlayer::stop() {
    freeSong();
    output->close();
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

void MusicPlayer::render(float* interleaved, int frames) {
    std::size_t done = 0;
    if (song && !paused) {
        done = song->read_interleaved_stereo(rate, static_cast<std::size_t>(frames), interleaved);
    }
    if (done < static_cast<std::size_t>(frames)) {
        std::memset(interleaved + 2 * done, 0, (static_cast<std::size_t>(frames) - done) * 2 * sizeof(float));
    }
}
