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

// What libopenmpt itself plays at `seconds` into the module: a render of its
// own from the start, `count` frames from there on. Nothing is sought.
inline std::vector<float> straightRender(const std::vector<uint8_t>& module, double seconds, int count) {
    std::ostringstream log;
    openmpt::module song(module, log);
    std::vector<float> buffer(2 * 1024);
    for (long long left = std::llround(seconds * 44000); left > 0;) {
        const size_t step = static_cast<size_t>(std::min<long long>(left, 1024));
        EXPECT_EQ(song.read_interleaved_stereo(44000, step, buffer.data()), step);
        left -= static_cast<long long>(step);
    }
    std::vector<float> result(static_cast<size_t>(count) * 2);
    EXPECT_EQ(song.read_interleaved_stereo(44000, static_cast<size_t>(count), result.data()),
              static_cast<size_t>(count));
    return result;
}

inline float largestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    EXPECT_EQ(a.size(), b.size());
    float largest = 0.0f;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
    return largest;
}

inline bool allSilent(const std::vector<float>& samples) {
    return std::all_of(samples.begin(), samples.end(), [](float s) { return s == 0.0f; });
}
