#include "base/Timeline.h"

int sceneAt(float t) {
    for (const TimelineWindow& window : kTimeline) {
        if (window.from < t && t < window.to) return window.slot;
    }
    return -1;
}

int danceSequenceAt(float t) {
    for (const SequenceWindow& window : kDanceFloorSequences) {
        if (window.from < t && t < window.to) return window.sequence;
    }
    return -1;
}

// Every finite opening bound is a tenth of a second that its moment reads
// back exactly, and the moments come in order on screen (the dance floor's
// later sequences start within it).
static constexpr bool momentsMatchTheTables() {
    for (const TimelineWindow& window : kTimeline) {
        if (window.from != -kForever && static_cast<float>(momentOf(window.from)) != window.from) return false;
    }
    for (const SequenceWindow& window : kDanceFloorSequences) {
        if (window.from != -kForever && static_cast<float>(momentOf(window.from)) != window.from) return false;
    }
    for (int i = 1; i < kShowMomentCount; ++i) {
        if (!(kShowMoments[i - 1].start < kShowMoments[i].start)) return false;
    }
    return true;
}
static_assert(momentsMatchTheTables(), "the show moments stand for the timeline's opening bounds, in order");
