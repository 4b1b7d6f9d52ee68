#pragma once
// Reading a whole file that the show or a tool was given, safely: only a
// regular file (not a folder, a device or a pipe) of at most `maxBytes`
// bytes is read. Every refusal names the file and the reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Size limits for the kinds of file the show reads whole.
constexpr std::size_t kMaxModuleBytes = 64u << 20;   // a tracker module
constexpr std::size_t kMaxProgramBytes = 1u << 20;   // a texture program (binary or text)

// Reads `path` into *bytes. On refusal returns false, leaves *bytes empty and
// sets *error to "<path>: <reason>" (no trailing newline).
bool readWholeFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error);
