#pragma once
// What a module sounds like, rendered by libopenmpt itself from the start,
// to hold the music player's output against.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

// What libopenmpt plays at `seconds` into the module at 44 kHz, rendered
// from the start (nothing sought): `count` stereo frames from there on.
inline std::vector<float> straightRender(const std::vector<uint8_t>& module, double seconds, int count) {
    std::ostringstream log;
    openmpt::module song(module, log);
    std::vector<float> result(size_t(count) * 2), buffer(2 * 1024);
    for (long long left = std::llround(seconds * 44000); left > 0; left -= 1024)
        song.read_interleaved_stereo(44000, size_t(std::min(left, 1024LL)), buffer.data());
    EXPECT_EQ(song.read_interleaved_stereo(44000, size_t(count), result.data()), size_t(count));
    return result;
}

inline float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    EXPECT_EQ(a.size(), b.size());
    float largest = 0.0f;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

inline bool allSilent(const std::vector<float>& samples) { return samples == std::vector<float>(samples.size(), 0.0f); }
