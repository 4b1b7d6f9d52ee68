#pragma once
// One offscreen OpenGL context per test binary: 640x480, made before the first
// test and current for all of them. Link glowmotion_test_gl into the binary.
// If no context can be made the whole binary fails with the reason (it never
// skips: Mesa's software renderer is part of the test set-up).
#include "app/OffscreenGL.h"

OffscreenGL& testGL();
