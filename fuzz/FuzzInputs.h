#pragma once
// What each fuzz target does with one input, shared by the libFuzzer targets
// (fuzz/) and the regression test that replays the stored inputs in the
// normal build (tests/fuzz/). Every runner feeds the input to the show's own
// code the way the show reads such a file, checks what must hold whatever
// the input, and returns a one-line outcome ("loaded 4x3", "refused", ...).
// A broken rule is reported on standard error and aborts, so the fuzzer
// keeps the input and the regression test fails.
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzinputs {

// A picture file as gfx/Tga.cpp reads it (tgaLoad on a file holding the input).
std::string runTgaInput(const uint8_t* data, size_t size);
// A texture program file as glowmotion-texgen reads it: the text form when
// isTextProgram says so (assembled), otherwise the byte form; checked, and
// run when accepted (up to kTexgenWorkBudget pixel operations).
std::string runTexgenInput(const uint8_t* data, size_t size);
// A module file as the show plays it: MusicPlayer over an output that is
// pulled here, read with the show's size limit, loaded by libopenmpt, and
// kModuleRenderFrames stereo frames rendered (silence when it did not load).
std::string runModuleInput(const uint8_t* data, size_t size);
// A command line: the input split at NUL bytes into arguments after
// "glowmotion", given to parseOptions.
std::string runOptionsInput(const uint8_t* data, size_t size);

// Pixel operations a texture program may cost before the runner stops
// stepping it (a Blur of 255 passes over 512x512 is 67 million): enough for
// every realistic program, small enough to keep a fuzzer fast.
constexpr uint64_t kTexgenWorkBudget = uint64_t(1) << 24;
// Audio frames rendered from a module (16 buffers of 512).
constexpr int kModuleRenderFrames = 16 * 512;

// Aborts with `what` on standard error unless `condition` holds.
void require(bool condition, const char* what);

// A file holding exactly `size` bytes of `data`, one per runner and process,
// rewritten on every call; removed when the process ends.
std::string inputFile(const char* name, const uint8_t* data, size_t size);

}  // namespace fuzzinputs
