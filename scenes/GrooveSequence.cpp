// The dance floor's first sequence: a black disc that uncovers the picture
// like a clock hand, the backdrop, the two dancers side by side (the nearer
// one trailed by a translucent, slightly larger echo of itself) and the words
// "dance", "move" and "groove" creeping along the bottom.
#include "scenes/DanceSequences.h"

#include "scenes/PictureInk.h"

#include <GL/gl.h>
#include <GL/glu.h>

void renderGroove(DanceStage& stage, Timer& timer, float t) {
    const float tc = beginDanceFrame(stage, timer, t);
    drawBackdrop(stage, t);
    const DanceAnimation& anim = stage.anim;

    // The caption's x is the time itself: one unit of the 640-unit text
    // frame to the right per second.
    const char* caption = nullptr;
    if (tc < 50.0f) {
        caption = "dance";
    } else if (tc > 50.1f && tc < 56.0f) {
        caption = "move";
    } else if (tc > 56.1f) {
        caption = "groove";
    }
    if (caption) stage.font.print(tc, 20.0, 4.0f, caption, 1);

    glEnable(GL_DEPTH_TEST);

    // The dancers are drawn with the depth test on, but only dancer 2 (in
    // front) overlaps another (its echo) on screen, and the wipe lies in
    // front of all three: the depth the transparent parts write is never
    // read.
    constexpr TransparentDepth kUnread = TransparentDepth::NeverRead;

    // The echo of dancer 2: 1.2 x 1.6 against the dancer's 1.0 x 1.4, 0.1
    // behind it, on the same centre.
    glColor4f(1.0f, 1.0f, 1.0f, 0.6f);
    glLoadIdentity();
    stage.dancer2Texture.bind();
    glTranslatef(0.5f, 0.0f, -1.6f);
    inkedPictureQuad(stage.dancer2Ink, 0.6f, 0.8f, anim.echoFrame, 0.1f, kUnread);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    stage.dancer2Texture.bind();
    glTranslatef(0.5f, 0.0f, -1.5f);
    inkedPictureQuad(stage.dancer2Ink, 0.5f, 0.7f, anim.dancer2Frame, 0.1f, kUnread);

    // Dancer 1 farther back on the left, clear of the other two on screen.
    glLoadIdentity();
    stage.dancer1Texture.bind();
    glTranslatef(-0.7f, 0.0f, -2.7f);
    inkedPictureQuad(stage.dancer1Ink, 0.5f, 0.7f, anim.dancer1Frame, 1.0f / 14.0f, kUnread);

    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    // The opening wipe: a black sector of a disc that covers the whole view,
    // its free edge turning back to twelve o'clock at 120 degrees per second
    // from 44 s; a sweep of 360 or more is the full disc. Texturing stays on;
    // the black colour makes whatever is bound black.
    const float w = t - 44.0f;
    if (w < 3.0f) {
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -1.0f);
        glColor3f(0.0f, 0.0f, 0.0f);
        gluPartialDisk(stage.quadric, 0.0, 2.0, 32, 32, 0.0, 360.0f - w * 120.0f);
    }

    advanceFrames(stage);
}
