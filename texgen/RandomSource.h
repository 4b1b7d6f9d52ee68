#pragma once
// The random numbers of Plasma, Noise, Jitter and Scatter: the classic
// linear congruential sequence state = state * 214013 + 2531011 (mod 2^32),
// each number (state >> 16) & 0x7FFF in 0..32767. Every operation seeds its
// own source from an operand, so results depend on the program bytes alone.
#include <cstdint>

class RandomSource {
public:
    static constexpr int kMax = 32767;

    explicit RandomSource(uint32_t seed) : state_(seed) {}

    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_;
};
