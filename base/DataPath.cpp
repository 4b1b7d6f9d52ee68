#include "base/DataPath.h"

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
