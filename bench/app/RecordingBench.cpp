// Renders show time [start, end) at fps offscreen with the real scenes, reads
// every frame back as a recording does, and throws it away: the speed of
// rendering alone, without PNG files or ffmpeg.
// Usage: recording_bench [--fps N] [--start-at S] [--end-at E] [--size WxH]
#include "app/Demo.h"
#include "base/DataPath.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {
class DiscardFrames final : public FrameSink {
public:
    bool topRowFirst() const override { return false; }
    bool writeFrame(int64_t, const uint8_t* rgba, int, int, std::string*) override {
        checksum += rgba[0];
        return true;
    }
    unsigned checksum = 0;
};

double seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char** argv) {
    CaptureTiming timing;
    int width = 800, height = 600;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--fps")) timing.fps = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--start-at")) timing.startAt = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--end-at")) timing.endAt = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--size")) std::sscanf(argv[i + 1], "%dx%d", &width, &height);
    }
    setDataDirectory(GLOWMOTION_DATA_DIR);
    DiscardFrames sink;
    OffscreenSurface surface;
    std::string why;
    if (!surface.create(width, height, &why)) {
        std::fprintf(stderr, "recording_bench: %s\n", why.c_str());
        return 1;
    }
    DemoSetup setup;
    setup.startAt = timing.startAt;
    Recorded recorded;
    double wallTaken = 0, cpuTaken = 0;
    {
        Demo demo(std::move(setup));
        demo.load(surface);
        const double wall = seconds(CLOCK_MONOTONIC), cpu = seconds(CLOCK_PROCESS_CPUTIME_ID);
        recorded = demo.record(surface, sink, timing);
        wallTaken = seconds(CLOCK_MONOTONIC) - wall;
        cpuTaken = seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
        surface.destroy();
    }
    const double frames = static_cast<double>(recorded.written);
    std::printf("%lld frames %dx%d in %.2f s wall, %.2f s CPU: %.1f frames/s, %.2f ms CPU a frame\n",
                static_cast<long long>(recorded.written), width, height, wallTaken, cpuTaken,
                frames / wallTaken, 1000.0 * cpuTaken / frames);
    return 0;
}
