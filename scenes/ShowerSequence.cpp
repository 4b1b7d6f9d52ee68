// The dance floor's last sequence: the backdrop again with the dancers
// changed round (dancer 1 in front on the right, dancer 2 behind on the left,
// no echo) and the captions "nilo grooves", then "in the shower!", standing
// at one place.
#include "scenes/DanceSequences.h"

#include "scenes/PictureInk.h"

#include <GL/gl.h>

void renderShower(DanceStage& stage, Timer& timer, float t) {
    const float tc = beginDanceFrame(stage, timer, t);
    drawBackdrop(stage, t);
    const DanceAnimation& anim = stage.anim;

    const char* caption = nullptr;
    if (tc > 85.1f && tc < 96.4f) {
        caption = "nilo grooves";
    } else if (tc > 96.5f) {
        caption = "in the shower!";
    }
    if (caption) stage.font.print(50.0, 20.0, 4.0f, caption, 1);

    // The depth test is on after a caption and off otherwise; the dancers do
    // not overlap on screen, so the picture is the same, and the depth their
    // transparent parts write is never read.
    glLoadIdentity();
    stage.dancer1Texture.bind();
    glTranslatef(0.5f, 0.0f, -1.6f);
    inkedPictureQuad(stage.dancer1Ink, 0.5f, 0.7f, anim.dancer1Frame, 1.0f / 14.0f, TransparentDepth::NeverRead);

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    stage.dancer2Texture.bind();
    glTranslatef(-0.5f, 0.0f, -2.7f);
    inkedPictureQuad(stage.dancer2Ink, 0.5f, 0.7f, anim.dancer2Frame, 0.1f, TransparentDepth::NeverRead);

    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    advanceFrames(stage);
}
