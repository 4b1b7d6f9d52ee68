#pragma once
// Where the music's samples go: the sound device, or nowhere.
//
// The output pulls interleaved stereo float samples from a render callback
// on its own thread; lock()/unlock() keep the callback out while the main
// thread changes what it plays. Tests use their own output and pull the
// samples themselves.
#include <functional>
#include <memory>

class AudioOutput {
public:
    // Fills `frames` stereo frames (2 floats each) at the opened rate.
    using Render = std::function<void(float* interleaved, int frames)>;

    virtual ~AudioOutput() = default;
    // Opens the output at `rate` Hz with a buffer of at most `bufferFrames`
    // frames and starts pulling from `render`. False when there is no device.
    virtual bool open(int rate, int bufferFrames, Render render) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

// The system's sound device through SDL. When none opens, one line on
// standard error says so (with SDL's reason) and that the show is silent;
// ALSA's own diagnostics are kept off standard error.
std::unique_ptr<AudioOutput> makeSdlAudioOutput();
// An output that never opens: a silent show.
std::unique_ptr<AudioOutput> makeSilentAudioOutput();
