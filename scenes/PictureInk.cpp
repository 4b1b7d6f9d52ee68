#include "scenes/PictureInk.h"

#include "gfx/Texture.h"
#include "scenes/Quads.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef __EMSCRIPTEN__
// The browser's fixed-function layer (web/gl/) reads no texture back and has
// no matrix or texture-environment queries; there every quad is drawn whole
// (a GPU draws transparent fragments for next to nothing anyway).
void PictureInk::measure(const Texture&) {}
bool PictureInk::inked(long, long, long, long) const { return false; }
unsigned PictureInk::count(int, int, int, int) const { return 0; }
void inkedPictureQuad(const PictureInk&, float halfWidth, float halfHeight, float left, float span, TransparentDepth) {
    pictureQuad(halfWidth, halfHeight, left, span);
}
#else

void PictureInk::measure(const Texture& texture) {
    texture.bind();
    glName = texture.glName;
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    width = std::max(w, 0);
    height = std::max(h, 0);
    below.clear();
    if (width == 0 || height == 0) return;
    const size_t texelsAcross = static_cast<size_t>(width), texelsDown = static_cast<size_t>(height);
    const size_t across = (texelsAcross + kBlock - 1) / kBlock, down = (texelsDown + kBlock - 1) / kBlock;
    std::vector<uint8_t> alpha(texelsAcross * texelsDown);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Whether each block has an alpha above 0: a row's four texels of a
    // block read as one word.
    static_assert(kBlock == sizeof(uint32_t), "a block row is one word");
    std::vector<uint8_t> any(across * down, 0);
    for (size_t row = 0; row < texelsDown; ++row) {
        const uint8_t* texel = &alpha[row * texelsAcross];
        uint8_t* block = &any[row / kBlock * across];
        size_t col = 0;
        for (; col + kBlock <= texelsAcross; col += kBlock) {
            uint32_t four;
            std::memcpy(&four, texel + col, sizeof four);
            block[col / kBlock] |= four != 0 ? 1 : 0;
        }
        for (; col < texelsAcross; ++col) block[col / kBlock] |= texel[col] != 0 ? 1 : 0;
    }
    const size_t stride = across + 1;
    below.assign(stride * (down + 1), 0u);
    for (size_t d = 0; d < down; ++d) {
        unsigned run = 0;
        for (size_t b = 0; b < across; ++b) {
            run += any[d * across + b] != 0 ? 1u : 0u;
            below[(d + 1) * stride + b + 1] = below[d * stride + b + 1] + run;
        }
    }
}

unsigned PictureInk::count(int b0, int b1, int d0, int d1) const {
    const size_t stride = static_cast<size_t>((width + kBlock - 1) / kBlock) + 1;
    const auto at = [&](int b, int d) { return below[static_cast<size_t>(d) * stride + static_cast<size_t>(b)]; };
    return at(b1 + 1, d1 + 1) - at(b0, d1 + 1) - at(b1 + 1, d0) + at(b0, d0);
}

bool PictureInk::inked(long c0, long c1, long r0, long r1) const {
    if (width == 0 || height == 0) return false;
    // Up to two pieces of each range once it is wrapped into the texture.
    const auto pieces = [](long from, long to, int size, int out[2][2]) {
        if (to - from + 1 >= size) {
            out[0][0] = 0;
            out[0][1] = size - 1;
            return 1;
        }
        const int a = static_cast<int>(((from % size) + size) % size);
        const int b = static_cast<int>(a + (to - from));
        if (b < size) {
            out[0][0] = a;
            out[0][1] = b;
            return 1;
        }
        out[0][0] = a;
        out[0][1] = size - 1;
        out[1][0] = 0;
        out[1][1] = b - size;
        return 2;
    };
    int cols[2][2], rows[2][2];
    const int nc = pieces(c0, c1, width, cols), nr = pieces(r0, r1, height, rows);
    for (int i = 0; i < nc; ++i)
        for (int j = 0; j < nr; ++j)
            if (count(cols[i][0] / kBlock, cols[i][1] / kBlock, rows[j][0] / kBlock, rows[j][1] / kBlock) > 0)
                return true;
    return false;
}

namespace {

constexpr int kCellWidth = 16, kCellHeight = 32;

// Whether a fragment of alpha 0 leaves its pixel as it was, and the scissor
// test is there to narrow.
bool transparentLeavesPixel(const PictureInk& ink, TransparentDepth depth) {
    if (!glIsEnabled(GL_BLEND) || (depth == TransparentDepth::MayBeRead && glIsEnabled(GL_DEPTH_TEST)) || !glIsEnabled(GL_TEXTURE_2D) ||
        !glIsEnabled(GL_SCISSOR_TEST) || glIsEnabled(GL_ALPHA_TEST) || glIsEnabled(GL_STENCIL_TEST))
        return false;
    GLint source = 0, destination = 0, equation = 0, env = 0, bound = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_BLEND_EQUATION, &equation);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA && equation == GL_FUNC_ADD &&
           env == GL_MODULATE && static_cast<unsigned>(bound) == ink.glName && ink.width > 0 && ink.height > 0;
}

