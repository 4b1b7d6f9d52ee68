#pragma once
// Plays one tracker module in the background.
//
// Owned by the Demo; called only from the main thread: init() when the Demo
// is built, play() right before the show clock starts, stop() after the last
// frame. Mixing runs on the audio output's thread, which reads `song` only
// under the output's lock. A missing module or a missing sound device gives
// a silent show and no message.
#include "app/AudioOutput.h"

#include <memory>
#include <string>

namespace openmpt { class module; }

class MusicPlayer {
public:
    // Frames per audio buffer: small, so picture and music stay within
    // about 12 ms of each other at 44 kHz.
    static constexpr int kBufferFrames = 512;

    explicit MusicPlayer(std::unique_ptr<AudioOutput> output = makeSdlAudioOutput());
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Opens the output at `mixRate` Hz, stereo. False when no device opened.
    bool init(int mixRate);
    // Frees the song held, loads the module at `path` and starts it from
    // `startSeconds`. With no open output or an unreadable file nothing plays.
    void play(const char* path, double startSeconds = 0.0);
    // Frees the song and closes the output.
    void stop();

    bool hasSong() const { return song != nullptr; }
    // Title of the song held ("" when none).
    std::string songTitle() const;
    // Position of the song held, in seconds (0 when none).
    double songPosition() const;

private:
    void render(float* interleaved, int frames);
    void freeSong();

    std::unique_ptr<AudioOutput> output;
    std::unique_ptr<openmpt::module> song;
    int rate = 0;
};
