#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace music {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// Correction for one band-limited step at phase t (polyBLEP).
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double wrap(double phase) { return phase - std::floor(phase); }

Wave blank(double seconds, int rate, int rootMidi) {
    Wave w;
    w.rate = rate;
    w.rootMidi = rootMidi;
    w.pcm.assign(static_cast<size_t>(seconds * rate), 0.0f);
    return w;
}

// Short linear fade over the last `seconds` so one-shots end at zero.
void fadeTail(Wave& w, double seconds) {
    const size_t n = std::min(w.pcm.size(), static_cast<size_t>(seconds * w.rate));
    for (size_t i = 0; i < n; ++i) {
        w.pcm[w.pcm.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
    }
}

// Six detuned square waves, the classic metallic source for hats and
// cymbals, summed and normalised to about -1..1.
float metal(double t, double scale) {
    static const double kRatios[6] = {2.0, 3.0, 4.16, 5.43, 6.79, 8.21};
    double sum = 0;
    for (double r : kRatios) sum += wrap(t * 205.3 * scale * r) < 0.5 ? 1.0 : -1.0;
    return static_cast<float>(sum / 6.0);
}

Wave cymbal(double seconds, double decay, double cutoff, uint32_t seed) {
    Wave w = blank(seconds, kRate, 60);
    Noise noise(seed);
    Svf high, band;
    high.set(cutoff, 0.7, kRate);
    band.set(10000.0, 0.9, kRate);
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const float src = 0.6f * metal(t, 1.7) + 0.5f * noise.next();
        const float h = high.process(src).high;
        const float x = 0.6f * h + 0.6f * band.process(h).band;
        w.pcm[i] = x * static_cast<float>(std::exp(-t / decay));
    }
    fadeTail(w, 0.01);
    normalize(w, 0.95f);
    return w;
}

}  // namespace

float Noise::next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<int32_t>(state_)) / 2147483648.0f;
}

void Svf::set(double cutoff, double q, int rate) {
    cutoff = std::min(cutoff, rate * 0.45);
    const double g = std::tan(kPi * cutoff / rate);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

Svf::Out Svf::process(float x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(x - k_ * v1 - v2)};
}

float sawWave(double phase, double dt) { return static_cast<float>(2.0 * phase - 1.0 - blep(phase, dt)); }

float squareWave(double phase, double dt, double width) {
    // The pulse is centred on zero: without the offset a narrow pulse
    // carries a DC component of 2 * width - 1.
    const double naive = (phase < width ? 1.0 : -1.0) - (2.0 * width - 1.0);
    return static_cast<float>(naive + blep(phase, dt) - blep(wrap(phase + 1.0 - width), dt));
}

void normalize(Wave& wave, float peak) {
    float top = 0.0f;
    for (float v : wave.pcm) top = std::max(top, std::fabs(v));
    if (top <= 0.0f) return;
    const float gain = peak / top;
    for (float& v : wave.pcm) v *= gain;
}

void crossfadeLoop(Wave& wave, size_t fadeLength) {
    if (!wave.loop || fadeLength == 0) return;
    fadeLength = std::min({fadeLength, wave.loopBegin, wave.loopEnd - wave.loopBegin});
    for (size_t i = 0; i < fadeLength; ++i) {
        const double u = (static_cast<double>(i) + 0.5) / static_cast<double>(fadeLength);
        const size_t end = wave.loopEnd - fadeLength + i;
        const size_t lead = wave.loopBegin - fadeLength + i;
        // Equal-power blend: the ensembles looped here are mostly uncorrelated.
        wave.pcm[end] =
            static_cast<float>(wave.pcm[end] * std::cos(u * kPi / 2) + wave.pcm[lead] * std::sin(u * kPi / 2));
    }
    wave.pcm.resize(wave.loopEnd);
}

std::vector<int16_t> toPcm16(const Wave& wave) {
    std::vector<int16_t> out(wave.pcm.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const double v = std::clamp(static_cast<double>(wave.pcm[i]) * 32767.0, -32768.0, 32767.0);
        out[i] = static_cast<int16_t>(std::lround(v));
    }
    return out;
}

