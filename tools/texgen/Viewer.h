#pragma once
#include <string>

// `glowmotion-texgen view PROGRAM`: a window with the six layers side by
// side at their sizes, re-run when the file is saved; the refusal, if any,
// in the title. Escape or closing the window ends it (status 0); without a
// display it says so and returns 1.
int viewProgram(const std::string& path);
