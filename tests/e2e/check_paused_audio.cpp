// Checks what SDL's disk audio driver recorded of a show that was paused:
// a silent stretch (the pause) must be followed by the module as libopenmpt
// plays it from SECONDS on, to the sample.
// Usage: check_paused_audio MODULE RECORDING SECONDS   (44 kHz stereo float)
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {
std::vector<char> readAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: check_paused_audio MODULE RECORDING SECONDS\n");
        return 2;
    }
    constexpr int kRate = 44000, kCompared = 4096, kBuffer = 512;
    const double seconds = std::atof(argv[3]);
    std::ostringstream log;
    openmpt::module song(readAll(argv[1]), log);
    std::vector<float> reference;
    std::vector<float> block(2 * 1024);
    const long long wanted = std::llround(seconds * kRate) + kCompared;
    while (static_cast<long long>(reference.size() / 2) < wanted) {
        const size_t got = song.read_interleaved_stereo(kRate, 1024, block.data());
        if (got == 0) break;
        reference.insert(reference.end(), block.begin(), block.begin() + static_cast<long>(2 * got));
    }
    const std::vector<char> raw = readAll(argv[2]);
    const auto* recorded = reinterpret_cast<const float*>(raw.data());
    const long frames = static_cast<long>(raw.size() / (2 * sizeof(float)));

    // Every silent stretch of at least kBuffer frames that the music follows:
    // the one the show was paused for must lead into the song from `seconds`
    // (the start-up silence before the song, and any in it, lead elsewhere).
    const long at = std::lround(seconds * kRate);
    const bool haveReference = at + kCompared <= static_cast<long>(reference.size() / 2);
    long longest = 0;
    for (long k = 0, run = 0; k < frames; ++k) {
        if (recorded[2 * k] == 0.0f && recorded[2 * k + 1] == 0.0f) {
            ++run;
            continue;
        }
        if (run >= kBuffer && haveReference) {
            longest = std::max(longest, run);
            // The song there may begin with silent frames of its own, taken for the pause's.
            for (long back = 0; back < kBuffer && back < run; ++back) {
                const long from = k - back;
                if (from + kCompared > frames) break;
                bool same = true;
                for (long i = 0; i < 2 * kCompared && same; ++i)
                    same = std::fabs(recorded[2 * from + i] - reference[2 * at + i]) < 1e-5f;
                if (same) {
                    std::printf("a pause of %.2f s, then the song from %.4f s\n", run / double(kRate), seconds);
                    return 0;
                }
            }
        }
        run = 0;
    }
    std::printf("no silence in the recording is followed by the song from %.4f s (longest silence %.2f s)\n", seconds,
                longest / double(kRate));
    return 1;
}
