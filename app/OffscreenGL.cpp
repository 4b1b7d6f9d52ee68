#include "app/OffscreenGL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

#ifndef EGL_PLATFORM_SURFACELESS_MESA
#define EGL_PLATFORM_SURFACELESS_MESA 0x31DD
#endif

// Framebuffer-object entry points (GL 3.0), fetched through EGL.
struct FboCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool load() {
        genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(eglGetProcAddress("glGenFramebuffers"));
        deleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(eglGetProcAddress("glDeleteFramebuffers"));
        bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(eglGetProcAddress("glBindFramebuffer"));
        genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(eglGetProcAddress("glGenRenderbuffers"));
        deleteRenderbuffers = reinterpret_cast<PFNGLDELETERENDERBUFFERSPROC>(eglGetProcAddress("glDeleteRenderbuffers"));
        bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(eglGetProcAddress("glBindRenderbuffer"));
        renderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(eglGetProcAddress("glRenderbufferStorage"));
        framebufferRenderbuffer =
            reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(eglGetProcAddress("glFramebufferRenderbuffer"));
        checkFramebufferStatus =
            reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(eglGetProcAddress("glCheckFramebufferStatus"));
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers && deleteRenderbuffers &&
               bindRenderbuffer && renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus;
    }
};

// Live objects on the shared surfaceless display: it is terminated with the last.
int displayUsers = 0;

FboCalls& fbo() {
    static FboCalls calls;
    return calls;
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        const bool startOk = p == list || p[-1] == ' ';
        const bool endOk = p[n] == '\0' || p[n] == ' ';
        if (startOk && endOk) return true;
    }
    return false;
}

bool fail(std::string* error, const std::string& text) {
    if (error) *error = "offscreen OpenGL: " + text;
    return false;
}

std::string eglErrorText() {
    char buf[32];
    std::snprintf(buf, sizeof buf, " (EGL error 0x%04X)", static_cast<unsigned>(eglGetError()));
    return buf;
}

}  // namespace

OffscreenGL::~OffscreenGL() { destroy(); }

bool OffscreenGL::create(int width, int height, std::string* error) {
    destroy();
    if (width <= 0 || height <= 0) return fail(error, "size must be positive");

    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
        !hasExtension(clientExtensions, "EGL_EXT_platform_base")) {
        return fail(error,
                    "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless); "
                    "Mesa's EGL (libegl-mesa0) and its software renderer (libgl1-mesa-dri) are needed");
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return fail(error, "eglGetPlatformDisplayEXT is missing");

    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return fail(error, "no surfaceless EGL display" + eglErrorText());
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        return fail(error, "eglInitialize failed on the surfaceless platform" + eglErrorText());
    }
    display_ = display;
    ++displayUsers;

    const char* displayExtensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!hasExtension(displayExtensions, "EGL_KHR_surfaceless_context")) {
        destroy();
        return fail(error, "EGL_KHR_surfaceless_context is not supported");
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        destroy();
        return fail(error, "desktop OpenGL is not available through EGL" + eglErrorText());
    }

    EGLConfig config = nullptr;
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLint configCount = 0;
    if (!hasExtension(displayExtensions, "EGL_KHR_no_config_context")) {
        if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
            destroy();
            return fail(error, "no EGL configuration for desktop OpenGL" + eglErrorText());
        }
    }
    // No profile requested: a compatibility context, as the show's window has.
    const EGLint contextAttributes[] = {EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        destroy();
        return fail(error, "eglCreateContext failed" + eglErrorText());
    }
    context_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        destroy();
        return fail(error, "eglMakeCurrent without a surface failed" + eglErrorText());
    }

    FboCalls& f = fbo();
    if (!f.load()) {
        destroy();
        return fail(error, "the context has no framebuffer objects");
    }
    GLint largestBuffer = 0;
    GLint largestViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largestBuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largestViewport);
    const int largestWidth = std::min(largestBuffer, largestViewport[0]);
    const int largestHeight = std::min(largestBuffer, largestViewport[1]);
    if (width > largestWidth || height > largestHeight) {
        destroy();
        return fail(error, "a " + std::to_string(width) + "x" + std::to_string(height) +
                               " picture is beyond this OpenGL's limit of " + std::to_string(largestWidth) + "x" +
                               std::to_string(largestHeight));
    }
    GLuint names[2] = {0, 0};
    f.genFramebuffers(1, &names[0]);
    framebuffer_ = names[0];
    f.genRenderbuffers(2, names);
    colourBuffer_ = names[0];
    depthBuffer_ = names[1];
    f.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    f.bindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    f.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    f.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    f.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    f.bindRenderbuffer(GL_RENDERBUFFER, 0);
    const GLenum status = f.checkFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        destroy();
        char buf[64];
        std::snprintf(buf, sizeof buf, "framebuffer incomplete (status 0x%04X)", status);
        return fail(error, buf);
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenGL::destroy() {
    EGLDisplay display = display_;
    if (context_) {
        if (eglGetCurrentContext() == context_) {
            FboCalls& f = fbo();
            if (framebuffer_) {
                f.bindFramebuffer(GL_FRAMEBUFFER, 0);
                f.deleteFramebuffers(1, &framebuffer_);
            }
            const GLuint buffers[2] = {colourBuffer_, depthBuffer_};
            if (colourBuffer_ || depthBuffer_) f.deleteRenderbuffers(2, buffers);
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroyContext(display, context_);
    }
    if (display && --displayUsers == 0) eglTerminate(display);
    display_ = nullptr;
    context_ = nullptr;
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    width_ = height_ = 0;
}

bool OffscreenGL::makeCurrent() {
    if (!context_) return false;
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return false;
    fbo().bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    return true;
}

void OffscreenGL::readPixels(std::vector<uint8_t>& rgba, bool topRowFirst) const {
    const size_t rowBytes = static_cast<size_t>(width_) * 4;
    rgba.resize(rowBytes * static_cast<size_t>(height_));
    if (!context_ || rgba.empty()) return;

    GLint packBuffer = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    auto bindBuffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(eglGetProcAddress("glBindBuffer"));
    if (packBuffer && bindBuffer) bindBuffer(GL_PIXEL_PACK_BUFFER, 0);

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPushAttrib(GL_PIXEL_MODE_BIT);  // read buffer, pixel transfer scale/bias/maps
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);
    glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopAttrib();
    glPopClientAttrib();
    if (packBuffer && bindBuffer) bindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));

    // GL rows are bottom row first; hand them out top row first.
    if (!topRowFirst) return;
    std::vector<uint8_t> row(rowBytes);
    for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rgba.data() + rowBytes * static_cast<size_t>(top);
        uint8_t* b = rgba.data() + rowBytes * static_cast<size_t>(bottom);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
}
