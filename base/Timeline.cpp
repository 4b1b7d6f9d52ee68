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

// Each moment is the opening bound of its window, as a show time.
static_assert(sizeof kTimeline / sizeof kTimeline[0] + 2 == sizeof kShowMoments / sizeof kShowMoments[0],
              "one moment per scene and per later dance-floor sequence");
