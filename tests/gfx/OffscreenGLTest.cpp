// The offscreen context: compatibility GL into a framebuffer of the requested
// size, read back top row first without disturbing pack state.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "common/GlContext.h"

namespace {

void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b) {
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0), glVertex2f(x1, y0), glVertex2f(x1, y1), glVertex2f(x0, y1);
    glEnd();
}

TEST(OffscreenGL, DrawsImmediateModeAndReadsTopRowFirst) {
    OffscreenGL& gl = testGL();
    GLint viewport[4] = {}, depthBits = 0, alphaBits = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    EXPECT_GE(depthBits, 16);
    EXPECT_EQ(alphaBits, 8);

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fillRect(-1, 0.5f, 1, 1, 1, 0, 0);    // top quarter red
    fillRect(-1, -1, -0.5f, 1, 0, 0, 1);  // left quarter blue
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    glPixelStorei(GL_PACK_ROW_LENGTH, 13);
    std::vector<uint8_t> rgba;
    gl.readPixels(rgba);
    GLint alignment = 0, rowLength = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 13);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);

    ASSERT_EQ(rgba.size(), 640u * 480u * 4u);
    auto px = [&](int x, int row) { return &rgba[(size_t(row) * 640 + x) * 4]; };
    EXPECT_EQ(px(400, 0)[0], 255);    // first row is the top: red
    EXPECT_EQ(px(400, 119)[0], 255);  // red band exactly 120 rows
    EXPECT_EQ(px(400, 120)[0], 0);
    EXPECT_EQ(px(159, 479)[2], 255);  // blue band exactly 160 columns
    EXPECT_EQ(px(160, 479)[2], 0);
    EXPECT_EQ(px(400, 0)[3], 255);
}

TEST(OffscreenGL, SecondContextOfAnOddSizeLivesBesideTheFirst) {
    {
        OffscreenGL other;
        std::string error;
        ASSERT_TRUE(other.create(37, 23, &error)) << error;
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        std::vector<uint8_t> rgba;
        other.readPixels(rgba);
        ASSERT_EQ(rgba.size(), 37u * 23u * 4u);
        EXPECT_EQ(rgba[rgba.size() - 3], 255);
        EXPECT_FALSE(OffscreenGL().create(0, 10, &error));
        EXPECT_NE(error.find("size"), std::string::npos);
    }
    ASSERT_TRUE(testGL().makeCurrent());  // the shared display outlived the second context
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> rgba;
    testGL().readPixels(rgba);
    EXPECT_EQ(rgba[2], 255);
}

}  // namespace
