#include "gfx/PictureArea.h"

#include <GL/gl.h>

Viewport letterboxViewport(int drawableWidth, int drawableHeight) {
    const long w = drawableWidth > 0 ? drawableWidth : 1;
    const long h = drawableHeight > 0 ? drawableHeight : 1;
    Viewport v;
    if (w * 3 >= h * 4) {  // wider than 4:3: bars left and right
        v.height = static_cast<int>(h);
        v.width = static_cast<int>((h * 4 + 1) / 3);
        if (v.width > w) v.width = static_cast<int>(w);
    } else {               // taller: bars top and bottom
        v.width = static_cast<int>(w);
        v.height = static_cast<int>((w * 3 + 2) / 4);
        if (v.height > h) v.height = static_cast<int>(h);
    }
    if (v.width < 1) v.width = 1;
    if (v.height < 1) v.height = 1;
    v.x = static_cast<int>((w - v.width) / 2);
    v.y = static_cast<int>((h - v.height) / 2);
    return v;
}

void usePictureArea(const Viewport& picture) {
    glViewport(picture.x, picture.y, picture.width, picture.height);
    glScissor(picture.x, picture.y, picture.width, picture.height);
    glEnable(GL_SCISSOR_TEST);
}
