#include "app/Demo.h"

#include "app/Song.h"
#include "base/DataPath.h"
#include "base/Timeline.h"
#include "gfx/PicturePreload.h"

#include <GL/gl.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>

namespace {
const char* const kFrameRateLabel = " .:[fps ";
const char* const kFrameRateEnd = "]:.";
const char* const kFrameRateWaiting = " .:[fps ...]:.";
// Paused with nothing new to draw, a pass waits this long for an event
// before it presents the held picture again.
constexpr int kPausedWaitMs = 100;
}  // namespace

std::string frameRateTitle(const std::string& baseTitle, int rate) {
    char line[256];
    if (rate < 0) std::snprintf(line, sizeof line, "! %s %s", baseTitle.c_str(), kFrameRateWaiting);
    else std::snprintf(line, sizeof line, "! %s %s %d %s", baseTitle.c_str(), kFrameRateLabel, rate, kFrameRateEnd);
    return line;
}

int reportMissingMedia() {
    const std::vector<std::string> missing = dataFilesMissing();
    const size_t asked = dataFilesAsked().size();
    if (missing.empty()) return 0;
    if (missing.size() == asked) {
        std::fprintf(stderr,
                     "glowmotion: none of the show's %zu media files (pictures, font, music) is in %s; give the "
                     "folder that holds them with --data DIR\n",
                     asked, dataDirectory().c_str());
        return 2;
    }
    std::string names;
    for (const std::string& name : missing) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "glowmotion: %zu of the show's %zu media files %s missing from %s: %s\n", missing.size(),
                 asked, missing.size() == 1 ? "is" : "are", dataDirectory().c_str(), names.c_str());
    return 0;
}

Demo::Demo(DemoSetup setup)
    : clock(setup.clockSource ? std::move(setup.clockSource) : FrameClock::TickSource(FrameClock::monotonicNanoseconds)),
      music(setup.audio ? std::move(setup.audio) : makeSdlAudioOutput()),
      musicPath(setup.musicPath.empty() ? dataPath(kMusicFileName) : setup.musicPath),
      scenes(setup.scenes ? setup.scenes(clock) : makeScenes(clock)),
      startAt(setup.startAt),
      endAt(static_cast<float>(setup.endAt)),
      controls(setup.controls) {}

Demo::~Demo() {
    for (auto& scene : scenes) scene.reset();
}

void Demo::load(Surface& surface) {
    beginLoading(surface);
    loadSlots(0, scenes.size());
}

void Demo::beginLoading(Surface& surface) {
    // Pictures are decoded into large buffers that are freed once uploaded.
    // glibc raises its mmap threshold each time such a block is freed, after
    // which the next ones come from the heap and their pages stay with the
    // process; a fixed threshold hands every large block back to the system.
    // Only from here: making the context allocates and frees large blocks
    // too, and with the threshold fixed each would be mapped and faulted in
    // anew (3 ms of the launch).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    surface.present();
}

void Demo::loadForRecording(OffscreenSurface& surface, const CaptureTiming& timing) {
    // The slots up to the last one whose scene draws before the first
    // frame or in it.
    size_t shown = 0;
    for (const TimelineWindow& window : kTimeline) {
        if (window.from < static_cast<float>(timing.startAt))
            shown = std::max(shown, static_cast<size_t>(window.slot) + 1);
    }
    beginLoading(surface);
    loadSlots(0, shown);
    // The pictures read ahead for those scenes are not held while the frame
    // is drawn (a picture another scene uses too is read again).
    if (PicturePreload* preload = PicturePreload::active()) preload->forgetAnswered();
    drawFirstFrame(surface, timing);
    if (shown == scenes.size()) return;
    // The driver's threads rasterize the frame while the other scenes load,
    // and the state the frame left is the next frame's again afterwards.
    glFlush();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    loadSlots(shown, scenes.size());
    glPopClientAttrib();
    glPopAttrib();
}

void Demo::loadSlots(size_t from, size_t to) {
    for (size_t slot = from; slot < to; ++slot) {
        if (scenes[slot]) scenes[slot]->load();
    }
}

void Demo::startScenes() {
    for (auto& scene : scenes) {
        if (scene) scene->start();
    }
}

