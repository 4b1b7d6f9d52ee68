#include "web/gl/FixedGL.h"

#include "web/gl/Matrix.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// WebGL itself, under the names Emscripten gives every WebGL call so that a
// program may define the GL names (as this file does) without clashing.
extern "C" {
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
void emscripten_glBlendFunc(GLenum, GLenum);
void emscripten_glDepthFunc(GLenum);
void emscripten_glClear(GLbitfield);
void emscripten_glClearColor(GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glClearDepthf(GLfloat);
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
void emscripten_glScissor(GLint, GLint, GLsizei, GLsizei);
void emscripten_glGenTextures(GLsizei, GLuint*);
void emscripten_glDeleteTextures(GLsizei, const GLuint*);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexParameteri(GLenum, GLenum, GLint);
void emscripten_glTexParameterf(GLenum, GLenum, GLfloat);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glPixelStorei(GLenum, GLint);
void emscripten_glGetIntegerv(GLenum, GLint*);
void emscripten_glGetFloatv(GLenum, GLfloat*);
GLuint emscripten_glCreateShader(GLenum);
void emscripten_glShaderSource(GLuint, GLsizei, const GLchar* const*, const GLint*);
void emscripten_glCompileShader(GLuint);
void emscripten_glGetShaderiv(GLuint, GLenum, GLint*);
void emscripten_glGetShaderInfoLog(GLuint, GLsizei, GLsizei*, GLchar*);
GLuint emscripten_glCreateProgram();
void emscripten_glAttachShader(GLuint, GLuint);
void emscripten_glBindAttribLocation(GLuint, GLuint, const GLchar*);
void emscripten_glLinkProgram(GLuint);
void emscripten_glGetProgramiv(GLuint, GLenum, GLint*);
void emscripten_glGetProgramInfoLog(GLuint, GLsizei, GLsizei*, GLchar*);
void emscripten_glUseProgram(GLuint);
GLint emscripten_glGetUniformLocation(GLuint, const GLchar*);
void emscripten_glUniform1i(GLint, GLint);
void emscripten_glGenBuffers(GLsizei, GLuint*);
void emscripten_glBindBuffer(GLenum, GLuint);
void emscripten_glBufferData(GLenum, GLsizeiptr, const void*, GLenum);
void emscripten_glEnableVertexAttribArray(GLuint);
void emscripten_glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
void emscripten_glDrawArrays(GLenum, GLint, GLsizei);
GLboolean emscripten_glIsEnabled(GLenum);
void emscripten_glFinish();
void emscripten_glFlush();
void emscripten_glGenFramebuffers(GLsizei, GLuint*);
void emscripten_glBindFramebuffer(GLenum, GLuint);
void emscripten_glFramebufferRenderbuffer(GLenum, GLenum, GLenum, GLuint);
void emscripten_glGenRenderbuffers(GLsizei, GLuint*);
void emscripten_glBindRenderbuffer(GLenum, GLuint);
void emscripten_glRenderbufferStorage(GLenum, GLenum, GLsizei, GLsizei);
}

namespace {

// GLSL ES 1.00 names the constants the desktop headers leave out.
constexpr GLenum kVertexShader = 0x8B31;
constexpr GLenum kFragmentShader = 0x8B30;
constexpr GLenum kCompileStatus = 0x8B81;
constexpr GLenum kLinkStatus = 0x8B82;
constexpr GLenum kArrayBuffer = 0x8892;
constexpr GLenum kStreamDraw = 0x88E0;
// WebGL 1 keeps 16-bit colour renderbuffers only (8 bits a channel need an
// extension).
constexpr GLenum kRgba4 = 0x8056;

const char* const kVertexSource = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec2 texCoord;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = position;
    vColour = colour;
    vTexCoord = texCoord;
})";

const char* const kFragmentSource = R"(
precision highp float;
uniform sampler2D picture;
uniform bool textured;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_FragColor = textured ? vColour * texture2D(picture, vTexCoord) : vColour;
})";

enum Attribute : GLuint { kPosition = 0, kColour = 1, kTexCoord = 2 };

// One vertex as the shader takes it: clip coordinates, colour, texture
// coordinates.
struct Vertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t;
};

// One recorded command of a display list.
struct ListCommand {
    enum Kind : uint8_t { Begin, End, Vertex, TexCoord, Colour, Translate, Rotate, Scale, Call };
    Kind kind;
    float v[4];
};
using DisplayList = std::vector<ListCommand>;

