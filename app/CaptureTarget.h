#pragma once
// What `--capture TARGET` records into, told from the name alone: a video
// file when the name ends in one of the video extensions, otherwise a folder
// of PNG frames (a name without an extension, one ending in '/', or an
// existing folder). Any other extension is a mistake: it is refused rather
// than taken as a folder name; so are an existing folder with a video's
// name (a final '/' makes it the folder) and an existing file that would
// have to be the folder.
#include <optional>
#include <string>

enum class VideoContainer { Mp4, Mkv, Webm, Mov };

struct CaptureTarget {
    bool video = false;                          // false: a folder of PNG frames and audio.wav
    VideoContainer container = VideoContainer::Mp4;
};

// The target `path` names; empty (with *why) when it is refused.
std::optional<CaptureTarget> captureTargetFor(const std::string& path, std::string* why);

// "mp4", "mkv", "webm", "mov": the ffmpeg muxer of a container.
const char* muxerName(VideoContainer container);

// The video codec's quality scale: H.264 (libx264) 0 to 51, VP9 (libvpx) 0 to 63;
// lower is better, and each codec has its own default.
struct CrfRange {
    int lowest, highest, standard;
};
CrfRange crfRange(VideoContainer container);

// The text every refusal of an extension names.
extern const char* const kVideoExtensions;  // ".mp4, .mkv, .webm or .mov"