ShowEnd Demo::play(Window& window, const std::function<void(const Replayed&)>& replayed) {
    music.init(kLiveMixRate);
    window.show();
    setUpShowGL();
    replay.begin();
    const std::string baseTitle = window.title();
    clock.runLive();
    clock.start(startAt);
    startScenes();
    replay.planFromStart(kReplayFps, FrameClock::ticksOf(startAt));
    replay.runFrames();
    if (replayed) replayed(replay.last());
    music.play(musicPath.c_str(), startAt);
    // Show time startAt from the moment the music plays; the scenes' clocks,
    // started with the clock, follow it.
    clock.start(startAt);

    frames = 0;
    rate = -1;
    fpsShown = false;
    paused = false;
    drawWhilePaused = false;
    seekPending = false;
    presses.fill(0);
    repeats.fill(0);
    ShowEnd end = ShowEnd::Finished;
    std::vector<WindowEvent> events;
    for (bool last = false; !last;) {
        if (paused && !drawWhilePaused) window.waitForEvent(kPausedWaitMs);
        events.clear();
        window.takeEvents(events);
        if (takeEvents(events)) {
            end = ShowEnd::Closed;
            break;
        }
        if (actOnKeys(window, baseTitle)) {
            end = ShowEnd::Escape;
            last = true;
        }

        const Viewport picture = window.viewport();
        // Paused, the buffer drawn starts as the picture held (a gap, or a
        // pass that draws nothing, presents it again).
        if (paused) pausedPicture.draw(picture);
        if (seekPending) settleSeek();
        const int64_t now = clock.ticks();
        const float t = static_cast<float>(clock.seconds());
        if (t > endAt) break;
        if (!paused || drawWhilePaused) {
            drawShowFrame(scenes, t);
            replay.drawn(now);
        }
        if (paused && drawWhilePaused) {
            pausedPicture.hold(picture);
            drawWhilePaused = false;
        }
        if (controls) {
            const std::string head = fpsShown ? frameRateTitle(baseTitle, rate) : baseTitle;
            const std::string status = watchingTitle(head, t, paused);
            if (status != window.title()) window.setTitle(status);
        }
        if (t > kShowEnd) last = true;

        window.present();
        ++frames;
    }
    music.stop();
    return end;
}

bool Demo::takeEvents(const std::vector<WindowEvent>& events) {
    for (const WindowEvent& event : events) {
        if (event.type == WindowEvent::Type::Close) return true;
        uint8_t& count = (event.repeat ? repeats : presses)[static_cast<size_t>(event.key)];
        if (count < 255) ++count;
    }
    return false;
}

int Demo::takePresses(ShowKey key, bool withRepeats) {
    const size_t at = static_cast<size_t>(key);
    const int count = presses[at] + (withRepeats ? repeats[at] : 0);
    presses[at] = 0;
    repeats[at] = 0;
    return count;
}

bool Demo::actOnKeys(Window& window, const std::string& baseTitle) {
    // Escape, else F12, else the rest: only one of them acts in a pass.
    if (takePresses(ShowKey::Escape, true) > 0) return true;
    if (takePresses(ShowKey::F12, true) > 0) {
        fpsShown = !fpsShown;
        rate = -1;
        // With the watching keys the title is rewritten every frame.
        if (!controls) window.setTitle(fpsShown ? frameRateTitle(baseTitle, -1) : baseTitle);
        return false;
    }
    if (controls) actOnControls();
    // The rate is refreshed during every fourth second of the show; it
    // counts the frames since the loop began over the whole seconds since
    // then, which differ from the show's only after --start-at. With the
    // watching keys the show's seconds stop and jump, so both are the
    // loop's own seconds.
    const double now = controls ? clock.runningSeconds() : clock.seconds();
    const int whole = static_cast<int>(now);
    const int elapsed = controls ? whole : static_cast<int>(now - startAt);
    if (fpsShown && whole > 0 && whole % 4 == 0 && elapsed > 0) {
        rate = frames / elapsed;
        if (!controls) window.setTitle(frameRateTitle(baseTitle, rate));
    }
    return false;
}

