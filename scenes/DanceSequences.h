#pragma once
// What the dance floor's three sequences share, and the sequences themselves:
// free functions over one DanceStage, which DanceFloorScene owns and fills
// while it loads. Groove (GrooveSequence.cpp) and shower (ShowerSequence.cpp)
// open their frames with beginDanceFrame and drawBackdrop and close them with
// advanceFrames (DanceFloorScene.cpp); the greetings roll (GreetingsRoll.cpp)
// shares only the star picture, the unit quad and the font.
//
// Every function draws with the GL context current and reads the scene's
// clock through the Timer it is given.
#include "gfx/Font.h"
#include "gfx/Texture.h"
#include "scenes/PictureInk.h"

class Timer;
struct GLUquadric;

// Values that carry from frame to frame for the whole run. A strip position
// is the texture coordinate s of the left edge of the picture shown.
struct DanceAnimation {
    float starAngle = 0.0f;     // radians; +5.5 per star drawn, 220 per frame, never wrapped
    float floorFrame = 0.0f;    // 0, 0.25, 0.5, 0.75, 1.0 (4 pictures, the first twice)
    float ballFrame = 0.0f;     // 0, 1/3, 2/3
    float dancer1Frame = 0.0f;  // k/14
    float dancer2Frame = 0.0f;  // k/10
    float echoFrame = 0.0f;     // a picture of dancer 2: the one before its latest step
    int frameTick = 0;          // 0..12; ball and floor step when it is 12
};

// Time bookkeeping of the groove and shower frames; zeroed by load.
struct DanceClocks {
    float lastTime = 0.0f;      // t of the previous groove or shower frame
    float dancer1Clock = 0.0f;  // seconds gathered since dancer 1 last stepped
    float dancer2Clock = 0.0f;  // the same for dancer 2
};

struct DanceStage {
    Texture floorTexture;      // 4 frames side by side
    Texture ballTexture;       // the mirror ball, 3 frames
    Texture starTexture;
    Texture lightTexture;      // made and kept; no sequence draws it
    Texture dancer1Texture;    // 14 frames
    Texture dancer2Texture;    // 10 frames
    Texture lightBallTexture;  // the glow behind the ball
    // Where the blended pictures are not transparent (measured in load).
    PictureInk ballInk, dancer1Ink, dancer2Ink;
    Font font;
    unsigned int quadList = 0;      // the unit quad
    GLUquadric* quadric = nullptr;  // the groove's opening wipe
    DanceAnimation anim;
    DanceClocks clocks;
};

// The sequences, one frame each; t is the scene time the dispatcher read.
void renderGroove(DanceStage& stage, Timer& timer, float t);
void renderGreetings(DanceStage& stage, Timer& timer);
void renderShower(DanceStage& stage, Timer& timer, float t);

// Clocks, clear, clear colour, depth test off, texturing on; returns tc, a
// second reading of the clock, which places the captions.
float beginDanceFrame(DanceStage& stage, Timer& timer, float t);
// Floor, star rings, mirror ball, glow; ends with source-alpha blending on
// and the colour white.
void drawBackdrop(DanceStage& stage, float t);
// Steps the ball and floor every 13th frame and each dancer by its clock.
void advanceFrames(DanceStage& stage);

// The greetings, in the order they roll: one line each, 2 to 12 printable
// characters, character set 0.
constexpr int kGreetingCount = 30;
extern const char* const kGreetings[kGreetingCount];
