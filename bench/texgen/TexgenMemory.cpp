// Resident memory of the show's 38 textures: 38 generators, each given a
// 512x512 picture in images[0] the way a Texture copies a decoded image.
// Prints VmRSS before, after constructing, and after filling.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "texgen/TextureGenerator.h"

namespace {

long residentKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kib;
}

}  // namespace

int main() {
    const int kTextures = 38;
    const long base = residentKiB();
    std::vector<std::unique_ptr<TextureGenerator>> textures;
    for (int i = 0; i < kTextures; ++i) textures.push_back(std::make_unique<TextureGenerator>());
    const long built = residentKiB();
    for (auto& t : textures)
        for (uint32_t i = 0; i < 512 * 512; ++i) t->images[0][i] = 0xFF000000u | i;
    const long filled = residentKiB();
    std::printf("VmRSS at start:                      %6ld KiB\n", base);
    std::printf("after constructing %d generators:    %6ld KiB (+%ld KiB)\n", kTextures, built, built - base);
    std::printf("after 512x512 pictures in images[0]: %6ld KiB (+%ld KiB, %.2f MiB per texture)\n", filled,
                filled - base, static_cast<double>(filled - base) / 1024.0 / kTextures);
    std::printf("address space reserved: %d x 12 MiB = %d MiB\n", kTextures, kTextures * 12);
    return 0;
}
