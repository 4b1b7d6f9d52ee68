#include "scenes/DanceFloorScene.h"

#include "base/Timeline.h"
#include "base/Timer.h"
#include "gfx/Pictures.h"
#include "scenes/Quads.h"

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

// No GL call: the quadric lives as long as the scene and gluDeleteQuadric
// only frees its memory; textures and lists end with the context.
DanceFloorScene::~DanceFloorScene() {
    if (stage.quadric) gluDeleteQuadric(stage.quadric);
}

void DanceFloorScene::load() {

    const PictureFile pictures[] = {
        {"floor.tga", RedBlueExchange::WholeBuffer, &stage.floorTexture},
        {"bola.tga", RedBlueExchange::WholeBuffer, &stage.ballTexture},
        {"star.tga", RedBlueExchange::WholeBuffer, &stage.starTexture},
        {"light.tga", RedBlueExchange::WholeBuffer, &stage.lightTexture},
        // The dancers and the glow go up in the reader's byte order: on
        // screen their red and blue are exchanged with respect to the file.
        {"baile1.tga", RedBlueExchange::None, &stage.dancer1Texture},
        {"baile2.tga", RedBlueExchange::None, &stage.dancer2Texture},
        {"lightball.tga", RedBlueExchange::None, &stage.lightBallTexture},
    };
    for (const PictureFile& p : pictures) loadPicture(*p.texture, p.fileName, p.exchange);
    stage.ballInk.measure(stage.ballTexture);
    stage.dancer1Ink.measure(stage.dancer1Texture);
    stage.dancer2Ink.measure(stage.dancer2Texture);

    // A second load recompiles the same list and keeps the quadric it
    // already has.
    if (stage.quadList == 0) stage.quadList = glGenLists(1);
    glNewList(stage.quadList, GL_COMPILE);
    pictureQuad(0.5f, 0.5f);
    glEndList();
    if (!stage.quadric) stage.quadric = gluNewQuadric();

    stage.font.build();
    stage.clocks = DanceClocks{};
}

void DanceFloorScene::start() { timer.start(); }

void DanceFloorScene::rewind() {
    stage.anim = DanceAnimation{};
    stage.clocks = DanceClocks{};
}

void DanceFloorScene::render(float) {
    const float t = static_cast<float>(timer.seconds());
    switch (danceSequenceAt(t)) {
    case kGrooveSequence: renderGroove(stage, timer, t); break;
    case kGreetingsSequence: renderGreetings(stage, timer); break;
    case kShowerSequence: renderShower(stage, timer, t); break;
    default: break;  // between two sequences: nothing drawn, nothing cleared
    }
}

float beginDanceFrame(DanceStage& stage, Timer& timer, float t) {
    DanceClocks& clock = stage.clocks;
    // Show time never goes back between two frames (the driver rewinds and
    // runs the show again after a jump back).
    const float dt = t - clock.lastTime;
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

void drawBackdrop(DanceStage& stage, float t) {
    DanceAnimation& anim = stage.anim;
    // The floor, lying almost flat and turned by 45 degrees, in whatever
    // colour and blending the previous frame left.
    stage.floorTexture.bind();
    glLoadIdentity();
    glTranslatef(0.0f, -0.3f, -1.5f);
    glRotatef(-80.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(45.0f, 0.0f, 0.0f, 1.0f);
    pictureQuad(0.5f, 0.5f, anim.floorFrame, 0.25f);

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
            stage.starTexture.bind();
            glCallList(stage.quadList);
            anim.starAngle += kStarStep;
        }
    }

    // The mirror ball shows 0.33 of s, a little less than a picture.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 1.5f, -5.0f);
    stage.ballTexture.bind();
    inkedPictureQuad(stage.ballInk, 0.5f, 0.5f, anim.ballFrame, 0.33f);

    // The glow, added as c * (1 - c); with the depth test off it covers the
    // ball although it stands behind it.
    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(0.0f, 1.5f, -5.1f);
    stage.lightBallTexture.bind();
    pictureQuad(0.7f, 0.7f);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void advanceFrames(DanceStage& stage) {
    DanceAnimation& anim = stage.anim;
    DanceClocks& clock = stage.clocks;
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
