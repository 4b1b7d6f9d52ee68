#include "scenes/ShowReplay.h"

#include "base/Timeline.h"

#include <GL/gl.h>

#include <algorithm>

void drawShowFrame(const SceneSet& scenes, float t) {
    const int slot = sceneAt(t);
    if (slot >= 0 && scenes[slot]) scenes[slot]->render(t);
}

ShowReplay::ShowReplay(FrameClock& showClock, const SceneSet& showScenes) : clock(showClock), scenes(showScenes) {}

void ShowReplay::begin() {
    firstFrameState = CarriedGLState::read();
    drawnAny = false;
    drawnTicks = 0;
}

void ShowReplay::drawn(int64_t ticks) {
    drawnAny = true;
    drawnTicks = ticks;
}

void ShowReplay::planFromStart(int framesPerSecond, int64_t targetTicks) { plan(0, 0, framesPerSecond, targetTicks); }

void ShowReplay::planJump(int framesPerSecond, int64_t targetTicks) {
    if (!drawnAny || targetTicks < drawnTicks) {
        // Behind the frame shown: the show again from its start.
        for (const auto& scene : scenes) {
            if (scene) scene->rewind();
        }
        firstFrameState.apply();
        plan(0, 0, framesPerSecond, targetTicks);
    } else {
        plan(drawnTicks, 1, framesPerSecond, targetTicks);
    }
}

void ShowReplay::plan(int64_t originTicks, int64_t first, int framesPerSecond, int64_t targetTicks) {
    began = std::chrono::steady_clock::now();
    run = Replayed{};
    run.target = static_cast<double>(targetTicks) / 1e9;
    origin = originTicks;
    next = first;
    target = targetTicks;
    fps = framesPerSecond;
    // A frame in a gap draws nothing, so the picture at the target may be
    // one drawn up to the longest gap and a frame before it (a millisecond
    // more covers the rounding of the float bounds): those frames are drawn
    // where the picture is shown, the ones before them unseen.
    seenFrom = targetTicks - FrameClock::ticksOf(longestGap() + 1.0 / fps + 0.001);
    done = false;
}

bool ShowReplay::runFrames(int64_t count) {
    if (done) return true;
    bool unseenNow = false;
    bool finished = false;
    for (; count > 0; --count, ++next) {
        const int64_t at = origin + FrameClock::frameTicks(next, fps);
        if (at >= target) {
            finished = true;
            break;
        }
        const bool seen = at > seenFrom;
        if (!seen && !unseenNow) unseen.begin();
        if (seen && unseenNow) unseen.end();
        unseenNow = !seen;
        clock.replayAt(at);
        drawShowFrame(scenes, static_cast<float>(clock.seconds()));
        drawn(at);
        // Each unseen frame goes to the driver as it ends. Left to pile up,
        // thousands of them (a start at two minutes) held 130 MB more at
        // the peak, and took longer.
        if (!seen) glFlush();
        ++run.frames;
    }
    // Between parts the drawing goes back where it was.
    if (unseenNow) unseen.end();
    if (!finished) {
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        return false;
    }
    // Nothing of it left for the driver to do once the show goes on.
    if (run.frames > 0) glFinish();
    clock.endReplay();
    done = true;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return true;
}

double ShowReplay::progress() const {
    if (done || target <= origin) return 1.0;
    const double ran = static_cast<double>(FrameClock::frameTicks(next, fps));
    return std::clamp(ran / static_cast<double>(target - origin), 0.0, 1.0);
}
