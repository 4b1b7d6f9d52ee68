#include "app/WatchControls.h"

#include "base/Timeline.h"

#include <GL/gl.h>

#include <cstdio>

namespace {
// Index into kShowMoments of the part playing at `showTime`. A clock set to a
// moment reads it to within a tick, so a moment a nanosecond ahead counts
// as reached.
int momentAt(double showTime) {
    int at = 0;
    for (int i = 0; i < kShowMomentCount; ++i) {
        if (kShowMoments[i].start <= showTime + 1e-6) at = i;
    }
    return at;
}
}  // namespace

double momentBefore(double showTime) {
    const int at = momentAt(showTime);
    return kShowMoments[at > 0 ? at - 1 : 0].start;
}

double momentAfter(double showTime) {
    const int at = momentAt(showTime);
    return at + 1 < kShowMomentCount ? kShowMoments[at + 1].start : showTime;
}

std::string placeAt(float showTime) {
    const TimelineWindow* scene = &kTimeline[0];
    for (const TimelineWindow& window : kTimeline) {
        if (window.from <= showTime) scene = &window;
    }
    std::string place = scene->name;
    if (scene->slot == kDanceFloorSlot) {
        // The dance floor's clock reads show time.
        const SequenceWindow* sequence = &kDanceFloorSequences[0];
        for (const SequenceWindow& window : kDanceFloorSequences) {
            if (window.from <= showTime) sequence = &window;
        }
        place += std::string(": ") + sequence->name;
    }
    return place;
}

std::string watchingTitle(const std::string& head, float showTime, bool paused) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", static_cast<double>(showTime));
    return head + " | " + time + " | " + placeAt(showTime) + (paused ? " | paused" : "");
}

void PausedPicture::hold(const Viewport& picture) {
    width = picture.width;
    height = picture.height;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(picture.x, picture.y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
}

void PausedPicture::draw(const Viewport& picture) const {
    if (pixels.empty()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    // Every pixel written as it was kept: no texturing, testing, blending,
    // fog or logic op, all channels, no pixel transfer.
    for (const GLenum capability : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_ALPHA_TEST, GL_STENCIL_TEST,
                                    GL_FOG, GL_LIGHTING, GL_COLOR_LOGIC_OP, GL_DITHER}) {
        glDisable(capability);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    for (const GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE}) glPixelTransferf(scale, 1.0f);
    for (const GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS}) glPixelTransferf(bias, 0.0f);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelZoom(static_cast<float>(picture.width) / static_cast<float>(width),
                static_cast<float>(picture.height) / static_cast<float>(height));
    // The viewport's centre, then moved by half the viewport to its lower
    // left corner: a position at the corner itself could be clipped away.
    glRasterPos2f(0.0f, 0.0f);
    glBitmap(0, 0, 0.0f, 0.0f, -0.5f * static_cast<float>(picture.width), -0.5f * static_cast<float>(picture.height),
             nullptr);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
    glPopClientAttrib();
    glPopAttrib();
}

void PausedPicture::release() {
    pixels.clear();
    pixels.shrink_to_fit();
    width = height = 0;
}
