// Instrument synthesis: every sound of the track is computed here from
// oscillators, noise, filters and envelopes. No recordings are used.
//
// Each generator returns a Wave: mono float samples in -1..1 at a given
// rate, the MIDI note it sounds when played back at that rate, and an
// optional forward loop for sustained sounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace music {

struct Wave {
    std::vector<float> pcm;
    int rate = 44100;
    int rootMidi = 60;  // pitch of the recording, as a MIDI note number
    bool loop = false;
    size_t loopBegin = 0;
    size_t loopEnd = 0;  // one past the last looped sample
};

// Deterministic white noise (32-bit linear congruential generator), so the
// module comes out byte-identical on every build.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    float next();  // uniform in [-1, 1)

private:
    uint32_t state_;
};

// Two-pole state-variable filter (trapezoidal integration), stable under
// per-sample cutoff changes.
class Svf {
public:
    struct Out {
        float low, band, high;
    };
    // cutoff in Hz, q > 0 (0.707 = no resonance peak).
    void set(double cutoff, double q, int rate);
    Out process(float x);

private:
    double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1.4;
    double ic1_ = 0, ic2_ = 0;
};

// Band-limited oscillators over a phase in [0, 1) advancing by dt a sample.
float sawWave(double phase, double dt);
float squareWave(double phase, double dt, double width);

// Drums and percussion.
Wave kick();
Wave clap();
Wave snare();
Wave closedHat();
Wave openHat();
Wave shaker();
Wave crash();
Wave synDrum();  // disco tom with falling pitch, playable at any note
Wave riser(double seconds);

// Pitched instruments.
Wave bass();       // plucked, filtered bass
Wave stab();       // brassy chord-stab voice
Wave stringPad();  // detuned string ensemble, looped
Wave lead();       // vibrato lead, looped

// Scales the wave so that its largest magnitude is `peak`.
void normalize(Wave& wave, float peak);

// Blends the end of the loop into the audio just before the loop start so
// that playback wraps from loopEnd to loopBegin without a step.
void crossfadeLoop(Wave& wave, size_t fadeLength);

// Converts to signed 16-bit with rounding and clamping.
std::vector<int16_t> toPcm16(const Wave& wave);

}  // namespace music
