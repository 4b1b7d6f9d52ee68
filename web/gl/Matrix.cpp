#include "web/gl/Matrix.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
float& at(Matrix& m, int row, int col) { return m[col * 4 + row]; }
float at(const Matrix& m, int row, int col) { return m[col * 4 + row]; }
}  // namespace

Matrix identityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix p{};
    for (int i = 0; i < 4; ++i) {
        const float ai0 = at(a, i, 0), ai1 = at(a, i, 1), ai2 = at(a, i, 2), ai3 = at(a, i, 3);
        for (int j = 0; j < 4; ++j)
            at(p, i, j) = ai0 * at(b, 0, j) + ai1 * at(b, 1, j) + ai2 * at(b, 2, j) + ai3 * at(b, 3, j);
    }
    return p;
}

void translate(Matrix& m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void scale(Matrix& m, float x, float y, float z) {
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void rotate(Matrix& m, float degrees, float x, float y, float z) {
    const float s = static_cast<float>(std::sin(degrees * kPi / 180.0));
    const float c = static_cast<float>(std::cos(degrees * kPi / 180.0));
    Matrix r = identityMatrix();
    if (x == 0.0f && y == 0.0f && z != 0.0f) {  // about z alone
        at(r, 0, 0) = c;
        at(r, 1, 1) = c;
        at(r, 0, 1) = z < 0.0f ? s : -s;
        at(r, 1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {  // about y alone
        at(r, 0, 0) = c;
        at(r, 2, 2) = c;
        at(r, 0, 2) = y < 0.0f ? -s : s;
        at(r, 2, 0) = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {  // about x alone
        at(r, 1, 1) = c;
        at(r, 2, 2) = c;
        at(r, 1, 2) = x < 0.0f ? s : -s;
        at(r, 2, 1) = x < 0.0f ? -s : s;
    } else {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;  // no axis: GL leaves the matrix alone
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
        at(r, 0, 0) = (oneC * xx) + c;
        at(r, 0, 1) = (oneC * xy) - zs;
        at(r, 0, 2) = (oneC * zx) + ys;
        at(r, 1, 0) = (oneC * xy) + zs;
        at(r, 1, 1) = (oneC * yy) + c;
        at(r, 1, 2) = (oneC * yz) - xs;
        at(r, 2, 0) = (oneC * zx) - ys;
        at(r, 2, 1) = (oneC * yz) + xs;
        at(r, 2, 2) = (oneC * zz) + c;
    }
    m = multiply(m, r);
}

void ortho(Matrix& m, double left, double right, double bottom, double top, double nearVal, double farVal) {
    const float l = static_cast<float>(left), r = static_cast<float>(right);
    const float b = static_cast<float>(bottom), t = static_cast<float>(top);
    const float n = static_cast<float>(nearVal), f = static_cast<float>(farVal);
    Matrix o = identityMatrix();
    at(o, 0, 0) = 2.0f / (r - l);
    at(o, 0, 3) = -(r + l) / (r - l);
    at(o, 1, 1) = 2.0f / (t - b);
    at(o, 1, 3) = -(t + b) / (t - b);
    at(o, 2, 2) = -2.0f / (f - n);
    at(o, 2, 3) = -(f + n) / (f - n);
    m = multiply(m, o);
}

void multiplyByDoubles(Matrix& m, const double* columnMajor) {
    Matrix f{};
    for (int i = 0; i < 16; ++i) f[i] = static_cast<float>(columnMajor[i]);
    m = multiply(m, f);
}

std::array<float, 4> transformPoint(const Matrix& m, float x, float y, float z, float w) {
    std::array<float, 4> out{};
    for (int row = 0; row < 4; ++row) out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
    return out;
}