constexpr size_t kMaxStackDepth = 32;  // GL's least modelview depth

struct Pipeline {
    GLuint program = 0;
    GLuint buffer = 0;
    GLint texturedUniform = -1;
    bool texturedInShader = false;

    std::vector<Matrix> modelview{identityMatrix()};
    std::vector<Matrix> projection{identityMatrix()};
    GLenum matrixMode = GL_MODELVIEW;
    Matrix modelviewProjection = identityMatrix();
    bool modelviewProjectionStale = false;

    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float texCoord[2] = {0.0f, 0.0f};

    bool texturing = false;
    bool blending = false;
    bool depthTest = false;
    bool scissorTest = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLenum depthFunction = GL_LESS;
    GLuint boundTexture = 0;
    GLuint boundFramebuffer = 0;  // WebGL 1 draws and reads through one binding
    GLint unpackAlignment = 4;
    GLint packAlignment = 4;
    std::vector<GLint> clientAttribStack;  // alignment pairs

    bool inPrimitive = false;
    GLenum primitive = GL_TRIANGLES;
    std::vector<Vertex> primitiveVertices;  // object coordinates until glEnd
    std::vector<Vertex> batch;              // clip coordinates, triangles

    std::vector<DisplayList> lists{DisplayList{}};  // name 0 is never a list
    GLuint listBase = 0;
    GLuint compiling = 0;  // the list being recorded, 0 when none
    int callDepth = 0;

    std::vector<GLuint> textures;
};

Pipeline& gl() {
    static Pipeline pipeline;
    return pipeline;
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

void flushBatch() {
    Pipeline& p = gl();
    if (p.batch.empty()) return;
    if (p.texturedInShader != p.texturing) {
        emscripten_glUniform1i(p.texturedUniform, p.texturing ? 1 : 0);
        p.texturedInShader = p.texturing;
    }
    emscripten_glBufferData(kArrayBuffer, static_cast<GLsizeiptr>(p.batch.size() * sizeof(Vertex)), p.batch.data(),
                            kStreamDraw);
    emscripten_glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(p.batch.size()));
    p.batch.clear();
}

Matrix& currentMatrix() {
    Pipeline& p = gl();
    return p.matrixMode == GL_PROJECTION ? p.projection.back() : p.modelview.back();
}

void matrixChanged() { gl().modelviewProjectionStale = true; }

// Appends triangle (a, b, c) of the primitive's vertices, transformed.
void emitTriangle(const std::vector<Vertex>& in, size_t a, size_t b, size_t c) {
    Pipeline& p = gl();
    for (size_t i : {a, b, c}) {
        Vertex v = in[i];
        const auto clip = transformPoint(p.modelviewProjection, v.x, v.y, v.z, v.w);
        v.x = clip[0];
        v.y = clip[1];
        v.z = clip[2];
        v.w = clip[3];
        p.batch.push_back(v);
    }
}

