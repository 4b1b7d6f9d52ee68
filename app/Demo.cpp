#include "app/Demo.h"

#include "app/Song.h"
#include "app/WatchControls.h"
#include "base/DataPath.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
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
    : startAt(setup.startAt), endAt(static_cast<float>(setup.endAt)), controls(setup.controls) {
    window = setup.window ? std::move(setup.window) : std::make_unique<GLWindow>();
    music = std::make_unique<MusicPlayer>(setup.audio ? std::move(setup.audio) : makeSdlAudioOutput());
    musicPath = setup.musicPath.empty() ? dataPath(kMusicFileName) : setup.musicPath;
    clock = std::make_unique<Timer>();
    scenes = setup.scenes ? setup.scenes() : makeScenes();
    std::snprintf(title, sizeof title, "%s", titleText ? titleText : "satinsway");
    if (!window->create(title, width, height, bits, fullscreen)) window.reset();
    if (window) music->init(kLiveMixRate);  // no show without a window: leave the sound device alone
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
        if (scene) scene->load();
    }
}

void Demo::pollKeys(bool& fpsShown, const char* baseTitle) {
    KeyState& keyState = *window->keyState;
    const uint8_t* keys = keyState.keys.get();
    // A key tapped so quickly that its key-down and key-up were each a
    // pass's message was never seen down here, but still counts as pressed
    // (a synthetic tap, or a short one while frames are slow).
    if (keys[vk::Escape] || keyState.takePresses(vk::Escape, true) > 0) {
        window->postQuitMessage(0);
    } else if (keys[vk::F12] || keyState.takePresses(vk::F12, true) > 0) {
        keyState.setKey(vk::F12, false);
        keyState.takePresses(vk::F12, true);  // the press seen down is this one
        fpsShown = !fpsShown;
        rate = -1;
        // With the watching keys the title is rewritten every frame.
        if (!controls) window->setTitle(fpsShown ? frameRateTitle(baseTitle, -1).c_str() : baseTitle);
    } else {
        if (controls) actOnControls();
        // The rate is refreshed during every fourth second of the show; it
        // counts the frames since the loop began over the whole seconds
        // since then, which differ from the show's only after --start-at.
        // With the watching keys the show's seconds stop and jump, so both
        // are the loop's own seconds.
        const double now = controls ? loopClock.seconds() : clock->seconds();
        const int whole = static_cast<int>(now);
        const int elapsed = controls ? whole : static_cast<int>(now - startAt);
        if (fpsShown && whole > 0 && whole % 4 == 0 && elapsed > 0) {
            rate = frames / elapsed;
            if (!controls) window->setTitle(frameRateTitle(baseTitle, rate).c_str());
        }
    }
}

void Demo::actOnControls() {
    KeyState& keys = *window->keyState;
    // Space, Home and the jumps act once per press; held down they wait for
    // the next press. The seeks and steps go on while their key is held.
    if (keys.takePresses(vk::Space, false) % 2 == 1) setPaused(!paused);
    if (keys.takePresses(vk::Home, false) > 0) seekTo(0.0);
    for (int n = keys.takePresses(vk::Prior, false); n > 0; --n) seekTo(momentBefore(clock->seconds()));
    for (int n = keys.takePresses(vk::Next, false); n > 0; --n) {
        const double now = clock->seconds();
        const double next = momentAfter(now);
        if (next > now) seekTo(next);
    }
    const double seek = kLongSeekSeconds * (keys.takePresses(vk::Right, true) - keys.takePresses(vk::Left, true)) +
                        kShortSeekSeconds * (keys.takePresses(vk::Up, true) - keys.takePresses(vk::Down, true));
    if (seek != 0.0) seekTo(clock->seconds() + seek);
    // Frame steps only while paused; pressed while playing they are dropped.
    const int steps = keys.takePresses(vk::OemPeriod, true) - keys.takePresses(vk::OemComma, true);
    if (paused && steps != 0) seekTo(clock->seconds() + steps * kStepSeconds);
}

void Demo::setPaused(bool pause) {
    paused = pause;
    Timer::pause(pause);
    music->pause(pause);
    // The pass that pauses draws its frame once more and holds it.
    if (pause) drawWhilePaused = true;
    else window->releaseHeldPicture();
}

void Demo::seekTo(double showTime) {
    showTime = std::max(0.0, showTime);
    const double now = clock->seconds();
    if (showTime == now) return;
    Timer::shift(showTime - now);
    music->seek(showTime);
    // While paused the picture shows the new place: one frame is drawn there.
    if (paused) drawWhilePaused = true;
}

int Demo::run() {
    if (!window || !window->show()) return 1;
    char baseTitle[256];
    std::snprintf(baseTitle, sizeof baseTitle, "%s", window->title);

    Timer::setStartPosition(startAt);
    Timer::resetControls();
    paused = false;
    drawWhilePaused = false;
    music->play(musicPath.c_str(), startAt);
    clock->start();
    loopClock.start();
    for (auto& scene : scenes) {
        if (scene) scene->start();
    }

    bool fpsShown = false;
    frames = 0;
    rate = -1;
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
        if (!paused) {
            drawScene(t);
        } else if (drawWhilePaused) {
            // One frame at the paused time, drawn over the picture held so
            // far (a gap draws nothing and keeps it), then held in turn.
            window->drawHeldPicture();
            drawScene(t);
            window->holdPicture();
            drawWhilePaused = false;
        } else {
            // Nothing steps: the held picture is presented again.
            window->drawHeldPicture();
        }
        if (controls) {
            const std::string head = fpsShown ? frameRateTitle(baseTitle, rate) : baseTitle;
            const std::string status = watchingTitle(head, t, paused);
            if (status != window->title) window->setTitle(status.c_str());
        }
        if (t > kShowEnd) quitRequested = true;

        window->swapBuffers();
        ++frames;
    }
    music->stop();
    return exitCode;
}

void Demo::drawScene(float t) {
    const int slot = sceneAt(t);
    if (slot >= 0 && scenes[slot]) scenes[slot]->render(t);
}

void Demo::close() {
    if (window) {
        window->destroy();
        window.reset();
    }
}
