#pragma once
// Where the show's picture lies in a drawable. The picture is always the
// 4:3 show's; in a drawable of another shape it is the largest centred 4:3
// rectangle, with bars beside it or above and below. The window, the
// offscreen surface and the browser page all place it with these.

// Rectangle of the drawable that shows the picture (OpenGL window coordinates).
struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
};

// The largest centred rectangle of aspect 4:3 inside a drawable; at least 1x1.
Viewport letterboxViewport(int drawableWidth, int drawableHeight);

// Viewport and scissor box on `picture`, scissor test on: clears reach only
// the picture.
void usePictureArea(const Viewport& picture);
