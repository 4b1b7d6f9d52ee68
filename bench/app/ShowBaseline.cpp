// The baselines the show's whole-process figures are measured against
// (scripts/bench.sh, docs/performance.md). Not part of the show.
//
//   glowmotion-baseline first-frame DIR
//       creates the offscreen surface and presents one cleared frame, exactly
//       as a recording presents (DIR/000000.png), then ends: what launching
//       to a first frame costs with nothing loaded.
//   glowmotion-baseline empty-show DIR FPS [DATA]
//       the whole capture of the show (driver, clock, music module, frames
//       written) with every scene slot a bare Scene that loads and draws
//       nothing: what the show's memory and time are without the scenes.
#include "app/Demo.h"
#include "app/PngFolderSink.h"
#include "base/DataPath.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fputs("usage: glowmotion-baseline first-frame DIR | empty-show DIR FPS [DATA]\n", stderr);
    return 2;
}

bool freshFolder(const std::string& dir) {
    std::string why;
    if (prepareCaptureFolder(dir, true, &why) == CaptureFolder::Ready) return true;
    std::fprintf(stderr, "glowmotion-baseline: %s\n", why.c_str());
    return false;
}

int firstFrame(const std::string& dir) {
    if (!freshFolder(dir)) return 1;
    OffscreenSurface surface;
    if (!surface.create(GLWindow::kShowWidth, GLWindow::kShowHeight, nullptr)) return 1;
    surface.show();
    setUpShowGL();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    surface.present();
    PngFolderSink sink(dir, 30);
    std::vector<uint8_t> pixels;
    surface.readPixels(pixels, sink.topRowFirst());
    const bool ok = sink.writeFrame(0, pixels.data(), surface.width(), surface.height(), nullptr);
    // As a recording ends: the frame is stored while the context goes.
    surface.destroy();
    return ok && sink.finishFrames(nullptr) ? 0 : 1;
}

int emptyShow(const std::string& dir, int fps, const std::string& data) {
    if (!freshFolder(dir)) return 1;
    setDataDirectory(data);
    OffscreenSurface surface;
    if (!surface.create(GLWindow::kShowWidth, GLWindow::kShowHeight, nullptr)) return 1;
    PngFolderSink sink(dir, fps);
    DemoSetup setup;
    setup.scenes = [](const FrameClock&) {
        SceneSet scenes;
        for (auto& scene : scenes) scene = std::make_unique<Scene>();
        return scenes;
    };
    Recorded recorded;
    {
        Demo demo(std::move(setup));
        demo.load(surface);
        recorded = demo.record(surface, sink, CaptureTiming{0.0, 125.0, fps});
        surface.destroy();
    }
    const bool stored = sink.finishFrames(nullptr);
    std::fprintf(stderr, "glowmotion-baseline: wrote %lld frames to %s\n", static_cast<long long>(sink.framesStored()),
                 dir.c_str());
    return recorded.failed || !stored ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    if (std::strcmp(argv[1], "first-frame") == 0 && argc == 3) return firstFrame(argv[2]);
    if (std::strcmp(argv[1], "empty-show") == 0 && (argc == 4 || argc == 5)) {
        const int fps = std::atoi(argv[3]);
        if (fps < 1 || fps > 240) return usage();
        const std::string data =
            argc == 5 ? argv[4] : (std::filesystem::path(argv[0]).parent_path() / "data").string();
        return emptyShow(argv[2], fps, data);
    }
    return usage();
}
