#include "app/Surface.h"

#include <GL/gl.h>

const char* const kErrorCaption = "qlxGLIntro Error";
const char* const kNoSurfaceError = "when init'ing display area";

void clearBars(const Viewport& v, int width, int height) {
    if (v.width <= 0 || v.height <= 0) return;
    if (v.x == 0 && v.y == 0 && v.width == width && v.height == height) return;
    GLfloat savedClear[4];
    GLboolean savedMask[4];
    GLint savedBox[4];
    const GLboolean savedScissorTest = glIsEnabled(GL_SCISSOR_TEST);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, savedClear);
    glGetBooleanv(GL_COLOR_WRITEMASK, savedMask);
    glGetIntegerv(GL_SCISSOR_BOX, savedBox);
    glEnable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    const Viewport bars[4] = {
        {0, 0, v.x, height},                                        // left
        {v.x + v.width, 0, width - v.x - v.width, height},          // right
        {v.x, 0, v.width, v.y},                                     // bottom
        {v.x, v.y + v.height, v.width, height - v.y - v.height},    // top
    };
    for (const Viewport& bar : bars) {
        if (bar.width <= 0 || bar.height <= 0) continue;
        glScissor(bar.x, bar.y, bar.width, bar.height);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glScissor(savedBox[0], savedBox[1], savedBox[2], savedBox[3]);
    glClearColor(savedClear[0], savedClear[1], savedClear[2], savedClear[3]);
    glColorMask(savedMask[0], savedMask[1], savedMask[2], savedMask[3]);
    if (!savedScissorTest) glDisable(GL_SCISSOR_TEST);
}

bool OffscreenSurface::create(int width, int height, std::string* why) {
    picture = Viewport{};
    return gl.create(width, height, why);
}

void OffscreenSurface::destroy() {
    gl.destroy();
    picture = Viewport{};
}

void OffscreenSurface::show() {
    picture = letterboxViewport(gl.width(), gl.height());
    usePictureArea(picture);
}

void OffscreenSurface::present() { clearBars(picture, gl.width(), gl.height()); }
