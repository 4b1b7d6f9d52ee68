#pragma once
// A recording straight into a video file: ffmpeg runs beside the show and
// reads raw frames from one pipe and the music, rendered here, from another.
//
// ffmpeg is started with posix_spawn (no shell) in a process group of its
// own, so Ctrl-C at a terminal reaches only the show, which then closes the
// pipes and lets ffmpeg finish a playable file. Video goes in as RGBA on
// ffmpeg's fd 3 (OpenGL's row order; ffmpeg flips it), music as 32-bit float
// stereo at 48000 Hz on fd 4, written by a thread of its own so that neither
// pipe can hold the other up. The music runs half a second ahead of the
// frames handed over (further only when the frames are stuck waiting for
// it), and a stop (Ctrl-C) ends at a frame count whose
// samples cover what was already written, so picture and sound always end
// together: the file holds frames [0, n) and samples [0, floor(n*48000/fps)).
// ffmpeg's standard error is collected and handed back.
//
// Threads: the main thread calls everything below; the audio writer and the
// reader of ffmpeg's messages are internal.
#include "app/CaptureTarget.h"
#include "app/FrameSink.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class SongRenderer;

struct VideoSettings {
    std::string output;  // the file to write
    VideoContainer container = VideoContainer::Mp4;
    int width = 800, height = 600;
    int fps = 60;
    int crf = 18;        // the codec's quality (crfRange)
};

// ffmpeg's arguments (without the program name): raw video from fd 3, music
// from fd 4, H.264/AAC (VP9/Opus for WebM) tagged BT.709, limited range.
std::vector<std::string> ffmpegArguments(const VideoSettings& settings);

// The executable `program` in the first folder of the colon-separated
// `searchPath` that has it; "" when none does (or `searchPath` is null).
std::string findProgram(const std::string& program, const char* searchPath);

class FfmpegEncoder final : public FrameSink {
public:
    // `song` is at the recording's first sample; `totalFrames` the frames
    // of the whole recording.
    FfmpegEncoder(VideoSettings settings, SongRenderer& song, int64_t totalFrames);
    ~FfmpegEncoder() override;
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Starts `ffmpeg` (a path) and the audio writer. False with *error.
    bool start(const std::string& ffmpeg, std::string* error);
    // Ends the recording after `frames` frames: the music up to them, both
    // pipes closed, ffmpeg waited for. False with *error when ffmpeg did not
    // finish well (its messages are in messages()).
    bool finish(int64_t frames, std::string* error);
    // What ffmpeg wrote on its standard error.
    std::string messages();

    bool topRowFirst() const override { return false; }
    bool writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) override;
    int64_t framesToStopAt(int64_t done) override;

private:
    void writeAudio();
    void readMessages(int fd);
    void allowAudioUpTo(int64_t frames);
    void setVideoWriting(bool writing);
    int waitForFfmpeg(bool failing);

    VideoSettings settings;
    SongRenderer& song;
    int64_t total;
    int64_t lead;
    pid_t child = -1;
    int videoFd = -1;
    int audioFd = -1;
    bool failed = false;
    std::thread audioThread;
    std::thread messageThread;

    std::mutex mutex;                 // guards everything below
    std::condition_variable changed;
    int64_t allowed = 0;              // samples the audio writer may write in all
    int64_t claimed = 0;              // samples it has taken on (written or being written)
    int64_t frameCap;                 // frames the recording will hold at most
    bool audioFinal = false;          // `allowed` is the end
    bool audioAbort = false;
    bool videoWriting = false;        // the main thread is handing a frame over
    int audioErrno = 0;
    std::string ffmpegMessages;
};
