#include "scenes/CreditsScene.h"

#include "gfx/Pictures.h"
#include "scenes/PictureInk.h"
#include "scenes/Quads.h"

#include <GL/gl.h>

#include <cmath>
#include <initializer_list>

namespace {

// A slide runs right at 3 units a second from `at` seconds of r, rests at
// -1.5 once it passes it, and is lifted on the one frame on which it first
// lands between -1.5 and -1.3.
void slide(float& x, float& z, float previousR, float at) {
    if (x < -1.5f) {
        x = 3.0f * (previousR - at);
        z = (x > -1.5f && x < -1.3f) ? 0.5f : 0.0f;
    } else {
        x = -1.5f;
        z = 0.0f;
    }
}

// A picture quad of the given half sizes, placed at (x, y, z).
void drawAt(const Texture& texture, const PictureInk& ink, float x, float y, float z, float halfWidth,
            float halfHeight) {
    texture.bind();
    glLoadIdentity();
    glTranslatef(x, y, z);
    inkedPictureQuad(ink, halfWidth, halfHeight);
}

}  // namespace

CreditsScene::~CreditsScene() = default;

void CreditsScene::load() {

    const PictureFile pictures[] = {
        {"glowmotion2.tga", RedBlueExchange::WholeBuffer, &titleTexture},
        {"nilo.tga", RedBlueExchange::BySize, &niloTexture},
        {"sabueso.tga", RedBlueExchange::BySize, &sabuesoTexture},
        {"kiro.tga", RedBlueExchange::BySize, &kiroTexture},
        {"big_circle.tga", RedBlueExchange::BySize, &bigCircleTexture},
        {"logo.tga", RedBlueExchange::BySize, &logoTexture},
        {"iface.tga", RedBlueExchange::BySize, &ifaceTexture},
        {"star.tga", RedBlueExchange::BySize, &starTexture},
    };
    for (const PictureFile& p : pictures) loadPicture(*p.texture, p.fileName, p.exchange);
    for (const PictureFile& p : pictures) {
        if (p.texture != &starTexture) ink[p.texture].measure(*p.texture);  // the stars are drawn whole
    }

    quadList = glGenLists(1);
    glNewList(quadList, GL_COMPILE);
    pictureQuad(0.5f, 0.5f);
    glEndList();
}

void CreditsScene::start() { timer.start(); }

void CreditsScene::render(float) {
    const float previousR = state.relTime;
    slide(state.slide1X, state.slide1Z, previousR, 3.45f);
    slide(state.slide2X, state.slide2Z, previousR, 7.25f);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 0.8f, 0.0f, 1.0f);
    if (previousR > 14.2f && previousR < 14.7f) glClearColor(0.4f, 0.1f, 0.4f, 1.0f);
    if (previousR > 14.8f && previousR < 15.2f) glClearColor(1.0f, 0.8f, 0.0f, 1.0f);
    if (previousR > 15.3f && previousR < 15.8f) glClearColor(0.4f, 0.1f, 0.4f, 1.0f);

    const float r = static_cast<float>(timer.seconds() - 19.8);
    state.relTime = r;
    const float bob = 0.25f * std::sin(3.0f * r);

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor3f(1.0f, 0.6f, 0.0f);
    glLoadIdentity();
    glTranslatef(0.0f, bob - 1.9f, -6.0f);
    barQuad();
    glLoadIdentity();
    glTranslatef(0.0f, 1.9f - bob, -6.0f);
    barQuad();

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);

    for (float p : state.pulse) {
        bigCircleTexture.bind();
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -3.0f);
        inkedPictureQuad(ink[&bigCircleTexture], 1.0f + p, 1.0f + p);
    }

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (r < 10.5f) {
        drawAt(sabuesoTexture, ink[&sabuesoTexture], -1.4f, 1.75f, -6.0f, 2.0f, 0.75f);  // plates 4 x 1.5
        drawAt(niloTexture, ink[&niloTexture], state.slide1X, -0.5f, state.slide1Z - 6.0f, 2.0f, 0.75f);
        drawAt(ifaceTexture, ink[&ifaceTexture], state.slide1X, 0.5f, state.slide1Z - 6.0f, 1.8f, 0.65f);
        drawAt(kiroTexture, ink[&kiroTexture], state.slide2X, -1.75f, state.slide2Z - 6.0f, 2.0f, 0.75f);
    }
    if (r > 10.5f) {
        drawAt(logoTexture, ink[&logoTexture], 0.0f, 0.0f, -6.0f, 2.0f, 0.55f);
        starTexture.bind();
        // One running x for both rows: the lower row starts where the upper
        // one left off (7.7, so its first star stands at 4.7), then wraps.
        float x = 0.0f;
        for (float rowY : {2.0f, -2.0f}) {
            const float rowLeft = rowY > 0.0f ? 3.7f : 3.0f;
            for (int i = 0; i < 11; ++i) {
                glLoadIdentity();
                glTranslatef(x - rowLeft, rowY, -6.0f);
                glRotatef(50.0f * r, 0.0f, 0.0f, 1.0f);
                glCallList(quadList);
                x += 0.7f;
                if (x > 8.0f) x = 0.0f;
            }
        }
    }

    glColor4f(1.0f, 1.0f, 1.0f, state.titleAlpha);
    if (r < 10.5f) drawAt(titleTexture, ink[&titleTexture], 0.8f, -0.3f, -3.0f, 1.0f, 1.0f);

    glDisable(GL_BLEND);

    // Title fade: in, out, in, out, then in for good; a step per frame.
    if (r > 1.0f && r < 1.6f) state.titleAlpha += 0.04f;
    if (r > 1.8f && r < 2.4f) state.titleAlpha -= 0.04f;
    if (r > 2.6f && r < 3.2f) state.titleAlpha += 0.04f;
    if (r > 3.4f && r < 4.0f) state.titleAlpha -= 0.04f;
    if (r > 4.2f && r < 7.0f) state.titleAlpha += 0.04f;

    const float a = std::sin(r), b = std::sin(r + 0.785375f), c = std::sin(r + 1.57075f);
    const float next[8] = {a, b, c, a, -a, -b, -c, -a};
    for (int i = 0; i < 8; ++i) state.pulse[i] = next[i];
}
