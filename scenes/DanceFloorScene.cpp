#include "scenes/DanceFloorScene.h"

#include "base/Timeline.h"
#include "base/Timer.h"
#include "gfx/Font.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

// Strip steps, as the float constants they are stored with.
constexpr float kBallStep = 1.0f / 3.0f;      // 0.33333334
constexpr float kFloorStep = 0.25f;
constexpr float kDancer1Step = 1.0f / 14.0f;  // 0.071428575
constexpr float kDancer2Step = 0.1f;

// Moves a strip position one picture on. The sum is formed in double and
// compared with 1.0 before it is rounded, so 1.0 itself is kept (the floor's
// first picture shows twice) and the ball's third sum, just above 1.0, wraps.
void stepStrip(float& frame, float step) {
    const double sum = static_cast<double>(frame) + static_cast<double>(step);
    frame = sum > 1.0 ? 0.0f : static_cast<float>(sum);
}

constexpr float kRingRadii[5] = {1.0f, 1.7f, 2.4f, 3.1f, 3.8f};
constexpr int kStarsPerRing = 8;
constexpr float kStarStep = 5.5f;  // radians from one star to the next

}  // namespace

DanceFloorScene::DanceFloorScene(const FrameClock& frameClock) : timer(frameClock) {}

DanceFloorScene::~DanceFloorScene() {
    // Textures, then pictures, then the clock and the font; no GL call.
    // The quadric lives as long as the scene; gluDeleteQuadric only frees
    // its memory.
    if (quadric) gluDeleteQuadric(quadric);
    floorTexture.reset();
    ballTexture.reset();
    starTexture.reset();
    lightTexture.reset();
    dancer1Texture.reset();
    dancer2Texture.reset();
    lightBallTexture.reset();
    floorImage.reset();
    ballImage.reset();
    starImage.reset();
    lightImage.reset();
    dancer1Image.reset();
    dancer2Image.reset();
    lightBallImage.reset();
    font.reset();
}

