#include "scenes/Quads.h"

#include <GL/gl.h>

void pictureQuad(float halfWidth, float halfHeight, float left, float span) {
    const float right = left + span;
    glBegin(GL_QUADS);
    glTexCoord2f(left, 1.0f);
    glVertex2f(-halfWidth, -halfHeight);
    glTexCoord2f(right, 1.0f);
    glVertex2f(halfWidth, -halfHeight);
    glTexCoord2f(right, 0.0f);
    glVertex2f(halfWidth, halfHeight);
    glTexCoord2f(left, 0.0f);
    glVertex2f(-halfWidth, halfHeight);
    glEnd();
}

void barQuad() {
    glBegin(GL_QUADS);
    glVertex2f(-4.0f, 0.0f);
    glVertex2f(4.0f, 0.0f);
    glVertex2f(4.0f, 0.15f);
    glVertex2f(-4.0f, 0.15f);
    glEnd();
}
