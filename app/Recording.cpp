#include "app/Recording.h"

#include "app/Demo.h"
#include "app/FfmpegEncoder.h"
#include "app/PngFolderSink.h"
#include "app/Song.h"
#include "app/SongRenderer.h"
#include "base/DataPath.h"
#include "base/Timeline.h"
#include "gfx/PicturePreload.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <functional>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace {

volatile sig_atomic_t caughtSignal = 0;

extern "C" void noteStopSignal(int signal) {
    if (caughtSignal == 0) caughtSignal = signal;
    // A second Ctrl-C is not asked twice: the default action ends the program.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
}

std::string frameCount(int64_t frames) {
    return std::to_string(frames) + (frames == 1 ? " frame" : " frames");
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::string clockText(double seconds) {
    const long whole = std::max(0L, static_cast<long>(seconds + 0.5));
    char text[32];
    if (whole >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// Prints what ffmpeg said, each line marked as its own.
void showFfmpegMessages(const std::string& text) {
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        const std::string line = text.substr(from, to - from);
        if (!line.empty() && line != "\r") std::fprintf(stderr, "ffmpeg: %s\n", line.c_str());
        from = to + 1;
    }
}

// The output file of a video, made (or checked) before any frame: true when
// it can be written. *made says whether it was made here.
int prepareOutputFile(const std::string& path, bool overwrite, bool* made) {
    *made = false;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!overwrite) {
            std::fprintf(stderr, "glowmotion: %s already exists; --overwrite replaces it\n", path.c_str());
            return 2;
        }
        if (!S_ISREG(info.st_mode) || ::access(path.c_str(), W_OK) != 0) {
            std::fprintf(stderr, "glowmotion: cannot write %s: %s\n", path.c_str(),
                         S_ISREG(info.st_mode) ? std::strerror(errno) : "not a regular file");
            return 1;
        }
        return 0;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::fprintf(stderr, "glowmotion: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    ::close(fd);
    *made = true;
    return 0;
}

// The song read and moved to the recording's first sample (silence when it
// cannot be read) on another thread, started once the context is made (the
// pictures' reader has the other core until then) and running while the
// show loads; finish() waits for it and says, where the song was always
// prepared, when there is none. Without a thread the song is read by
// finish(). The destructor waits too.
class SongPreparation {
public:
    SongPreparation(SongRenderer& renderer, const CaptureTiming& timing)
        : song(renderer), start(songSampleAt(timing.startAt)), path(dataPath(kMusicFileName)) {}
    void begin() {
        try {
            worker = std::thread([this] { prepare(); });
        } catch (const std::system_error&) {
            // finish() reads it.
        }
    }
    ~SongPreparation() {
        if (worker.joinable()) worker.join();
    }
    SongPreparation(const SongPreparation&) = delete;
    SongPreparation& operator=(const SongPreparation&) = delete;

    void finish() {
        if (worker.joinable()) worker.join();
        else if (!prepared) prepare();
        if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
        if (!loaded) std::fprintf(stderr, "glowmotion: no music: %s; the recording is silent\n", why.c_str());
    }

private:
    void prepare() {
        prepared = true;
        try {
            loaded = song.load(path, &why);
            song.skipTo(start);
        } catch (...) {
            failure = std::current_exception();
        }
    }

    SongRenderer& song;
    const int64_t start;
    const std::string path;
    bool prepared = false;
    bool loaded = false;
    std::string why;
    std::exception_ptr failure;
    std::thread worker;  // last: started by begin(), once the rest is made
};

struct Run {
    Recorded recorded;
    bool surfaceMade = false;
    bool noMedia = false;  // none of the show's media files was found: nothing was recorded
};

// Renders the show offscreen into `sink` and reports what happened; `song`
// begins once the context is made, and `beforeFirstFrame` readies the sink
// once the show has loaded and found its media.
Run runShow(const Options& options, FrameSink& sink, const CaptureTiming& timing, SongPreparation& song,
            const std::function<bool()>& beforeFirstFrame) {
    Run run;
    run.recorded.frames = recordingFrameCount(timing);
    RecordingProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    // The pictures are read on another thread while the context is made.
    std::optional<PicturePreload> preload(std::in_place, dataDirectory());
    OffscreenSurface surface;
    std::string why;
    if (!surface.create(options.width, options.height, &why)) {
        std::fprintf(stderr, "glowmotion: %s\n%s: %s\n", why.c_str(), kErrorCaption, kNoSurfaceError);
        return run;
    }
    run.surfaceMade = true;
    song.begin();
    DemoSetup setup;
    setup.startAt = timing.startAt;
    Demo demo(std::move(setup));
    demo.loadForRecording(surface, timing);
    preload.reset();
    run.noMedia = reportMissingMedia() != 0;
    if (run.noMedia || !beforeFirstFrame()) return run;
    RecordingWatch watch;
    watch.progress = [&](int64_t done, int64_t total) { progress.update(done, total); };
    watch.shouldStop = [] { return stopSignal() != 0; };
    watch.replayed = [&](const Replayed& replayed) { progress.prepared(replayed.seconds, replayed.target); };
    run.recorded = demo.record(surface, sink, timing, watch);
    if (run.recorded.failed) std::fprintf(stderr, "glowmotion: %s\n", run.recorded.error.c_str());
    progress.finish();
    surface.destroy();
    return run;
}

int recordToFolder(const Options& options, const CaptureTiming& timing) {
    const std::string& dir = *options.capture;
    std::string why;
    std::error_code code;
    const bool existed = std::filesystem::exists(dir, code);
    switch (prepareCaptureFolder(dir, options.overwrite, &why)) {
    case CaptureFolder::Ready:
        break;
    case CaptureFolder::HoldsFrames:
        std::fprintf(stderr, "glowmotion: capture folder %s\n", why.c_str());
        return 2;
    case CaptureFolder::Unusable:
        std::fprintf(stderr, "glowmotion: cannot use capture folder %s\n", why.c_str());
        return 1;
    }
    SongRenderer song;
    SongPreparation preparation(song, timing);
    PngFolderSink sink(dir, timing.fps);
    bool audioStarted = false;
    const Run run = runShow(options, sink, timing, preparation, [&] {
        preparation.finish();
        std::string error;
        audioStarted = sink.startAudio(song, &error);
        if (!audioStarted) std::fprintf(stderr, "glowmotion: cannot write the music %s\n", error.c_str());
        return audioStarted;
    });
    if (run.noMedia) {
        if (!existed) std::filesystem::remove(dir, code);  // the folder made here, still empty
        return 2;
    }
    if (!run.surfaceMade || !audioStarted) return 1;
    // The last frame handed over was stored while runShow let the show and
    // its context go; it is waited for here.
    std::string error;
    const bool framesOk = sink.finishFrames(&error);
    if (!framesOk) std::fprintf(stderr, "glowmotion: %s\n", error.c_str());
    const bool audioOk = sink.finish(&error);
    if (!audioOk) std::fprintf(stderr, "glowmotion: %s\n", error.c_str());
    const int64_t kept = sink.framesStored();
    const double seconds = static_cast<double>(kept) / timing.fps;
    if (run.recorded.failed || !framesOk || !audioOk) {
        // audio.wav keeps the music of exactly the frames kept, as after a stop.
        const std::string music = !audioOk    ? ""
                                  : kept == 0 ? "; audio.wav holds no music"
                                              : "; audio.wav holds their music (" + secondsText(seconds) + ")";
        std::fprintf(stderr, "glowmotion: capture stopped after %s in %s%s\n", frameCount(kept).c_str(), dir.c_str(),
                     music.c_str());
        return 1;
    }
    if (run.recorded.stopped) {
        std::fprintf(stderr, "glowmotion: stopped (%s) after %lld of %lld frames: %s holds %s with audio.wav\n",
                     strsignal(stopSignal()), static_cast<long long>(kept), static_cast<long long>(run.recorded.frames),
                     dir.c_str(), secondsText(seconds).c_str());
        return 128 + stopSignal();
    }
    std::fprintf(stderr, "glowmotion: wrote %s and audio.wav (%s) to %s\n", frameCount(kept).c_str(),
                 secondsText(seconds).c_str(), dir.c_str());
    return 0;
}

int recordVideo(const Options& options, const CaptureTiming& timing) {
    const std::string& path = *options.capture;
    const std::string ffmpeg = findProgram("ffmpeg", std::getenv("PATH"));
    if (ffmpeg.empty()) {
        std::fprintf(stderr,
                     "glowmotion: recording a video needs ffmpeg, which is not on PATH; install the Debian package "
                     "ffmpeg (sudo apt-get install ffmpeg), or record PNG frames and audio.wav with --capture DIR\n");
        return 1;
    }
    bool made = false;
    if (const int status = prepareOutputFile(path, options.overwrite, &made)) return status;
    auto removeOutput = [&] { ::unlink(path.c_str()); };

    VideoSettings settings;
    settings.output = path;
    settings.container = options.captureTarget.container;
    settings.width = options.width;
    settings.height = options.height;
    settings.fps = timing.fps;
    settings.crf = options.crf ? *options.crf : crfRange(settings.container).standard;
    SongRenderer song;
    SongPreparation preparation(song, timing);
    FfmpegEncoder encoder(settings, song, recordingFrameCount(timing));
    const Run run = runShow(options, encoder, timing, preparation, [&] {
        preparation.finish();
        std::string error;
        if (encoder.start(ffmpeg, &error)) return true;
        std::fprintf(stderr, "glowmotion: %s\n", error.c_str());
        return false;
    });
    if (!run.surfaceMade || run.noMedia) {
        if (made) removeOutput();
        return run.noMedia ? 2 : 1;
    }
    std::string why;
    const bool encoded = encoder.finish(run.recorded.written, &why);
    showFfmpegMessages(encoder.messages());
    const double seconds = static_cast<double>(run.recorded.written) / timing.fps;
    if (run.recorded.failed || !encoded) {
        removeOutput();
        std::fprintf(stderr, "glowmotion: recording failed after %lld of %lld frames%s%s; %s removed\n",
                     static_cast<long long>(run.recorded.written), static_cast<long long>(run.recorded.frames),
                     why.empty() ? "" : ": ", why.c_str(), path.c_str());
        return 1;
    }
    if (run.recorded.stopped) {
        std::fprintf(stderr, "glowmotion: stopped (%s) after %lld of %lld frames: %s holds %s with its music\n",
                     strsignal(stopSignal()), static_cast<long long>(run.recorded.written), static_cast<long long>(run.recorded.frames),
                     path.c_str(), secondsText(seconds).c_str());
        return 128 + stopSignal();
    }
    std::fprintf(stderr, "glowmotion: wrote %s: %s at %d fps (%s) with music\n", path.c_str(),
                 frameCount(run.recorded.written).c_str(), timing.fps, secondsText(seconds).c_str());
    return 0;
}

}  // namespace

void installStopSignals() {
    caughtSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A pipe to a failed ffmpeg reports EPIPE instead of ending the program.
    signal(SIGPIPE, SIG_IGN);
}

void removeStopSignals() {
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
}

int stopSignal() { return caughtSignal; }

int recordShow(const Options& options) {
    CaptureTiming timing;
    timing.fps = options.fps;
    timing.startAt = options.startAt;
    // A recording ends with the show at the latest: nothing is drawn after it.
    timing.endAt = std::min<double>(options.endAt ? *options.endAt : kShowEnd, kShowEnd);

    installStopSignals();
    const int status = options.captureTarget.video ? recordVideo(options, timing) : recordToFolder(options, timing);
    removeStopSignals();
    return status;
}

RecordingProgress::RecordingProgress(std::FILE* stream, bool liveLine)
    : out(stream), live(liveLine), started(now()), lastShown(started) {}

double RecordingProgress::now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string RecordingProgress::text(int64_t done, int64_t total, double elapsed, const std::string& note) {
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
    char line[160];
    const std::string left = rate > 0 ? clockText(static_cast<double>(total - done) / rate) : std::string("?");
    std::snprintf(line, sizeof line, "frame %lld/%lld, %.1f fps, %s elapsed, %s left", static_cast<long long>(done),
                  static_cast<long long>(total), rate, clockText(elapsed).c_str(), left.c_str());
    return note.empty() ? std::string(line) : line + ("; " + note);
}

std::string RecordingProgress::preparedText(double seconds, double startAt) {
    char text[96];
    std::snprintf(text, sizeof text, "%.2f s running the show up to %s", seconds, secondsText(startAt).c_str());
    return text;
}

void RecordingProgress::prepared(double seconds, double startAt) {
    started = lastShown = now();
    note = seconds >= kNoticeable ? preparedText(seconds, startAt) : std::string();
}

void RecordingProgress::update(int64_t done, int64_t total) {
    const double t = now();
    const bool last = done >= total;
    if (!last && t - lastShown < (live ? 0.25 : 5.0)) return;
    lastShown = t;
    const std::string line = text(done, total, t - started, note);
    if (live) std::fprintf(out, "\rglowmotion: %s\033[K", line.c_str());
    else std::fprintf(out, "glowmotion: %s\n", line.c_str());
    std::fflush(out);
    shown = true;
}

void RecordingProgress::finish() {
    if (live && shown) std::fputc('\n', out);
    shown = false;
}
