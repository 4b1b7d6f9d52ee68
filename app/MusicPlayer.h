#pragma once
// Plays one tracker module in the background.
//
// Owned by the Demo; called only from the main thread: init() as the show on
// screen begins, play() right before the show clock starts, stop() after the
// last frame. Mixing runs on the audio output's thread, which reads `song` only
// under the output's lock. A missing sound device or a module that cannot be
// read gives a silent show and one line on standard error saying why (the
// output reports the device; play() the module, naming the file).
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
    // Frees the song held, loads the module at `path` (loadSong) and starts
    // it from `startSeconds`. With no open output nothing is read; a module
    // that cannot be read or loaded is reported on standard error and
    // nothing plays.
    void play(const char* path, double startSeconds = 0.0);
    // Frees the song and closes the output.
    void stop();
    // Moves the song held to `seconds` (below 0: the start), to the sample:
    // from its next buffer the mixer plays what a render started there
    // would. The position is changed under the output's lock, so the mixer
    // never reads a half-moved song. Past the song's end it falls silent.
    void seek(double seconds);
    // While paused the output is fed silence and the song stands still;
    // resuming goes on at the very sample where it stopped.
    void pause(bool paused);

private:
    void render(float* interleaved, int frames);
    void freeSong();

    std::unique_ptr<AudioOutput> output;
    std::unique_ptr<openmpt::module> song;
    int rate = 0;
    bool paused = false;  // read by the mixer under the output's lock
};
