#pragma once
// Frames of the show that nobody sees, run to bring the scenes to a place:
// before the first frame shown after a start past 0, before a recording's
// first frame, and after a jump with the watching keys, on the desktop and
// in the browser alike. The picture at show time S is the one the show
// draws after every frame from 0 to S (scenes step values from frame to
// frame and hand the OpenGL state on), so the driver runs those frames
// first: in a tiny framebuffer of the same context (the scenes' textures
// and display lists live there; gfx/UnseenDrawing.h), all but the last
// few, which may still be the picture shown at S (in a gap nothing is
// drawn), so those are drawn where the next frame will be.
//
// A run may go in parts (runFrames with a count) so that a page can show
// how far it is between them; the clock reads each frame's time until the
// run is done.
#include "base/FrameClock.h"
#include "gfx/UnseenDrawing.h"
#include "scenes/SceneRegistry.h"

#include <chrono>
#include <cstdint>
#include <limits>

// The frame rate at which the show on screen runs the frames before a place
// it starts at or jumps to; a recording runs them at its own rate.
constexpr int kReplayFps = 60;

// Frames run unseen to bring the show to a place.
struct Replayed {
    int64_t frames = 0;   // frames run
    double target = 0.0;  // the show time they led to
    double seconds = 0.0; // wall-clock time they took
};

// Draws show time t: the scene whose window of the timeline holds it, if
// any (a gap draws nothing).
void drawShowFrame(const SceneSet& scenes, float t);

class ShowReplay {
public:
    static constexpr int64_t kAll = std::numeric_limits<int64_t>::max();

    // The driver's clock and scenes, which outlive this object.
    ShowReplay(FrameClock& showClock, const SceneSet& showScenes);

    // The show starts, its first frame's OpenGL state set (setUpShowGL):
    // that state is kept for jumps back; no frame has been drawn yet.
    void begin();
    // A frame drawn where it is seen, at show time `ticks` (nanoseconds).
    void drawn(int64_t ticks);

    // Plans the frames at j / fps show seconds, j from 0, that come before
    // show time `target` (nanoseconds).
    void planFromStart(int fps, int64_t target);
    // After a jump to `target`: the frames from the one last drawn on to
    // it or, when it lies behind that frame (or none was drawn), the show
    // again from its start, the scenes rewound and the first frame's
    // OpenGL state put back.
    void planJump(int fps, int64_t target);
    // Runs up to `count` more planned frames; the scenes draw them as
    // always, with the clock reading each frame's time. True once the plan
    // is done: the OpenGL work is finished and the clock reads its own time
    // again.
    bool runFrames(int64_t count = kAll);
    // How far the plan is, 0 to 1; the last run, once done.
    double progress() const;
    const Replayed& last() const { return run; }

private:
    void plan(int64_t originTicks, int64_t first, int fps, int64_t targetTicks);

    FrameClock& clock;
    const SceneSet& scenes;
    UnseenDrawing unseen;
    CarriedGLState firstFrameState;  // the OpenGL state the show's first frame finds
    bool drawnAny = false;           // the scenes have drawn (or run) a frame
    int64_t drawnTicks = 0;          // show time of the last one

    // The plan: frames at origin + j / fps, j from `next`, before `target`.
    int64_t origin = 0, next = 0, target = 0;
    int fps = kReplayFps;
    int64_t seenFrom = 0;  // frames after this show time are drawn where they are seen
    bool done = true;
    std::chrono::steady_clock::time_point began;
    Replayed run;
};
