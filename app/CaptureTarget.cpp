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
    auto refuse = [&](const std::string& reason) {
        if (why) *why = reason;
        return std::nullopt;
    };
    std::error_code error;
    const std::filesystem::file_status found = std::filesystem::status(path, error);
    const std::string extension = lowerCase(std::filesystem::path(path).extension().string());
    const Extension* video = nullptr;
    for (const Extension& known : kExtensions) {
        if (extension == known.text) video = &known;
    }
    if (std::filesystem::is_directory(found)) {
        if (!video) return target;
        return refuse(path + ": found a folder, not a video file; name another file, or write " + path +
                      "/ to record PNG frames into that folder");
    }
    if (video) {
        target.video = true;
        target.container = video->container;
        return target;
    }
    if (!extension.empty()) {
        return refuse(path + ": no video of type " + extension + " (" + kVideoExtensions +
                      "); a folder of PNG frames is named without an extension, or with a final /");
    }
    if (std::filesystem::exists(found)) return refuse(path + " is not a folder");
    return target;
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
