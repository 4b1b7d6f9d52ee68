#include "app/WatchControls.h"

#include "base/Timeline.h"

#include <cstdio>

namespace {
// Index into kShowMoments of the part playing at `showTime`. A clock set to a
// moment reads it to within a tick, so a moment a nanosecond ahead counts
// as reached.
int momentAt(double showTime) {
    int at = 0;
    for (int i = 0; i < kShowMomentCount; ++i) {
        if (kShowMoments[i].start <= showTime + 1e-6) at = i;
    }
    return at;
}
}  // namespace

double momentBefore(double showTime) {
    const int at = momentAt(showTime);
    return kShowMoments[at > 0 ? at - 1 : 0].start;
}

double momentAfter(double showTime) {
    const int at = momentAt(showTime);
    return at + 1 < kShowMomentCount ? kShowMoments[at + 1].start : showTime;
}

std::string placeAt(float showTime) {
    const TimelineWindow* scene = &kTimeline[0];
    for (const TimelineWindow& window : kTimeline) {
        if (window.from <= showTime) scene = &window;
    }
    std::string place = scene->name;
    if (scene->slot == kDanceFloorSlot) {
        // The dance floor's clock reads show time.
        const SequenceWindow* sequence = &kDanceFloorSequences[0];
        for (const SequenceWindow& window : kDanceFloorSequences) {
            if (window.from <= showTime) sequence = &window;
        }
        place += std::string(": ") + sequence->name;
    }
    return place;
}

std::string watchingTitle(const std::string& head, float showTime, bool paused) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", static_cast<double>(showTime));
    return head + " | " + time + " | " + placeAt(showTime) + (paused ? " | paused" : "");
}