// The quad's plane (x, y, z = 0) and the window: window = H (x, y, 1) in
// homogeneous coordinates, and its inverse.
struct PlaneMap {
    double h[3][3];
    double inverse[3][3];

    bool make() {
        GLdouble mv[16], p[16];
        GLint vp[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, mv);
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        glGetIntegerv(GL_VIEWPORT, vp);
        // Clip coordinates of (x, y, 0, 1): columns 0, 1 and 3 of P * MV.
        double a[4][3];
        const int columns[3] = {0, 1, 3};
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 3; ++k) {
                double sum = 0.0;
                for (int i = 0; i < 4; ++i) sum += p[i * 4 + row] * mv[columns[k] * 4 + i];
                a[row][k] = sum;
            }
        const double sx = 0.5 * vp[2], sy = 0.5 * vp[3], ox = vp[0] + sx, oy = vp[1] + sy;
        for (int k = 0; k < 3; ++k) {
            h[0][k] = sx * a[0][k] + ox * a[3][k];
            h[1][k] = sy * a[1][k] + oy * a[3][k];
            h[2][k] = a[3][k];
        }
        const double det = h[0][0] * (h[1][1] * h[2][2] - h[1][2] * h[2][1]) -
                           h[0][1] * (h[1][0] * h[2][2] - h[1][2] * h[2][0]) +
                           h[0][2] * (h[1][0] * h[2][1] - h[1][1] * h[2][0]);
        if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
                inverse[r][c] = (h[r1][c1] * h[r2][c2] - h[r1][c2] * h[r2][c1]) / det;
            }
        return true;
    }
    // The plane point under window point (wx, wy); false when it lies at or
    // behind the eye.
    bool back(double wx, double wy, double& x, double& y) const {
        const double q[3] = {inverse[0][0] * wx + inverse[0][1] * wy + inverse[0][2],
                             inverse[1][0] * wx + inverse[1][1] * wy + inverse[1][2],
                             inverse[2][0] * wx + inverse[2][1] * wy + inverse[2][2]};
        if (q[2] == 0.0) return false;
        x = q[0] / q[2];
        y = q[1] / q[2];
        const double w = h[2][0] * x + h[2][1] * y + h[2][2];
        return std::isfinite(x) && std::isfinite(y) && w > 1e-9;
    }
    bool forth(double x, double y, double& wx, double& wy) const {
        const double w = h[2][0] * x + h[2][1] * y + h[2][2];
        if (!(w > 1e-9)) return false;
        wx = (h[0][0] * x + h[0][1] * y + h[0][2]) / w;
        wy = (h[1][0] * x + h[1][1] * y + h[1][2]) / w;
        return std::isfinite(wx) && std::isfinite(wy);
    }
};

struct Box {
    int x0, y0, x1, y1;  // pixels [x0, x1) x [y0, y1)
};

// Gaps of up to this many cells inside a row of cells are drawn through.
constexpr int kGapCells = 3;

// Whether any pixel of the window cell [cx, cx1) x [cy, cy1) can sample an
// inked texel of the quad. u, v: texel units, v down from the quad's top edge
// (t = 0); [uLo, uHi] is the quad's u.
bool keepCell(const PlaneMap& map, const PictureInk& ink, double hw, double hh, float left, float span, double uLo,
              double uHi, int cx, int cy, int cx1, int cy1) {
    // The samples of the cell's pixels lie inside the image of the cell's
    // outline on the plane, a convex quadrilateral when all four corners
    // are in front of the eye.
    const double w = ink.width, h = ink.height;
    double u0 = HUGE_VAL, u1 = -HUGE_VAL, v0 = HUGE_VAL, v1 = -HUGE_VAL;
    for (int corner = 0; corner < 4; ++corner) {
        double x, y;
        if (!map.back(corner & 1 ? cx1 : cx, corner & 2 ? cy1 : cy, x, y)) return true;
        const double u = (left + span * (x + hw) / (2.0 * hw)) * w;
        const double v = (hh - y) / (2.0 * hh) * h;
        u0 = std::min(u0, u);
        u1 = std::max(u1, u);
        v0 = std::min(v0, v);
        v1 = std::max(v1, v);
    }
    // Only samples on the quad count; a linear sample at u reads texels
    // floor(u - 0.5) and the next, and one texel more each side is margin.
    u0 = std::max(u0, uLo);
    u1 = std::min(u1, uHi);
    v0 = std::max(v0, 0.0);
    v1 = std::min(v1, h);
    if (u0 > u1 || v0 > v1) return false;
    return ink.inked(static_cast<long>(std::floor(u0)) - 2, static_cast<long>(std::floor(u1)) + 2,
                     static_cast<long>(std::floor(v0)) - 2, static_cast<long>(std::floor(v1)) + 2);
}

