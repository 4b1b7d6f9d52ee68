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
    const char* name;
    int bassRoot;                // MIDI note of the bass root
    std::array<int, 3> voicing;  // MIDI notes of the pad voices
};

const Chord kAm7{"Am7", 33, {60, 64, 67}};      // C E G over A
const Chord kD9{"D9", 38, {60, 64, 66}};        // C E F# over D
const Chord kFmaj7{"Fmaj7", 29, {57, 60, 64}};  // A C E over F
const Chord kEm7{"Em7", 28, {59, 62, 67}};      // B D G over E
const Chord kE7{"E7", 28, {59, 62, 68}};        // B D G# over E
const Chord kAm9{"Am9", 33, {60, 64, 71}};      // C E B over A

using Progression = std::vector<const Chord*>;
const Progression kLoop{&kAm7, &kD9, &kFmaj7, &kEm7};

// ---------------------------------------------------------------------------
// Drum lines: one character per row of a bar.
//   x accent, o normal, g ghost, O open hat (hat line only), . rest
// Tom lines: h high, m mid, l low.

const char* const kFourOnTheFloor = "x...x...x...x...";
const char* const kKickTurn = "x...x...x.......";
const char* const kKickLand = "x...............";
const char* const kBackbeat = "....x.......x...";
const char* const kBackbeatGhost = "....x.......x..g";
const char* const kClapTurn = "....x...........";
const char* const kHatsEighths = "x.o.x.o.x.o.x.o.";
const char* const kHatsDisco = "xoOoxoOoxoOoxoOo";
const char* const kHatsTurn = "xoOoxoOoxo......";
const char* const kHatsOffbeat = "..g...g...g...g.";
const char* const kHatsOpenOffbeat = "..O...O...O...O.";
const char* const kShake = "goxogoxogoxogoxo";
const char* const kShakeSoft = "g.g.g.g.g.g.g.g.";
const char* const kRollEighths = "x.x.x.x.x.x.x.x.";
const char* const kRollSixteenths = "xxxxxxxxxxxxxxxx";
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
// "F#5" (C4 = middle C), "." to let the note ring, "^" to cut it.

using Phrase = std::vector<const char*>;

const Phrase kHook{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . A5 . . F#5 . E5",
    "C6 . . . A5 . . G5 . . A5 . C6 . . .",
    "B5 . . . . . G5 . . . E5 . D5 . ^ .",
};
const Phrase kHookHigh{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . A5 . . F#5 . E5",
    "C6 . D6 . E6 . . D6 . . C6 . A5 . . .",
    "B5 . . . G5 . . A5 . . B5 . D6 . ^ .",
};
const Phrase kHookTurn{
    "A5 . C6 . . A5 . G5 . . E5 . G5 . A5 .",
    ". . F#5 . A5 . . C6 . . D6 . . C6 . A5",
    "G#5 . . . B5 . . . D6 . . . E6 . ^ .",
};
const Phrase kBreakLine{
    "E5 . . . . . . . . . . . D5 . . .",
    "E5 . . . . . . . F#5 . . . . . . .",
    "E5 . . . . . . . C5 . . . . . . .",
    "B4 . . . . . . . . . . . ^ . . .",
};

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
// Parts: a run of bars in which the same layers play.

struct Part {
    const char* name = "";
    int bars = 1;
    Progression chords = kLoop;  // one chord a bar, cycled
    const char* kick = nullptr;
    const char* clap = nullptr;
    const char* snare = nullptr;
    const char* hats = nullptr;
    const char* shaker = nullptr;
    const char* toms = nullptr;
    const char* stabs = nullptr;
    const BassLine* bass = nullptr;
    bool pad = false;
    bool strings = false;
    const Phrase* lead = nullptr;
    int leadVolume = 40;
    bool leadLow = false;             // double the lead an octave down
    const char* fillSnare = nullptr;  // replace the last bar's snare line
    const char* fillToms = nullptr;   // replace the last bar's tom line
    bool crash = false;               // crash cymbal on the first row
    int riserBar = -1;                // two-bar noise riser from this bar of the part
    double swellFrom = 1.0;           // snare-line volume ramps from here to 1.0
    int globalFrom = 128;             // global volume ramps from here...
    int globalTo = 128;               // ...to here over the part
    int globalHold = 0;               // rows the ramp stays at globalFrom first
    int globalRows = 0;               // rows the ramp takes (0: the rest of the part)
    double globalCurve = 1.0;         // shape of the ramp: 1 straight, 2 quick then gentle
    int cutRow = -1;                  // row of the part where every sounding layer stops
};

