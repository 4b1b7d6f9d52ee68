#include "base/DataPath.h"

#include <filesystem>
#include <system_error>

namespace {
std::string& directoryStorage() {
    static std::string directory = "data";
    return directory;
}
}  // namespace

void setDataDirectory(const std::string& directory) { directoryStorage() = directory; }

std::string dataPath(const char* fileName) {
    const std::string& directory = directoryStorage();
    if (directory.empty()) return fileName;
    if (directory.back() == '/') return directory + fileName;
    return directory + "/" + fileName;
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