// The rectangles to draw in, or false when the quad must be drawn whole.
bool inkedBoxes(const PictureInk& ink, float halfWidth, float halfHeight, float left, float span,
                const GLint scissor[4], std::vector<Box>& boxes) {
    PlaneMap map;
    if (!map.make()) return false;
    const double hw = halfWidth, hh = halfHeight;
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (double x : {-hw, hw})
        for (double y : {-hh, hh}) {
            double wx, wy;
            if (!map.forth(x, y, wx, wy)) return false;
            minX = std::min(minX, wx);
            maxX = std::max(maxX, wx);
            minY = std::min(minY, wy);
            maxY = std::max(maxY, wy);
        }
    const int x0 = static_cast<int>(std::max<double>(scissor[0], std::floor(minX) - 1.0));
    const int y0 = static_cast<int>(std::max<double>(scissor[1], std::floor(minY) - 1.0));
    const int x1 = static_cast<int>(std::min<double>(scissor[0] + scissor[2], std::ceil(maxX) + 1.0));
    const int y1 = static_cast<int>(std::min<double>(scissor[1] + scissor[3], std::ceil(maxY) + 1.0));

    const double w = ink.width;
    const double uFrom = static_cast<double>(left) * w, uTo = static_cast<double>(left + span) * w;
    const double uLo = std::min(uFrom, uTo), uHi = std::max(uFrom, uTo);
    size_t rowStart = 0;  // the previous row's first rectangle
    for (int cy = y0; cy < y1; cy += kCellHeight) {
        const int cy1 = std::min(cy + kCellHeight, y1);
        const size_t previousRow = rowStart;
        rowStart = boxes.size();
        int first = -1, last = -1;
        // A run of kept cells ends at a gap of more than kGapCells cells.
        const auto endRun = [&] {
            for (size_t i = previousRow; i < rowStart; ++i) {
                if (boxes[i].y1 == cy && boxes[i].x0 == first && boxes[i].x1 == last) {
                    boxes[i].y1 = cy1;  // the same run as in the row before
                    return;
                }
            }
            boxes.push_back({first, cy, last, cy1});
        };
        for (int cx = x0; cx < x1; cx += kCellWidth) {
            const int cx1 = std::min(cx + kCellWidth, x1);
            if (!keepCell(map, ink, hw, hh, left, span, uLo, uHi, cx, cy, cx1, cy1)) continue;
            if (first >= 0 && cx - last > kGapCells * kCellWidth) {
                endRun();
                first = -1;
            }
            if (first < 0) first = cx;
            last = cx1;
        }
        if (first >= 0) endRun();
        // Rectangles grown from the row before are not this row's to match.
        std::stable_partition(boxes.begin() + static_cast<long>(previousRow), boxes.end(),
                              [&](const Box& b) { return b.y1 != cy1; });
        rowStart = static_cast<size_t>(
            std::find_if(boxes.begin() + static_cast<long>(previousRow), boxes.end(),
                         [&](const Box& b) { return b.y1 == cy1; }) -
            boxes.begin());
    }
    return true;
}

}  // namespace

void inkedPictureQuad(const PictureInk& ink, float halfWidth, float halfHeight, float left, float span,
                      TransparentDepth depth) {
    const auto draw = [&] { pictureQuad(halfWidth, halfHeight, left, span); };
    GLint scissor[4];
    std::vector<Box> boxes;
    if (span == 0.0f || halfWidth <= 0.0f || halfHeight <= 0.0f || !transparentLeavesPixel(ink, depth)) {
        draw();
        return;
    }
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    if (colour[3] <= 0.0f) return;  // every fragment's alpha is 0
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    if (!inkedBoxes(ink, halfWidth, halfHeight, left, span, scissor, boxes)) {
        draw();
        return;
    }
    // A draw of its own costs the driver about as much as this many pixels
    // of a picture; bands that save less than that become one box.
    constexpr long kPixelsPerDraw = 4096;
    if (boxes.size() > 1) {
        Box all = boxes.front();
        long inside = 0;
        for (const Box& box : boxes) {
            all = {std::min(all.x0, box.x0), std::min(all.y0, box.y0), std::max(all.x1, box.x1),
                   std::max(all.y1, box.y1)};
            inside += static_cast<long>(box.x1 - box.x0) * (box.y1 - box.y0);
        }
        const long saved = static_cast<long>(all.x1 - all.x0) * (all.y1 - all.y0) - inside;
        if (saved < kPixelsPerDraw * static_cast<long>(boxes.size() - 1)) boxes.assign(1, all);
    }
    for (const Box& box : boxes) {
        glScissor(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0);
        draw();
    }
    if (!boxes.empty()) glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
}

#endif  // __EMSCRIPTEN__
