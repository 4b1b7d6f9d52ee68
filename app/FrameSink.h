#pragma once
// Where a recording's frames go: PNG files in a folder, or an encoder.
//
// The driver hands every frame of a recording over in order, k = 0, 1, ...;
// the sink also takes care of the music that belongs to those frames.
#include <cstdint>
#include <string>

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // True when frames are wanted top row first (as picture files hold
    // them); false for OpenGL's order, bottom row first.
    virtual bool topRowFirst() const = 0;
    // Takes frame `index`: width*height pixels of 4 bytes R, G, B, A. False
    // when the recording cannot go on; *error then says why.
    virtual bool writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) = 0;
    // A stop was asked for after `done` frames: the number of frames the
    // recording must hold to end with picture and sound of the same length
    // (never fewer than `done`).
    virtual int64_t framesToStopAt(int64_t done) { return done; }
};
