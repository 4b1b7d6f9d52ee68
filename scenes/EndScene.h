#pragma once
// The last scene on screen (show time 103.1 to 124.9 s): over a full-view
// background, a frog steps at the bottom centre, three pictures in a row
// fade in and out with the sine of the time, and a caption at the bottom
// left reads "brisa grooves too" until 110 s and "we love frogs" after.
//
// Two clocks: the scene's own Timer drives the fade and the caption; the
// show time handed to render drives the frog's frame clock.
//
// Pictures (all made with the whole-buffer red/blue exchange): frog.tga, a
// strip of 4 frames side by side; bcn_blur.tga (left), party_blur.tga
// (middle), 10_blur.tga (right); bck_end.tga, the background. bcn.tga,
// party.tga and 10.tga are read and uploaded too, but not drawn. A picture
// the reader refuses leaves its texture 256x256 transparent black and the
// rest is drawn as usual.
#include "gfx/Font.h"
#include "gfx/Texture.h"
#include "scenes/PictureInk.h"
#include "base/Timer.h"
#include "scenes/Scene.h"

#include <memory>


class EndScene final : public Scene {
public:
    explicit EndScene(const FrameClock& frameClock);
    ~EndScene() override;  // no GL call
    EndScene(const EndScene&) = delete;
    EndScene& operator=(const EndScene&) = delete;

    void load() override;
    void render(float showTime) override;
    void start() override;

    // The frog's picture steps after this much show time has gathered.
    static constexpr float kFrogStep = 0.12f;
    // The caption changes at this scene time.
    static constexpr float kCaptionChange = 110.0f;
    static constexpr const char* kCaptionBefore = "brisa grooves too";
    static constexpr const char* kCaptionAfter = "we love frogs";

    void rewind() override { state = State{}; }

    struct State {
        // Texture coordinate s of the left edge of the frog picture shown:
        // 0, 0.25, 0.5, 0.75, 1.0 (the first picture again, textures
        // repeat), then 0. Lives as long as the scene object (the whole
        // run); load and start leave it alone.
        float frogFrame = 0.0f;
        // The showTime of the previous frame, and the show time gathered
        // since the frog last changed picture; both 0 after load.
        float lastShowTime = 0.0f;
        float frogClock = 0.0f;
    } state;

private:
    Texture frogTexture;
    // Where the blended pictures are not transparent (measured in load).
    PictureInk frogInk, bcnBlurInk, partyBlurInk, tenBlurInk;
    Texture bcnTexture;
    Texture bcnBlurTexture;
    Texture tenTexture;
    Texture tenBlurTexture;
    Texture partyTexture;
    Texture partyBlurTexture;
    Texture backgroundTexture;

    Font font;
    Timer timer;
};