// Splits the finished primitive into triangles the way Mesa's software
// rasteriser does (a quad a, b, c, d as a-b-d and b-c-d: the diagonal from
// the second corner to the fourth), which decides how colours and texture
// coordinates spread over quads that are not parallelograms.
void endPrimitive() {
    Pipeline& p = gl();
    if (p.modelviewProjectionStale) {
        p.modelviewProjection = multiply(p.projection.back(), p.modelview.back());
        p.modelviewProjectionStale = false;
    }
    const std::vector<Vertex>& v = p.primitiveVertices;
    const size_t n = v.size();
    switch (p.primitive) {
    case GL_TRIANGLE_FAN:
        for (size_t i = 1; i + 1 < n; ++i) emitTriangle(v, 0, i, i + 1);
        break;
    case GL_QUADS:
        for (size_t i = 0; i + 3 < n; i += 4) {
            emitTriangle(v, i, i + 1, i + 3);
            emitTriangle(v, i + 1, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        // Quad k is 2k, 2k+1, 2k+3, 2k+2 in order round its edge.
        for (size_t i = 0; i + 3 < n; i += 2) {
            emitTriangle(v, i, i + 1, i + 2);
            emitTriangle(v, i + 1, i + 3, i + 2);
        }
        break;
    default:  // the show draws no other kind
        break;
    }
    p.primitiveVertices.clear();
}

void record(ListCommand::Kind kind, float a = 0, float b = 0, float c = 0, float d = 0) {
    Pipeline& p = gl();
    p.lists[p.compiling].push_back(ListCommand{kind, {a, b, c, d}});
}

bool compiling() { return gl().compiling != 0; }

void vertex(float x, float y, float z, float w) {
    Pipeline& p = gl();
    if (compiling()) {
        record(ListCommand::Vertex, x, y, z, w);
        return;
    }
    if (!p.inPrimitive) return;
    p.primitiveVertices.push_back(
        Vertex{x, y, z, w, p.colour[0], p.colour[1], p.colour[2], p.colour[3], p.texCoord[0], p.texCoord[1]});
}

void setCapability(GLenum cap, bool on) {
    Pipeline& p = gl();
    bool* tracked = nullptr;
    switch (cap) {
    case GL_TEXTURE_2D: tracked = &p.texturing; break;
    case GL_BLEND: tracked = &p.blending; break;
    case GL_DEPTH_TEST: tracked = &p.depthTest; break;
    case GL_SCISSOR_TEST: tracked = &p.scissorTest; break;
    default: break;
    }
    if (tracked && *tracked == on) return;
    flushBatch();
    if (tracked) *tracked = on;
    if (cap == GL_TEXTURE_2D) return;  // the shader's switch, not WebGL's
    if (on) emscripten_glEnable(cap);
    else emscripten_glDisable(cap);
}

void callList(GLuint name);

void replay(const DisplayList& list) {
    for (const ListCommand& c : list) {
        switch (c.kind) {
        case ListCommand::Begin: glBegin(static_cast<GLenum>(c.v[0])); break;
        case ListCommand::End: glEnd(); break;
        case ListCommand::Vertex: vertex(c.v[0], c.v[1], c.v[2], c.v[3]); break;
        case ListCommand::TexCoord: glTexCoord2f(c.v[0], c.v[1]); break;
        case ListCommand::Colour: glColor4f(c.v[0], c.v[1], c.v[2], c.v[3]); break;
        case ListCommand::Translate: glTranslatef(c.v[0], c.v[1], c.v[2]); break;
        case ListCommand::Rotate: glRotatef(c.v[0], c.v[1], c.v[2], c.v[3]); break;
        case ListCommand::Scale: glScalef(c.v[0], c.v[1], c.v[2]); break;
        case ListCommand::Call: callList(static_cast<GLuint>(c.v[0])); break;
        }
    }
}

void callList(GLuint name) {
    Pipeline& p = gl();
    if (compiling()) {
        record(ListCommand::Call, static_cast<float>(name));
        return;
    }
    // GL's least nesting depth; a list that calls itself stops there too.
    if (name == 0 || name >= p.lists.size() || p.callDepth >= 64) return;
    ++p.callDepth;
    replay(p.lists[name]);
    --p.callDepth;
}

GLuint compileShader(GLenum type, const char* source, std::string* why) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, kCompileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        *why = std::string("the graphics driver refused a shader: ") + log;
        return 0;
    }
    return shader;
}

}  // namespace

namespace fixedgl {

bool start(std::string* why) {
    Pipeline& p = gl();
    p = Pipeline{};
    const GLuint vertexShader = compileShader(kVertexShader, kVertexSource, why);
    const GLuint fragmentShader = vertexShader ? compileShader(kFragmentShader, kFragmentSource, why) : 0;
    if (!fragmentShader) return false;
    p.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.program, vertexShader);
    emscripten_glAttachShader(p.program, fragmentShader);
    emscripten_glBindAttribLocation(p.program, kPosition, "position");
    emscripten_glBindAttribLocation(p.program, kColour, "colour");
    emscripten_glBindAttribLocation(p.program, kTexCoord, "texCoord");
    emscripten_glLinkProgram(p.program);
    GLint linked = 0;
    emscripten_glGetProgramiv(p.program, kLinkStatus, &linked);
    if (!linked) {
        char log[1024] = {};
        emscripten_glGetProgramInfoLog(p.program, sizeof log, nullptr, log);
        *why = std::string("the graphics driver refused the shader pair: ") + log;
        return false;
    }
    emscripten_glUseProgram(p.program);
    p.texturedUniform = emscripten_glGetUniformLocation(p.program, "textured");
    emscripten_glUniform1i(emscripten_glGetUniformLocation(p.program, "picture"), 0);
    emscripten_glUniform1i(p.texturedUniform, 0);

