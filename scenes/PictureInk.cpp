#include "scenes/PictureInk.h"

#include "gfx/Texture.h"
#include "scenes/Quads.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

void PictureInk::measure(const Texture& texture) {
    texture.bind();
    glName = texture.glName;
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    width = w;
    height = h;
    firstRow.assign(static_cast<size_t>(std::max(w, 0)), h);
    lastRow.assign(static_cast<size_t>(std::max(w, 0)), -1);
    if (w <= 0 || h <= 0) return;
    std::vector<uint8_t> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int row = 0; row < h; ++row) {
        const uint8_t* line = alpha.data() + static_cast<size_t>(row) * static_cast<size_t>(w);
        for (int col = 0; col < w; ++col) {
            if (line[col] == 0) continue;
            firstRow[static_cast<size_t>(col)] = std::min(firstRow[static_cast<size_t>(col)], row);
            lastRow[static_cast<size_t>(col)] = row;
        }
    }
}

namespace {

// Whether a fragment of alpha 0 leaves its pixel as it was, and the scissor
// test is there to narrow.
bool transparentLeavesPixel(const PictureInk& ink) {
    if (!glIsEnabled(GL_BLEND) || glIsEnabled(GL_DEPTH_TEST) || !glIsEnabled(GL_TEXTURE_2D) ||
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

enum class Reach { Box, Nowhere, Unknown };

// The window rectangle {x, y, width, height} that holds every pixel of the
// quad whose sample can reach an inked texel.
Reach inkedBox(const PictureInk& ink, float halfWidth, float halfHeight, float left, float span, GLint box[4]) {
    const double w = ink.width, h = ink.height;
    // u, v: texel units, v = 0 at the quad's top edge. A linear sample at u
    // reads texels floor(u - 0.5) and the next, so texel c is reached from
    // [c - 0.5, c + 1.5); one more texel each side is kept as margin.
    const double uFrom = static_cast<double>(left) * w;
    const double uTo = static_cast<double>(left + span) * w;
    double uLo = HUGE_VAL, uHi = -HUGE_VAL;
    int rowLo = ink.height, rowHi = -1;
    for (long c = static_cast<long>(std::floor(std::min(uFrom, uTo))) - 2;
         c <= static_cast<long>(std::ceil(std::max(uFrom, uTo))) + 2; ++c) {
        const size_t col = static_cast<size_t>(((c % ink.width) + ink.width) % ink.width);  // repeat wrapping
        if (ink.firstRow[col] > ink.lastRow[col]) continue;
        uLo = std::min(uLo, static_cast<double>(c) - 1.5);
        uHi = std::max(uHi, static_cast<double>(c) + 2.5);
        rowLo = std::min(rowLo, ink.firstRow[col]);
        rowHi = std::max(rowHi, ink.lastRow[col]);
    }
    if (rowHi < 0) return Reach::Nowhere;
    double vLo = rowLo - 1.5, vHi = rowHi + 2.5;
    // Near the top or bottom edge a sample also reads the other edge's row.
    if (rowLo < 2 || rowHi > ink.height - 3) {
        vLo = 0.0;
        vHi = h;
    }
    uLo = std::max(uLo, std::min(uFrom, uTo));
    uHi = std::min(uHi, std::max(uFrom, uTo));
    vLo = std::max(vLo, 0.0);
    vHi = std::min(vHi, h);
    if (uLo >= uHi || vLo >= vHi) return Reach::Nowhere;

    // The inked rectangle on the quad, as pictureQuad lays s and t out.
    const double hw = halfWidth, hh = halfHeight;
    const double xs[2] = {-hw + 2.0 * hw * (uLo / w - left) / span, -hw + 2.0 * hw * (uHi / w - left) / span};
    const double ys[2] = {hh - 2.0 * hh * vLo / h, hh - 2.0 * hh * vHi / h};

    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (double x : xs) {
        for (double y : ys) {
            double eye[4];
            for (int i = 0; i < 4; ++i) eye[i] = modelview[i] * x + modelview[4 + i] * y + modelview[12 + i];
            double clip[4];
            for (int i = 0; i < 4; ++i)
                clip[i] = projection[i] * eye[0] + projection[4 + i] * eye[1] + projection[8 + i] * eye[2] +
                          projection[12 + i] * eye[3];
            // A corner at or behind the eye: the rectangle's image is not
            // the hull of its corners' images.
            if (!(clip[3] > 1e-6)) return Reach::Unknown;
            const double wx = viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * viewport[2];
            const double wy = viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * viewport[3];
            if (!std::isfinite(wx) || !std::isfinite(wy)) return Reach::Unknown;
            minX = std::min(minX, wx);
            maxX = std::max(maxX, wx);
            minY = std::min(minY, wy);
            maxY = std::max(maxY, wy);
        }
    }
    // Two pixels of margin round the pixels whose centres lie inside.
    GLint current[4];
    glGetIntegerv(GL_SCISSOR_BOX, current);
    const double x0 = std::max<double>(current[0], std::floor(minX) - 2.0);
    const double y0 = std::max<double>(current[1], std::floor(minY) - 2.0);
    const double x1 = std::min<double>(current[0] + current[2], std::ceil(maxX) + 2.0);
    const double y1 = std::min<double>(current[1] + current[3], std::ceil(maxY) + 2.0);
    if (x0 >= x1 || y0 >= y1) return Reach::Nowhere;
    box[0] = current[0];
    box[1] = current[1];
    box[2] = current[2];
    box[3] = current[3];
    glScissor(static_cast<GLint>(x0), static_cast<GLint>(y0), static_cast<GLsizei>(x1 - x0),
              static_cast<GLsizei>(y1 - y0));
    return Reach::Box;
}

}  // namespace

void inkedPictureQuad(const PictureInk& ink, float halfWidth, float halfHeight, float left, float span) {
    if (!transparentLeavesPixel(ink) || span == 0.0f) {
        pictureQuad(halfWidth, halfHeight, left, span);
        return;
    }
    GLint saved[4];
    switch (inkedBox(ink, halfWidth, halfHeight, left, span, saved)) {
    case Reach::Nowhere: return;
    case Reach::Unknown: pictureQuad(halfWidth, halfHeight, left, span); return;
    case Reach::Box:
        pictureQuad(halfWidth, halfHeight, left, span);
        glScissor(saved[0], saved[1], saved[2], saved[3]);
        return;
    }
}
