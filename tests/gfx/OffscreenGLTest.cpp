// The offscreen context: a compatibility context drawing into a framebuffer of
// the requested size, read back top row first.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "GlTestContext.h"

namespace {

// Fills NDC rectangle (x0,y0)-(x1,y1) with a colour in immediate mode.
void fillRect(float x0, float y0, float x1, float y1, float r, float g, float b) {
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

void resetDrawingState() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

TEST(OffscreenGL, IsACompatibilityContextOfTheRequestedSize) {
    OffscreenGL& gl = testGL();
    EXPECT_EQ(gl.width(), 640);
    EXPECT_EQ(gl.height(), 480);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    GLint depthBits = 0, redBits = 0, alphaBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_RED_BITS, &redBits);
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    EXPECT_GE(depthBits, 16);
    EXPECT_EQ(redBits, 8);
    EXPECT_EQ(alphaBits, 8);
    // Display lists and the fixed-function matrix stack are available.
    const GLuint list = glGenLists(1);
    EXPECT_NE(list, 0u);
    glDeleteLists(list, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(OffscreenGL, ReadsPixelsTopRowFirstWithoutDisturbingPackState) {
    OffscreenGL& gl = testGL();
    resetDrawingState();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fillRect(-1, 0.5f, 1, 1, 1, 0, 0);    // top quarter red
    fillRect(-1, -1, -0.5f, 1, 0, 0, 1);  // left quarter blue (over the red)

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
    auto px = [&](int x, int y) { return &rgba[(size_t(y) * 640 + x) * 4]; };
    EXPECT_EQ(px(400, 10)[0], 255);   // top row first: red near the start
    EXPECT_EQ(px(400, 10)[2], 0);
    EXPECT_EQ(px(400, 470)[0], 0);    // bottom is black
    EXPECT_EQ(px(10, 470)[2], 255);   // left quarter blue all the way down
    EXPECT_EQ(px(159, 200)[2], 255);
    EXPECT_EQ(px(160, 200)[2], 0);
    EXPECT_EQ(px(400, 119)[0], 255);  // red band is exactly 120 rows
    EXPECT_EQ(px(400, 120)[0], 0);
    EXPECT_EQ(px(400, 10)[3], 255);
}

TEST(OffscreenGL, GluCallsReachTheContext) {
    resetDrawingState();
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 640.0 / 480.0, 0.1, 100.0);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5], 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0), 1e-4);
    EXPECT_FLOAT_EQ(m[11], -1.0f);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

TEST(OffscreenGL, SecondContextOfAnOddSizeLivesBesideTheFirst) {
    OffscreenGL other;
    std::string error;
    ASSERT_TRUE(other.create(37, 23, &error)) << error;
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> rgba;
    other.readPixels(rgba);
    ASSERT_EQ(rgba.size(), 37u * 23u * 4u);
    EXPECT_EQ(rgba[(22 * 37 + 36) * 4 + 1], 255);
    other.destroy();

    // The shared context still works once current again.
    ASSERT_TRUE(testGL().makeCurrent());
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    testGL().readPixels(rgba);
    ASSERT_EQ(rgba.size(), 640u * 480u * 4u);
    EXPECT_EQ(rgba[2], 255);
}

TEST(OffscreenGL, RefusesNonsenseSizesWithAReason) {
    OffscreenGL bad;
    std::string error;
    EXPECT_FALSE(bad.create(0, 10, &error));
    EXPECT_NE(error.find("size"), std::string::npos);
    EXPECT_FALSE(bad.valid());
    ASSERT_TRUE(testGL().makeCurrent());
}

}  // namespace
