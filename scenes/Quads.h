#pragma once
// The quads the scenes draw their pictures on, in immediate mode (or into a
// display list being compiled).
//
// pictureQuad: one GL_QUADS square or rectangle at z = 0 from
// (-halfWidth, -halfHeight) to (halfWidth, halfHeight), corners lower left,
// lower right, upper right, upper left, each given as glTexCoord2f then
// glVertex2f. s runs from `left` to left + span, t is 1 at the bottom edge and
// 0 at the top, so with the reader's top-row-first pixels a picture, or the
// frame of a strip starting at s = left, stands upright. The unit quad is
// pictureQuad(0.5f, 0.5f).
void pictureQuad(float halfWidth, float halfHeight, float left = 0.0f, float span = 1.0f);

// The untextured bar of the star tunnel, the credits and the page's cards:
// (-4, 0) to (4, 0.15), drawn in the current colour.
void barQuad();
