#pragma once
// The show's timeline: which scene draws when, which dance-floor sequence
// runs when, and where each of them starts. The driver, the dance-floor
// dispatcher and the music composition all read these tables; nothing else
// holds a copy of the times.
//
// Times are seconds. Bounds are 32-bit floats compared strictly
// (from < t < to), which leaves a 0.1 s gap between adjacent windows in
// which nothing draws and nothing is cleared.
#include <array>
#include <cstddef>
#include <iterator>
#include <limits>

// Where the Demo holds each scene. Slot order is the order of construction,
// loading, starting and destruction; it differs from the order on screen.
enum SceneSlot : int {
    kStarTunnelSlot = 0,
    kTurntableSlot = 1,
    kCreditsSlot = 2,
    kDanceFloorSlot = 3,
    kEndSlot = 4,
    kSceneCount = 5,
};

// The dance floor's sequences.
enum DanceSequence : int {
    kGrooveSequence = 0,
    kGreetingsSequence = 1,
    kShowerSequence = 2,
};

constexpr float kForever = std::numeric_limits<float>::infinity();

// One row of the timeline: `slot` draws while from < t < to (show time).
struct TimelineWindow {
    float from;
    float to;
    SceneSlot slot;
    const char* name;
};

// In order on screen.
constexpr TimelineWindow kTimeline[] = {
    {-kForever, 19.0f, kTurntableSlot, "turntable"},
    {19.1f, 36.0f, kCreditsSlot, "credits"},
    {36.1f, 43.8f, kStarTunnelSlot, "star tunnel"},
    {43.9f, 103.0f, kDanceFloorSlot, "dance floor"},
    {103.1f, 124.9f, kEndSlot, "end"},
};

// The loop ends in the first frame whose show time is above this.
constexpr float kShowEnd = 125.0f;

// One dance-floor sequence: it runs while from < t < to, t being the dance
// floor scene's own clock (which reads show time).
struct SequenceWindow {
    float from;
    float to;
    DanceSequence sequence;
    const char* name;
};

constexpr SequenceWindow kDanceFloorSequences[] = {
    {-kForever, 66.5f, kGrooveSequence, "groove"},
    {66.6f, 81.7f, kGreetingsSequence, "greetings"},
    {81.8f, kForever, kShowerSequence, "shower"},
};

// The longest stretch of show time in which nothing is drawn: a gap between
// two windows of the timeline or of the dance floor's sequences, or from the
// last window to the show's end. A picture shown in a gap was drawn at most
// this long (and a frame) before.
constexpr float longestGap() {
    float longest = kShowEnd - kTimeline[std::size(kTimeline) - 1].to;
    for (size_t i = 1; i < std::size(kTimeline); ++i) {
        if (kTimeline[i].from - kTimeline[i - 1].to > longest) longest = kTimeline[i].from - kTimeline[i - 1].to;
    }
    for (size_t i = 1; i < std::size(kDanceFloorSequences); ++i) {
        const float gap = kDanceFloorSequences[i].from - kDanceFloorSequences[i - 1].to;
        if (gap > longest) longest = gap;
    }
    return longest;
}

// Slot of the scene that draws at show time t, or -1 (a gap, or the end).
int sceneAt(float t);
// The dance-floor sequence that runs at scene time t, or -1 (a gap).
int danceSequenceAt(float t);

// Where a scene or a dance-floor sequence begins, in show seconds: the
// places the music's sections line up with and a viewer may jump to. They
// are the opening bounds of the windows above, in order on screen: every
// scene's, and after the dance floor's the later dance-floor sequences' (the
// first one starts with the dance floor). The first window opens at 0.
struct ShowMoment {
    double start;
    const char* name;
};

// The bounds are written to the tenth of a second and held as floats; a
// moment is its bound to the tenth, as a double: 19.1f (19.1000004) gives
// 19.1, which reads back as 19.1f.
constexpr double momentOf(float from) {
    return from == -kForever ? 0.0 : static_cast<double>(static_cast<long long>(from * 10.0 + 0.5)) / 10.0;
}

constexpr int kShowMomentCount = static_cast<int>(std::size(kTimeline) + std::size(kDanceFloorSequences)) - 1;

constexpr std::array<ShowMoment, kShowMomentCount> showMoments() {
    std::array<ShowMoment, kShowMomentCount> moments{};
    size_t n = 0;
    for (const TimelineWindow& window : kTimeline) {
        moments[n++] = {momentOf(window.from), window.name};
        if (window.slot != kDanceFloorSlot) continue;
        for (size_t i = 1; i < std::size(kDanceFloorSequences); ++i) {
            moments[n++] = {momentOf(kDanceFloorSequences[i].from), kDanceFloorSequences[i].name};
        }
    }
    return moments;
}

constexpr std::array<ShowMoment, kShowMomentCount> kShowMoments = showMoments();
