#include "app/FfmpegEncoder.h"

#include "app/RecordingFrames.h"
#include "app/SongRenderer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace {

// Everything ffmpeg may say, kept to its last part.
constexpr size_t kMaxMessageBytes = 16384;
constexpr int kAudioChunk = 4096;  // frames rendered and written at a time
// How long the music waits on stuck frames before it runs further ahead.
constexpr std::chrono::milliseconds kStallTime(200);

// Writes all of `bytes`, through interruptions. False with errno set.
bool writeAll(int fd, const void* data, size_t bytes) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd, p, bytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// A descriptor moved to 10 or above (close-on-exec), so that placing the
// child's ends on 2, 3 and 4 never overwrites another of them.
int raised(int fd) {
    const int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
    ::close(fd);
    return high;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string statusText(int status) {
    if (WIFEXITED(status)) return "ffmpeg ended with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return std::string("ffmpeg was killed (") + strsignal(WTERMSIG(status)) + ")";
    return "ffmpeg ended abnormally";
}

}  // namespace

std::vector<std::string> ffmpegArguments(const VideoSettings& s) {
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    std::vector<std::string> a = {
        "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
        // The frames: RGBA, bottom row first, at exactly fps.
        "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate", std::to_string(s.fps),
        // At most 8 raw frames (15 MB at 800x600) wait in ffmpeg between the
        // pipe and the encoder: enough for both to work at once. Its reader
        // fills whatever queue it is given while the encoder lags, so a long
        // one only holds memory, as much as the load on the machine allows.
        "-probesize", "32", "-analyzeduration", "0", "-thread_queue_size", "8", "-i", "pipe:3",
        // The music: 32-bit float stereo. Both inputs say all there is to
        // know, so ffmpeg reads nothing ahead to find out.
        "-f", "f32le", "-ar", std::to_string(kRecordingMixRate), "-ac", "2",
        "-probesize", "32", "-analyzeduration", "0", "-thread_queue_size", "1024", "-i", "pipe:4",
        "-map", "0:v:0", "-map", "1:a:0",
        // Flip, and convert with the BT.709 matrix into limited range, as tagged.
        "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
    };
    const std::string crf = std::to_string(s.crf);
    if (s.container == VideoContainer::Webm) {
        // libvpx's realtime mode: eight times the speed of "good" for files
        // about 1.7 times larger at the same quality setting.
        a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", crf, "-b:v", "0", "-deadline", "realtime", "-cpu-used", "8",
                           "-row-mt", "1", "-c:a", "libopus", "-b:a", "160k"});
    } else {
        // "superfast" tuned for animation: on the show's flat colours and sharp
        // edges it costs three quarters of the CPU time of "veryfast" with
        // slightly better pictures (SSIM 0.990, PSNR 43 dB against the frames
        // given, no frame below 40 dB), for files half as large again
        // (scripts/encoder-compare.sh, docs/performance.md).
        a.insert(a.end(), {"-c:v", "libx264", "-preset", "superfast", "-tune", "animation", "-crf", crf, "-c:a", "aac",
                           "-b:a", "192k"});
    }
    if (s.container == VideoContainer::Mp4 || s.container == VideoContainer::Mov) {
        a.insert(a.end(), {"-movflags", "+faststart"});
    }
    // "file:" keeps ffmpeg from reading the name as an option or a protocol.
    a.insert(a.end(), {"-f", muxerName(s.container), "file:" + s.output});
    return a;
}

std::string findProgram(const std::string& program, const char* searchPath) {
    if (!searchPath) return {};
    const std::string path = searchPath;
    size_t from = 0;
    while (from <= path.size()) {
        size_t to = path.find(':', from);
        if (to == std::string::npos) to = path.size();
        std::string folder = path.substr(from, to - from);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        from = to + 1;
    }
    return {};
}

FfmpegEncoder::FfmpegEncoder(VideoSettings videoSettings, SongRenderer& renderer, int64_t totalFrames)
    : settings(std::move(videoSettings)), song(renderer), total(totalFrames),
      lead(std::max(1, settings.fps / 2)), frameCap(totalFrames) {}

FfmpegEncoder::~FfmpegEncoder() {
    if (child > 0) finish(0, nullptr);
}

bool FfmpegEncoder::start(const std::string& ffmpeg, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    int video[2], audio[2], messages[2];
    if (::pipe2(video, O_CLOEXEC) != 0) return fail(std::string("cannot make a pipe: ") + std::strerror(errno));
    if (::pipe2(audio, O_CLOEXEC) != 0) {
        ::close(video[0]);
        ::close(video[1]);
        return fail(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        for (int fd : {video[0], video[1], audio[0], audio[1]}) ::close(fd);
        return fail(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    const int videoIn = raised(video[0]), audioIn = raised(audio[0]), messagesOut = raised(messages[1]);
    // A pipe as large as the system allows holds a frame or more, so the
    // show can render the next one while ffmpeg is still reading.
    ::fcntl(video[1], F_SETPIPE_SZ, 1 << 20);

    std::vector<std::string> arguments = ffmpegArguments(settings);
    arguments.insert(arguments.begin(), "ffmpeg");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messagesOut, 2);
    posix_spawn_file_actions_adddup2(&actions, videoIn, 3);
    posix_spawn_file_actions_adddup2(&actions, audioIn, 4);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group: a terminal's Ctrl-C reaches the show only.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, signal);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int spawned = posix_spawn(&child, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(videoIn);
    ::close(audioIn);
    ::close(messagesOut);
    if (spawned != 0) {
        child = -1;
        for (int fd : {video[1], audio[1], messages[0]}) ::close(fd);
        return fail("cannot start " + ffmpeg + ": " + std::strerror(spawned));
    }
    videoFd = video[1];
    audioFd = audio[1];
    allowAudioUpTo(lead);
    messageThread = std::thread(&FfmpegEncoder::readMessages, this, messages[0]);
    audioThread = std::thread(&FfmpegEncoder::writeAudio, this);
    return true;
}

void FfmpegEncoder::readMessages(int fd) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        std::lock_guard<std::mutex> hold(mutex);
        ffmpegMessages.append(buffer, static_cast<size_t>(n));
        if (ffmpegMessages.size() > kMaxMessageBytes)
            ffmpegMessages.erase(0, ffmpegMessages.size() - kMaxMessageBytes);
    }
    ::close(fd);
}