Wave kick() {
    Wave w = blank(0.45, kRate, 60);
    Noise noise(11);
    Svf click;
    click.set(3000.0, 0.7, kRate);
    double phase = 0;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Pitch falls fast from a punchy 170 Hz to a 48 Hz body.
        const double f = 48.0 + 122.0 * std::exp(-t / 0.032) + 60.0 * std::exp(-t / 0.004);
        phase += f / kRate;
        const double amp = t < 0.06 ? 1.0 : std::exp(-(t - 0.06) / 0.16);
        const double body = std::sin(2 * kPi * phase) * amp;
        const double hit = click.process(noise.next()).high * std::exp(-t / 0.003);
        w.pcm[i] = static_cast<float>(std::tanh(1.8 * body) / std::tanh(1.8) + 0.35 * hit);
    }
    fadeTail(w, 0.03);
    normalize(w, 0.97f);
    return w;
}

Wave clap() {
    Wave w = blank(0.34, kRate, 60);
    Noise noise(23);
    Svf band, high;
    band.set(1250.0, 1.1, kRate);
    high.set(700.0, 0.7, kRate);
    static const double kBursts[4] = {0.0, 0.010, 0.019, 0.030};
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double env = 0;
        for (double b : kBursts) {
            if (t >= b) env = std::max(env, std::exp(-(t - b) / 0.0045));
        }
        if (t >= kBursts[3]) env = std::max(env, 0.75 * std::exp(-(t - kBursts[3]) / 0.085));
        const float n = noise.next();
        const float x = band.process(n).band * 1.6f + 0.3f * high.process(n).high;
        w.pcm[i] = x * static_cast<float>(env);
    }
    fadeTail(w, 0.02);
    normalize(w, 0.95f);
    return w;
}

Wave snare() {
    Wave w = blank(0.26, kRate, 60);
    Noise noise(37);
    Svf high;
    high.set(1800.0, 0.8, kRate);
    double p1 = 0, p2 = 0;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        p1 += (185.0 + 60.0 * std::exp(-t / 0.01)) / kRate;
        p2 += (330.0 + 80.0 * std::exp(-t / 0.01)) / kRate;
        const double tone =
            0.55 * std::sin(2 * kPi * p1) * std::exp(-t / 0.05) + 0.3 * std::sin(2 * kPi * p2) * std::exp(-t / 0.035);
        const double rattle = high.process(noise.next()).high * std::exp(-t / 0.075);
        w.pcm[i] = static_cast<float>(tone + 0.8 * rattle);
    }
    fadeTail(w, 0.02);
    normalize(w, 0.95f);
    return w;
}

Wave closedHat() { return cymbal(0.09, 0.022, 7000.0, 41); }
Wave openHat() { return cymbal(0.5, 0.16, 6500.0, 43); }
Wave crash() { return cymbal(2.2, 0.6, 3500.0, 47); }

Wave shaker() {
    Wave w = blank(0.13, kRate, 60);
    Noise noise(53);
    Svf band;
    band.set(7500.0, 1.0, kRate);
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double env = t < 0.012 ? t / 0.012 : std::exp(-(t - 0.012) / 0.03);
        w.pcm[i] = band.process(noise.next()).band * static_cast<float>(env);
    }
    fadeTail(w, 0.01);
    normalize(w, 0.9f);
    return w;
}

Wave synDrum() {
    Wave w = blank(0.6, kRate, 57);  // a falling A3
    Noise noise(59);
    double phase = 0;
    const double base = midiToHz(57);
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += base * (1.0 + 0.9 * std::exp(-t / 0.09)) / kRate;
        const double tone = std::sin(2 * kPi * phase) + 0.25 * sawWave(wrap(phase), base / kRate);
        w.pcm[i] = static_cast<float>(tone * std::exp(-t / 0.2) + 0.2 * noise.next() * std::exp(-t / 0.004));
    }
    fadeTail(w, 0.03);
    normalize(w, 0.95f);
    return w;
}

Wave riser(double seconds) {
    const int rate = 22050;
    Wave w = blank(seconds, rate, 60);
    Noise noise(61);
    Svf band;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double u = static_cast<double>(i) / static_cast<double>(w.pcm.size());
        band.set(250.0 * std::pow(2.0, 5.0 * u), 2.5, rate);  // 250 Hz up to 8 kHz
        w.pcm[i] = band.process(noise.next()).band * static_cast<float>(u * u);
    }
    fadeTail(w, 0.005);
    normalize(w, 0.9f);
    return w;
}