void Demo::actOnControls() {
    // Space, Home and the jumps act once per press; held down they wait for
    // the next press. The seeks and steps go on while their key is held.
    if (takePresses(ShowKey::Space, false) % 2 == 1) setPaused(!paused);
    if (takePresses(ShowKey::Home, false) > 0) seekTo(0.0);
    for (int n = takePresses(ShowKey::PageUp, false); n > 0; --n) seekTo(momentBefore(clock.seconds()));
    for (int n = takePresses(ShowKey::PageDown, false); n > 0; --n) {
        const double now = clock.seconds();
        const double next = momentAfter(now);
        if (next > now) seekTo(next);
    }
    const double seek =
        kLongSeekSeconds * (takePresses(ShowKey::Right, true) - takePresses(ShowKey::Left, true)) +
        kShortSeekSeconds * (takePresses(ShowKey::Up, true) - takePresses(ShowKey::Down, true));
    if (seek != 0.0) seekTo(clock.seconds() + seek);
    // Frame steps only while paused; pressed while playing they are dropped.
    const int steps = takePresses(ShowKey::Period, true) - takePresses(ShowKey::Comma, true);
    if (paused && steps != 0) seekTo(clock.seconds() + steps * kStepSeconds);
}

void Demo::setPaused(bool pause) {
    paused = pause;
    clock.pause(pause);
    music.pause(pause);
    // The pass that pauses draws its frame once more and holds it.
    if (pause) drawWhilePaused = true;
    else pausedPicture.release();
}

void Demo::seekTo(double showTime) {
    showTime = std::max(0.0, showTime);
    const double now = clock.seconds();
    if (showTime == now) return;
    clock.shift(showTime - now);
    seekPending = true;
    // While paused the picture shows the new place: one frame is drawn there.
    if (paused) drawWhilePaused = true;
}

void Demo::settleSeek() {
    seekPending = false;
    const int64_t target = clock.ticks();
    const double targetSeconds = clock.seconds();
    // Past the end nothing more is drawn: the loop ends there.
    if (static_cast<float>(targetSeconds) <= std::min(endAt, kShowEnd)) {
        replay.planJump(kReplayFps, target);
        replay.runFrames();
        // The time the frames took is no show time.
        clock.shift(targetSeconds - clock.seconds());
    }
    music.seek(targetSeconds);
}

void Demo::drawFirstFrame(OffscreenSurface& surface, const CaptureTiming& timing) {
    surface.show();
    setUpShowGL();
    clock.runFixedStep(timing.fps);
    clock.start(timing.startAt);
    startScenes();
    replay.begin();
    // The frames of the show before the first one recorded, at its rate.
    replay.planFromStart(timing.fps, FrameClock::ticksOf(timing.startAt));
    replay.runFrames();
    drawShowFrame(scenes, static_cast<float>(clock.seconds()));
    surface.present();
    firstFrameDrawn = true;
}

Recorded Demo::record(OffscreenSurface& surface, FrameSink& sink, const CaptureTiming& timing,
                      const RecordingWatch& watch) {
    if (!firstFrameDrawn) drawFirstFrame(surface, timing);
    firstFrameDrawn = false;
    if (watch.replayed) watch.replayed(replay.last());
    return runFixedStep(surface, sink, recordingFrameCount(timing), watch);
}

Recorded Demo::runFixedStep(OffscreenSurface& surface, FrameSink& sink, int64_t total, const RecordingWatch& watch) {
    Recorded run;
    run.frames = total;
    int64_t target = total;  // below the total after a stop
    std::vector<uint8_t> pixels;
    // The framebuffer is never cleared between frames, so a frame in which
    // nothing draws repeats the picture before it. The first is drawn.
    for (bool drawn = true; run.written < target; drawn = false) {
        if (!drawn) {
            drawShowFrame(scenes, static_cast<float>(clock.seconds()));
            surface.present();
        }
        surface.readPixels(pixels, sink.topRowFirst());
        if (!sink.writeFrame(run.written, pixels.data(), surface.width(), surface.height(), &run.error)) {
            run.failed = true;
            break;
        }
        ++run.written;
        if (watch.progress) watch.progress(run.written, total);
        if (!run.stopped && watch.shouldStop && watch.shouldStop()) {
            run.stopped = true;
            target = std::min(total, std::max(run.written, sink.framesToStopAt(run.written)));
        }
        clock.step();
    }
    return run;
}
