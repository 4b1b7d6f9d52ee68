#include "web/BrowserShow.h"

#include "base/Timeline.h"
#include "gfx/Font.h"
#include "web/gl/FixedGL.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr int kShowWidth = 800;   // the picture every frame is drawn for
constexpr int kShowHeight = 600;
}  // namespace

PictureRect letterbox(int drawableWidth, int drawableHeight) {
    const long w = drawableWidth > 0 ? drawableWidth : 1;
    const long h = drawableHeight > 0 ? drawableHeight : 1;
    PictureRect r;
    if (w * 3 >= h * 4) {  // wider than 4:3: bars left and right
        r.height = static_cast<int>(h);
        r.width = static_cast<int>(std::min(w, (h * 4 + 1) / 3));
    } else {  // taller: bars above and below
        r.width = static_cast<int>(w);
        r.height = static_cast<int>(std::min(h, (w * 3 + 2) / 4));
    }
    r.width = std::max(r.width, 1);
    r.height = std::max(r.height, 1);
    r.x = static_cast<int>((w - r.width) / 2);
    r.y = static_cast<int>((h - r.height) / 2);
    return r;
}

BrowserShow::BrowserShow() = default;
BrowserShow::~BrowserShow() = default;

void BrowserShow::resize(int drawableWidth, int drawableHeight) {
    width = std::max(drawableWidth, 1);
    height = std::max(drawableHeight, 1);
    picture = letterbox(width, height);
    // The whole canvas black once; clears reach only the picture from then on.
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, width, height);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);

    glViewport(picture.x, picture.y, picture.width, picture.height);
    glScissor(picture.x, picture.y, picture.width, picture.height);
    glEnable(GL_SCISSOR_TEST);
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(kShowWidth) / kShowHeight, static_cast<double>(0.1f), 3000.0);
    glMatrixMode(static_cast<GLenum>(mode));
}

void BrowserShow::load() {
    // Scenes and fonts make no GL call when they go; their names go with
    // releaseAll, as with the end of a context.
    for (auto& scene : scenes) scene.reset();
    font.reset();
    fixedgl::releaseAll();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    resize(width, height);

    scenes = makeScenes();
    for (auto& scene : scenes) {
        if (scene) scene->load(0, 0);
    }
    font = std::make_unique<Font>();
    font->build();
    setShowState();
}

// What the desktop window sets when it is shown, and GL's own defaults for
// what it leaves alone, so each show starts from the same state.
void BrowserShow::setShowState() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glTexCoord2f(0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

void BrowserShow::begin(double startAt) {
    Timer::setStartPosition(startAt);
    Timer::resetControls();
    Timer::setDrivenTime(0.0);
    clock.start();
    for (auto& scene : scenes) {
        if (scene) scene->start();
    }
}

float BrowserShow::frame(double elapsed) {
    Timer::setDrivenTime(elapsed);
    const float t = static_cast<float>(clock.seconds());
    const int slot = sceneAt(t);
    if (slot >= 0 && scenes[slot]) scenes[slot]->render(0, t);
    fixedgl::finishFrame();
    return t;
}

void BrowserShow::drawText(const char* text, float scale, double y, int set) {
    // Glyphs are 16 units wide and advance 10 in the 640-unit text frame.
    const double wide = (10.0 * (std::strlen(text) - 1) + 16.0) * scale;
    font->print((640.0 - wide) / 2.0, y, scale, text, set);
}

void BrowserShow::drawCard(Card card, double seconds) {
    glClearColor(1.0f, 0.7f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    // The star tunnel's purple bars, waving above and below.
    const float purple[3][3] = {{0.5f, 0.0f, 0.5f}, {0.6f, 0.0f, 0.6f}, {0.8f, 0.0f, 0.9f}};
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 3; ++i) {
            const float wave = 0.5f * static_cast<float>(std::sin(2.0 * seconds + 0.785375 * i));
            glLoadIdentity();
            glTranslatef(0.0f, side == 0 ? wave - 1.8f : 1.65f - wave, -6.0f);
            glColor3f(purple[i][0], purple[i][1], purple[i][2]);
            glBegin(GL_QUADS);
            glVertex2f(-4.0f, 0.0f);
            glVertex2f(4.0f, 0.0f);
            glVertex2f(4.0f, 0.15f);
            glVertex2f(-4.0f, 0.15f);
            glEnd();
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
    setShowState();
    fixedgl::finishFrame();
}