    emscripten_glGenBuffers(1, &p.buffer);
    emscripten_glBindBuffer(kArrayBuffer, p.buffer);
    const GLsizei stride = sizeof(Vertex);
    emscripten_glEnableVertexAttribArray(kPosition);
    emscripten_glVertexAttribPointer(kPosition, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    emscripten_glEnableVertexAttribArray(kColour);
    emscripten_glVertexAttribPointer(kColour, 4, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(Vertex, r)));
    emscripten_glEnableVertexAttribArray(kTexCoord);
    emscripten_glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<void*>(offsetof(Vertex, s)));

    // GL's initial state, which WebGL's is too; set again for a fresh start.
    emscripten_glDisable(GL_BLEND);
    emscripten_glDisable(GL_DEPTH_TEST);
    emscripten_glDisable(GL_SCISSOR_TEST);
    emscripten_glBlendFunc(GL_ONE, GL_ZERO);
    emscripten_glDepthFunc(GL_LESS);
    return true;
}

void finishFrame() { flushBatch(); }

void releaseAll() {
    Pipeline& p = gl();
    flushBatch();
    if (!p.textures.empty())
        emscripten_glDeleteTextures(static_cast<GLsizei>(p.textures.size()), p.textures.data());
    p.textures.clear();
    p.boundTexture = 0;
    p.lists.assign(1, DisplayList{});
    p.compiling = 0;
    p.listBase = 0;
}

}  // namespace fixedgl

