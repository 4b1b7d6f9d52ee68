#pragma once
// The show in a browser page: the scenes, the show clock and the cards
// before and after, drawn into the page's WebGL canvas through the
// fixed-function layer (web/gl/). The page (web/page/) owns the frame loop,
// the music and the keys; it calls this once per animation frame with the
// show position it has read from the music's clock.
//
// Time: every clock of the show is driven (Timer::setDrivenTime) by the
// page: begin(S) starts the show clock and every scene's clock at S, and
// frame(elapsed) draws show time S + elapsed, with the same arithmetic as
// a desktop recording, so frame k of a run at F frames a second shows what
// frame k of `glowmotion --capture` at F shows.
//
// GL state: load() and every card leave the state a desktop window has when
// the show starts (the scenes' contract in scenes/Scene.h), so the first
// frame draws with what it draws with on the desktop.
#include "base/Timer.h"
#include "scenes/SceneRegistry.h"

#include <memory>

class Font;

// Where the 4:3 picture lands in a drawable of another shape: the largest
// centred rectangle of that aspect, bars beside or above and below it.
struct PictureRect {
    int x = 0, y = 0, width = 1, height = 1;
};
PictureRect letterbox(int drawableWidth, int drawableHeight);

class BrowserShow {
public:
    // What a card invites the viewer to do.
    enum class Card { Start, PlayAgain };

    BrowserShow();
    ~BrowserShow();
    BrowserShow(const BrowserShow&) = delete;
    BrowserShow& operator=(const BrowserShow&) = delete;

    // The canvas's drawable size changed (or is first known): the picture's
    // rectangle, scissor and projection follow it, the bars are cleared.
    void resize(int drawableWidth, int drawableHeight);
    // Fresh scenes, loaded from the data folder; the textures and lists of
    // an earlier load are deleted first (as the end of a desktop context
    // would). The GL state is then the desktop's at the start of the show.
    void load();
    // Starts the show clock and every scene's clock at show time `startAt`.
    void begin(double startAt);
    // Draws the show at begin's time + `elapsed` seconds, if a scene's
    // window holds it (a gap draws nothing and the picture stays). Returns
    // the show time drawn.
    float frame(double elapsed);

    // A card in the show's colours and font; `seconds` moves its bars.
    void drawCard(Card card, double seconds);

private:
    void setShowState();
    void drawText(const char* text, float scale, double y, int set);

    SceneSet scenes;
    Timer clock;
    std::unique_ptr<Font> font;  // the cards' captions
    PictureRect picture;
    int width = 1, height = 1;
};
