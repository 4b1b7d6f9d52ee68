#pragma once
// The second scene (show time 19.1 to 36.0 s): two orange bars bob at the
// top and bottom and eight translucent copies of a big circle pulse in the
// middle of a yellow-orange background. First the crew: one name plate at
// the upper left, a second plate sliding in with a picture above it, a third
// plate after it, and the production's title fading in and out twice and
// then in for good. From r = 10.5 (30.3 s) a logo between two rows of
// spinning stars; near the end the background flashes purple twice.
//
// Time: r = scene seconds - 19.8. The slides and the clear colour follow the
// previous frame's r (0 before the first frame); the title's alpha steps by
// 0.04 per frame and the pulses are computed at the end of a frame for the
// next, so those depend on the frame rate.
//
// GL state: leaves depth testing and blending off, texturing on, the clear
// colour set for the next frame.
#include "base/Timer.h"
#include "gfx/Texture.h"
#include "scenes/PictureInk.h"
#include "scenes/Scene.h"

#include <map>
#include <memory>

class CreditsScene final : public Scene {
public:
    explicit CreditsScene(const FrameClock& frameClock) : timer(frameClock) {}
    ~CreditsScene() override;

    void load() override;
    void start() override;
    void render(float showTime) override;
    void rewind() override { state = State{}; }

    unsigned int quadList = 0;  // the unit quad; compiled in load
    // Frame-to-frame state; starts at these values when the scene is made
    // and lives for the whole run (load and start leave it alone).
    struct State {
        float relTime = 0.0f;       // r of the latest frame
        float slide1X = -9.0f;      // the nilo plate and the picture above it
        float slide1Z = 0.0f;       // their lift towards the viewer (0 or 0.5)
        float slide2X = -9.0f;      // the kiro plate
        float slide2Z = 0.0f;
        float titleAlpha = 0.0f;    // not clamped: GL clamps the colour
        float pulse[8] = {};        // size offsets of the circles, for the next frame
    } state;

private:
    Texture titleTexture, niloTexture, sabuesoTexture, kiroTexture, bigCircleTexture, logoTexture, starTexture,
        ifaceTexture;
    // Where each picture but the stars is not transparent (measured in load).
    std::map<const Texture*, PictureInk> ink;
    Timer timer;
};