std::string FfmpegEncoder::messages() {
    std::lock_guard<std::mutex> hold(mutex);
    return ffmpegMessages;
}

void FfmpegEncoder::allowAudioUpTo(int64_t frames) {
    std::lock_guard<std::mutex> hold(mutex);
    const int64_t samples = frameFirstSample(std::min(frames, frameCap), settings.fps);
    if (samples > allowed) {
        allowed = samples;
        changed.notify_all();
    }
}

void FfmpegEncoder::writeAudio() {
    std::vector<float> samples(2 * kAudioChunk);
    for (;;) {
        int64_t chunk = 0;
        {
            std::unique_lock<std::mutex> hold(mutex);
            auto due = [&] { return audioAbort || allowed > claimed || audioFinal; };
            while (!changed.wait_for(hold, kStallTime, due)) {
                // The frames are stuck while the music waits for them: ffmpeg
                // wants more music first. Let it run further ahead (a stop
                // still ends both together; see framesToStopAt).
                if (videoWriting) {
                    allowed = std::max(allowed, std::min(claimed + frameFirstSample(lead, settings.fps),
                                                         frameFirstSample(frameCap, settings.fps)));
                }
            }
            if (audioAbort || claimed >= allowed) break;  // stopped, or all of the end written
            chunk = std::min<int64_t>(allowed - claimed, kAudioChunk);
            claimed += chunk;
        }
        song.render(samples.data(), chunk);
        if (!writeAll(audioFd, samples.data(), static_cast<size_t>(chunk) * 2 * sizeof(float))) {
            std::lock_guard<std::mutex> hold(mutex);
            audioErrno = errno;
            break;
        }
        // The music of the whole recording is out: ffmpeg may see its end
        // now, even while frames are still coming.
        std::lock_guard<std::mutex> hold(mutex);
        if (claimed >= frameFirstSample(total, settings.fps)) break;
    }
    closeFd(audioFd);
}

bool FfmpegEncoder::writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) {
    if (failed || videoFd < 0) return false;
    allowAudioUpTo(index + 1 + lead);
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    setVideoWriting(true);
    const bool written = writeAll(videoFd, rgba, bytes);
    setVideoWriting(false);
    if (!written) {
        const int code = errno;
        failed = true;
        if (error) {
            *error = code == EPIPE ? "ffmpeg stopped reading the frames" : std::string("cannot hand frames to ffmpeg: ") + std::strerror(code);
        }
        return false;
    }
    return true;
}

void FfmpegEncoder::setVideoWriting(bool writing) {
    std::lock_guard<std::mutex> hold(mutex);
    videoWriting = writing;
}

int64_t FfmpegEncoder::framesToStopAt(int64_t done) {
    std::lock_guard<std::mutex> hold(mutex);
    // The music already allowed may still be written (and part of it is):
    // the frames go on until they cover all of it.
    int64_t frames = done;
    while (frames < total && frameFirstSample(frames, settings.fps) < std::max(claimed, allowed)) ++frames;
    frameCap = frames;
    return frames;
}

int FfmpegEncoder::waitForFfmpeg(bool failing) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    for (;;) {
        const pid_t got = ::waitpid(child, &status, failing ? WNOHANG : 0);
        if (got == child) break;
        if (got < 0 && errno != EINTR) return -1;
        // After a failure ffmpeg is not trusted to end by itself: it is given
        // ten seconds to say why, then stopped.
        if (failing && got == 0) {
            if (Clock::now() > giveUp) ::kill(child, SIGKILL);
            ::usleep(20000);
        }
    }
    child = -1;
    return status;
}

bool FfmpegEncoder::finish(int64_t frames, std::string* error) {
    if (child <= 0) return false;
    {
        std::lock_guard<std::mutex> hold(mutex);
        const int64_t end = frameFirstSample(frames, settings.fps);
        if (failed || end < claimed) {
            audioAbort = true;
        } else {
            allowed = end;
            audioFinal = true;
        }
        changed.notify_all();
    }
    closeFd(videoFd);  // ffmpeg sees the end of the frames
    const int status = waitForFfmpeg(failed);
    if (audioThread.joinable()) audioThread.join();
    if (messageThread.joinable()) messageThread.join();
    closeFd(audioFd);
    std::string why;
    if (status < 0) why = "lost track of ffmpeg";
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) why = statusText(status);
    else if (audioErrno != 0) why = std::string("cannot hand the music to ffmpeg: ") + std::strerror(audioErrno);
    else if (failed) why = "ffmpeg stopped reading the frames";
    if (why.empty()) return true;
    if (error) *error = why;
    return false;
}