extern "C" {

// Primitives and the current vertex attributes.

void glBegin(GLenum mode) {
    Pipeline& p = gl();
    if (compiling()) {
        record(ListCommand::Begin, static_cast<float>(mode));
        return;
    }
    p.inPrimitive = true;
    p.primitive = mode;
    p.primitiveVertices.clear();
}

void glEnd() {
    Pipeline& p = gl();
    if (compiling()) {
        record(ListCommand::End);
        return;
    }
    if (!p.inPrimitive) return;
    p.inPrimitive = false;
    endPrimitive();
}

void glVertex2f(GLfloat x, GLfloat y) { vertex(x, y, 0.0f, 1.0f); }
void glVertex2i(GLint x, GLint y) { vertex(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { vertex(x, y, z, 1.0f); }

void glTexCoord2f(GLfloat s, GLfloat t) {
    if (compiling()) {
        record(ListCommand::TexCoord, s, t);
        return;
    }
    gl().texCoord[0] = s;
    gl().texCoord[1] = t;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (compiling()) {
        record(ListCommand::Colour, r, g, b, a);
        return;
    }
    // Without lighting GL clamps the colour before it is interpolated.
    float* c = gl().colour;
    c[0] = clamp01(r);
    c[1] = clamp01(g);
    c[2] = clamp01(b);
    c[3] = clamp01(a);
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
// Only s and t reach the shader; r and q read back as GL's 0 and 1.
void glTexCoord4fv(const GLfloat* v) { glTexCoord2f(v[0], v[1]); }

// Normals only matter to lighting, which the show never turns on.
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glNormal3fv(const GLfloat*) {}

// Matrices.

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION) gl().matrixMode = mode;
}

void glLoadMatrixf(const GLfloat* m) {
    std::copy(m, m + 16, currentMatrix().begin());
    matrixChanged();
}

void glLoadIdentity() {
    currentMatrix() = identityMatrix();
    matrixChanged();
}

void glPushMatrix() {
    Pipeline& p = gl();
    std::vector<Matrix>& stack = p.matrixMode == GL_PROJECTION ? p.projection : p.modelview;
    if (stack.size() < kMaxStackDepth) stack.push_back(stack.back());
}

void glPopMatrix() {
    Pipeline& p = gl();
    std::vector<Matrix>& stack = p.matrixMode == GL_PROJECTION ? p.projection : p.modelview;
    if (stack.size() > 1) stack.pop_back();
    matrixChanged();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (compiling()) {
        record(ListCommand::Translate, x, y, z);
        return;
    }
    translate(currentMatrix(), x, y, z);
    matrixChanged();
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (compiling()) {
        record(ListCommand::Rotate, angle, x, y, z);
        return;
    }
    rotate(currentMatrix(), angle, x, y, z);
    matrixChanged();
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (compiling()) {
        record(ListCommand::Scale, x, y, z);
        return;
    }
    scale(currentMatrix(), x, y, z);
    matrixChanged();
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearVal, GLdouble farVal) {
    ortho(currentMatrix(), left, right, bottom, top, nearVal, farVal);
    matrixChanged();
}

void glMultMatrixd(const GLdouble* m) {
    multiplyByDoubles(currentMatrix(), m);
    matrixChanged();
}

// Display lists.

GLuint glGenLists(GLsizei range) {
    Pipeline& p = gl();
    if (range <= 0) return 0;
    const GLuint first = static_cast<GLuint>(p.lists.size());
    p.lists.resize(p.lists.size() + static_cast<size_t>(range));
    return first;
}

void glNewList(GLuint list, GLenum) {
    Pipeline& p = gl();
    if (list == 0 || list >= p.lists.size() || p.compiling != 0) return;
    p.lists[list].clear();
    p.compiling = list;
}

void glEndList() { gl().compiling = 0; }

void glCallList(GLuint list) { callList(list); }

void glListBase(GLuint base) { gl().listBase = base; }

void glCallLists(GLsizei n, GLenum type, const GLvoid* lists) {
    const GLuint base = gl().listBase;
    for (GLsizei i = 0; i < n; ++i) {
        GLuint offset = 0;
        switch (type) {
        case GL_UNSIGNED_BYTE: offset = static_cast<const GLubyte*>(lists)[i]; break;
        case GL_UNSIGNED_SHORT: offset = static_cast<const GLushort*>(lists)[i]; break;
        case GL_UNSIGNED_INT: offset = static_cast<const GLuint*>(lists)[i]; break;
        default: return;
        }
        callList(base + offset);
    }
}

// Capabilities and fragment state.

void glEnable(GLenum cap) { setCapability(cap, true); }
void glDisable(GLenum cap) { setCapability(cap, false); }

void glBlendFunc(GLenum source, GLenum destination) {
    Pipeline& p = gl();
    if (p.blendSource == source && p.blendDestination == destination) return;
    flushBatch();
    p.blendSource = source;
    p.blendDestination = destination;
    emscripten_glBlendFunc(source, destination);
}

void glDepthFunc(GLenum function) {
    Pipeline& p = gl();
    if (p.depthFunction == function) return;
    flushBatch();
    p.depthFunction = function;
    emscripten_glDepthFunc(function);
}

// Smooth shading is the only kind the shader pair does, and the show asks
// for no other; hints change nothing on WebGL.
void glShadeModel(GLenum) {}
void glHint(GLenum, GLenum) {}

// Framebuffer.

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { emscripten_glClearColor(r, g, b, a); }
void glClearDepth(GLclampd depth) { emscripten_glClearDepthf(static_cast<float>(depth)); }

void glFinish() {
    flushBatch();
    emscripten_glFinish();
}

void glFlush() {
    flushBatch();
    emscripten_glFlush();
}

void glClear(GLbitfield mask) {
    flushBatch();
    emscripten_glClear(mask);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushBatch();
    emscripten_glViewport(x, y, width, height);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushBatch();
    emscripten_glScissor(x, y, width, height);
}

// Framebuffer objects: only what drawing into a renderbuffer needs. The
// draw and read bindings are WebGL 1's one framebuffer binding.

void glGenFramebuffers(GLsizei n, GLuint* names) { emscripten_glGenFramebuffers(n, names); }

void glBindFramebuffer(GLenum, GLuint name) {
    Pipeline& p = gl();
    if (p.boundFramebuffer == name) return;
    flushBatch();
    p.boundFramebuffer = name;
    emscripten_glBindFramebuffer(GL_FRAMEBUFFER, name);
}

void glFramebufferRenderbuffer(GLenum, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer) {
    emscripten_glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, renderbufferTarget, renderbuffer);
}

void glGenRenderbuffers(GLsizei n, GLuint* names) { emscripten_glGenRenderbuffers(n, names); }
void glBindRenderbuffer(GLenum target, GLuint name) { emscripten_glBindRenderbuffer(target, name); }

void glRenderbufferStorage(GLenum target, GLenum format, GLsizei width, GLsizei height) {
    emscripten_glRenderbufferStorage(target, format == GL_RGBA8 ? kRgba4 : format, width, height);
}

// Textures.

void glGenTextures(GLsizei n, GLuint* names) {
    emscripten_glGenTextures(n, names);
    gl().textures.insert(gl().textures.end(), names, names + n);
}

void glBindTexture(GLenum target, GLuint name) {
    Pipeline& p = gl();
    if (target == GL_TEXTURE_2D && p.boundTexture == name) return;
    flushBatch();
    if (target == GL_TEXTURE_2D) p.boundTexture = name;
    emscripten_glBindTexture(target, name);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    flushBatch();
    emscripten_glTexParameteri(target, name, value);
}

void glTexParameterf(GLenum target, GLenum name, GLfloat value) {
    flushBatch();
    emscripten_glTexParameterf(target, name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    flushBatch();
    emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}

// Pixel storage: WebGL 1 knows only the alignments; the row length and
// skips the texture code sets are GL's defaults (0), which WebGL has anyway.
void glPixelStorei(GLenum name, GLint value) {
    Pipeline& p = gl();
    switch (name) {
    case GL_UNPACK_ALIGNMENT:
        p.unpackAlignment = value;
        emscripten_glPixelStorei(name, value);
        break;
    case GL_PACK_ALIGNMENT:
        p.packAlignment = value;
        emscripten_glPixelStorei(name, value);
        break;
    default:
        break;
    }
}

void glPushClientAttrib(GLbitfield) {
    Pipeline& p = gl();
    p.clientAttribStack.push_back(p.unpackAlignment);
    p.clientAttribStack.push_back(p.packAlignment);
}

void glPopClientAttrib() {
    Pipeline& p = gl();
    if (p.clientAttribStack.size() < 2) return;
    const GLint pack = p.clientAttribStack.back();
    p.clientAttribStack.pop_back();
    const GLint unpack = p.clientAttribStack.back();
    p.clientAttribStack.pop_back();
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glPixelStorei(GL_PACK_ALIGNMENT, pack);
}

// Queries.

// The state this layer keeps itself is read from it; the rest from WebGL.

GLboolean glIsEnabled(GLenum cap) {
    const Pipeline& p = gl();
    switch (cap) {
    case GL_TEXTURE_2D: return p.texturing;
    case GL_BLEND: return p.blending;
    case GL_DEPTH_TEST: return p.depthTest;
    case GL_SCISSOR_TEST: return p.scissorTest;
    default: return emscripten_glIsEnabled(cap);
    }
}

void glGetIntegerv(GLenum name, GLint* values) {
    const Pipeline& p = gl();
    switch (name) {
    case GL_MATRIX_MODE: *values = static_cast<GLint>(p.matrixMode); break;
    case GL_BLEND_SRC: *values = static_cast<GLint>(p.blendSource); break;
    case GL_BLEND_DST: *values = static_cast<GLint>(p.blendDestination); break;
    case GL_TEXTURE_BINDING_2D: *values = static_cast<GLint>(p.boundTexture); break;
    case GL_LIST_BASE: *values = static_cast<GLint>(p.listBase); break;
    case GL_DRAW_FRAMEBUFFER_BINDING:  // GL_FRAMEBUFFER_BINDING too
    case GL_READ_FRAMEBUFFER_BINDING: *values = static_cast<GLint>(p.boundFramebuffer); break;
    default: emscripten_glGetIntegerv(name, values); break;
    }
}

void glGetFloatv(GLenum name, GLfloat* values) {
    const Pipeline& p = gl();
    switch (name) {
    case GL_CURRENT_COLOR: std::copy(p.colour, p.colour + 4, values); break;
    case GL_CURRENT_TEXTURE_COORDS:
        values[0] = p.texCoord[0];
        values[1] = p.texCoord[1];
        values[2] = 0.0f;
        values[3] = 1.0f;
        break;
    case GL_CURRENT_NORMAL:  // dropped: always GL's first one
        values[0] = 0.0f;
        values[1] = 0.0f;
        values[2] = 1.0f;
        break;
    case GL_MODELVIEW_MATRIX: std::copy(p.modelview.back().begin(), p.modelview.back().end(), values); break;
    case GL_PROJECTION_MATRIX: std::copy(p.projection.back().begin(), p.projection.back().end(), values); break;
    default: emscripten_glGetFloatv(name, values); break;
    }
}

}  // extern "C"
