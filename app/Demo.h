#pragma once
// The driver: owns the window, the music, the show clock and the scenes,
// loads everything, runs the frame loop over the timeline, tears down.
//
// Ownership: the Demo owns all of the above and frees them in ~Demo() in a
// fixed order (clock, music, scenes in slot order), after close() has
// destroyed the window and with it the OpenGL context.
#include "app/GLWindow.h"
#include "app/MusicPlayer.h"
#include "base/Timeline.h"
#include "base/Timer.h"
#include "scenes/SceneRegistry.h"

#include <functional>
#include <limits>
#include <memory>
#include <string>

// The title while the frame rate is shown; rate < 0 means "not measured yet".
std::string frameRateTitle(const char* baseTitle, int rate);

// What the Demo is built from; every part has a default for the real show.
struct DemoSetup {
    std::unique_ptr<GLWindow> window;               // default: an SDL window
    std::unique_ptr<AudioOutput> audio;             // default: the sound device
    std::function<SceneSet()> scenes;               // default: makeScenes
    std::string musicPath;                          // default: km_groov.it in the data folder
    double startAt = 0.0;                           // show position of the first frame, seconds
    double endAt = std::numeric_limits<double>::infinity();  // stop after this show time
    bool controls = false;                          // the watching keys: pause, seek, jump
};

class Demo {
public:
    Demo(const char* title, int width, int height, int bits, bool fullscreen, DemoSetup setup = {});
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    void loadAll();
    // Shows the window, starts music and clocks, runs the loop, stops the
    // music. Returns the exit status: the code of the quit message taken,
    // 0 when the show ended by itself, 1 when the window could not be shown.
    int run();
    void close();

    int framesPresented() const { return frames; }
    bool isPaused() const { return paused; }

    bool quitRequested = false;
    char title[256] = {};
    std::unique_ptr<GLWindow> window;   // null after a failed creation
    std::unique_ptr<MusicPlayer> music;
    std::string musicPath;
    std::unique_ptr<Timer> clock;
    SceneSet scenes;

private:
    void pollKeys(bool& fpsShown, const char* baseTitle);
    // The watching keys pressed since the last look, each acting once per
    // press (the seeks and steps once per auto-repeat too).
    void actOnControls();
    void setPaused(bool pause);
    void drawScene(float t);
    // Moves the show clock, every scene clock and the music to `showTime`
    // (0 at the least).
    void seekTo(double showTime);

    double startAt;
    float endAt;
    bool controls;
    int frames = 0;
    int rate = -1;                 // frame rate last measured; -1 before the first
    Timer loopClock{ClockControl::Ignore};  // how long the loop has run
    bool paused = false;
    bool drawWhilePaused = false;  // the next pass draws once though paused
};