Part groove(const char* name, int bars) {
    Part p;
    p.name = name;
    p.bars = bars;
    p.kick = kFourOnTheFloor;
    p.clap = kBackbeatGhost;
    p.hats = kHatsDisco;
    p.shaker = kShake;
    p.stabs = kStabsGroove;
    p.bass = &kBassFunk;
    p.pad = true;
    return p;
}

// A section that lines up with the show moment of the same name in the
// show's timeline; its bars are counted by the arrangement.
Section showSection(const char* name) {
    for (const ShowMoment& moment : kShowMoments) {
        if (std::string(moment.name) == name) return Section{name, 0, 0, moment.start};
    }
    throw std::logic_error(std::string("no show moment named ") + name);
}

struct SectionParts {
    Section section;
    std::vector<Part> parts;
};

// The arrangement. Section starts: the bar lines nearest the scene changes.
std::vector<SectionParts> arrangement() {
    std::vector<SectionParts> song;

    {  // Turntable: the record spins up.
        SectionParts s{showSection("turntable"), {}};
        Part pad;
        pad.name = "pad alone, riser";
        pad.bars = 2;
        pad.chords = {&kAm7};
        pad.pad = true;
        pad.riserBar = 0;
        s.parts.push_back(pad);

        Part beat;
        beat.name = "kick and hats come in";
        beat.bars = 4;
        beat.kick = kFourOnTheFloor;
        beat.hats = kHatsEighths;
        beat.shaker = kShakeSoft;
        beat.pad = true;
        beat.crash = true;
        s.parts.push_back(beat);

        Part bass = beat;
        bass.name = "octave bass and claps";
        bass.crash = false;
        bass.clap = kBackbeat;
        bass.bass = &kBassOctave;
        bass.fillSnare = kSnareFill;
        s.parts.push_back(bass);
        song.push_back(s);
    }
    {  // Credits: the groove proper.
        SectionParts s{showSection("credits"), {}};
        Part main = groove("full groove, funk bass, stabs", 8);
        main.crash = true;
        s.parts.push_back(main);

        Part turn;
        turn.name = "turnaround on E7, tom fill";
        turn.chords = {&kE7};
        turn.kick = kKickTurn;
        turn.clap = kClapTurn;
        turn.hats = kHatsTurn;
        turn.stabs = kStabsTurn;
        turn.bass = &kBassTurn;
        turn.toms = kTomFill;
        turn.pad = true;
        s.parts.push_back(turn);
        song.push_back(s);
    }
    {  // Star tunnel: a build without kick.
        SectionParts s{showSection("star tunnel"), {}};
        Part roll;
        roll.name = "build: snare roll in eighths";
        roll.bars = 2;
        roll.chords = {&kFmaj7};
        roll.snare = kRollEighths;
        roll.swellFrom = 0.35;
        roll.hats = kHatsOffbeat;
        roll.shaker = kShake;
        roll.bass = &kBassPedal;
        roll.pad = true;
        roll.strings = true;
        roll.crash = true;
        s.parts.push_back(roll);

        Part rise = roll;
        rise.name = "build: sixteenths and riser";
        rise.chords = {&kEm7, &kE7};
        rise.snare = kRollSixteenths;
        rise.swellFrom = 0.55;
        rise.crash = false;
        rise.riserBar = 0;
        s.parts.push_back(rise);
        song.push_back(s);
    }
    {  // Dance floor: the drop, with the hook.
        SectionParts s{showSection("dance floor"), {}};
        Part floor = groove("drop: groove and lead hook", 12);
        floor.crash = true;
        floor.lead = &kHook;
        floor.fillSnare = kSnareFill;
        s.parts.push_back(floor);
        song.push_back(s);
    }
    {  // Greetings: breakdown, then the way back.
        SectionParts s{showSection("greetings"), {}};
        Part down;
        down.name = "breakdown: pads, strings, no kick";
        down.bars = 6;
        down.crash = true;
        down.hats = kHatsOffbeat;
        down.shaker = kShakeSoft;
        down.stabs = kStabsEcho;
        down.bass = &kBassLong;
        down.pad = true;
        down.strings = true;
        down.lead = &kBreakLine;
        down.leadVolume = 26;
        s.parts.push_back(down);

        Part build;
        build.name = "build: kick returns, roll, riser";
        build.bars = 2;
        build.chords = {&kFmaj7, &kE7};
        build.kick = kFourOnTheFloor;
        build.hats = kHatsEighths;
        build.snare = kRollSixteenths;
        build.swellFrom = 0.3;
        build.bass = &kBassPedal;
        build.pad = true;
        build.strings = true;
        build.riserBar = 0;
        s.parts.push_back(build);
        song.push_back(s);
    }
    {  // Shower: the big return.
        SectionParts s{showSection("shower"), {}};
        Part peak = groove("return: everything, lead in octaves", 8);
        peak.crash = true;
        peak.strings = true;
        peak.lead = &kHookHigh;
        peak.leadLow = true;
        s.parts.push_back(peak);

        Part turn = peak;
        turn.name = "turnaround Am7 D9 E7, fill";
        turn.bars = 3;
        turn.chords = {&kAm7, &kD9, &kE7};
        turn.crash = false;
        turn.lead = &kHookTurn;
        turn.fillSnare = kSnareFill;
        turn.fillToms = kTomFillLate;
        s.parts.push_back(turn);
        song.push_back(s);
    }
    {  // End: the layers leave one by one while the volume falls.
        SectionParts s{showSection("end"), {}};
        Part out = groove("outro: groove without lead", 4);
        out.crash = true;
        s.parts.push_back(out);

        Part thin;
        thin.name = "outro: kick, hats, bass, pad";
        thin.bars = 4;
        thin.kick = kFourOnTheFloor;
        thin.hats = kHatsDisco;
        thin.shaker = kShake;
        thin.bass = &kBassOctave;
        thin.pad = true;
        thin.globalFrom = 128;
        thin.globalTo = 100;
        s.parts.push_back(thin);

        Part fade;
        fade.name = "outro: kick and pad fading";
        fade.bars = 2;
        fade.kick = kFourOnTheFloor;
        fade.hats = kHatsOpenOffbeat;
        fade.pad = true;
        fade.globalFrom = 100;
        fade.globalTo = 64;
        s.parts.push_back(fade);

        // The show stops the music at 125.0 s: the last chord lands on the bar
        // line at 121.90 s, rings for a beat, and has faded to silence and been
        // cut by row 20 (124.29 s). The song's last bar is silent, so the
        // module still outlasts the show.
        Part last;
        last.name = "last chord, Am9, rings out; then silence";
        last.bars = 2;
        last.chords = {&kAm9};
        last.kick = kKickLand;
        last.bass = &kBassLand;
        last.pad = true;
        last.strings = true;
        last.crash = true;
        last.globalFrom = 80;
        last.globalTo = 0;
        last.globalHold = 4;
        last.globalRows = 16;
        last.globalCurve = 2.0;
        last.cutRow = 20;
        s.parts.push_back(last);
        song.push_back(s);
    }

    int bar = 0;
    for (SectionParts& s : song) {
        s.section.firstBar = bar;
        s.section.bars = 0;
        for (const Part& p : s.parts) s.section.bars += p.bars;
        bar += s.section.bars;
    }
    return song;
}

