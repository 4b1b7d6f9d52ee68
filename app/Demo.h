#pragma once
// The driver: owns the show's frame clock, its scenes and its music, loads
// the scenes and runs the frame loop over the timeline, either live on a
// window or at a fixed step into a recording.
//
// The clock is the driver's: every scene reads it through its Timer, the
// watching keys pause and shift it, and the loop ends at the driver's end
// time.
//
// The picture at show time S is the continuous show's: before the first
// frame shown at S (--start-at, a recording's start, a jump with the
// watching keys) the driver runs the frames before it unseen (scenes/ShowReplay.h),
// at the recording's frame rate or, on screen, at kReplayFps: from 0, or on
// from the frame shown when a jump leads forward. A window or an offscreen surface only presents what the loop drew;
// a recording hands each presented frame to a sink, which reports back
// whether it could take it.
//
// Ownership: the Demo owns the clock, the music player and the scenes, and
// frees the scenes in slot order when it goes, after the caller has
// destroyed the window or surface (and with it the OpenGL context).
#include "app/FrameSink.h"
#include "app/GLWindow.h"
#include "app/MusicPlayer.h"
#include "app/RecordingFrames.h"
#include "app/WatchControls.h"
#include "base/FrameClock.h"
#include "scenes/SceneRegistry.h"
#include "scenes/ShowReplay.h"

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

// The title while the frame rate is shown; rate < 0 means "not measured yet".
std::string frameRateTitle(const std::string& baseTitle, int rate);

// After Demo::load: when none of the media files asked for is in the data
// folder, says which folder was searched and how to give another, and
// returns 2 (the show should not go on); when some are missing, names them
// in one line; both on standard error (the reader's own lines went to
// standard output). Otherwise says nothing. Returns 0 but in the first case.
int reportMissingMedia();

// What the Demo is built from; every part has a default for the real show.
struct DemoSetup {
    std::function<SceneSet(const FrameClock&)> scenes;  // default: makeScenes
    std::unique_ptr<AudioOutput> audio;                  // default: the sound device
    std::string musicPath;                               // default: the music file in the data folder
    FrameClock::TickSource clockSource;                  // default: the monotonic clock
    double startAt = 0.0;                                // show position of the first frame, seconds
    double endAt = std::numeric_limits<double>::infinity();  // on screen: stop after this show time
    bool controls = false;                               // the watching keys: pause, seek, jump
};

// How the show on screen ended.
enum class ShowEnd {
    Finished,  // the show time passed its end
    Escape,    // Escape was pressed
    Closed,    // the window was closed (or the system asked the show to end)
};

// Looking on while a recording runs.
struct RecordingWatch {
    std::function<void(int64_t done, int64_t total)> progress;  // after every frame handed over
    std::function<bool()> shouldStop;  // asked after every frame; true ends the recording early
    std::function<void(const Replayed&)> replayed;  // once the frames before the first have run
};

// What a recording did.
struct Recorded {
    int64_t frames = 0;    // frames the whole recording holds
    int64_t written = 0;   // frames the sink took
    bool failed = false;   // the sink could not take a frame; `error` says why
    bool stopped = false;  // a stop was asked for and the recording ended early
    std::string error;
};

class Demo {
public:
    explicit Demo(DemoSetup setup = {});
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Presents one cleared frame on `surface` (whose context is current) and
    // loads every scene, in slot order.
    void load(Surface& surface);
    // As load, for record() with the same `timing`: the recording's first
    // frame is drawn (not handed over) as soon as the scenes that draw up to
    // it are loaded, and the driver rasterizes it while the others load.
    void loadForRecording(OffscreenSurface& surface, const CaptureTiming& timing);

    // The show on `window`: opens the sound output, shows the window, starts
    // the music, the clock (live, at the start position) and the scenes, and
    // runs the loop until the show time passes the end (that frame is still
    // presented), Escape (the frame it is seen in too), or the window closes
    // (nothing more is drawn). The music is stopped at the end. The frames
    // before the start position are run first, unseen; `replayed` (when
    // given) hears how long that took, before the music starts.
    ShowEnd play(Window& window, const std::function<void(const Replayed&)>& replayed = {});

    // Records show time [timing.startAt, timing.endAt) at timing.fps: the
    // clock at a fixed step, each frame drawn and presented on `surface` and
    // handed to `sink`, until the last frame, a frame the sink cannot take,
    // or a stop asked for (then up to the frame count the sink names).
    // Frame k shows timing.startAt + k / fps; started at a whole number of
    // frames, it is frame startAt * fps + k of the whole show's recording,
    // byte for byte.
    Recorded record(OffscreenSurface& surface, FrameSink& sink, const CaptureTiming& timing,
                    const RecordingWatch& watch = {});

private:
    void beginLoading(Surface& surface);
    void loadSlots(size_t from, size_t to);
    // Readies the recording (clock, scenes, the unseen frames before its
    // start) and draws and presents its first frame.
    void drawFirstFrame(OffscreenSurface& surface, const CaptureTiming& timing);
    void startScenes();
    // After seeks: the frames from the one last drawn (or from the show's
    // start, scenes and OpenGL state rewound, when the new place is behind
    // it) up to the new place, then the clock and the music there.
    void settleSeek();
    // The frame loop at a fixed step from the clock's start, its first frame
    // drawn: up to `total` frames, each handed to `sink`.
    Recorded runFixedStep(OffscreenSurface& surface, FrameSink& sink, int64_t total, const RecordingWatch& watch);

    // Counts the key presses among `events`; true when one closes the window.
    bool takeEvents(const std::vector<WindowEvent>& events);
    // The presses of `key` since the last call (auto-repeats too when
    // `withRepeats`); the count starts again from 0.
    int takePresses(ShowKey key, bool withRepeats);
    // Escape, F12 and, with --controls, the watching keys; true after Escape.
    bool actOnKeys(Window& window, const std::string& baseTitle);
    // The watching keys, each acting once per press (seeks and steps once
    // per auto-repeat too).
    void actOnControls();
    void setPaused(bool pause);
    // Moves the clock, and with it every scene's clock, and the music to
    // `showTime` (0 at the least).
    void seekTo(double showTime);

    FrameClock clock;
    MusicPlayer music;
    std::string musicPath;
    SceneSet scenes;  // after the clock: scenes read it until they go
    ShowReplay replay{clock, scenes};
    double startAt;
    float endAt;
    bool controls;
    bool firstFrameDrawn = false;  // by loadForRecording, for the next record()

    // One run of the show on screen.
    int frames = 0;                // frames presented since the loop began
    int rate = -1;                 // frame rate last measured; -1 before the first
    bool fpsShown = false;
    bool paused = false;
    bool drawWhilePaused = false;  // the next pass draws once though paused
    bool seekPending = false;      // the clock was moved; frames, music and picture follow
    PausedPicture pausedPicture;
    // Per key, presses and auto-repeats since they were last taken
    // (saturating: nobody takes most keys' presses without --controls).
    std::array<uint8_t, kShowKeyCount> presses{}, repeats{};
};
