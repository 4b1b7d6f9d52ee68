#pragma once
// The show's music rendered offline for a recording: the module played from
// its beginning at 48000 Hz, stereo, handed out sample for sample from a
// given song position. Unlike the live player it does not seek (the module
// player seeks to whole rows only); it renders from the start and drops the
// samples before the position, so a recording that starts at 60 s holds
// exactly the samples a whole-show recording holds from 60 s on. Past the
// song's end it gives silence: a recording never loops or fades the song.
//
// Used from one thread at a time (the recording's audio writer).
#include <cstdint>
#include <memory>
#include <string>

namespace openmpt { class module; }

class SongRenderer {
public:
    SongRenderer();
    ~SongRenderer();
    SongRenderer(const SongRenderer&) = delete;
    SongRenderer& operator=(const SongRenderer&) = delete;

    // Reads the module at `path` (loadSong). False (with *why) when it
    // cannot be read or is not a module; the renderer then gives silence.
    bool load(const std::string& path, std::string* why);

    // Moves to song sample `position` (48000 a second from the song's start).
    // Call before the first render.
    void skipTo(int64_t position);
    // Fills `frames` stereo frames (2 floats each) and moves on.
    void render(float* interleaved, int64_t frames);

private:
    std::unique_ptr<openmpt::module> song;
    bool songEnded = false;
};