void DanceFloorScene::load() {
    floorTexture = std::make_unique<Texture>();
    ballTexture = std::make_unique<Texture>();
    starTexture = std::make_unique<Texture>();
    lightTexture = std::make_unique<Texture>();
    dancer1Texture = std::make_unique<Texture>();
    dancer2Texture = std::make_unique<Texture>();
    lightBallTexture = std::make_unique<Texture>();
    font = std::make_unique<Font>();

    floorImage = readPicture("floor.tga");
    ballImage = readPicture("bola.tga");
    starImage = readPicture("star.tga");
    lightImage = readPicture("light.tga");
    dancer1Image = readPicture("baile1.tga");
    dancer2Image = readPicture("baile2.tga");
    lightBallImage = readPicture("lightball.tga");

    makeTexture(*floorTexture, floorImage.get(), RedBlueExchange::WholeBuffer);
    makeTexture(*ballTexture, ballImage.get(), RedBlueExchange::WholeBuffer);
    makeTexture(*starTexture, starImage.get(), RedBlueExchange::WholeBuffer);
    makeTexture(*lightTexture, lightImage.get(), RedBlueExchange::WholeBuffer);
    // The dancers and the glow go up in the reader's byte order: on screen
    // their red and blue are exchanged with respect to the file.
    makeTexture(*dancer1Texture, dancer1Image.get(), RedBlueExchange::None);
    makeTexture(*dancer2Texture, dancer2Image.get(), RedBlueExchange::None);
    makeTexture(*lightBallTexture, lightBallImage.get(), RedBlueExchange::None);

    // The unit quad, upright: t = 1 at the bottom edge. A second load
    // recompiles the same list and keeps the quadric it already has.
    if (quadList == 0) quadList = glGenLists(1);
    glNewList(quadList, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-0.5f, -0.5f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.5f, -0.5f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.5f, 0.5f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    glEndList();
    if (!quadric) quadric = gluNewQuadric();

    font->build();
    clock = DanceClocks{};
}

void DanceFloorScene::start() { timer.start(); }

void DanceFloorScene::render(float) {
    const float t = static_cast<float>(timer.seconds());
    switch (danceSequenceAt(t)) {
    case kGrooveSequence: renderGroove(t); break;
    case kGreetingsSequence: renderGreetings(); break;
    case kShowerSequence: renderShower(t); break;
    default: break;  // between two sequences: nothing drawn, nothing cleared
    }
}

void DanceFloorScene::stripQuad(float frame, float span, float halfW, float halfH) {
    glBegin(GL_QUADS);
    glTexCoord2f(frame, 1.0f);
    glVertex2f(-halfW, -halfH);
    glTexCoord2f(frame + span, 1.0f);
    glVertex2f(halfW, -halfH);
    glTexCoord2f(frame + span, 0.0f);
    glVertex2f(halfW, halfH);
    glTexCoord2f(frame, 0.0f);
    glVertex2f(-halfW, halfH);
    glEnd();
}

float DanceFloorScene::beginDanceFrame(float t) {
    // A jump back (a seek with the watching keys) is no time passing: the
    // dancers carry on stepping from the new place instead of standing
    // still until the clock catches up.
    const float dt = std::max(0.0f, t - clock.lastTime);
    clock.lastTime = t;
    clock.dancer1Clock += dt;
    clock.dancer2Clock += dt;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Set after the clear: it serves from the next frame on.
    glClearColor(1.0f, 0.8f, 0.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    return static_cast<float>(timer.seconds());
}

void DanceFloorScene::drawBackdrop(float t) {
    // The floor, lying almost flat and turned by 45 degrees, in whatever
    // colour and blending the previous frame left.
    floorTexture->bind();
    glLoadIdentity();
    glTranslatef(0.0f, -0.3f, -1.5f);
    glRotatef(-80.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    stripQuad(anim.floorFrame, 0.25f, 0.5f, 0.5f);

    // Five rings of eight stars; the angle runs on from star to star, ring
    // to ring and frame to frame.
    glColor4f(1.0f, 1.0f, 1.0f, 0.6f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    const float spin = t * 30.0f;
    for (const float radius : kRingRadii) {
        for (int star = 0; star < kStarsPerRing; ++star) {
            const double angle = static_cast<double>(anim.starAngle);
            glLoadIdentity();
            glTranslatef(static_cast<float>(std::sin(angle) * radius), static_cast<float>(std::cos(angle) * radius),
                         -6.0f);
            glRotatef(spin, 0.0f, 0.0f, 1.0f);
            starTexture->bind();
            glCallList(quadList);
            anim.starAngle += kStarStep;
        }
    }

    // The mirror ball shows 0.33 of s, a little less than a picture.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 1.5f, -5.0f);
    ballTexture->bind();
    stripQuad(anim.ballFrame, 0.33f, 0.5f, 0.5f);

    // The glow, added as c * (1 - c); with the depth test off it covers the
    // ball although it stands behind it.
    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 1.5f, -5.1f);
    lightBallTexture->bind();
    stripQuad(0.0f, 1.0f, 0.7f, 0.7f);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void DanceFloorScene::advanceFrames() {
    if (anim.frameTick == 12) {
        stepStrip(anim.ballFrame, kBallStep);
        stepStrip(anim.floorFrame, kFloorStep);
    }
    if (clock.dancer1Clock > 0.06f) {
        clock.dancer1Clock = 0.0f;
        anim.echoFrame = anim.dancer2Frame;
        stepStrip(anim.dancer1Frame, kDancer1Step);
    }
    if (clock.dancer2Clock > 0.085f) {
        clock.dancer2Clock = 0.0f;
        anim.echoFrame = anim.dancer2Frame;
        stepStrip(anim.dancer2Frame, kDancer2Step);
    }
    anim.frameTick += 1;
    if (anim.frameTick > 12) anim.frameTick = 0;
}