// ---------------------------------------------------------------------------
// Instruments

struct Instrument {
    int sample;
    const char* name;
    const char* file;
    Wave (*make)();
    int defaultVolume;
};

Wave twoBarRiser() { return riser(2.0 * barStart(1)); }

const Instrument kInstruments[kSampleCount] = {
    {kKickSample, "Kick", "kick.raw", kick, 64},           {kClapSample, "Clap", "clap.raw", clap, 64},
    {kSnareSample, "Snare", "snare.raw", snare, 64},       {kClosedHatSample, "Closed hat", "chat.raw", closedHat, 64},
    {kOpenHatSample, "Open hat", "ohat.raw", openHat, 64}, {kShakerSample, "Shaker", "shaker.raw", shaker, 64},
    {kCrashSample, "Crash", "crash.raw", crash, 64},       {kRiserSample, "Noise riser", "riser.raw", twoBarRiser, 64},
    {kTomSample, "Disco tom", "tom.raw", synDrum, 64},     {kBassSample, "Funk bass", "bass.raw", bass, 64},
    {kStabSample, "Chord stab", "stab.raw", stab, 64},     {kStringSample, "String pad", "strings.raw", stringPad, 64},
    {kLeadSample, "Lead", "lead.raw", lead, 64},
};

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
        const char* snareLine = last && p.fillSnare ? p.fillSnare : p.snare;
        if (snareLine) {
            for (int step = 0; step < kRowsPerBar; ++step) {
                const double level = levelOf(snareLine[step]);
                if (level <= 0) continue;
                const double u = static_cast<double>(b * kRowsPerBar + step) / (p.bars * kRowsPerBar - 1);
                const double swell = p.swellFrom + (1.0 - p.swellFrom) * u;
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
        const char* tomLine = last && p.fillToms ? p.fillToms : p.toms;
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

        // Sustained layers: start on a chord change, cut when the layer stops.
        if (p.pad && held.pad != &chord) {
            for (int v = 0; v < 3; ++v) {
                score.note(row0, kPadChannel1 + v, kStringSample, chord.voicing[static_cast<size_t>(v)],
                           kMix[kPadChannel1 + v].volume);
            }
            held.pad = &chord;
        } else if (!p.pad && held.pad) {
            for (int v = 0; v < 3; ++v) score.cut(row0, kPadChannel1 + v);
            held.pad = nullptr;
        }
        if (p.strings && held.strings != &chord) {
            score.note(row0, kStringChannel, kStringSample, chord.voicing[2] + 12, kMix[kStringChannel].volume);
            held.strings = &chord;
        } else if (!p.strings && held.strings) {
            score.cut(row0, kStringChannel);
            held.strings = nullptr;
        }

        if (p.lead) {
            const auto notes = parseBar((*p.lead)[static_cast<size_t>(b) % p.lead->size()]);
            for (int step = 0; step < kRowsPerBar; ++step) {
                const int n = notes[static_cast<size_t>(step)];
                if (n == kHold) continue;
                if (n == kCut) {
                    score.cut(row0 + step, kLeadChannel);
                    if (p.leadLow) score.cut(row0 + step, kLeadLowChannel);
                    continue;
                }
                score.note(row0 + step, kLeadChannel, kLeadSample, n, p.leadVolume);
                if (p.leadLow)
                    score.note(row0 + step, kLeadLowChannel, kLeadSample, n - 12, kMix[kLeadLowChannel].volume);
            }
            held.lead = true;
        } else if (held.lead) {
            score.cut(row0, kLeadChannel);
            score.cut(row0, kLeadLowChannel);
            held.lead = false;
        }

        if (b == 0 && p.crash) score.note(row0, kFxChannel, kCrashSample, 60, kMix[kFxChannel].volume);
        if (b == p.riserBar) score.note(row0, kFxChannel, kRiserSample, 60, kMix[kFxChannel].volume);
    }

    // Global volume: one set-volume command whenever the ramp moves on. The
    // ramp waits globalHold rows at globalFrom, then takes globalRows rows
    // (by default the rest of the part) to reach globalTo.
    if (p.globalFrom != p.globalTo) {
        const int rows = p.bars * kRowsPerBar;
        const int rampRows = p.globalRows > 0 ? p.globalRows : rows - p.globalHold;
        int previous = -1;
        for (int r = 0; r < rows; ++r) {
            const double u = std::clamp(static_cast<double>(r + 1 - p.globalHold) / rampRows, 0.0, 1.0);
            const double shaped = p.globalCurve == 1.0 ? u : 1.0 - std::pow(1.0 - u, p.globalCurve);
            const int gv = static_cast<int>(std::lround(p.globalFrom + (p.globalTo - p.globalFrom) * shaped));
            if (gv == previous) continue;
            ItCell& c = score.at(firstBar * kRowsPerBar + r, kFxChannel);
            c.effect = 'V' - 'A' + 1;
            c.param = gv;
            previous = gv;
        }
    }

    // A hard stop: every channel that may still sound is cut, and the held
    // layers start afresh in the next part.
    if (p.cutRow >= 0) {
        const int row = firstBar * kRowsPerBar + p.cutRow;
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

}  // namespace

double barStart(int bar) { return bar * kRowsPerBar * kSpeed * 2.5 / kTempo; }

std::vector<Section> songSections() {
    std::vector<Section> out;
    for (const SectionParts& s : arrangement()) out.push_back(s.section);
    return out;
}

Song composeSong() {
    Song song;
    const std::vector<SectionParts> parts = arrangement();
    for (const SectionParts& s : parts) {
        song.sections.push_back(s.section);
        song.totalBars += s.section.bars;
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
        s.defaultVolume = ins.defaultVolume;
        s.loop = w.loop;
        s.loopBegin = static_cast<uint32_t>(w.loopBegin);
        s.loopEnd = static_cast<uint32_t>(w.loopEnd);
        m.samples.push_back(s);
    }

    Score score(song.totalBars);
    Held held;
    for (const SectionParts& s : parts) {
        int bar = s.section.firstBar;
        song.plan.push_back(planLine(bar, s.section.bars, "[" + s.section.name + "]"));
        for (const Part& p : s.parts) {
            renderPart(score, p, bar, held);
            song.plan.push_back(planLine(bar, p.bars, std::string("  ") + p.name));
            bar += p.bars;
        }
    }

    // Cut patterns along the sections and share the ones that repeat exactly.
    for (const SectionParts& s : parts) {
        int bar = s.section.firstBar;
        for (int chunk : chunkBars(s.section.bars)) {
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
