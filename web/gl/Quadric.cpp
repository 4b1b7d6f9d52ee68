// The GLU calls the show makes, for the browser build: the perspective
// projection, and quadrics drawn as filled surfaces. The cylinder and the
// partial disk are tessellated exactly as GLU tessellates them (the same
// primitives, vertex order, single-precision tables of the double-precision
// sine and cosine of single-precision angles, and texture coordinates), so
// they cover the same pixels as on the desktop; tests/web/QuadricTest.cpp
// holds them against the system's GLU, call for call and bit for bit.
//
// Quadrics are drawn filled and facing outwards, GLU's defaults and the
// show's only kind; normals are made as GLU makes them although nothing
// lights them.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

struct GLUquadric {
    GLenum normals = GLU_SMOOTH;
    bool textureCoords = false;
};

namespace {
constexpr int kCacheSize = 240;  // GLU's most slices
constexpr double kPi = 3.14159265358979323846;
}  // namespace

extern "C" {

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    glMultMatrixd(m);
}

GLUquadric* gluNewQuadric() { return new GLUquadric; }
void gluDeleteQuadric(GLUquadric* quadric) { delete quadric; }
void gluQuadricNormals(GLUquadric* quadric, GLenum normals) { quadric->normals = normals; }
void gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords) { quadric->textureCoords = textureCoords; }

void gluCylinder(GLUquadric* q, GLdouble baseRadius, GLdouble topRadius, GLdouble height, GLint slices,
                 GLint stacks) {
    if (slices >= kCacheSize) slices = kCacheSize - 1;
    if (slices < 2 || stacks < 1 || baseRadius < 0.0 || topRadius < 0.0 || height < 0.0) return;
    const GLfloat deltaRadius = static_cast<GLfloat>(baseRadius - topRadius);
    const GLfloat length = static_cast<GLfloat>(std::sqrt(deltaRadius * deltaRadius + height * height));
    if (length == 0.0f) return;
    const GLfloat zNormal = deltaRadius / length;
    const GLfloat xyNormalRatio = static_cast<GLfloat>(height / length);

    GLfloat sinCache[kCacheSize], cosCache[kCacheSize], sinCache2[kCacheSize], cosCache2[kCacheSize];
    for (int i = 0; i < slices; ++i) {
        const GLfloat angle = static_cast<GLfloat>(2 * kPi * i / slices);
        sinCache2[i] = static_cast<GLfloat>(xyNormalRatio * std::sin(static_cast<double>(angle)));
        cosCache2[i] = static_cast<GLfloat>(xyNormalRatio * std::cos(static_cast<double>(angle)));
        sinCache[i] = static_cast<GLfloat>(std::sin(static_cast<double>(angle)));
        cosCache[i] = static_cast<GLfloat>(std::cos(static_cast<double>(angle)));
    }
    sinCache[slices] = sinCache[0];
    cosCache[slices] = cosCache[0];
    sinCache2[slices] = sinCache2[0];
    cosCache2[slices] = cosCache2[0];

    for (int j = 0; j < stacks; ++j) {
        const GLfloat zLow = static_cast<GLfloat>(j * height / stacks);
        const GLfloat zHigh = static_cast<GLfloat>((j + 1) * height / stacks);
        const GLfloat radiusLow =
            static_cast<GLfloat>(baseRadius - deltaRadius * (static_cast<float>(j) / stacks));
        const GLfloat radiusHigh =
            static_cast<GLfloat>(baseRadius - deltaRadius * (static_cast<float>(j + 1) / stacks));
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            if (q->normals != GLU_NONE) glNormal3f(sinCache2[i], cosCache2[i], zNormal);
            if (q->textureCoords) glTexCoord2f(1 - static_cast<float>(i) / slices, static_cast<float>(j) / stacks);
            glVertex3f(radiusLow * sinCache[i], radiusLow * cosCache[i], zLow);
            if (q->textureCoords)
                glTexCoord2f(1 - static_cast<float>(i) / slices, static_cast<float>(j + 1) / stacks);
            glVertex3f(radiusHigh * sinCache[i], radiusHigh * cosCache[i], zHigh);
        }
        glEnd();
    }
}

void gluPartialDisk(GLUquadric* q, GLdouble innerRadius, GLdouble outerRadius, GLint slices, GLint loops,
                    GLdouble startAngle, GLdouble sweepAngle) {
    if (slices >= kCacheSize) slices = kCacheSize - 1;
    if (slices < 2 || loops < 1 || outerRadius <= 0.0 || innerRadius < 0.0 || innerRadius > outerRadius) return;
    if (sweepAngle < -360.0) sweepAngle = 360.0;
    if (sweepAngle > 360.0) sweepAngle = 360.0;
    if (sweepAngle < 0) {
        startAngle += sweepAngle;
        sweepAngle = -sweepAngle;
    }
    const GLfloat deltaRadius = static_cast<GLfloat>(outerRadius - innerRadius);
    const GLfloat angleOffset = static_cast<GLfloat>(startAngle / 180.0 * kPi);
    GLfloat sinCache[kCacheSize], cosCache[kCacheSize];
    for (int i = 0; i <= slices; ++i) {
        const GLfloat angle = static_cast<GLfloat>(angleOffset + ((kPi * sweepAngle) / 180.0) * i / slices);
        sinCache[i] = static_cast<GLfloat>(std::sin(static_cast<double>(angle)));
        cosCache[i] = static_cast<GLfloat>(std::cos(static_cast<double>(angle)));
    }
    if (sweepAngle == 360.0) {
        sinCache[slices] = sinCache[0];
        cosCache[slices] = cosCache[0];
    }
    if (q->normals != GLU_NONE) glNormal3f(0.0f, 0.0f, 1.0f);

    auto texCoord = [&](GLfloat tex, int i) {
        if (q->textureCoords) glTexCoord2f(tex * sinCache[i] + 0.5f, tex * cosCache[i] + 0.5f);
    };
    int finish = loops;
    if (innerRadius == 0.0) {
        finish = loops - 1;
        glBegin(GL_TRIANGLE_FAN);
        if (q->textureCoords) glTexCoord2f(0.5f, 0.5f);
        glVertex3f(0.0f, 0.0f, 0.0f);
        const GLfloat radiusLow =
            static_cast<GLfloat>(outerRadius - deltaRadius * (static_cast<float>(loops - 1) / loops));
        const GLfloat texLow = static_cast<GLfloat>(radiusLow / outerRadius / 2);
        for (int i = slices; i >= 0; --i) {
            texCoord(texLow, i);
            glVertex3f(radiusLow * sinCache[i], radiusLow * cosCache[i], 0.0f);
        }
        glEnd();
    }
    for (int j = 0; j < finish; ++j) {
        const GLfloat radiusLow = static_cast<GLfloat>(outerRadius - deltaRadius * (static_cast<float>(j) / loops));
        const GLfloat radiusHigh =
            static_cast<GLfloat>(outerRadius - deltaRadius * (static_cast<float>(j + 1) / loops));
        const GLfloat texLow = static_cast<GLfloat>(radiusLow / outerRadius / 2);
        const GLfloat texHigh = static_cast<GLfloat>(radiusHigh / outerRadius / 2);
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            texCoord(texLow, i);
            glVertex3f(radiusLow * sinCache[i], radiusLow * cosCache[i], 0.0f);
            texCoord(texHigh, i);
            glVertex3f(radiusHigh * sinCache[i], radiusHigh * cosCache[i], 0.0f);
        }
        glEnd();
    }
}

}  // extern "C"
