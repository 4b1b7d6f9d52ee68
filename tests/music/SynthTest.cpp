// The synthesized instruments: each is clean (finite, centred, within full
// scale), pitched ones sound the note they claim, drums have the spectrum
// and length their names promise, loops wrap without a step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Synth.h"

using music::Wave;

namespace {

struct Named {
    std::string name;
    std::function<Wave()> make;
};

std::vector<Named> allInstruments() {
    return {{"kick", music::kick},
            {"clap", music::clap},
            {"snare", music::snare},
            {"closedHat", music::closedHat},
            {"openHat", music::openHat},
            {"shaker", music::shaker},
            {"crash", music::crash},
            {"synDrum", music::synDrum},
            {"riser", [] { return music::riser(3.0); }},
            {"bass", music::bass},
            {"stab", music::stab},
            {"stringPad", music::stringPad},
            {"lead", music::lead}};
}

// Zero crossings per second / 2: a rough "brightness" of a sound, the
// frequency of a pure tone.
double crossingRate(const Wave& w, size_t from, size_t to) {
    size_t crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if ((w.pcm[i - 1] < 0) != (w.pcm[i] < 0)) ++crossings;
    }
    return crossings * w.rate / (2.0 * static_cast<double>(to - from));
}

// Fundamental from the strongest normalised autocorrelation peak between
// 30 Hz and 2 kHz over the window [from, from + n).
double pitchOf(const Wave& w, size_t from, size_t n) {
    const size_t minLag = static_cast<size_t>(w.rate / 2000);
    const size_t maxLag = static_cast<size_t>(w.rate / 30);
    double energy = 0;
    for (size_t i = 0; i < n; ++i) energy += w.pcm[from + i] * w.pcm[from + i];
    std::vector<double> r(maxLag + 1, 0.0);
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double sum = 0;
        for (size_t i = 0; i < n; ++i) sum += w.pcm[from + i] * w.pcm[from + i + lag];
        r[lag] = sum / energy;
    }
    // Past the lobe around lag 0, the first peak that comes close to the best
    // one is the period (the later ones are its multiples).
    const double best = *std::max_element(r.begin(), r.end());
    size_t lag = minLag;
    while (r[lag] > 0.5 * best) ++lag;
    while (r[lag] < 0.9 * best || r[lag] < r[lag + 1] || r[lag] < r[lag - 1]) ++lag;
    // Parabolic interpolation around the peak for sub-sample precision.
    const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
    const double shift = 0.5 * (a - c) / (a - 2 * b + c);
    return w.rate / (static_cast<double>(lag) + shift);
}

double midiHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Seconds until the sound stays below -40 dB of its peak.
double ringTime(const Wave& w) {
    float peak = 0;
    for (float v : w.pcm) peak = std::max(peak, std::fabs(v));
    size_t last = 0;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        if (std::fabs(w.pcm[i]) > 0.01f * peak) last = i;
    }
    return static_cast<double>(last) / w.rate;
}

}  // namespace

TEST(Synth, EveryInstrumentIsCleanAndNormalised) {
    for (const Named& n : allInstruments()) {
        SCOPED_TRACE(n.name);
        const Wave w = n.make();
        ASSERT_GT(w.pcm.size(), 1000u);
        double sum = 0;
        float peak = 0;
        for (float v : w.pcm) {
            ASSERT_TRUE(std::isfinite(v));
            sum += v;
            peak = std::max(peak, std::fabs(v));
        }
        EXPECT_LE(peak, 1.0f);
        EXPECT_GT(peak, 0.8f);
        EXPECT_LT(std::fabs(sum / static_cast<double>(w.pcm.size())), 0.02) << "DC offset";
        if (!w.loop) {
            EXPECT_LT(std::fabs(w.pcm.back()), 1e-3f) << "one-shot must end at rest";
        }
    }
}

TEST(Synth, SameSoundsOnEveryRun) {
    EXPECT_EQ(music::toPcm16(music::clap()), music::toPcm16(music::clap()));
    EXPECT_EQ(music::toPcm16(music::stringPad()), music::toPcm16(music::stringPad()));
}

TEST(Synth, KickIsLowAndShort) {
    const Wave w = music::kick();
    // After the click the body sits far below 100 Hz.
    const size_t from = static_cast<size_t>(0.05 * w.rate);
    EXPECT_LT(crossingRate(w, from, from + w.rate / 10), 100.0);
    EXPECT_LT(ringTime(w), 0.5);
    EXPECT_GT(ringTime(w), 0.15);
}

TEST(Synth, DrumsOrderFromDarkToBright) {
    const auto bright = [](const Wave& w) { return crossingRate(w, 0, std::min<size_t>(w.pcm.size(), w.rate / 20)); };
    const double kick = bright(music::kick());
    const double snare = bright(music::snare());
    const double clap = bright(music::clap());
    const double hat = bright(music::closedHat());
    EXPECT_LT(kick, snare);
    EXPECT_LT(snare, hat);
    EXPECT_LT(clap, hat);
    EXPECT_GT(hat, 5000.0);
    EXPECT_GT(bright(music::shaker()), 4000.0);
}

