#include "app/Demo.h"

#include "base/DataPath.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kMixRate = 44000;
const char* const kFrameRateLabel = " .:[fps ";
const char* const kFrameRateEnd = "]:.";
const char* const kFrameRateWaiting = " .:[fps ...]:.";
}  // namespace

std::string frameRateTitle(const char* baseTitle, int rate) {
    char line[256];
    if (rate < 0) std::snprintf(line, sizeof line, "! %s %s", baseTitle, kFrameRateWaiting);
    else std::snprintf(line, sizeof line, "! %s %s %d %s", baseTitle, kFrameRateLabel, rate, kFrameRateEnd);
    return line;
}

Demo::Demo(const char* titleText, int width, int height, int bits, bool fullscreen, DemoSetup setup)
    : startAt(setup.startAt), endAt(static_cast<float>(setup.endAt)) {
    window = setup.window ? std::move(setup.window) : std::make_unique<GLWindow>();
    music = std::make_unique<MusicPlayer>(setup.audio ? std::move(setup.audio) : makeSdlAudioOutput());
    musicPath = setup.musicPath.empty() ? dataPath("km_groov.it") : setup.musicPath;
    clock = std::make_unique<Timer>();
    scenes = setup.scenes ? setup.scenes() : makeScenes();
    std::snprintf(title, sizeof title, "%s", titleText ? titleText : "satinsway");
    if (!window->create(title, width, height, bits, fullscreen)) window.reset();
    if (window) music->init(kMixRate);  // no show without a window: leave the sound device alone
}

Demo::~Demo() {
    clock.reset();
    music.reset();
    for (auto& scene : scenes) scene.reset();
}

void Demo::loadAll() {
    if (!window) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window->swapBuffers();
    for (auto& scene : scenes) {
        if (scene) scene->load(0, 0);
    }
}

void Demo::pollKeys(bool& fpsShown, const char* baseTitle) {
    KeyState& keys = *window->keyState;
    if (keys.pressed(vk::Escape)) {
        window->postQuitMessage(0);
    } else if (keys.pressed(vk::F12)) {
        window->keyState->setKey(vk::F12, false);
        fpsShown = !fpsShown;
        window->setTitle(fpsShown ? frameRateTitle(baseTitle, -1).c_str() : baseTitle);
    } else {
        // The rate is refreshed during every fourth second of the show; it
        // counts the frames since the loop began over the whole seconds
        // since then, which differ from the show's only after --start-at.
        const double now = clock->seconds();
        const int whole = static_cast<int>(now);
        const int elapsed = static_cast<int>(now - startAt);
        if (fpsShown && whole > 0 && whole % 4 == 0 && elapsed > 0) {
            window->setTitle(frameRateTitle(baseTitle, frames / elapsed).c_str());
        }
    }
    keys.forgetPresses();
}

int Demo::run() {
    if (!window || !window->show()) return 1;
    char baseTitle[256];
    std::snprintf(baseTitle, sizeof baseTitle, "%s", window->title);

    Timer::setStartPosition(startAt);
    music->play(musicPath.c_str(), startAt);
    clock->start();
    for (auto& scene : scenes) {
        if (scene) scene->start();
    }

    bool fpsShown = false;
    frames = 0;
    int exitCode = 0;
    while (!quitRequested) {
        WindowMessage message;
        if (window->peekMessage(message)) {
            if (message.type == WindowMessage::Type::Quit) {
                exitCode = message.wParam;
                quitRequested = true;
                break;
            }
            window->dispatchMessage(message);
        } else {
            pollKeys(fpsShown, baseTitle);
        }

        const float t = static_cast<float>(clock->seconds());
        if (t > endAt) {
            quitRequested = true;
            break;
        }
        const int slot = sceneAt(t);
        if (slot >= 0 && scenes[slot]) scenes[slot]->render(0, t);
        if (t > kShowEnd) quitRequested = true;

        window->swapBuffers();
        ++frames;
    }
    music->stop();
    return exitCode;
}

void Demo::close() {
    if (window) {
        window->destroy();
        window.reset();
    }
}
