// Frame cost per scene at 800x600 on the offscreen context (Mesa's software
// renderer), against the same driver's bare clear-and-present loop.
//
//   Frame/<scene>            render(t) + present, t stepping at 30 frames a
//                            second of show time through the scene's window
//                            (Time: wall; CPU: the whole process's, the
//                            rasterizer's threads included)
//   Frame/clear-and-present  glClear + present: the baseline
//   OwnCode/<scene>          the same render calls with no GL context current,
//                            so every GL call returns at once from the
//                            dispatcher's no-op entry: the CPU time of the
//                            program's own code per frame (GLU's quadric
//                            vertices included), the driver's excluded
//
//   frame_bench --draws [scene]
//                            instead of the benchmarks: a table of what each
//                            draw of a frame costs. At a few show times per
//                            scene the same frame is drawn over and over,
//                            alternately whole and with one draw left out,
//                            and the draw's cost is the median difference
//                            in the process's CPU time per frame, the
//                            rasterizer's threads included ("skipped": the call is not made at all,
//                            vertices included; "scissored": it is made with
//                            an empty scissor box, so what it saves is the
//                            rasterizer's and the fragments' share). A draw
//                            is a glBegin/glEnd block, a glCallList, a GLU
//                            quadric or a glClear made by the scenes; the
//                            executable is linked with --wrap for those
//                            calls (see CMakeLists.txt), so the scenes'
//                            calls come here first and go on to libGL.
//
// All scenes are loaded from the data folder beside the executable (or
// GLOWMOTION_BENCH_DATA) once, as the show loads them.
#include <benchmark/benchmark.h>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <time.h>

#include "BenchWindow.h"
#include "base/DataPath.h"
#include "base/FrameClock.h"
#include "base/Timeline.h"
#include "scenes/SceneRegistry.h"

// The draws of a frame, numbered from 0 as they are made while `counting`;
// the one numbered `leftOut` is skipped or drawn with an empty scissor box.
namespace draws {

enum class Way { Skip, Scissor };
bool counting = false;
int next = 0;
int leftOut = -1;
Way way = Way::Skip;
bool inSkippedBlock = false;
GLint savedBox[4];
std::vector<std::string> names;  // what each draw of the last counted frame was
GLuint boundTexture = 0;

// Whether the draw starting now is the one left out; names it on the way.
bool starts(const std::string& what) {
    if (!counting) return false;
    const int k = next++;
    if (static_cast<size_t>(k) >= names.size()) names.resize(k + 1);
    names[k] = what + " tex " + std::to_string(boundTexture) + (glIsEnabled(GL_BLEND) ? " blend" : "") +
               (glIsEnabled(GL_TEXTURE_2D) ? "" : " untextured");
    if (k != leftOut) return false;
    if (way == Way::Skip) return true;
    glGetIntegerv(GL_SCISSOR_BOX, savedBox);
    glScissor(0, 0, 0, 0);
    return false;
}
void ends(bool wasLeftOut) {
    if (wasLeftOut || !counting || next - 1 != leftOut || way != Way::Scissor) return;
    glScissor(savedBox[0], savedBox[1], savedBox[2], savedBox[3]);
}

}  // namespace draws

extern "C" {
void __real_glBegin(GLenum);
void __real_glEnd();
void __real_glVertex2f(GLfloat, GLfloat);
void __real_glVertex2i(GLint, GLint);
void __real_glTexCoord2f(GLfloat, GLfloat);
void __real_glCallList(GLuint);
void __real_glClear(GLbitfield);
void __real_glBindTexture(GLenum, GLuint);
void __real_gluPartialDisk(GLUquadric*, GLdouble, GLdouble, GLint, GLint, GLdouble, GLdouble);

int blockVertices = 0;
const char* blockMode = "";

void __wrap_glBegin(GLenum mode) {
    blockVertices = 0;
    blockMode = mode == GL_QUADS ? "quads" : mode == GL_TRIANGLES ? "triangles" : "begin/end";
    // Named once the block ends and its vertices are counted.
    draws::inSkippedBlock = draws::starts("");
    if (!draws::inSkippedBlock) __real_glBegin(mode);
}
void __wrap_glEnd() {
    if (draws::counting) {
        std::string& name = draws::names[static_cast<size_t>(draws::next - 1)];
        name = std::string(blockMode) + " (" + std::to_string(blockVertices) + " vertices)" + name;
    }
    const bool skipped = draws::inSkippedBlock;
    draws::inSkippedBlock = false;
    if (!skipped) __real_glEnd();
    draws::ends(skipped);
}
void __wrap_glVertex2f(GLfloat x, GLfloat y) {
    ++blockVertices;
    if (!draws::inSkippedBlock) __real_glVertex2f(x, y);
}
void __wrap_glVertex2i(GLint x, GLint y) {
    ++blockVertices;
    if (!draws::inSkippedBlock) __real_glVertex2i(x, y);
}
void __wrap_glTexCoord2f(GLfloat s, GLfloat t) {
    if (!draws::inSkippedBlock) __real_glTexCoord2f(s, t);
}
void __wrap_glCallList(GLuint list) {
    const bool skip = draws::starts("list " + std::to_string(list));
    if (!skip) __real_glCallList(list);
    draws::ends(skip);
}
void __wrap_glClear(GLbitfield mask) {
    const bool skip = draws::starts("clear");
    if (!skip) __real_glClear(mask);
    draws::ends(skip);
}
void __wrap_glBindTexture(GLenum target, GLuint texture) {
    draws::boundTexture = texture;
    __real_glBindTexture(target, texture);
}
void __wrap_gluPartialDisk(GLUquadric* quadric, GLdouble inner, GLdouble outer, GLint slices, GLint loops,
                           GLdouble start, GLdouble sweep) {
    const bool skip = draws::starts("gluPartialDisk " + std::to_string(slices) + "x" + std::to_string(loops));
    if (!skip) __real_gluPartialDisk(quadric, inner, outer, slices, loops, start, sweep);
    draws::ends(skip);
}
}

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
    // CPU: the process's, the rasterizer's threads included.
    benchmark::RegisterBenchmark("Frame/clear-and-present", frame, nullptr)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
    for (const TimelineWindow& window : kTimeline)
        benchmark::RegisterBenchmark((std::string("Frame/") + window.name).c_str(), frame, &window)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    for (const TimelineWindow& window : kTimeline)
        benchmark::RegisterBenchmark((std::string("OwnCode/") + window.name).c_str(), ownCode, &window)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

double processSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// CPU seconds per frame of `frames` frames of `scene` at show time t, all
// threads (the rasterizer's too): on a shared machine the CPU time a frame
// takes moves far less with the load than its wall time.
double secondsPerFrame(Scene& scene, double t, int frames) {
    const double from = processSeconds();
    for (int i = 0; i < frames; ++i) {
        draws::next = 0;
        renderAt(scene, t);
        show().window.present();
    }
    return (processSeconds() - from) / frames;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The show times the draws are measured at: one frame of each kind a scene
// draws (the credits' two halves, the dance floor's three sequences).
struct Moment {
    SceneSlot slot;
    double t;
    const char* name;
};
constexpr Moment kMoments[] = {
    {kTurntableSlot, 9.5, "turntable"},        {kCreditsSlot, 25.0, "credits (first half)"},
    {kCreditsSlot, 32.0, "credits (stars)"},   {kStarTunnelSlot, 40.0, "star tunnel"},
    {kDanceFloorSlot, 55.0, "dance floor (groove)"}, {kDanceFloorSlot, 75.0, "dance floor (greetings)"},
    {kDanceFloorSlot, 92.0, "dance floor (shower)"}, {kEndSlot, 114.0, "end"},
};

int drawTable(const char* only) {
    Show& s = show();
    if (!s.ok) return 1;
    constexpr int kFrames = 6, kRounds = 9;
    std::printf("| scene at show time | draw | what | skipped: CPU ms | share | scissored: CPU ms |\n");
    std::printf("|---|---:|---|---:|---:|---:|\n");
    for (const Moment& m : kMoments) {
        if (only && !std::strstr(m.name, only)) continue;
        Scene& scene = *s.scenes[m.slot];
        draws::counting = true;
        draws::leftOut = -1;
        draws::names.clear();
        secondsPerFrame(scene, m.t, 20);  // settles the scene's carried state
        const int count = draws::next;
        std::vector<std::vector<double>> skip(count), scissor(count);
        std::vector<double> whole;
        for (int round = 0; round < kRounds; ++round) {
            for (int k = -1; k < count; ++k) {
                for (draws::Way way : {draws::Way::Skip, draws::Way::Scissor}) {
                    draws::leftOut = -1;
                    const double before = secondsPerFrame(scene, m.t, kFrames);
                    draws::leftOut = k;
                    draws::way = way;
                    const double without = secondsPerFrame(scene, m.t, kFrames);
                    if (k < 0) {
                        whole.push_back(before);
                        whole.push_back(without);
                        continue;
                    }
                    (way == draws::Way::Skip ? skip : scissor)[static_cast<size_t>(k)].push_back(before - without);
                }
            }
        }
        draws::leftOut = -1;
        const double frame = median(whole);
        std::printf("| %s (%.1f s) | all | whole frame, %d draws | %.2f | 100%% | |\n", m.name, m.t, count,
                    1e3 * frame);
        for (int k = 0; k < count; ++k) {
            const double a = median(skip[static_cast<size_t>(k)]), b = median(scissor[static_cast<size_t>(k)]);
            std::printf("| | %d | %s | %.2f | %.0f%% | %.2f |\n", k, draws::names[static_cast<size_t>(k)].c_str(),
                        1e3 * a, 100.0 * a / frame, 1e3 * b);
        }
        std::fflush(stdout);
        draws::counting = false;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--draws") == 0) return drawTable(argc >= 3 ? argv[2] : nullptr);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
