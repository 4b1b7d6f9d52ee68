#pragma once
// The third scene (show time 36.1 to 43.8 s): on orange, three purple bars
// wave at the bottom, a tunnel of 48 translucent spinning stars, a spinning
// flower tilted away on the left, a portrait on the right and the caption
// "she grooves", "we groove", "everybody grooves" at the lower left.
//
// While loading it also reads vinyl.tga and runs the show's stored texture
// program into a texture; both are uploaded and never drawn.
//
// State: the stars' running angle grows by 5.5 per star drawn (264 per
// frame), so their pattern depends on how many frames were drawn. Stars turn
// with the show time passed to render, everything else with the scene's
// Timer.
//
// GL state: the scene leaves depth testing alone until the caption is
// printed (Font::print turns it on), so its first frame after the credits
// scene draws with depth testing off and later frames with it on. It leaves
// blending off, texturing on, the current colour white.
#include "base/Timer.h"
#include "gfx/Font.h"
#include "gfx/Texture.h"
#include "scenes/Scene.h"

#include <memory>

class StarTunnelScene final : public Scene {
public:
    explicit StarTunnelScene(const FrameClock& frameClock) : timer(frameClock) {}
    ~StarTunnelScene() override;

    void load() override;
    void start() override;
    void render(float showTime) override;
    void rewind() override { state = State{}; }

    unsigned int quadList = 0;  // the unit quad; compiled in load
    // Frame-to-frame state; starts at these values when the scene is made
    // and lives for the whole run (load and start leave it alone).
    struct State {
        float starAngle = 0.0f;  // radians placing the next star
    } state;

private:
    Texture vinylTexture, generatedTexture, starTexture, tiaTexture, flowerTexture;
    Timer timer;
    Font font;
};
