#include "Song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>

#include "Synth.h"
#include "base/Timeline.h"

namespace music {
namespace {

// ---------------------------------------------------------------------------
// Harmony

struct Chord {
    int bassRoot;                // MIDI note of the bass root
    std::array<int, 3> voicing;  // MIDI notes of the pad voices
};

const Chord kAm7{33, {60, 64, 67}};    // C E G over A
const Chord kD9{38, {60, 64, 66}};     // C E F# over D
const Chord kFmaj7{29, {57, 60, 64}};  // A C E over F
const Chord kEm7{28, {59, 62, 67}};    // B D G over E
const Chord kE7{28, {59, 62, 68}};     // B D G# over E
const Chord kAm9{33, {60, 64, 71}};    // C E B over A

using Progression = std::vector<const Chord*>;
const Progression kLoop{&kAm7, &kD9, &kFmaj7, &kEm7};

// ---------------------------------------------------------------------------
// Drum lines: one character per row of a bar.
//   x accent, o normal, g ghost, O open hat (hat line only), . rest
// Tom lines: h high, m mid, l low.

const char* const kFourFloor = "x...x...x...x...";
const char* const kKickTurn = "x...x...x.......";
const char* const kKickLand = "x...............";
const char* const kBackbeat = "....x.......x...";
const char* const kBackGhost = "....x.......x..g";
const char* const kClapTurn = "....x...........";
const char* const kHatsEighths = "x.o.x.o.x.o.x.o.";
const char* const kHatsDisco = "xoOoxoOoxoOoxoOo";
const char* const kHatsTurn = "xoOoxoOoxo......";
const char* const kHatsOffbeat = "..g...g...g...g.";
const char* const kHatsOpen = "..O...O...O...O.";
const char* const kShake = "goxogoxogoxogoxo";
const char* const kShakeSoft = "g.g.g.g.g.g.g.g.";
const char* const kRoll8ths = "x.x.x.x.x.x.x.x.";
const char* const kRoll16ths = "xxxxxxxxxxxxxxxx";
const char* const kSnareFill = "........o.o.xxxx";
const char* const kTomFill = "........h.h.m.ml";
const char* const kTomFillLate = "............h.ml";

// Chord stab rhythms (same characters, one chord a hit).
const char* const kStabsGroove = "..x...x...x..o..";
const char* const kStabsTurn = "x..x..x.........";
const char* const kStabsEcho = "......o.....g...";

// ---------------------------------------------------------------------------
// Bass lines: semitones above the chord's root, one entry a row.

constexpr int R = -100;  // rest: the previous note rings on
using BassLine = std::array<int, 16>;
const BassLine kBassOctave{0, R, 12, R, 0, R, 12, R, 0, R, 12, R, 0, R, 12, R};
const BassLine kBassFunk{0, R, 12, 0, R, 0, 12, R, 0, R, 12, 10, R, 7, 12, R};
const BassLine kBassLong{0, R, R, R, R, R, R, R, R, R, 7, R, R, R, R, R};
const BassLine kBassPedal{0, R, 0, R, 0, R, 0, R, 0, R, 0, R, 0, R, 12, R};
const BassLine kBassTurn{0, R, R, 0, R, R, 0, R, R, R, R, R, R, R, R, R};
const BassLine kBassLand{0, R, R, R, R, R, R, R, R, R, R, R, R, R, R, R};

// ---------------------------------------------------------------------------
// Melodic phrases: one string a bar, sixteen tokens: a note name such as
// "F#5" (C4 = middle C), "." to let the note ring, "^" to cut it; then the
// volume the lead plays the phrase at, and whether a second voice doubles it
// an octave down.

struct Phrase {
    std::vector<const char*> bars;
    int volume = 40;
    bool doubled = false;
};

// clang-format off
const Phrase kHook{{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . A5 . . F#5 . E5",
    "C6 . . . A5 . . G5 . . A5 . C6 . . .",
    "B5 . . . . . G5 . . . E5 . D5 . ^ .",
}};
const Phrase kHookHigh{{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . A5 . . F#5 . E5",
    "C6 . D6 . E6 . . D6 . . C6 . A5 . . .",
    "B5 . . . G5 . . A5 . . B5 . D6 . ^ .",
}, 40, true};
const Phrase kHookTurn{{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . D6 . . C6 . A5",
    "G#5 . . . B5 . . . D6 . . . E6 . ^ .",
}, 40, true};
const Phrase kBreakLine{{
    "E5 . . . . . . . . . . . D5 . . .",
    "E5 . . . . . . . F#5 . . . . . . .",
    "E5 . . . . . . . C5 . . . . . . .",
    "B4 . . . . . . . . . . . ^ . . .",
}, 26};
// clang-format on

constexpr int kCut = -2;
constexpr int kHold = -1;

int parseNote(const std::string& token) {
    static const std::map<char, int> kSteps{{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
    if (token == ".") return kHold;
    if (token == "^") return kCut;
    const auto step = kSteps.find(token.empty() ? '?' : token[0]);
    if (step == kSteps.end() || token.size() < 2) throw std::runtime_error("bad note " + token);
    size_t at = 1;
    int semitone = step->second;
    if (token[at] == '#') {
        ++semitone;
        ++at;
    }
    const int octave = std::stoi(token.substr(at));
    return 12 * (octave + 1) + semitone;
}

std::array<int, 16> parseBar(const char* bar) {
    std::istringstream in(bar);
    std::array<int, 16> out{};
    std::string token;
    size_t n = 0;
    while (in >> token) {
        if (n == out.size()) throw std::runtime_error(std::string("bar too long: ") + bar);
        out[n++] = parseNote(token);
    }
    if (n != out.size()) throw std::runtime_error(std::string("bar too short: ") + bar);
    return out;
}

// ---------------------------------------------------------------------------
// The arrangement, as a score: one row a part (a run of bars in which the
// same layers play), parts grouped into sections. Each section lines up with
// the show moment of the same name in the show's timeline: it starts on the
// bar line nearest that moment, and its parts fill its bars.

// What the fx channel plays on the first row of a part: nothing, a crash
// cymbal or a two-bar noise riser.
enum Hit { kNoHit, kCrash, kRiser };

// What the part's last bar plays instead of its snare line, and on the toms.
struct Fill {
    const char* snare;
    const char* toms;
};

// A snare line whose volume swells from `swellFrom` to full over the part.
struct Roll {
    const char* line;
    double swellFrom = 1.0;
};

// The global volume over a part: it stays `hold` rows at `from`, then takes
// `rows` rows (0: the rest of the part) to reach `to`, in a straight line
// (curve 1) or quickly and then gently (curve 2). With a cut row, every
// channel stops on that row of the part and the held layers start afresh.
struct Ramp {
    int from;
    int to;
    int hold = 0;
    int rows = 0;
    double curve = 1.0;
    int cutRow = -1;
};

const Ramp kThinning{128, 100};
const Ramp kFading{100, 64};
// The show stops the music at 125.0 s: the last chord lands on the bar line
// at 121.90 s, rings for a beat, and has faded to silence and been cut by
// row 20 (124.29 s). The song's last bar is silent, so the module still
// outlasts the show.
const Ramp kLastChordFade{80, 0, 4, 16, 2.0, 20};

struct Part {
    const char* name;
    int bars;
    Progression chords;  // one chord a bar, cycled
    Hit hit;
    Fill fill;
    const Ramp* volume;
    // The layers: the line each plays, or {} while it is silent. The pad
    // holds each bar's chord all through the song; the strings join it.
    const char* kick;
    const char* clap;
    Roll snare;
    const char* hats;
    const char* shaker;
    const char* stabs;
    const BassLine* bass;
    bool strings;
    const Phrase* lead;
};

struct ScoreSection {
    const char* moment;  // the show moment the section lines up with
    std::vector<Part> parts;
};

// clang-format off
const ScoreSection kScore[] = {
    {"turntable", {  // The record spins up.
        // part                                       bars chords             hit     fill                        volume
        // kick        clap        snare               hats          shaker      stabs         bass          strings lead
        {"pad alone, riser",                          2, {&kAm7},             kRiser, {},                         {},
           {},         {},         {},                 {},           {},         {},           {},           false, {}},
        {"kick and hats come in",                     4, kLoop,               kCrash, {},                         {},
           kFourFloor, {},         {},                 kHatsEighths, kShakeSoft, {},           {},           false, {}},
        {"octave bass and claps",                     4, kLoop,               {},     {kSnareFill},               {},
           kFourFloor, kBackbeat,  {},                 kHatsEighths, kShakeSoft, {},           &kBassOctave, false, {}},
    }},
    {"credits", {  // The groove proper.
        {"full groove, funk bass, stabs",             8, kLoop,               kCrash, {},                         {},
           kFourFloor, kBackGhost, {},                 kHatsDisco,   kShake,     kStabsGroove, &kBassFunk,   false, {}},
        {"turnaround on E7, tom fill",                1, {&kE7},              {},     {{}, kTomFill},             {},
           kKickTurn,  kClapTurn,  {},                 kHatsTurn,    {},         kStabsTurn,   &kBassTurn,   false, {}},
    }},
    {"star tunnel", {  // A build without kick.
        {"build: snare roll in eighths",              2, {&kFmaj7},           kCrash, {},                         {},
           {},         {},         {kRoll8ths, 0.35},  kHatsOffbeat, kShake,     {},           &kBassPedal,  true,  {}},
        {"build: sixteenths and riser",               2, {&kEm7, &kE7},       kRiser, {},                         {},
           {},         {},         {kRoll16ths, 0.55}, kHatsOffbeat, kShake,     {},           &kBassPedal,  true,  {}},
    }},
    {"dance floor", {  // The drop, with the hook.
        {"drop: groove and lead hook",               12, kLoop,               kCrash, {kSnareFill},               {},
           kFourFloor, kBackGhost, {},                 kHatsDisco,   kShake,     kStabsGroove, &kBassFunk,   false, &kHook},
    }},
    {"greetings", {  // Breakdown, then the way back.
        {"breakdown: pads, strings, no kick",         6, kLoop,               kCrash, {},                         {},
           {},         {},         {},                 kHatsOffbeat, kShakeSoft, kStabsEcho,   &kBassLong,   true,  &kBreakLine},
        {"build: kick returns, roll, riser",          2, {&kFmaj7, &kE7},     kRiser, {},                         {},
           kFourFloor, {},         {kRoll16ths, 0.3},  kHatsEighths, {},         {},           &kBassPedal,  true,  {}},
    }},
    {"shower", {  // The big return.
        {"return: everything, lead in octaves",       8, kLoop,               kCrash, {},                         {},
           kFourFloor, kBackGhost, {},                 kHatsDisco,   kShake,     kStabsGroove, &kBassFunk,   true,  &kHookHigh},
        {"turnaround Am7 D9 E7, fill",                3, {&kAm7, &kD9, &kE7}, {},     {kSnareFill, kTomFillLate}, {},
           kFourFloor, kBackGhost, {},                 kHatsDisco,   kShake,     kStabsGroove, &kBassFunk,   true,  &kHookTurn},
    }},
    {"end", {  // The layers leave one by one while the volume falls.
        {"outro: groove without lead",                4, kLoop,               kCrash, {},                         {},
           kFourFloor, kBackGhost, {},                 kHatsDisco,   kShake,     kStabsGroove, &kBassFunk,   false, {}},
        {"outro: kick, hats, bass, pad",              4, kLoop,               {},     {},                         &kThinning,
           kFourFloor, {},         {},                 kHatsDisco,   kShake,     {},           &kBassOctave, false, {}},
        {"outro: kick and pad fading",                2, kLoop,               {},     {},                         &kFading,
           kFourFloor, {},         {},                 kHatsOpen,    {},         {},           {},           false, {}},
        {"last chord, Am9, rings out; then silence",  2, {&kAm9},             kCrash, {},                         &kLastChordFade,
           kKickLand,  {},         {},                 {},           {},         {},           &kBassLand,   true,  {}},
    }},
};
// clang-format on

// ---------------------------------------------------------------------------
// Instruments

struct Instrument {
    const char* name;
    const char* file;
    Wave (*make)();
};

Wave twoBarRiser() { return riser(2.0 * barStart(1)); }

// In SampleNumber order.
const Instrument kInstruments[] = {
    {"Kick", "kick.raw", kick},        {"Clap", "clap.raw", clap},
    {"Snare", "snare.raw", snare},     {"Closed hat", "chat.raw", closedHat},
    {"Open hat", "ohat.raw", openHat}, {"Shaker", "shaker.raw", shaker},
    {"Crash", "crash.raw", crash},     {"Noise riser", "riser.raw", twoBarRiser},
    {"Disco tom", "tom.raw", synDrum}, {"Funk bass", "bass.raw", bass},
    {"Chord stab", "stab.raw", stab},  {"String pad", "strings.raw", stringPad},
    {"Lead", "lead.raw", lead},
};
static_assert(sizeof kInstruments / sizeof kInstruments[0] == kSampleCount, "one instrument a sample number");

// Mix: each channel's volume for an accented hit, and its pan (0 left,
// 32 centre, 64 right).
struct ChannelMix {
    int volume;
    int pan;
};
const ChannelMix kMix[kChannelCount] = {
    {64, 32},  // kick
    {52, 30},  // clap
    {34, 34},  // snare
    {26, 42},  // hats
    {18, 20},  // shaker
    {50, 32},  // bass
    {30, 18},  // stab 1
    {30, 32},  // stab 2
    {30, 46},  // stab 3
    {20, 12},  // pad 1
    {20, 32},  // pad 2
    {20, 52},  // pad 3
    {22, 40},  // strings
    {36, 28},  // lead
    {22, 36},  // lead, octave below
    {30, 32},  // fx
    {40, 24},  // toms
};

double levelOf(char c) {
    switch (c) {
    case 'x':
    case 'O':
    case 'h':
    case 'm':
    case 'l': return 1.0;
    case 'o': return 0.72;
    case 'g': return 0.45;
    default: return 0.0;
    }
}

int scaled(int volume, double level) { return static_cast<int>(std::lround(std::min(64.0, volume * level))); }

// ---------------------------------------------------------------------------
// The score: every row of the song, every channel.

class Score {
public:
    explicit Score(int bars) : rows_(static_cast<size_t>(bars * kRowsPerBar) * kChannelCount) {}

    ItCell& at(int row, int channel) {
        return rows_[static_cast<size_t>(row) * kChannelCount + static_cast<size_t>(channel)];
    }
    // A note at a MIDI pitch: samples are tuned so that pattern note n sounds
    // MIDI note n (C-5 is middle C).
    void note(int row, int channel, int sample, int midi, int volume) {
        ItCell& c = at(row, channel);
        c.note = midi;
        c.sample = sample;
        c.volume = volume;
    }
    void cut(int row, int channel) { at(row, channel).note = ItCell::kNoteCut; }
    void drumLine(int row0, int channel, int sample, const char* line, double gain) {
        for (int step = 0; step < kRowsPerBar; ++step) {
            const double level = levelOf(line[step]);
            if (level > 0) note(row0 + step, channel, sample, 60, scaled(kMix[channel].volume, level * gain));
        }
    }

private:
    std::vector<ItCell> rows_;
};

int tomPitch(char c) {
    switch (c) {
    case 'h': return 64;
    case 'm': return 60;
    default: return 55;
    }
}

// Writes one part into the score, starting at `bar`. `held` tracks what the
// sustained channels are holding across parts.
struct Held {
    const Chord* pad = nullptr;
    const Chord* strings = nullptr;
    bool lead = false;
};

void renderPart(Score& score, const Part& p, int firstBar, Held& held) {
    for (int b = 0; b < p.bars; ++b) {
        const Chord& chord = *p.chords[static_cast<size_t>(b) % p.chords.size()];
        const int row0 = (firstBar + b) * kRowsPerBar;
        const bool last = b == p.bars - 1;

        if (p.kick) score.drumLine(row0, kKickChannel, kKickSample, p.kick, 1.0);
        if (p.clap) score.drumLine(row0, kClapChannel, kClapSample, p.clap, 1.0);
        const char* snareLine = last && p.fill.snare ? p.fill.snare : p.snare.line;
        if (snareLine) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                const double level = levelOf(snareLine[step]);
                if (level <= 0) continue;
                const double u = static_cast<double>(b * kRowsPerBar + step) / (p.bars * kRowsPerBar - 1);
                const double swell = p.snare.swellFrom + (1.0 - p.snare.swellFrom) * u;
                score.note(row0 + step, kSnareChannel, kSnareSample, 60,
                           scaled(kMix[kSnareChannel].volume, level * swell));
            }
        }
        if (p.hats) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                const char c = p.hats[step];
                if (c == '.') continue;
                const int sample = c == 'O' ? kOpenHatSample : kClosedHatSample;
                score.note(row0 + step, kHatChannel, sample, 60, scaled(kMix[kHatChannel].volume, levelOf(c)));
            }
        }
        if (p.shaker) score.drumLine(row0, kShakerChannel, kShakerSample, p.shaker, 1.0);
        const char* tomLine = last ? p.fill.toms : nullptr;
        if (tomLine) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                if (tomLine[step] == '.') continue;
                score.note(row0 + step, kTomChannel, kTomSample, tomPitch(tomLine[step]), kMix[kTomChannel].volume);
            }
        }

        if (p.bass) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                const int interval = (*p.bass)[static_cast<size_t>(step)];
                if (interval == R) continue;
                // Accent the downbeats, push the off-beat octaves a little less.
                const double level = step % 4 == 0 ? 1.0 : 0.85;
                score.note(row0 + step, kBassChannel, kBassSample, chord.bassRoot + interval,
                           scaled(kMix[kBassChannel].volume, level));
            }
        }
        if (p.stabs) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                const double level = levelOf(p.stabs[step]);
                if (level <= 0) continue;
                for (int v = 0; v < 3; ++v) {
                    score.note(row0 + step, kStabChannel1 + v, kStabSample, chord.voicing[static_cast<size_t>(v)] + 12,
                               scaled(kMix[kStabChannel1 + v].volume, level));
                }
            }
        }

        // Sustained layers start on a chord change: the pad on every one, the
        // strings while they play (cut when they stop).
        if (held.pad != &chord) {
            for (int v = 0; v < 3; ++v) {
                score.note(row0, kPadChannel1 + v, kStringSample, chord.voicing[static_cast<size_t>(v)],
                           kMix[kPadChannel1 + v].volume);
            }
            held.pad = &chord;
        }
        if (p.strings && held.strings != &chord) {
            score.note(row0, kStringChannel, kStringSample, chord.voicing[2] + 12, kMix[kStringChannel].volume);
            held.strings = &chord;
        } else if (!p.strings && held.strings) {
            score.cut(row0, kStringChannel);
            held.strings = nullptr;
        }

        if (p.lead) {
            const auto notes = parseBar(p.lead->bars[static_cast<size_t>(b) % p.lead->bars.size()]);
            for (int step = 0; step < kRowsPerBar; ++step) {
                const int n = notes[static_cast<size_t>(step)];
                if (n == kHold) continue;
                if (n == kCut) {
                    score.cut(row0 + step, kLeadChannel);
                    if (p.lead->doubled) score.cut(row0 + step, kLeadLowChannel);
                    continue;
                }
                score.note(row0 + step, kLeadChannel, kLeadSample, n, p.lead->volume);
                if (p.lead->doubled)
                    score.note(row0 + step, kLeadLowChannel, kLeadSample, n - 12, kMix[kLeadLowChannel].volume);
            }
            held.lead = true;
        } else if (held.lead) {
            score.cut(row0, kLeadChannel);
            score.cut(row0, kLeadLowChannel);
            held.lead = false;
        }

        if (b == 0 && p.hit != kNoHit) {
            score.note(row0, kFxChannel, p.hit == kCrash ? kCrashSample : kRiserSample, 60, kMix[kFxChannel].volume);
        }
    }

    if (!p.volume) return;
    // Global volume: one set-volume command whenever the ramp moves on.
    const Ramp& ramp = *p.volume;
    const int rows = p.bars * kRowsPerBar;
    const int rampRows = ramp.rows > 0 ? ramp.rows : rows - ramp.hold;
    int previous = -1;
    for (int r = 0; r < rows; ++r) {
        const double u = std::clamp(static_cast<double>(r + 1 - ramp.hold) / rampRows, 0.0, 1.0);
        const double shaped = ramp.curve == 1.0 ? u : 1.0 - std::pow(1.0 - u, ramp.curve);
        const int gv = static_cast<int>(std::lround(ramp.from + (ramp.to - ramp.from) * shaped));
        if (gv == previous) continue;
        ItCell& c = score.at(firstBar * kRowsPerBar + r, kFxChannel);
        c.effect = 'V' - 'A' + 1;
        c.param = gv;
        previous = gv;
    }

    // A hard stop: every channel that may still sound is cut, and the held
    // layers start afresh in the next part.
    if (ramp.cutRow >= 0) {
        const int row = firstBar * kRowsPerBar + ramp.cutRow;
        for (int ch = 0; ch < kChannelCount; ++ch) score.cut(row, ch);
        held = Held{};
    }
}

