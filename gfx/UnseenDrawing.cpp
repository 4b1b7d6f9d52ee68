#include "gfx/UnseenDrawing.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {
void setEnabled(GLenum capability, bool on) {
    if (on) glEnable(capability);
    else glDisable(capability);
}
}  // namespace

CarriedGLState CarriedGLState::read() {
    CarriedGLState s;
    GLint value = 0;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour);
    glGetFloatv(GL_CURRENT_COLOR, s.colour);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, s.texCoord);
    glGetFloatv(GL_CURRENT_NORMAL, s.normal);
    s.texturing = glIsEnabled(GL_TEXTURE_2D);
    s.blending = glIsEnabled(GL_BLEND);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    glGetIntegerv(GL_BLEND_SRC, &value);
    s.blendSource = value;
    value = 0;
    glGetIntegerv(GL_BLEND_DST, &value);
    s.blendDestination = value;
    value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    s.boundTexture = value;
    value = 0;
    glGetIntegerv(GL_LIST_BASE, &value);
    s.listBase = value;
    value = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    s.matrixMode = value;
    glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, s.projection);
    return s;
}

void CarriedGLState::apply() const {
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glColor4fv(colour);
    glTexCoord4fv(texCoord);
    glNormal3fv(normal);
    setEnabled(GL_TEXTURE_2D, texturing);
    setEnabled(GL_BLEND, blending);
    setEnabled(GL_DEPTH_TEST, depthTest);
    glBlendFunc(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    glListBase(static_cast<GLuint>(listBase));
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelview);
    glMatrixMode(static_cast<GLenum>(matrixMode));
}

void UnseenDrawing::begin() {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &savedDraw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &savedRead);
    glGetIntegerv(GL_VIEWPORT, savedViewport);
    glGetIntegerv(GL_SCISSOR_BOX, savedScissor);
    savedScissorTest = glIsEnabled(GL_SCISSOR_TEST);
    if (framebuffer == 0) {
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colourBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kWidth, kHeight);
    glScissor(0, 0, kWidth, kHeight);
}

void UnseenDrawing::end() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(savedDraw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(savedRead));
    glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
    glScissor(savedScissor[0], savedScissor[1], savedScissor[2], savedScissor[3]);
    setEnabled(GL_SCISSOR_TEST, savedScissorTest);
}
