// The browser build's GLU quadrics (web/gl/Quadric.cpp) against the system's
// GLU: both draw into the recording GL calls below (this executable exports
// them, so the GLU library, opened with dlopen, calls them too), and every
// call with every float argument must be the same, bit for bit, for the
// shapes the show draws: the turntable's textured cylinder and the dance
// floor's wipe, a partial disc at sweeps from more than a full turn down to
// nothing.
#include <GL/gl.h>
#include <GL/glu.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Call {
    char kind;  // B(egin), E(nd), V(ertex), T(excoord), N(ormal)
    GLenum mode;
    float v[3];
    bool operator==(const Call& o) const {
        return kind == o.kind && mode == o.mode && std::memcmp(v, o.v, sizeof v) == 0;
    }
};

std::vector<Call> recorded;

void add(char kind, GLenum mode, float a = 0, float b = 0, float c = 0) {
    recorded.push_back(Call{kind, mode, {a, b, c}});
}

std::string describe(const Call& c) {
    return std::string(1, c.kind) + " " + std::to_string(c.mode) + " " + std::to_string(c.v[0]) + " " +
           std::to_string(c.v[1]) + " " + std::to_string(c.v[2]);
}

}  // namespace

extern "C" {
void glBegin(GLenum mode) { add('B', mode); }
void glEnd() { add('E', 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { add('V', 0, x, y, z); }
void glTexCoord2f(GLfloat s, GLfloat t) { add('T', 0, s, t); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { add('N', 0, x, y, z); }
void glMultMatrixd(const GLdouble*) {}  // gluPerspective's; not drawn here
}

namespace {

class SystemGlu {
public:
    SystemGlu() : library(dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL)) {
        if (!library) return;
        newQuadric = reinterpret_cast<decltype(newQuadric)>(dlsym(library, "gluNewQuadric"));
        deleteQuadric = reinterpret_cast<decltype(deleteQuadric)>(dlsym(library, "gluDeleteQuadric"));
        quadricNormals = reinterpret_cast<decltype(quadricNormals)>(dlsym(library, "gluQuadricNormals"));
        quadricTexture = reinterpret_cast<decltype(quadricTexture)>(dlsym(library, "gluQuadricTexture"));
        cylinder = reinterpret_cast<decltype(cylinder)>(dlsym(library, "gluCylinder"));
        partialDisk = reinterpret_cast<decltype(partialDisk)>(dlsym(library, "gluPartialDisk"));
    }
    ~SystemGlu() {
        if (library) dlclose(library);
    }
    bool ready() const { return library && newQuadric && deleteQuadric && cylinder && partialDisk; }

    void* library;
    GLUquadric* (*newQuadric)() = nullptr;
    void (*deleteQuadric)(GLUquadric*) = nullptr;
    void (*quadricNormals)(GLUquadric*, GLenum) = nullptr;
    void (*quadricTexture)(GLUquadric*, GLboolean) = nullptr;
    void (*cylinder)(GLUquadric*, GLdouble, GLdouble, GLdouble, GLint, GLint) = nullptr;
    void (*partialDisk)(GLUquadric*, GLdouble, GLdouble, GLint, GLint, GLdouble, GLdouble) = nullptr;
};

// Runs `draw` and hands back what it called.
template <typename Draw>
std::vector<Call> record(Draw draw) {
    recorded.clear();
    draw();
    return std::move(recorded);
}

void expectSame(const std::vector<Call>& ours, const std::vector<Call>& glu) {
    ASSERT_GT(glu.size(), 0u);
    ASSERT_EQ(ours.size(), glu.size());
    for (size_t i = 0; i < glu.size(); ++i) {
        ASSERT_TRUE(ours[i] == glu[i]) << "call " << i << ": ours " << describe(ours[i]) << ", GLU's "
                                       << describe(glu[i]);
    }
}

TEST(WebQuadric, TexturedCylinderIsGlus) {
    SystemGlu glu;
    ASSERT_TRUE(glu.ready()) << dlerror();
    GLUquadric* theirs = glu.newQuadric();
    glu.quadricNormals(theirs, GLU_SMOOTH);
    glu.quadricTexture(theirs, GL_TRUE);
    GLUquadric* ours = gluNewQuadric();
    gluQuadricNormals(ours, GLU_SMOOTH);
    gluQuadricTexture(ours, GL_TRUE);
    // The turntable's rim, and a plain tube.
    for (const double base : {static_cast<double>(1.09f), 0.5}) {
        const auto expected = record([&] { glu.cylinder(theirs, base, 1.0, static_cast<double>(0.1f), 64, 64); });
        expectSame(record([&] { gluCylinder(ours, base, 1.0, static_cast<double>(0.1f), 64, 64); }), expected);
    }
    gluDeleteQuadric(ours);
    glu.deleteQuadric(theirs);
}

TEST(WebQuadric, WipeDiscIsGlus) {
    SystemGlu glu;
    ASSERT_TRUE(glu.ready()) << dlerror();
    GLUquadric* theirs = glu.newQuadric();
    GLUquadric* ours = gluNewQuadric();
    // 360 - 120 w for the wipe's w from before it (a sweep past a full
    // turn) through to its end (no sweep at all).
    for (const float w : {-1.0f, 0.0f, 0.01f, 0.5f, 1.37f, 2.0f, 2.999f, 3.0f}) {
        const double sweep = 360.0f - w * 120.0f;
        const auto expected = record([&] { glu.partialDisk(theirs, 0.0, 2.0, 32, 32, 0.0, sweep); });
        expectSame(record([&] { gluPartialDisk(ours, 0.0, 2.0, 32, 32, 0.0, sweep); }), expected);
    }
    // A ring with a hole, textured: the other branch of the tessellation.
    glu.quadricTexture(theirs, GL_TRUE);
    gluQuadricTexture(ours, GL_TRUE);
    const auto expected = record([&] { glu.partialDisk(theirs, 0.5, 2.0, 24, 3, 30.0, -200.0); });
    expectSame(record([&] { gluPartialDisk(ours, 0.5, 2.0, 24, 3, 30.0, -200.0); }), expected);
    gluDeleteQuadric(ours);
    glu.deleteQuadric(theirs);
}

}  // namespace
