#pragma once
// The opening scene (show time below 19 s): a turntable seen from above at a
// slant over a swirling, slowly turning background: platter picture, a
// textured cylinder for the platter's rim, a spinning record and the tonearm,
// with the two title pictures sliding across the top, "quellix" first, then
// "presents".
//
// Motion follows the scene's own Timer (show seconds), except the record's
// and rim's turn, which is the previous frame's 60 * t (0 on the first
// frame). The clear colour is set to orange after each clear, so the first
// frame clears with whatever the window or the previous scene left and the
// next scene's first frame clears orange.
//
// GL state: leaves blending off and depth testing on, texturing enabled
// (never changed), the current colour white.
#include "base/Timer.h"
#include "gfx/Texture.h"
#include "scenes/PictureInk.h"
#include "scenes/Scene.h"

#include <memory>

struct GLUquadric;

class TurntableScene final : public Scene {
public:
    explicit TurntableScene(const FrameClock& frameClock) : timer(frameClock) {}
    ~TurntableScene() override;

    void load() override;
    void start() override;
    void render(float showTime) override;
    void rewind() override { state = State{}; }

    // Frame-to-frame state; starts at these values when the scene is made
    // and lives for the whole run (load and start leave it alone).
    struct State {
        float quellixX = -10.0f;     // x of the first title
        float presentsX = -10.0f;    // x of the second title
        float swirl = 0.0f;          // radians turning the background's texture coordinates
        float platterAngle = 0.0f;   // degrees; set at the end of a frame, used in the next
    } state;

private:
    Texture vinylTexture, technicsTexture, bck1Texture, platoTexture, brazoTexture, quellixTexture,
        presentsTexture;
    // Where the blended pictures are not transparent (measured in load).
    PictureInk platoInk, brazoInk, quellixInk, presentsInk;
    Timer timer;
    GLUquadric* quadric = nullptr;  // the rim; made in load
    unsigned rimList = 0;           // the rim's cylinder, compiled once in load
};
