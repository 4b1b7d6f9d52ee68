#include "scenes/SceneRig.h"

#include "Art.h"
#include "base/DataPath.h"
#include "gfx/PngFile.h"
#include "gfx/TgaWriter.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

std::string describe(const Rgb& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

bool near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::string testFolder(const std::string& tag) {
    const std::string dir = "/tmp/glowmotion-" + tag + "-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

namespace {

// What the rigs' clock reads, nanoseconds since it started.
int64_t rigTicks = 0;

FrameClock& rigClock() {
    static FrameClock clock([] { return rigTicks; });
    return clock;
}

std::vector<uint8_t> solidTga(int width, int height, int frames, const std::string& name) {
    TgaFileHeader header;  // 32 bits, top row first
    header.width = static_cast<uint16_t>(width);
    header.height = static_cast<uint16_t>(height);
    const int frameWidth = width / frames;
    return tgaFileBytes(header, [&](int x, int) {
        const Rgb c = IdentData::colourOf(name, std::min(x / frameWidth, frames - 1));
        return uint32_t(c.b) | uint32_t(c.g) << 8 | uint32_t(c.r) << 16 | 0xFF000000u;
    });
}

}  // namespace

IdentData::IdentData(const std::string& dir) : dir_(dir) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    for (const art::ArtFile& file : art::artCatalogue()) {
        write(file.name, solidTga(file.width, file.height, file.frames, file.name));
    }
}

IdentData::~IdentData() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

Rgb IdentData::colourOf(const std::string& fileName, int frame) {
    if (fileName == "font.fnt") return {255, 255, 255};
    int index = 0;
    const auto& catalogue = art::artCatalogue();
    for (size_t i = 0; i < catalogue.size(); ++i) {
        if (fileName == catalogue[i].name) index = static_cast<int>(i) + 1;
    }
    // Each file its own (red, blue) pair on a 6 x 6 grid with steps of 20,
    // red far below blue; green steps by 17 from frame to frame.
    const int r = (index % 6) * 20;
    const int b = 150 + (index / 6) * 20;
    const int g = 8 + frame * 17;
    return {r, g, b};
}

void IdentData::remove(const std::string& fileName) const { std::filesystem::remove(dir_ + "/" + fileName); }

void IdentData::write(const std::string& fileName, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(dir_ + "/" + fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

SceneRig::SceneRig(const std::string& dataDir, int width, int height) : width_(width), height_(height) {
    setDataDirectory(dataDir);
    std::string why;
    if (!surface_.create(width, height, &why)) ADD_FAILURE() << "no offscreen OpenGL context: " << why;
}

SceneRig::~SceneRig() { surface_.destroy(); }

const FrameClock& SceneRig::clock() { return rigClock(); }

void SceneRig::begin(std::initializer_list<Scene*> scenes, double startAt) {
    startAt_ = startAt;
    for (Scene* scene : scenes) scene->load();
    surface_.show();
    setUpShowGL();
    rigTicks = 0;
    rigClock().start(startAt);
    for (Scene* scene : scenes) scene->start();
}

void SceneRig::setTime(double t) { rigTicks = std::llround((t - startAt_) * 1e9); }

void SceneRig::render(Scene& scene, double t) {
    setTime(t);
    scene.render(static_cast<float>(t));
}

void SceneRig::read() {
    rgba_.assign(static_cast<size_t>(width_) * height_ * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba_.data());
    // GL rows run bottom up; keep them top row first.
    const size_t row = static_cast<size_t>(width_) * 4;
    std::vector<uint8_t> line(row);
    for (int y = 0; y < height_ / 2; ++y) {
        uint8_t* a = &rgba_[static_cast<size_t>(y) * row];
        uint8_t* b = &rgba_[static_cast<size_t>(height_ - 1 - y) * row];
        std::copy(a, a + row, line.begin());
        std::copy(b, b + row, a);
        std::copy(line.begin(), line.end(), b);
    }
}

Rgb SceneRig::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || rgba_.empty()) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the picture or nothing was read";
        return {-1, -1, -1};
    }
    const uint8_t* p = &rgba_[(static_cast<size_t>(y) * width_ + x) * 4];
    return {p[0], p[1], p[2]};
}

Rgb SceneRig::pixel(double x, double y) const {
    return pixel(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

int SceneRig::count(const Rgb& c, int tolerance) const {
    int n = 0;
    for (size_t i = 0; i + 3 < rgba_.size(); i += 4) {
        if (near({rgba_[i], rgba_[i + 1], rgba_[i + 2]}, c, tolerance)) ++n;
    }
    return n;
}

void SceneRig::savePng(const std::string& path) const {
    std::string error;
    if (!writePngRgba(path, width_, height_, rgba_.data(), false, &error)) ADD_FAILURE() << error;
}

namespace {
void identity(double* m) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0 : 0.0;
}
// out = a * b, column-major 4x4.
void multiply(const double* a, const double* b, double* out) {
    double r[16];
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    std::copy(r, r + 16, out);
}
}  // namespace

Projector::Projector(int width, int height) : width_(width), height_(height) {
    identity(modelview_);
    // gluPerspective(45, 4/3, 0.1f, 3000), as the show sets it (setUpShowGL).
    identity(projection_);
    const double fovy = 45.0 * M_PI / 180.0;
    const double f = 1.0 / std::tan(fovy / 2.0);
    const double aspect = 800.0 / 600.0;
    const double zNear = static_cast<double>(0.1f);
    const double zFar = 3000.0;
    projection_[0] = f / aspect;
    projection_[5] = f;
    projection_[10] = (zFar + zNear) / (zNear - zFar);
    projection_[11] = -1.0;
    projection_[14] = 2.0 * zFar * zNear / (zNear - zFar);
    projection_[15] = 0.0;
}

Projector& Projector::loadIdentity() {
    identity(modelview_);
    return *this;
}

Projector& Projector::translate(double x, double y, double z) {
    double t[16];
    identity(t);
    t[12] = x;
    t[13] = y;
    t[14] = z;
    multiply(modelview_, t, modelview_);
    return *this;
}

Projector& Projector::rotate(double degrees, double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return *this;
    x /= length;
    y /= length;
    z /= length;
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a), k = 1.0 - c;
    double r[16];
    identity(r);
    r[0] = x * x * k + c;     r[4] = x * y * k - z * s; r[8] = x * z * k + y * s;
    r[1] = y * x * k + z * s; r[5] = y * y * k + c;     r[9] = y * z * k - x * s;
    r[2] = x * z * k - y * s; r[6] = y * z * k + x * s; r[10] = z * z * k + c;
    multiply(modelview_, r, modelview_);
    return *this;
}

Projector& Projector::scale(double x, double y, double z) {
    double t[16];
    identity(t);
    t[0] = x;
    t[5] = y;
    t[10] = z;
    multiply(modelview_, t, modelview_);
    return *this;
}

ScreenPoint Projector::project(double x, double y, double z) const {
    double m[16];
    multiply(projection_, modelview_, m);
    const double v[4] = {x, y, z, 1.0};
    double clip[4];
    for (int row = 0; row < 4; ++row) {
        clip[row] = 0;
        for (int k = 0; k < 4; ++k) clip[row] += m[k * 4 + row] * v[k];
    }
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3];
    return {(nx + 1.0) / 2.0 * width_, height_ - (ny + 1.0) / 2.0 * height_};
}

ScreenPoint Projector::textPoint(double x, double y) const {
    return {x / 640.0 * width_, height_ - y / 480.0 * height_};
}
