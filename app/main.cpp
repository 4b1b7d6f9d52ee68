// Glowmotion: 125 seconds of disco in OpenGL.
#include "app/Demo.h"
#include "app/Options.h"
#include "app/Recording.h"
#include "base/DataPath.h"
#include "gfx/PicturePreload.h"

#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace {

// The media beside the executable (data/, or ../share/glowmotion once
// installed), wherever the show is started from.
std::string defaultDataDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return findDataDirectory(exe.parent_path().string());
    if (char* base = SDL_GetBasePath()) {
        std::string dir = findDataDirectory(base);
        SDL_free(base);
        return dir;
    }
    return "data";
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    std::fputs(parsed.outcome.out.c_str(), stdout);
    std::fputs(parsed.outcome.err.c_str(), stderr);
    if (!parsed.options) return parsed.outcome.status;
    const Options& options = *parsed.options;
    setDataDirectory(options.dataDir ? *options.dataDir : defaultDataDirectory());
    if (options.capture) return recordShow(options);

    // The pictures are read on another thread while the window is made.
    std::optional<PicturePreload> preload(std::in_place, dataDirectory());
    GLWindow window;
    window.setFullscreenMode(options.exclusive ? FullscreenMode::Exclusive : FullscreenMode::Desktop);
    window.setVsync(options.vsync);
    window.setResizable(options.windowed);
    if (!window.create("Glowmotion", GLWindow::kShowWidth, GLWindow::kShowHeight, 32, !options.windowed)) {
        // The window layer has said what failed; say what can be done instead.
        std::fputs("glowmotion: with no display, record the show with --capture DIR, or run it on a virtual "
                   "display (xvfb-run build/glowmotion)\n",
                   stderr);
        SDL_Quit();
        return 1;
    }
    DemoSetup setup;
    setup.startAt = options.startAt;
    if (options.endAt) setup.endAt = *options.endAt;
    setup.controls = options.controls;
    int status = 0;
    {
        Demo demo(std::move(setup));
        demo.load(window);
        preload.reset();
        // Not one media file: the wrong folder, said before anything is shown.
        status = reportMissingMedia();
        // However the show ended (by itself, Escape, the window closed), the
        // window goes at once, before the scenes, and the status is 0.
        if (status == 0) demo.play(window);
        window.destroy();
    }
    SDL_Quit();
    return status;
}
