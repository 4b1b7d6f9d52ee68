// Frame cost per scene at 800x600 on the offscreen context (Mesa's software
// renderer), against the same driver's bare clear-and-present loop.
//
//   Frame/<scene>            render(t) + present, t stepping at 30 frames a
//                            second of show time through the scene's window
//   Frame/clear-and-present  glClear + present: the baseline
//   OwnCode/<scene>          the same render calls with no GL context current,
//                            so every GL call returns at once from the
//                            dispatcher's no-op entry: the CPU time of the
//                            program's own code per frame (GLU's quadric
//                            vertices included), the driver's excluded
//
// All scenes are loaded from the data folder beside the executable (or
// GLOWMOTION_BENCH_DATA) once, as the show loads them.
#include <benchmark/benchmark.h>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchWindow.h"
#include "base/DataPath.h"
#include "base/FrameClock.h"
#include "base/Timeline.h"
#include "scenes/SceneRegistry.h"

namespace {

constexpr double kFrameStep = 1.0 / 30.0;

struct Show {
    BenchWindow window;
    int64_t now = 0;  // the clock's tick source: the show time of the frame
    FrameClock clock{[this] { return now; }};
    SceneSet scenes;
    bool ok = false;

    Show() {
        if (!window.create()) {
            std::fprintf(stderr, "frame bench: no offscreen context: %s\n", window.error.c_str());
            return;
        }
        clock.start(0.0);
        scenes = makeScenes(clock);
        for (auto& scene : scenes) scene->load();
        for (auto& scene : scenes) scene->start();
        ok = true;
    }
};

Show& show() {
    static Show instance;
    return instance;
}

// Show time of the n-th frame in the window of `slot`, going round it.
double frameTime(const TimelineWindow& window, long n) {
    const double from = window.from < -1000.0f ? 0.0 : window.from;
    const int frames = static_cast<int>((window.to - from) / kFrameStep) - 2;
    return from + kFrameStep * static_cast<double>(1 + n % frames);
}

void renderAt(Scene& scene, double t) {
    show().now = std::llround(t * 1e9);
    scene.render(static_cast<float>(t));
}

void frame(benchmark::State& state, const TimelineWindow* window) {
    Show& s = show();
    if (!s.ok) {
        state.SkipWithError("no offscreen context");
        return;
    }
    long n = 0;
    for (auto _ : state) {
        if (window) {
            renderAt(*s.scenes[window->slot], frameTime(*window, n++));
        } else {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        s.window.present();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ownCode(benchmark::State& state, const TimelineWindow* window) {
    Show& s = show();
    if (!s.ok) {
        state.SkipWithError("no offscreen context");
        return;
    }
    EGLDisplay display = eglGetCurrentDisplay();
    EGLContext context = eglGetCurrentContext();
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    long n = 0;
    for (auto _ : state) renderAt(*s.scenes[window->slot], frameTime(*window, n++));
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

const bool kRegistered = [] {
    const char* data = std::getenv("GLOWMOTION_BENCH_DATA");
    setDataDirectory(data ? data
                          : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data").string());
    benchmark::RegisterBenchmark("Frame/clear-and-present", frame, nullptr)->Unit(benchmark::kMillisecond)->UseRealTime();
    for (const TimelineWindow& window : kTimeline)
        benchmark::RegisterBenchmark((std::string("Frame/") + window.name).c_str(), frame, &window)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    for (const TimelineWindow& window : kTimeline)
        benchmark::RegisterBenchmark((std::string("OwnCode/") + window.name).c_str(), ownCode, &window)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
