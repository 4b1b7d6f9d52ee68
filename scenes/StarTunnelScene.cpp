#include "scenes/StarTunnelScene.h"

#include "texgen/TextureProgram.h"

#include <GL/gl.h>

#include <cmath>

namespace {

struct Colour {
    float r, g, b;
};

// Bars in their normal colours and in the flash colours (the flash windows
// lie outside the times the driver draws this scene).
constexpr Colour kBarColours[3] = {{0.5f, 0.0f, 0.5f}, {0.6f, 0.0f, 0.6f}, {0.8f, 0.0f, 0.9f}};
constexpr Colour kBarFlashColours[3] = {{0.9f, 0.633f, 0.143f}, {0.8f, 0.733f, 0.343f}, {0.8f, 0.833f, 0.343f}};

bool flashes(float t) { return (t > 5.0f && t < 5.2f) || (t > 7.0f && t < 7.2f); }

// The unit quad with the picture upright.
void unitQuad() {
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
}

}  // namespace

// The font frees its sheet without any GL call.
StarTunnelScene::~StarTunnelScene() = default;

const char* StarTunnelScene::captionAt(float t) {
    if (t < 38.5f) return "she grooves";
    if (t > 38.5f && t < 41.0f) return "we groove";
    if (t > 41.0f) return "everybody grooves";
    return nullptr;
}

void StarTunnelScene::load() {
    vinylTexture = std::make_unique<Texture>();
    generatedTexture = std::make_unique<Texture>();
    starTexture = std::make_unique<Texture>();
    tiaTexture = std::make_unique<Texture>();
    flowerTexture = std::make_unique<Texture>();
    font = std::make_unique<Font>();

    vinylImage = readPicture("vinyl.tga");
    starImage = readPicture("star.tga");
    tiaImage = readPicture("tia.tga");
    flowerImage = readPicture("flower.tga");

    makeTexture(*vinylTexture, vinylImage.get(), RedBlueExchange::BySize);
    makeTexture(*starTexture, starImage.get(), RedBlueExchange::BySize);
    makeTexture(*tiaTexture, tiaImage.get(), RedBlueExchange::WholeBuffer);
    makeTexture(*flowerTexture, flowerImage.get(), RedBlueExchange::WholeBuffer);

    generatedTexture->setProgram(storedTextureProgram(), storedTextureProgramSize());
    generatedTexture->generate();
    generatedTexture->releasePages();  // uploaded; its layers are not needed again

    quadList = glGenLists(1);
    glNewList(quadList, GL_COMPILE);
    unitQuad();
    glEndList();

    font->build();
}

void StarTunnelScene::start() { timer.start(); }

void StarTunnelScene::render(float showTime) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (flashes(lastTime)) glClearColor(0.4f, 0.1f, 0.4f, 1.0f);
    else glClearColor(1.0f, 0.7f, 0.0f, 1.0f);

    const float t = static_cast<float>(timer.seconds());
    lastTime = t;

    const float offsets[3] = {0.5f * std::sin(2.0f * t), 0.5f * std::sin(2.0f * t + 0.785375f),
                              0.5f * std::sin(2.0f * t + 1.57075f)};
    const Colour* barColours = flashes(t) ? kBarFlashColours : kBarColours;
    glDisable(GL_TEXTURE_2D);
    for (int i = 0; i < 3; ++i) {
        glLoadIdentity();
        glTranslatef(0.0f, offsets[i] - 1.8f, -6.0f);
        glColor3f(barColours[i].r, barColours[i].g, barColours[i].b);
        glBegin(GL_QUADS);
        glVertex2f(-4.0f, 0.0f);
        glVertex2f(4.0f, 0.0f);
        glVertex2f(4.0f, 0.15f);
        glVertex2f(-4.0f, 0.15f);
        glEnd();
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
            glTranslatef(std::sin(starAngle), std::cos(starAngle), z);
            glRotatef(spin, 0.0f, 0.0f, 1.0f);
            starTexture->bind();
            glCallList(quadList);
            starAngle += 5.5f;
        }
    }

    // The flower spins in its own plane, turned 50 degrees about the vertical.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    flowerTexture->bind();
    glLoadIdentity();
    glTranslatef(-0.5f, 0.0f, -1.5f);
    glRotatef(50.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-30.0f * t, 0.0f, 0.0f, 1.0f);
    unitQuad();

    glLoadIdentity();
    tiaTexture->bind();
    glTranslatef(0.8f, 0.0f, -2.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-0.4f, -0.8f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(0.4f, -0.8f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(0.4f, 0.8f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-0.4f, 0.8f);
    glEnd();

    if (const char* caption = captionAt(t)) font->print(50, 20, 3.0f, caption, 0);

    glDisable(GL_BLEND);
}
