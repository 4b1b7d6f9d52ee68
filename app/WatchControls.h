#pragma once
// What the watching keys (--controls) work out from the show time: where
// Page Up and Page Down lead, and the window title that says where the
// show is; and the picture held while the show is paused. The Demo acts on
// the keys; these are the rules it follows.
#include "app/Surface.h"

#include <cstdint>
#include <string>
#include <vector>

// One frame of the picture: what `.` and `,` step while paused.
constexpr double kStepSeconds = 1.0 / 60.0;
// Left/Right and Up/Down seek this far.
constexpr double kLongSeekSeconds = 5.0;
constexpr double kShortSeekSeconds = 1.0;

// The places a viewer jumps between are the starts of the scenes and of the
// dance floor's later sequences (kShowMoments). The one playing at show
// time t is the last that starts at or before t.
// Page Up: the start of the one before it (the first one's start from
// within the first).
double momentBefore(double showTime);
// Page Down: the start of the one after it; `showTime` itself when it is
// the last one.
double momentAfter(double showTime);

// "turntable", ..., "dance floor: groove", "dance floor: greetings",
// "dance floor: shower", "end": the scene whose window the show time t has
// reached (in a gap, the one before it), and on the dance floor the
// sequence. Bounds are compared as the timeline compares them.
std::string placeAt(float showTime);

// The window title while the keys are on: `head` (the title, or the title
// with the frame rate while F12 shows it), the show time to the hundredth,
// the place, and "paused" while paused:
//   "Glowmotion | 50.20 s | dance floor: groove | paused"
//   "! Glowmotion  .:[fps  60 ]:. | 19.10 s | credits"
std::string watchingTitle(const std::string& head, float showTime, bool paused);

// The picture held while the show is paused. hold() keeps a copy of the
// picture just drawn (the viewport of the buffer being drawn); draw() puts
// it back into the buffer being drawn, scaled to the viewport should the
// window have changed size, before the next present. Presenting without
// drawing could show an older buffer, since what a buffer holds after a
// swap is not defined. Every OpenGL state, matrix and pixel-store setting is
// left as it was found, so the scenes' carried-over state is untouched.
// Nothing held: draw() draws nothing.
class PausedPicture {
public:
    void hold(const Viewport& picture);
    void draw(const Viewport& picture) const;
    void release();

private:
    std::vector<uint8_t> pixels;  // RGBA, bottom row first
    int width = 0, height = 0;
};
