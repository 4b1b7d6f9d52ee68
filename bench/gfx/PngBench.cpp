// Time to write one frame of the show (the end scene, 800x600) as a PNG file:
// the cost per frame of `--capture DIR`.
#include "gfx/PngFile.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
std::vector<uint8_t> readFrame(const char* path, int* width, int* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgba;
    if (!png_image_begin_read_from_file(&image, path)) return rgba;
    image.format = PNG_FORMAT_RGBA;
    rgba.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr);
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return rgba;
}

void writeFrame(benchmark::State& state, const char* name) {
    int width = 0, height = 0;
    const std::vector<uint8_t> rgba =
        readFrame((std::string(GLOWMOTION_SOURCE_DIR) + "/docs/screens/" + name).c_str(), &width, &height);
    if (rgba.empty()) {
        state.SkipWithError("no frame to write");
        return;
    }
    const std::string path = "/tmp/glowmotion-png-bench-" + std::to_string(getpid()) + ".png";
    for (auto _ : state) {
        if (!writePngRgba(path, width, height, rgba.data(), false)) state.SkipWithError("write failed");
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file) {
        std::fseek(file, 0, SEEK_END);
        state.counters["bytes"] = static_cast<double>(std::ftell(file));
        std::fclose(file);
    }
    std::remove(path.c_str());
}
}  // namespace

BENCHMARK_CAPTURE(writeFrame, end, "end.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(writeFrame, endFade, "end-fade.png")->Unit(benchmark::kMillisecond);
