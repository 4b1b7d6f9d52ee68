#include "scenes/TurntableScene.h"

#include "gfx/Pictures.h"
#include "scenes/PictureInk.h"
#include "scenes/Quads.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

// gluDeleteQuadric only frees the quadric's memory; it makes no GL call.
TurntableScene::~TurntableScene() {
    if (quadric) gluDeleteQuadric(quadric);
}

void TurntableScene::load() {

    const PictureFile pictures[] = {
        {"vinyl.tga", RedBlueExchange::WholeBuffer, &vinylTexture},
        // The rim picture goes up in the file's own blue, green, red order.
        {"technics.tga", RedBlueExchange::None, &technicsTexture},
        {"bck1.tga", RedBlueExchange::WholeBuffer, &bck1Texture},
        {"plato.tga", RedBlueExchange::WholeBuffer, &platoTexture},
        {"brazo.tga", RedBlueExchange::WholeBuffer, &brazoTexture},
        {"quellix.tga", RedBlueExchange::WholeBuffer, &quellixTexture},
        {"presents.tga", RedBlueExchange::WholeBuffer, &presentsTexture},
    };
    for (const PictureFile& p : pictures) loadPicture(*p.texture, p.fileName, p.exchange);
    platoInk.measure(platoTexture);
    brazoInk.measure(brazoTexture);
    quellixInk.measure(quellixTexture);
    presentsInk.measure(presentsTexture);

    if (!quadric) {
        quadric = gluNewQuadric();
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
    }
    // The cylinder never changes shape (it is placed by the modelview), so
    // GLU works out its 64 x 64 faces once instead of every frame.
    if (rimList == 0) rimList = glGenLists(1);
    glNewList(rimList, GL_COMPILE);
    gluCylinder(quadric, static_cast<double>(1.09f), static_cast<double>(1.0f), static_cast<double>(0.1f), 64, 64);
    glEndList();
}

void TurntableScene::start() { timer.start(); }

void TurntableScene::render(float) {
    const float t = static_cast<float>(timer.seconds());

    // Titles: the first slides in and rests at 0 from 4 to 5 s, then leaves
    // to the right while the second comes in and rests from 12 to 13 s.
    if (t < 4.0f) {
        state.quellixX = t - 4.0f;
        state.presentsX = -5.0f;
    } else {
        state.quellixX = 0.0f;
    }
    if (t > 5.0f) {
        state.quellixX = t - 5.0f;
        state.presentsX = t - 12.0f;
    }
    if (t > 12.0f && t < 13.0f) state.presentsX = 0.0f;
    if (t > 13.0f) state.presentsX = t - 13.0f;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 0.7f, 0.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);

    // Background, with the blending the last frame left (off).
    bck1Texture.bind();
    glLoadIdentity();
    if (t > 4.0f) {
        glRotatef(10.0f * t, 0.0f, 0.0f, 1.0f);
        state.swirl = t - 4.1f;
    } else {
        state.swirl = 0.0f;
    }
    glTranslatef(0.0f, 0.0f, -2.5f);
    const float s = std::sin(state.swirl), c = std::cos(state.swirl);
    glBegin(GL_QUADS);
    glTexCoord2f(s, s);
    glVertex2f(-2.0f, -2.0f);
    glTexCoord2f(c, c);
    glVertex2f(2.0f, -2.0f);
    glTexCoord2f(s, c);
    glVertex2f(2.0f, 2.0f);
    glTexCoord2f(c, s);
    glVertex2f(-2.0f, 2.0f);
    glEnd();

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);

    // Platter picture.
    platoTexture.bind();
    glLoadIdentity();
    glTranslatef(0.0f, 0.25f, -1.7f);
    inkedPictureQuad(platoInk, 1.0f, 1.0f);

    // Rim: a cylinder tilted back, turning with the record.
    glDisable(GL_BLEND);
    technicsTexture.bind();
    glLoadIdentity();
    glTranslatef(-0.62f, -0.09f, -1.2f);
    glRotatef(-75.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-state.platterAngle, 0.0f, 0.0f, 1.0f);
    glCallList(rimList);

    // Record.
    glEnable(GL_BLEND);
    vinylTexture.bind();
    glLoadIdentity();
    glTranslatef(-0.3f, 0.0f, -0.6f);
    glRotatef(-74.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-state.platterAngle, 0.0f, 0.0f, 1.0f);
    pictureQuad(0.5f, 0.5f);

    // Tonearm, on the platter picture's quad.
    brazoTexture.bind();
    glLoadIdentity();
    glTranslatef(0.0f, 0.25f, -1.7f);
    inkedPictureQuad(brazoInk, 1.0f, 1.0f);

    quellixTexture.bind();
    glLoadIdentity();
    glTranslatef(state.quellixX, 1.75f, -6.0f);
    inkedPictureQuad(quellixInk, 2.0f, 0.75f);  // a banner

    presentsTexture.bind();
    glLoadIdentity();
    glTranslatef(state.presentsX, 1.75f, -6.0f);
    inkedPictureQuad(presentsInk, 2.0f, 0.75f);  // a banner

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);

    state.platterAngle = 60.0f * t;
}
