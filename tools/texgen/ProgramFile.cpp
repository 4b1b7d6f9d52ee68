#include "ProgramFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/FileRead.h"
#include "texgen/ProgramText.h"

ProgramFile loadProgramFile(const std::string& path) {
    ProgramFile file;
    std::vector<uint8_t> content;
    if (!readWholeFile(path, kMaxProgramBytes, &content, &file.error)) return file;
    file.text = isTextProgram(content.data(), content.size());
    if (file.text) {
        const TextProgram program =
            assembleTextureProgram(std::string(reinterpret_cast<const char*>(content.data()), content.size()));
        if (!program.ok) {
            file.error = path + ": refused, " + program.describe();
            return file;
        }
        file.bytes = program.bytes;
        file.lines = program.lines;
    } else {
        const ProgramCheck check = checkTextureProgram(content.data(), content.size());
        if (!check.ok) {
            file.error = path + ": refused, " + check.describe();
            return file;
        }
        file.bytes = std::move(content);
    }
    file.ok = true;
    return file;
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int code = errno;
    if (std::fclose(out) != 0 || !written) {
        *error = path + ": " + std::strerror(written ? errno : code);
        std::remove(path.c_str());
        return false;
    }
    return true;
}
