#include "web/BrowserShow.h"

#include "gfx/Font.h"
#include "gfx/PictureArea.h"
#include "scenes/Quads.h"
#include "web/gl/FixedGL.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

BrowserShow::BrowserShow() : clock([this] { return pageTicks; }) {}

BrowserShow::~BrowserShow() = default;

void BrowserShow::resize(int drawableWidth, int drawableHeight) {
    width = std::max(drawableWidth, 1);
    height = std::max(drawableHeight, 1);
    // The whole canvas black once; clears reach only the picture from then on.
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, width, height);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    usePictureArea(letterboxViewport(width, height));
}

void BrowserShow::load() {
    // Scenes and fonts make no GL call when they go; their names go with
    // releaseAll, as with the end of a context.
    for (auto& scene : scenes) scene.reset();
    font.reset();
    fixedgl::releaseAll();
    resize(width, height);

    scenes = makeScenes(clock);
    for (auto& scene : scenes) {
        if (scene) scene->load();
    }
    font = std::make_unique<Font>();
    font->build();
}

void BrowserShow::begin(double startAt, int fps) {
    setUpShowGL();
    if (fps > 0) clock.runFixedStep(fps);
    else clock.runLive();
    pageTicks = 0;
    clock.start(startAt);
    for (auto& scene : scenes) {
        if (scene) scene->start();
    }
    replay.begin();
    replay.planFromStart(fps > 0 ? fps : kReplayFps, FrameClock::ticksOf(startAt));
}

void BrowserShow::jump(double showTime) { replay.planJump(kReplayFps, FrameClock::ticksOf(showTime)); }

double BrowserShow::prepare(int frames) {
    const bool done = replay.runFrames(std::max(frames, 1));
    fixedgl::finishFrame();
    return done ? 1.0 : std::min(replay.progress(), 0.999);
}

float BrowserShow::frame(double elapsed) {
    pageTicks = std::llround(elapsed * 1e9);
    return draw();
}

float BrowserShow::step() {
    const float t = draw();
    clock.step();
    return t;
}

float BrowserShow::draw() {
    const float t = static_cast<float>(clock.seconds());
    drawShowFrame(scenes, t);
    replay.drawn(clock.ticks());
    fixedgl::finishFrame();
    return t;
}

void BrowserShow::drawText(const char* text, float scale, double y, int set) {
    // Glyphs are 16 units wide and advance 10 in the 640-unit text frame.
    const double wide = (10.0 * (std::strlen(text) - 1) + 16.0) * scale;
    font->print((640.0 - wide) / 2.0, y, scale, text, set);
}

void BrowserShow::drawCard(Card card, double seconds) {
    setUpShowGL();  // the show's projection
    glClearColor(1.0f, 0.7f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    // The star tunnel's purple bars, waving above and below.
    const float purple[3][3] = {{0.5f, 0.0f, 0.5f}, {0.6f, 0.0f, 0.6f}, {0.8f, 0.0f, 0.9f}};
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 3; ++i) {
            const float wave = 0.5f * static_cast<float>(std::sin(2.0 * seconds + 0.785375 * i));
            glLoadIdentity();
            glTranslatef(0.0f, side == 0 ? wave - 1.8f : 1.65f - wave, -6.0f);
            glColor3f(purple[i][0], purple[i][1], purple[i][2]);
            barQuad();
        }
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The captions' own colours, as the scenes print them.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawText("glowmotion", 5.0f, 270.0, 1);
    if (card == Card::Start) {
        drawText("click or press a key to start", 2.0f, 190.0, 0);
    } else {
        drawText("play again:", 2.5f, 190.0, 0);
        drawText("click or press a key", 2.0f, 140.0, 0);
    }
    // What setUpShowGL leaves alone goes back to GL's initial state.
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glTexCoord2f(0.0f, 0.0f);
    fixedgl::finishFrame();
}
