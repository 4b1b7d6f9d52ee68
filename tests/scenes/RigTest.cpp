// The scene rig itself: the projector agrees with what GL draws, the
// identification pictures tell files and exchanges apart, and the rig's
// clock reaches a scene's own Timer.
#include "scenes/SceneRig.h"

#include "base/Timer.h"
#include "gfx/Pictures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "Art.h"

namespace {

// Draws star.tga (with an exchange) on a quad from (-0.5,-0.5) to (0.5,0.5)
// moved and turned as a scene would, on a black clear.
class QuadScene final : public Scene {
public:
    void load() override {
        loadPicture(texture, "star.tga", RedBlueExchange::WholeBuffer);
    }
    void start() override { timer.start(); }
    void render(float) override {
        seen = timer.seconds();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        texture.bind();
        glLoadIdentity();
        glTranslatef(0.4f, -0.2f, -3.0f);
        glRotatef(30.0f, 0, 0, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1); glVertex2f(-0.5f, -0.5f);
        glTexCoord2f(1, 1); glVertex2f(0.5f, -0.5f);
        glTexCoord2f(1, 0); glVertex2f(0.5f, 0.5f);
        glTexCoord2f(0, 0); glVertex2f(-0.5f, 0.5f);
        glEnd();
        glEnable(GL_DEPTH_TEST);
    }
    double seen = -1;

private:
    Texture texture;
    Timer timer{SceneRig::clock()};
};

}  // namespace

TEST(SceneRig, ProjectorAgreesWithTheDrawingAndTheClockIsDriven) {
    IdentData data(testFolder("rig-data"));
    SceneRig rig(data.dir());
    QuadScene scene;
    rig.begin({&scene}, 10.0);
    rig.render(scene, 12.5);
    EXPECT_DOUBLE_EQ(scene.seen, 12.5);
    rig.read();

    Projector p;
    p.translate(0.4, -0.2, -3.0).rotate(30, 0, 0, 1);
    const Rgb star = IdentData::colourOf("star.tga");
    // Corners just inside and just outside the turned quad.
    for (double corner : {-1.0, 1.0}) {
        const ScreenPoint inside = p.project(0.45 * corner, 0.45 * corner);
        const ScreenPoint outside = p.project(0.56 * corner, 0.56 * corner);
        EXPECT_TRUE(near(rig.pixel(inside.x, inside.y), star)) << describe(rig.pixel(inside.x, inside.y));
        EXPECT_EQ(rig.pixel(outside.x, outside.y), (Rgb{0, 0, 0}));
    }
    EXPECT_NE(star, star.swapped());
}

TEST(SceneRig, IdentificationColoursAreDistinctPerFileAndFrame) {
    std::set<std::tuple<int, int, int>> seen;
    for (const art::ArtFile& file : art::artCatalogue()) {
        for (int frame = 0; frame < file.frames; ++frame) {
            const Rgb c = IdentData::colourOf(file.name, frame);
            if (std::string(file.name) != "font.fnt") {
                EXPECT_GT(std::abs(c.r - c.b), 40) << file.name;
            }
            EXPECT_TRUE(seen.insert({c.r, c.g, c.b}).second) << file.name << " frame " << frame;
        }
    }
}
