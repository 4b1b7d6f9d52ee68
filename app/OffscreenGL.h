#pragma once
// An OpenGL context without any display: EGL on Mesa's surfaceless platform,
// desktop OpenGL, compatibility profile (fixed function, immediate mode,
// display lists), drawing into a framebuffer object of the requested size
// (RGBA8 colour, 24-bit depth). The capture mode and the tests draw into it
// exactly as the show draws into its window.
//
// Ownership: the object owns the EGL display connection, the context and the
// framebuffer. create() leaves the context current, the framebuffer bound for
// drawing and reading and the viewport covering it; after that all GL state
// belongs to whoever draws. destroy() (or the destructor) releases everything;
// no GL call may be made afterwards.
//
// GL calls through libGL, libOpenGL and GLU all reach this context (libglvnd
// dispatches to whatever context is current, EGL or GLX).
#include <cstdint>
#include <string>
#include <vector>

class OffscreenGL {
public:
    OffscreenGL() = default;
    ~OffscreenGL();
    OffscreenGL(const OffscreenGL&) = delete;
    OffscreenGL& operator=(const OffscreenGL&) = delete;

    // Makes the context and framebuffer; the context is current on return.
    // On failure returns false, releases whatever was made and says why in
    // *error (when given), a size beyond the context's limits included.
    bool create(int width, int height, std::string* error);
    void destroy();

    // Makes this context current again (after another one was used).
    bool makeCurrent();

    int width() const { return width_; }
    int height() const { return height_; }
    bool valid() const { return context_ != nullptr; }

    // Reads the framebuffer into rgba: width*height pixels of 4 bytes
    // R, G, B, A, top row first (or OpenGL's bottom row first when
    // `topRowFirst` is false). Pixel-store, pixel-transfer and read-buffer
    // state are saved and restored, so drawing carries on unchanged.
    void readPixels(std::vector<uint8_t>& rgba, bool topRowFirst = true) const;

private:
    void* display_ = nullptr;   // EGLDisplay
    void* context_ = nullptr;   // EGLContext
    unsigned framebuffer_ = 0;
    unsigned colourBuffer_ = 0;
    unsigned depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};
