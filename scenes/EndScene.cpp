#include "scenes/EndScene.h"

#include "base/Timer.h"
#include "gfx/Pictures.h"
#include "scenes/PictureInk.h"
#include "scenes/Quads.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

// One 2 x 2 picture at depth -6, `x` across from the centre.
void drawPicture(const Texture& texture, const PictureInk& ink, float x) {
    glLoadIdentity();
    glTranslatef(x, 0.0f, -6.0f);
    texture.bind();
    inkedPictureQuad(ink, 1.0f, 1.0f);
}

}  // namespace

EndScene::EndScene(const FrameClock& frameClock) : timer(frameClock) {}

// Textures, the font and the clock only free memory; names and display
// lists end with the GL context.
EndScene::~EndScene() = default;

void EndScene::load() {

    const PictureFile pictures[] = {
        {"frog.tga", RedBlueExchange::WholeBuffer, &frogTexture},
        {"bcn.tga", RedBlueExchange::WholeBuffer, &bcnTexture},
        {"bcn_blur.tga", RedBlueExchange::WholeBuffer, &bcnBlurTexture},
        {"party.tga", RedBlueExchange::WholeBuffer, &partyTexture},
        {"party_blur.tga", RedBlueExchange::WholeBuffer, &partyBlurTexture},
        {"10.tga", RedBlueExchange::WholeBuffer, &tenTexture},
        {"10_blur.tga", RedBlueExchange::WholeBuffer, &tenBlurTexture},
        {"bck_end.tga", RedBlueExchange::WholeBuffer, &backgroundTexture},
    };
    for (const PictureFile& p : pictures) loadPicture(*p.texture, p.fileName, p.exchange);
    frogInk.measure(frogTexture);
    bcnBlurInk.measure(bcnBlurTexture);
    partyBlurInk.measure(partyBlurTexture);
    tenBlurInk.measure(tenBlurTexture);

    font.build();

    state.lastShowTime = 0.0f;
    state.frogClock = 0.0f;
}

void EndScene::start() { timer.start(); }

void EndScene::render(float showTime) {
    const float t = static_cast<float>(timer.seconds());

    // The frog's clock runs on show time, which never goes back between two
    // frames (after a jump back the driver rewinds and runs the show again).
    // On the first frame dt is the whole show time, so the frog steps at
    // the end of that frame.
    const float dt = showTime - state.lastShowTime;
    state.lastShowTime = showTime;
    state.frogClock += dt;

    // The clear colour is the one the dance floor left; this scene sets none.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    // Background, about the size of the view at distance 6, in whatever
    // colour the previous frame left (white: this scene's frames end so).
    glLoadIdentity();
    backgroundTexture.bind();
    glTranslatef(0.0f, 0.0f, -6.0f);
    pictureQuad(3.3f, 2.6f);

    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The frog, one quarter of its strip, at the bottom centre.
    glLoadIdentity();
    frogTexture.bind();
    glTranslatef(0.0f, -1.0f, -5.0f);
    inkedPictureQuad(frogInk, 0.5f, 0.5f, state.frogFrame, 0.25f);

    // The three pictures fade with the sine of the time and are invisible
    // while it is negative. The clamp is the one GL applies to colours; it
    // is done here so no negative alpha ever reaches the blending.
    glColor4f(1.0f, 1.0f, 1.0f, std::max(0.0f, std::sin(t)));
    drawPicture(bcnBlurTexture, bcnBlurInk, -2.0f);
    drawPicture(partyBlurTexture, partyBlurInk, 0.0f);
    drawPicture(tenBlurTexture, tenBlurInk, 2.0f);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // At exactly the change no caption is printed.
    if (t < kCaptionChange) {
        font.print(20.0, 20.0, 3.0f, kCaptionBefore, 0);
    } else if (t > kCaptionChange) {
        font.print(20.0, 20.0, 3.0f, kCaptionAfter, 0);
    }

    // The frog changes picture at most once a frame; the time gathered
    // beyond a step is dropped. Like every frame value the sum is formed in
    // double and compared before it is stored; quarters are exact, so the
    // values run 0, 0.25, 0.5, 0.75, 1.0 (the first picture again), 0.
    if (state.frogClock > kFrogStep) {
        state.frogClock = 0.0f;
        const double next = static_cast<double>(state.frogFrame) + 0.25;
        state.frogFrame = next > 1.0 ? 0.0f : static_cast<float>(next);
    }
}
