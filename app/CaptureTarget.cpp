#include "app/CaptureTarget.h"

#include <cctype>
#include <filesystem>
#include <system_error>

const char* const kVideoExtensions = ".mp4, .mkv, .webm or .mov";

namespace {
struct Extension {
    const char* text;
    VideoContainer container;
};
constexpr Extension kExtensions[] = {
    {".mp4", VideoContainer::Mp4},
    {".mkv", VideoContainer::Mkv},
    {".webm", VideoContainer::Webm},
    {".mov", VideoContainer::Mov},
};

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
}  // namespace

std::optional<CaptureTarget> captureTargetFor(const std::string& path, std::string* why) {
    CaptureTarget target;
    if (path.empty() || path.back() == '/') return target;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return target;
    const std::string extension = lowerCase(std::filesystem::path(path).extension().string());
    if (extension.empty()) return target;
    for (const Extension& known : kExtensions) {
        if (extension == known.text) {
            target.video = true;
            target.container = known.container;
            return target;
        }
    }
    if (why) {
        *why = path + ": no video of type " + extension + " (" + kVideoExtensions +
               "); a folder of PNG frames is named without an extension, or with a final /";
    }
    return std::nullopt;
}

const char* muxerName(VideoContainer container) {
    switch (container) {
    case VideoContainer::Mp4: return "mp4";
    case VideoContainer::Mkv: return "matroska";
    case VideoContainer::Webm: return "webm";
    case VideoContainer::Mov: return "mov";
    }
    return "mp4";
}

CrfRange crfRange(VideoContainer container) {
    if (container == VideoContainer::Webm) return {0, 63, 31};
    return {0, 51, 18};
}
