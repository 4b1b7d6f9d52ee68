#pragma once
// 4x4 single-precision matrices as the fixed-function pipeline keeps them:
// column-major (m[col * 4 + row]), every operation post-multiplying the
// matrix it changes, each product formed in float in the order Mesa forms
// it, so the browser's vertices land where the desktop's do.
#include <array>

using Matrix = std::array<float, 16>;

Matrix identityMatrix();
// a * b.
Matrix multiply(const Matrix& a, const Matrix& b);

// What glTranslatef, glScalef, glRotatef and glOrtho do to `m`.
void translate(Matrix& m, float x, float y, float z);
void scale(Matrix& m, float x, float y, float z);
void rotate(Matrix& m, float degrees, float x, float y, float z);
void ortho(Matrix& m, double left, double right, double bottom, double top, double nearVal, double farVal);
// glMultMatrixd: the doubles are taken to float first.
void multiplyByDoubles(Matrix& m, const double* columnMajor);

// m * (x, y, z, w).
std::array<float, 4> transformPoint(const Matrix& m, float x, float y, float z, float w);
