#pragma once
// The show's window for benchmarks: the offscreen 800x600 context of capture
// mode, set up by GLWindow::show like every window (projection, viewport,
// scissor, initial GL state). Presenting reads the frame back, as capture
// mode does before it encodes a PNG; nothing is written.
#include "app/GLWindow.h"
#include "app/OffscreenGL.h"

#include <cstdint>
#include <string>
#include <vector>

class BenchWindow final : public GLWindow {
public:
    ~BenchWindow() override { BenchWindow::destroy(); }

    bool create(const char* text, int requestedWidth, int requestedHeight, int requestedBits, bool) override {
        width = requestedWidth;
        height = requestedHeight;
        bits = requestedBits;
        std::string why;
        if (!gl.create(width, height, &why)) {
            error = why;
            return false;
        }
        title[0] = text ? text[0] : 0;
        return true;
    }
    void destroy() override { gl.destroy(); }
    void swapBuffers() override { gl.readPixels(pixels); }
    void showError(const char* text) override { error = text; }

    OffscreenGL gl;
    std::string error;

private:
    std::vector<uint8_t> pixels;
};