// Splits a section into patterns of four bars; a last piece of one bar
// joins the pattern before it (patterns hold 32 to 200 rows).
std::vector<int> chunkBars(int bars) {
    std::vector<int> chunks;
    while (bars > 0) {
        const int take = bars == 5 ? 5 : std::min(4, bars);
        chunks.push_back(take);
        bars -= take;
    }
    if (!chunks.empty() && chunks.back() == 1) {
        chunks.pop_back();
        chunks.back() += 1;
    }
    return chunks;
}

std::string planLine(int firstBar, int bars, const std::string& what) {
    char head[64];
    std::snprintf(head, sizeof head, "bars %2d-%2d  %6.2f s  ", firstBar, firstBar + bars - 1, barStart(firstBar));
    return head + what;
}

// Where the show moment of this name starts, in show seconds.
double momentStart(const char* name) {
    for (const ShowMoment& moment : kShowMoments) {
        if (std::string(moment.name) == name) return moment.start;
    }
    throw std::logic_error(std::string("no show moment named ") + name);
}

}  // namespace

double barStart(int bar) { return bar * kRowsPerBar * kSpeed * 2.5 / kTempo; }

Song composeSong() {
    Song song;
    for (const ScoreSection& s : kScore) {
        Section section{s.moment, song.totalBars, 0, momentStart(s.moment)};
        for (const Part& p : s.parts) section.bars += p.bars;
        song.sections.push_back(section);
        song.totalBars += section.bars;
    }

    ItModule& m = song.module;
    m.title = "Glowmotion Groove";
    m.message =
        "Glowmotion\n"
        "disco groove in A minor, 126 BPM\n"
        "every sound synthesized in code";
    m.initialSpeed = kSpeed;
    m.initialTempo = kTempo;
    m.globalVolume = 128;
    m.mixVolume = 78;
    m.channels = kChannelCount;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        m.channelPan[static_cast<size_t>(ch)] = kMix[ch].pan;
        m.channelVolume[static_cast<size_t>(ch)] = 64;
    }

    for (const Instrument& ins : kInstruments) {
        const Wave w = ins.make();
        ItSample s;
        s.name = ins.name;
        s.fileName = ins.file;
        s.data = toPcm16(w);
        // Rate at which the sample sounds middle C: pattern notes are pitches.
        s.c5Speed = static_cast<uint32_t>(std::lround(w.rate * std::pow(2.0, (60 - w.rootMidi) / 12.0)));
        s.loop = w.loop;
        s.loopBegin = static_cast<uint32_t>(w.loopBegin);
        s.loopEnd = static_cast<uint32_t>(w.loopEnd);
        m.samples.push_back(s);
    }

    Score score(song.totalBars);
    Held held;
    for (size_t i = 0; i < song.sections.size(); ++i) {
        const Section& section = song.sections[i];
        int bar = section.firstBar;
        song.plan.push_back(planLine(bar, section.bars, "[" + section.name + "]"));
        for (const Part& p : kScore[i].parts) {
            renderPart(score, p, bar, held);
            song.plan.push_back(planLine(bar, p.bars, std::string("  ") + p.name));
            bar += p.bars;
        }
    }

    // Cut patterns along the sections and share the ones that repeat exactly.
    for (const Section& section : song.sections) {
        int bar = section.firstBar;
        for (int chunk : chunkBars(section.bars)) {
            ItPattern pattern(chunk * kRowsPerBar, kChannelCount);
            for (int r = 0; r < pattern.rows; ++r) {
                for (int ch = 0; ch < kChannelCount; ++ch) pattern.at(r, ch) = score.at(bar * kRowsPerBar + r, ch);
            }
            int index = -1;
            for (size_t i = 0; i < m.patterns.size(); ++i) {
                if (m.patterns[i] == pattern) index = static_cast<int>(i);
            }
            if (index < 0) {
                index = static_cast<int>(m.patterns.size());
                m.patterns.push_back(pattern);
            }
            m.orders.push_back(index);
            bar += chunk;
        }
    }
    return song;
}

}  // namespace music