Wave bass() {
    const int root = 33;  // A1, 55 Hz
    Wave w = blank(0.8, kRate, root);
    Svf filter;
    const double f = midiToHz(root);
    const double dt = f / kRate;
    double phase = 0;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A snappy filter envelope gives the "plucked" funk attack.
        filter.set(160.0 + 2400.0 * std::exp(-t / 0.06), 2.2, kRate);
        const float osc = 0.7f * sawWave(phase, dt) + 0.5f * squareWave(phase, dt, 0.3);
        const double sub = std::sin(2 * kPi * phase);
        const double amp = std::min(1.0, t / 0.002) * (0.65 + 0.35 * std::exp(-t / 0.05)) * std::exp(-t / 0.7);
        const double x = (filter.process(osc).low + 0.55 * sub) * amp;
        w.pcm[i] = static_cast<float>(std::tanh(1.4 * x));
        phase = wrap(phase + dt);
    }
    fadeTail(w, 0.06);
    normalize(w, 0.95f);
    return w;
}

Wave stab() {
    const int root = 60;
    Wave w = blank(0.6, kRate, root);
    Svf filter;
    const double f = midiToHz(root);
    double p[3] = {0.0, 0.31, 0.67};
    const double detune[3] = {0.996, 1.0, 1.005};
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        float osc = 0;
        for (int v = 0; v < 3; ++v) {
            const double dt = f * detune[v] / kRate;
            osc += sawWave(p[v], dt);
            p[v] = wrap(p[v] + dt);
        }
        osc += 0.4f * squareWave(wrap(p[1] * 2.0), 2.0 * f / kRate, 0.5);
        filter.set(700.0 + 5000.0 * std::exp(-t / 0.07), 1.1, kRate);
        const double amp = std::min(1.0, t / 0.003) * std::exp(-t / 0.15);
        w.pcm[i] = static_cast<float>(filter.process(osc).low * amp);
    }
    fadeTail(w, 0.05);
    normalize(w, 0.95f);
    return w;
}

Wave stringPad() {
    const int root = 60;
    Wave w = blank(2.6, kRate, root);
    Svf filter, air;
    filter.set(2800.0, 0.6, kRate);
    air.set(300.0, 0.7, kRate);
    const double f = midiToHz(root);
    const double cents[7] = {-15, -9, -4, 0, 5, 10, 16};
    double p[7];
    for (int v = 0; v < 7; ++v) p[v] = 0.137 * v;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        float osc = 0;
        for (int v = 0; v < 7; ++v) {
            // A slow shimmer on every voice keeps the ensemble alive.
            const double vib = 1.0 + 0.0012 * std::sin(2 * kPi * (4.7 + 0.3 * v) * t + v);
            const double dt = f * std::pow(2.0, cents[v] / 1200.0) * vib / kRate;
            osc += sawWave(p[v], dt);
            p[v] = wrap(p[v] + dt);
        }
        const float low = filter.process(osc / 7.0f).low;
        const float x = air.process(low).high;  // thin the bottom so chords stay clear
        const double u = std::min(1.0, t / 0.3);
        w.pcm[i] = x * static_cast<float>(u * u * (3 - 2 * u));
    }
    w.loop = true;
    w.loopBegin = static_cast<size_t>(0.9 * kRate);
    w.loopEnd = w.pcm.size();
    crossfadeLoop(w, static_cast<size_t>(0.5 * kRate));
    normalize(w, 0.95f);
    return w;
}

Wave lead() {
    const int root = 72;
    Wave w = blank(1.5, kRate, root);
    Svf filter;
    const double f = midiToHz(root);
    double p1 = 0, p2 = 0.5;
    for (size_t i = 0; i < w.pcm.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double depth = 0.006 * std::min(1.0, std::max(0.0, (t - 0.15) / 0.25));
        const double vib = 1.0 + depth * std::sin(2 * kPi * 5.5 * t);
        const double dt1 = f * vib / kRate;
        const double dt2 = f * vib * 1.004 / kRate;
        const float osc = 0.55f * squareWave(p1, dt1, 0.42) + 0.45f * sawWave(p2, dt2);
        p1 = wrap(p1 + dt1);
        p2 = wrap(p2 + dt2);
        filter.set(2600.0 + 3500.0 * std::exp(-t / 0.08), 1.3, kRate);
        const double amp = std::min(1.0, t / 0.004) * (0.8 + 0.2 * std::exp(-t / 0.12));
        w.pcm[i] = static_cast<float>(filter.process(osc).low * amp);
    }
    w.loop = true;
    // The loop spans whole vibrato cycles (5.5 Hz) so the wobble runs on evenly.
    w.loopBegin = static_cast<size_t>(0.5 * kRate);
    w.loopEnd = w.loopBegin + static_cast<size_t>(5.0 / 5.5 * kRate);
    crossfadeLoop(w, static_cast<size_t>(0.15 * kRate));
    normalize(w, 0.95f);
    return w;
}

}  // namespace music
