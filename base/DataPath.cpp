#include "base/DataPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {
std::string& directoryStorage() {
    static std::string directory = "data";
    return directory;
}
std::vector<std::string>& askedStorage() {
    static std::vector<std::string> asked;
    return asked;
}
std::string pathIn(const std::string& directory, const std::string& fileName) {
    if (directory.empty()) return fileName;
    if (directory.back() == '/') return directory + fileName;
    return directory + "/" + fileName;
}
}  // namespace

void setDataDirectory(const std::string& directory) {
    directoryStorage() = directory;
    askedStorage().clear();
}

const std::string& dataDirectory() { return directoryStorage(); }

std::string dataPath(const char* fileName) {
    std::vector<std::string>& asked = askedStorage();
    if (std::find(asked.begin(), asked.end(), fileName) == asked.end()) asked.emplace_back(fileName);
    return pathIn(directoryStorage(), fileName);
}

const std::vector<std::string>& dataFilesAsked() { return askedStorage(); }

std::vector<std::string> dataFilesMissing() {
    std::vector<std::string> missing;
    for (const std::string& name : askedStorage()) {
        struct stat info {};
        if (::stat(pathIn(directoryStorage(), name).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            missing.push_back(name);
    }
    return missing;
}

std::string findDataDirectory(const std::string& executableFolder) {
    namespace fs = std::filesystem;
    const fs::path folder = executableFolder.empty() ? fs::path(".") : fs::path(executableFolder);
    std::error_code error;
    const fs::path beside = folder / "data";
    if (fs::is_directory(beside, error)) return beside.string();
    for (const char* installed : {"share/glowmotion", "share/games/glowmotion"}) {
        const fs::path media = folder / ".." / installed;
        if (fs::is_directory(media, error)) return media.lexically_normal().string();
    }
    return beside.string();
}