TEST(Synth, ClosedHatIsTighterThanOpenHatAndCrash) {
    const double closed = ringTime(music::closedHat());
    const double open = ringTime(music::openHat());
    const double crash = ringTime(music::crash());
    EXPECT_LT(closed, 0.12);
    EXPECT_GT(open, 2 * closed);
    EXPECT_GT(crash, 2 * open);
}

TEST(Synth, PitchedInstrumentsSoundTheirRootNote) {
    struct Case {
        std::string name;
        Wave wave;
        double from;  // seconds: past the attack
    };
    const std::vector<Case> cases{{"bass", music::bass(), 0.25},
                                  {"stab", music::stab(), 0.1},
                                  {"stringPad", music::stringPad(), 0.6},
                                  {"lead", music::lead(), 0.3},
                                  {"synDrum", music::synDrum(), 0.4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t from = static_cast<size_t>(c.from * c.wave.rate);
        const size_t n = static_cast<size_t>(0.08 * c.wave.rate);
        ASSERT_LT(from + n + static_cast<size_t>(c.wave.rate / 30), c.wave.pcm.size());
        const double hz = pitchOf(c.wave, from, n);
        const double cents = 1200.0 * std::log2(hz / midiHz(c.wave.rootMidi));
        EXPECT_LT(std::fabs(cents), 30.0) << hz << " Hz";
    }
}

TEST(Synth, BassIsPlucked) {
    const Wave b = music::bass();
    EXPECT_EQ(b.rootMidi, 33);  // A1, 55 Hz
    // Bright at the pluck, darker once the filter has closed.
    const size_t early = static_cast<size_t>(0.005 * b.rate);
    const size_t late = static_cast<size_t>(0.3 * b.rate);
    const size_t n = static_cast<size_t>(0.04 * b.rate);
    EXPECT_GT(crossingRate(b, early, early + n), 1.5 * crossingRate(b, late, late + n));
}

TEST(Synth, LoopsWrapWithoutAStep) {
    for (const Wave& w : {music::stringPad(), music::lead()}) {
        ASSERT_TRUE(w.loop);
        ASSERT_LT(w.loopBegin, w.loopEnd);
        ASSERT_EQ(w.loopEnd, w.pcm.size());
        EXPECT_GT(static_cast<double>(w.loopEnd - w.loopBegin) / w.rate, 0.5);
        float largestStep = 0;
        for (size_t i = w.loopBegin + 1; i < w.loopEnd; ++i) {
            largestStep = std::max(largestStep, std::fabs(w.pcm[i] - w.pcm[i - 1]));
        }
        const float wrapStep = std::fabs(w.pcm[w.loopBegin] - w.pcm[w.loopEnd - 1]);
        EXPECT_LE(wrapStep, largestStep);
    }
}

TEST(Synth, CrossfadeLoopBlendsTheLoopEndIntoTheLoopStart) {
    Wave w;
    w.rate = 1000;
    w.pcm.assign(300, 0.0f);
    for (size_t i = 100; i < 300; ++i) w.pcm[i] = 1.0f;  // a hard step at the loop start
    w.loop = true;
    w.loopBegin = 100;
    w.loopEnd = 250;
    music::crossfadeLoop(w, 50);
    ASSERT_EQ(w.pcm.size(), 250u);
    // The last samples before the wrap approach what precedes loopBegin (0).
    EXPECT_LT(w.pcm[249], 0.05f);
    EXPECT_GT(w.pcm[200], 0.95f);
}

TEST(Synth, FilterPassesLowsAndCutsHighs) {
    const auto gainAt = [](double hz) {
        music::Svf f;
        f.set(500.0, 0.707, 44100);
        double in = 0, out = 0;
        for (int i = 0; i < 44100; ++i) {
            const float x = static_cast<float>(std::sin(2 * 3.141592653589793 * hz * i / 44100.0));
            const float y = f.process(x).low;
            if (i > 4410) {
                in += x * x;
                out += y * y;
            }
        }
        return std::sqrt(out / in);
    };
    EXPECT_NEAR(gainAt(50.0), 1.0, 0.05);
    EXPECT_LT(gainAt(5000.0), 0.02);
}

TEST(Synth, Pcm16RoundsAndClamps) {
    Wave w;
    w.pcm = {0.0f, 1.0f, -1.0f, 2.0f, -2.0f, 0.5f};
    const std::vector<int16_t> s = music::toPcm16(w);
    EXPECT_EQ(s, (std::vector<int16_t>{0, 32767, -32767, 32767, -32768, 16384}));
}
