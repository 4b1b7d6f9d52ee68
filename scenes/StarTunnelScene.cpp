#include "scenes/StarTunnelScene.h"

#include "gfx/Pictures.h"
#include "scenes/Quads.h"
#include "texgen/TextureProgram.h"

#include <GL/gl.h>

#include <cmath>

namespace {

struct Colour {
    float r, g, b;
};

constexpr Colour kBarColours[3] = {{0.5f, 0.0f, 0.5f}, {0.6f, 0.0f, 0.6f}, {0.8f, 0.0f, 0.9f}};

// The caption at scene time t; none at exactly 38.5 and 41.0.
const char* captionAt(float t) {
    if (t < 38.5f) return "she grooves";
    if (t > 38.5f && t < 41.0f) return "we groove";
    if (t > 41.0f) return "everybody grooves";
    return nullptr;
}

}  // namespace

// Nothing here makes a GL call.
StarTunnelScene::~StarTunnelScene() = default;

void StarTunnelScene::load() {

    const PictureFile pictures[] = {
        {"vinyl.tga", RedBlueExchange::BySize, &vinylTexture},
        {"star.tga", RedBlueExchange::BySize, &starTexture},
        {"tia.tga", RedBlueExchange::WholeBuffer, &tiaTexture},
        {"flower.tga", RedBlueExchange::WholeBuffer, &flowerTexture},
    };
    for (const PictureFile& p : pictures) loadPicture(*p.texture, p.fileName, p.exchange);
    loadGeneratedPicture(generatedTexture, storedTextureProgram(), storedTextureProgramSize());

    quadList = glGenLists(1);
    glNewList(quadList, GL_COMPILE);
    pictureQuad(0.5f, 0.5f);
    glEndList();

    font.build();
}

void StarTunnelScene::start() { timer.start(); }

void StarTunnelScene::render(float showTime) {
    // The clear colour was set by the previous frame: orange, or on the
    // scene's first frame whatever the credits left. (The bars' and the
    // background's flash colours belonged to scene times 5.0-5.2 and
    // 7.0-7.2, which never come while this scene is drawn.)
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 0.7f, 0.0f, 1.0f);

    const float t = static_cast<float>(timer.seconds());

    const float offsets[3] = {0.5f * std::sin(2.0f * t), 0.5f * std::sin(2.0f * t + 0.785375f),
                              0.5f * std::sin(2.0f * t + 1.57075f)};
    glDisable(GL_TEXTURE_2D);
    for (int i = 0; i < 3; ++i) {
        glLoadIdentity();
        glTranslatef(0.0f, offsets[i] - 1.8f, -6.0f);
        glColor3f(kBarColours[i].r, kBarColours[i].g, kBarColours[i].b);
        barQuad();
    }

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Six rings of eight stars, farthest first.
    const float spin = 30.0f * showTime;
    for (float z = -8.0f; z <= -3.0f; z += 1.0f) {
        for (int i = 0; i < 8; ++i) {
            glLoadIdentity();
            glTranslatef(std::sin(state.starAngle), std::cos(state.starAngle), z);
            glRotatef(spin, 0.0f, 0.0f, 1.0f);
            starTexture.bind();
            glCallList(quadList);
            state.starAngle += 5.5f;
        }
    }

    // The flower spins in its own plane, turned 50 degrees about the vertical.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    flowerTexture.bind();
    glLoadIdentity();
    glTranslatef(-0.5f, 0.0f, -1.5f);
    glRotatef(50.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-30.0f * t, 0.0f, 0.0f, 1.0f);
    pictureQuad(0.5f, 0.5f);

    glLoadIdentity();
    tiaTexture.bind();
    glTranslatef(0.8f, 0.0f, -2.0f);
    pictureQuad(0.4f, 0.8f);

    if (const char* caption = captionAt(t)) font.print(50, 20, 3.0f, caption, 0);

    glDisable(GL_BLEND);
}
