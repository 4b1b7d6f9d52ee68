// The show's music: a disco/house track in A minor at 126 BPM, composed as
// data (drum lines, bass lines, chord changes, melodic phrases, an
// arrangement of parts) and turned into an Impulse Tracker module.
//
// Timing: speed 6 ticks a row, tempo 126, four rows a beat, sixteen rows a
// bar, so a bar lasts 16 * 6 * 2.5 / 126 = 1.905 s. Sections start on the
// bar lines nearest to the show's scene changes.
#pragma once

#include <string>
#include <vector>

#include "ItWriter.h"

namespace music {

constexpr int kTempo = 126;
constexpr int kSpeed = 6;
constexpr int kRowsPerBar = 16;

// Seconds from the start of the song to the start of bar `bar` (0-based).
double barStart(int bar);

// Tracker channels, 0-based, in the order they appear in the module.
enum Channel : int {
    kKickChannel,
    kClapChannel,
    kSnareChannel,
    kHatChannel,
    kShakerChannel,
    kBassChannel,
    kStabChannel1,
    kStabChannel2,
    kStabChannel3,
    kPadChannel1,
    kPadChannel2,
    kPadChannel3,
    kStringChannel,
    kLeadChannel,
    kLeadLowChannel,
    kFxChannel,  // crash, riser and the global-volume commands
    kTomChannel,
    kChannelCount
};

// Sample numbers as the patterns name them (1-based).
enum SampleNumber : int {
    kKickSample = 1,
    kClapSample,
    kSnareSample,
    kClosedHatSample,
    kOpenHatSample,
    kShakerSample,
    kCrashSample,
    kRiserSample,
    kTomSample,
    kBassSample,
    kStabSample,
    kStringSample,
    kLeadSample,
    kSampleCount = kLeadSample
};

// A stretch of the song that goes with one scene of the show.
struct Section {
    std::string name;
    int firstBar = 0;
    int bars = 0;
    double sceneStart = 0;  // the show time the section lines up with
};

struct Song {
    ItModule module;
    std::vector<Section> sections;
    int totalBars = 0;
    // The arrangement, one line per part: "bars 23-34  43.81 s  floor: ...".
    std::vector<std::string> plan;
};

// Composes the whole song: synthesizes the samples, lays out the patterns
// and the order list.
Song composeSong();

}  // namespace music
