#pragma once
// The dance floor: the fourth scene on screen and the longest. A lit floor in
// perspective, five rings of turning stars, a mirror ball with its glow, two
// dancers and large captions on a yellow-orange clear colour; in the middle
// of it a roll of greetings scrolls past a column of spinning stars.
//
// Three sequences, chosen every frame from the scene's own clock by the
// dance-floor rows of the timeline (base/Timeline.h): groove
// (GrooveSequence.cpp), greetings (GreetingsRoll.cpp) and shower
// (ShowerSequence.cpp). In the gaps between them the scene draws and clears
// nothing. Groove and shower share the frame prologue, the backdrop and the
// animation step kept in this file.
//
// State:
//   - DanceAnimation (star angle, strip positions, frame counter), the unit
//     quad's display list and the quadric start at zero when the scene object
//     is made and live as long as it does; load and start never reset them.
//     The groove sequence hands them to the shower sequence.
//   - DanceClocks (the previous groove/shower frame's time and the dancers'
//     clocks) are zeroed by load and stand still through the greetings roll,
//     so the first shower frame steps both dancers.
//   - OpenGL state carries over: the floor is drawn with the colour and
//     blending the previous frame left (black while the groove sequence's
//     opening wipe runs, blended after a greetings frame).
// A picture that cannot be read leaves its texture 256x256 transparent black;
// everything else is drawn as usual. Nothing is allocated after load, and the
// destructor makes no GL call.
#include "base/Timer.h"
#include "scenes/Pictures.h"
#include "scenes/Scene.h"

#include <memory>

class Font;
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

class DanceFloorScene final : public Scene {
public:
    explicit DanceFloorScene(const FrameClock& frameClock);
    ~DanceFloorScene() override;
    DanceFloorScene(const DanceFloorScene&) = delete;
    DanceFloorScene& operator=(const DanceFloorScene&) = delete;

    void load() override;
    // Runs the sequence of the scene's own time; in the gaps, nothing.
    void render(float) override;
    void start() override;

    const DanceAnimation& animation() const { return anim; }
    const DanceClocks& clocks() const { return clock; }

    // The greetings, in the order they roll.
    static constexpr int kGreetingCount = 30;
    static const char* const kGreetings[kGreetingCount];

private:
    void renderGroove(float t);
    void renderGreetings();
    void renderShower(float t);

    // Clocks, clear, clear colour, depth test off, texturing on; returns tc,
    // a second reading of the clock, which places the captions.
    float beginDanceFrame(float t);
    // Floor, star rings, mirror ball, glow; ends with source-alpha blending
    // on and the colour white.
    void drawBackdrop(float t);
    // Steps the ball and floor every 13th frame and each dancer by its clock.
    void advanceFrames();

    // A strip picture quad: s from `frame` to frame + `span`, t = 1 at the
    // bottom edge; corners (-halfW, -halfH) to (halfW, halfH).
    static void stripQuad(float frame, float span, float halfW, float halfH);

    TexturePtr floorTexture;
    TexturePtr ballTexture;
    TexturePtr starTexture;
    TexturePtr lightTexture;  // made and kept; no sequence draws it
    TexturePtr dancer1Texture;
    TexturePtr dancer2Texture;
    TexturePtr lightBallTexture;
    PicturePtr floorImage;
    PicturePtr ballImage;
    PicturePtr starImage;
    PicturePtr lightImage;
    PicturePtr dancer1Image;
    PicturePtr dancer2Image;
    PicturePtr lightBallImage;
    std::unique_ptr<Font> font;
    Timer timer;

    DanceClocks clock;
    DanceAnimation anim;
    unsigned int quadList = 0;      // the unit quad, compiled by load
    GLUquadric* quadric = nullptr;  // the wipe's disc; freed with the scene (memory only)
};
