#pragma once
// Program files for glowmotion-texgen: either form, told apart by content.
#include <cstdint>
#include <string>
#include <vector>

struct ProgramFile {
    bool ok = false;
    bool text = false;           // the file held the text form
    std::vector<uint8_t> bytes;  // ok: the byte program (length word + instructions)
    std::vector<int> lines;      // ok, text: the line of each instruction
    std::string error;           // not ok: "<path>: <reason>", one line
};

// Reads `path` (a regular file of at most kMaxProgramBytes) and checks it:
// a text program is assembled, a byte program checked. Refusals name the
// file and, for text, the line and column; for bytes, the byte offset.
ProgramFile loadProgramFile(const std::string& path);

// Writes `bytes` to `path`; on failure *error says "<path>: <reason>".
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
