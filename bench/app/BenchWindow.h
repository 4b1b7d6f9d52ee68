#pragma once
// The show's surface for benchmarks: the offscreen 800x600 surface a
// recording draws on, shown and set up as the show sets it up (viewport,
// scissor, projection, initial GL state). Presenting reads the frame back,
// as a recording does before it hands a frame over; nothing is written.
#include "app/GLWindow.h"
#include "app/Surface.h"
#include "scenes/Scene.h"

#include <cstdint>
#include <string>
#include <vector>

class BenchWindow {
public:
    bool create() {
        if (!surface.create(GLWindow::kShowWidth, GLWindow::kShowHeight, &error)) return false;
        surface.show();
        setUpShowGL();
        return true;
    }
    void present() {
        surface.present();
        surface.readPixels(pixels, true);
    }

    OffscreenSurface surface;
    std::string error;

private:
    std::vector<uint8_t> pixels;
};
