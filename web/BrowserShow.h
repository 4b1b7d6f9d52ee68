#pragma once
// The show in a browser page: the scenes, the show's frame clock and the
// cards before and after, drawn into the page's WebGL canvas through the
// fixed-function layer (web/gl/). The page (web/page/) owns the frame loop,
// the music and the keys, and calls this once per animation frame.
//
// Time: this driver owns the one FrameClock every scene reads through its
// Timer (base/FrameClock.h). It runs either way the desktop's does:
//   live    the clock's ticks are the page's reading of the music, in
//           nanoseconds since begin(): frame(elapsed) draws show time
//           start + elapsed. The page pauses and seeks the music, so the
//           reading holds and jumps as the desktop's clock does under the
//           watching keys (scenes/Scene.h);
//   stills  the clock at a fixed step: step() draws frame k at
//           start + k / fps and moves on, exactly as `glowmotion --capture`
//           does, so frame k here is frame k of a recording.
//
// Preparing: as on the desktop, the picture at show time S is the one the
// show draws after every frame from 0 to S, so begin() and jump() plan the
// frames before S (scenes/ShowReplay.h): stills at their own frame rate,
// the live show at kReplayFps. The page runs them with prepare(), in parts,
// before it draws S.
//
// GL state: begin() sets the show's first-frame state (setUpShowGL), as the
// desktop does when the show starts; a card leaves what it changed beyond
// that as GL starts it, so a show after a card draws as one after loading.
#include "base/FrameClock.h"
#include "scenes/SceneRegistry.h"
#include "scenes/ShowReplay.h"

#include <cstdint>
#include <memory>

class Font;

class BrowserShow {
public:
    // What a card invites the viewer to do.
    enum class Card { Start, PlayAgain };

    BrowserShow();
    ~BrowserShow();
    BrowserShow(const BrowserShow&) = delete;
    BrowserShow& operator=(const BrowserShow&) = delete;

    // The canvas's drawable size changed (or is first known): the whole
    // canvas black, the picture letterboxed in it.
    void resize(int drawableWidth, int drawableHeight);
    // Fresh scenes, loaded from the data folder; the textures and lists of
    // an earlier load are deleted first (as the end of a desktop context
    // would), and the picture is cleared.
    void load();
    // Starts the clock at show time `startAt` and then every scene: live
    // with fps 0, else at a fixed step of fps frames a second. Plans the
    // frames before startAt.
    void begin(double startAt, int fps);
    // Live, after the page moved the music to `showTime`: plans the frames
    // from the one last drawn (or, behind it, from the show's start) on to
    // it.
    void jump(double showTime);
    // Runs up to `frames` more of the planned frames; returns how far the
    // plan is, 1 once it is done (and only then).
    double prepare(int frames);
    // The last plan's frames and wall-clock seconds so far.
    const Replayed& prepared() const { return replay.last(); }
    // Live: draws show time start + `elapsed` seconds, if a scene's window
    // holds it (a gap draws nothing and the picture stays). Returns the show
    // time drawn.
    float frame(double elapsed);
    // Fixed step: draws the next frame; returns its show time.
    float step();

    // A card in the show's colours and font; `seconds` moves its bars.
    void drawCard(Card card, double seconds);

private:
    float draw();
    void drawText(const char* text, float scale, double y, int set);

    int64_t pageTicks = 0;  // live: the page's reading since begin()
    FrameClock clock;       // reads pageTicks
    SceneSet scenes;        // after the clock: scenes read it until they go
    ShowReplay replay{clock, scenes};
    std::unique_ptr<Font> font;  // the cards' captions
    int width = 1, height = 1;
};
