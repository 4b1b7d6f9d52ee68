// glowmotion-texgen: runs or checks texture program files.
//   glowmotion-texgen run [--all-layers] PROGRAM OUT   (OUT ends in .png or .raw)
//   glowmotion-texgen check PROGRAM
// Status 0 on success, 1 for an unreadable file or a refused program, 2 for
// unknown usage.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "gfx/PngFile.h"
#include "texgen/TextureGenerator.h"

namespace {

const char kUsage[] =
    "usage: glowmotion-texgen run [--all-layers] PROGRAM OUT\n"
    "       glowmotion-texgen check PROGRAM\n"
    "PROGRAM: 4-byte little-endian length, then the instructions.\n"
    "OUT: .png to look at, .raw for exact comparison (uint32 LE width, height, then\n"
    "     width*height uint32 LE 0x00RRGGBB words); --all-layers writes the six\n"
    "     stored images, one after the other (.png: OUT-0.png .. OUT-5.png).\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool readFile(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

void putWord(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void appendRaw(std::vector<uint8_t>* out, const uint32_t* image, int w, int h) {
    putWord(out, static_cast<uint32_t>(w));
    putWord(out, static_cast<uint32_t>(h));
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) putWord(out, image[i]);
}

bool writePng(const std::string& path, const uint32_t* image, int w, int h, std::string* error) {
    if (w == 0 || h == 0) {
        *error = path + ": the layer is empty (0x0), nothing to draw";
        return false;
    }
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        rgba[4 * i] = static_cast<uint8_t>(image[i] >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(image[i] >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(image[i]);
        rgba[4 * i + 3] = 255;
    }
    return writePngRgba(path, w, h, rgba.data(), false, error);
}

int run(const std::string& programPath, const std::string& outPath, bool allLayers) {
    const bool png = endsWith(outPath, ".png"), raw = endsWith(outPath, ".raw");
    if (!png && !raw) return usage();
    std::vector<uint8_t> program;
    if (!readFile(programPath, &program)) {
        std::fprintf(stderr, "glowmotion-texgen: cannot read %s\n", programPath.c_str());
        return 1;
    }
    auto generator = std::make_unique<TextureGenerator>();
    if (!generator->setProgram(program.data(), program.size())) {
        std::fprintf(stderr, "%s: refused, %s\n", programPath.c_str(), generator->programCheck().describe().c_str());
        return 1;
    }
    generator->run();

    const int first = 0, last = allLayers ? TextureGenerator::kLayerCount - 1 : 0;
    std::string error;
    if (raw) {
        std::vector<uint8_t> out;
        for (int k = first; k <= last; ++k)
            appendRaw(&out, generator->images[k], generator->layers[k].width, generator->layers[k].height);
        std::ofstream file(outPath, std::ios::binary);
        file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
        if (!file) {
            std::fprintf(stderr, "glowmotion-texgen: cannot write %s\n", outPath.c_str());
            return 1;
        }
        return 0;
    }
    for (int k = first; k <= last; ++k) {
        std::string path = outPath;
        if (allLayers) path = outPath.substr(0, outPath.size() - 4) + "-" + std::to_string(k) + ".png";
        const Layer& layer = generator->layers[k];
        if (allLayers && (layer.width == 0 || layer.height == 0)) continue;  // a layer the program never used
        if (!writePng(path, generator->images[k], layer.width, layer.height, &error)) {
            std::fprintf(stderr, "glowmotion-texgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}

int check(const std::string& programPath) {
    std::vector<uint8_t> program;
    if (!readFile(programPath, &program)) {
        std::fprintf(stderr, "glowmotion-texgen: cannot read %s\n", programPath.c_str());
        return 1;
    }
    const ProgramCheck result = checkTextureProgram(program.data(), program.size());
    if (!result.ok) {
        std::fprintf(stderr, "%s: refused, %s\n", programPath.c_str(), result.describe().c_str());
        return 1;
    }
    std::printf("%s: %s\n", programPath.c_str(), result.describe().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "check") return args.size() == 2 ? check(args[1]) : usage();
    if (args[0] == "run") {
        bool allLayers = false;
        std::vector<std::string> rest;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--all-layers")
                allLayers = true;
            else if (args[i].size() > 1 && args[i][0] == '-')
                return usage();
            else
                rest.push_back(args[i]);
        }
        return rest.size() == 2 ? run(rest[0], rest[1], allLayers) : usage();
    }
    return usage();
}
