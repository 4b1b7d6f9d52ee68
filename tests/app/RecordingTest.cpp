// Recording without OpenGL: which frames and samples a recording holds, what
// --capture names, ffmpeg's command line, the pipes to a stand-in ffmpeg
// (every byte, stops, failures), the music renderer, audio.wav, progress
// text and the installed media folder.
#include "common/MiniModule.h"

#include "app/CaptureTarget.h"
#include "app/FfmpegEncoder.h"
#include "app/Options.h"
#include "app/PngFolderSink.h"
#include "app/Recording.h"
#include "app/RecordingFrames.h"
#include "app/SongRenderer.h"
#include "app/WavWriter.h"
#include "base/DataPath.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A folder of this test's own, removed afterwards.
struct TempFolder {
    fs::path path;
    explicit TempFolder(const char* name)
        : path(fs::temp_directory_path() / ("glowmotion-recording-" + std::string(name) + "-" + std::to_string(getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

void writeScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
}

ParsedOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "glowmotion");
    return parseOptions(static_cast<int>(args.size()), args.data());
}
std::string firstError(std::vector<const char*> args) {
    const ParsedOptions parsed = parse(args);
    EXPECT_FALSE(parsed.options);
    EXPECT_EQ(parsed.outcome.status, 2);
    return parsed.outcome.err.substr(0, parsed.outcome.err.find('\n'));
}

}  // namespace

TEST(RecordingFrames, CoverStartUpToButNotIncludingTheEnd) {
    EXPECT_EQ(recordingFrameCount({0.0, 125.0, 60}), 7500);
    EXPECT_EQ(recordingFrameCount({120.0, 125.0, 10}), 50);
    EXPECT_EQ(recordingFrameCount({18.8, 19.25, 10}), 5);  // 18.8 ... 19.2
    // 43.9 + 678/30 is 66.5 exactly, which is not below 66.5.
    EXPECT_EQ(recordingFrameCount({43.9, 66.5, 30}), 678);
    EXPECT_EQ(recordingFrameCount({124.9, 125.0, 60}), 6);
    EXPECT_EQ(recordingFrameCount({50.0, 50.0, 60}), 0);
    EXPECT_EQ(recordingFrameCount({50.0, 40.0, 60}), 0);
    // Back-to-back parts add up to the whole.
    for (int fps : {1, 7, 24, 30, 60, 240}) {
        EXPECT_EQ(recordingFrameCount({0, 60, fps}) + recordingFrameCount({60, 125, fps}),
                  recordingFrameCount({0, 125, fps}))
            << fps;
    }
}

TEST(RecordingFrames, SamplesFollowTheFramesWithoutDrift) {
    EXPECT_EQ(frameFirstSample(7500, 60), 125 * 48000);
    for (int fps : {7, 24, 30, 60, 144}) {
        int64_t sum = 0;
        for (int64_t k = 0; k < 125 * fps; ++k) {
            const int64_t count = frameFirstSample(k + 1, fps) - frameFirstSample(k, fps);
            // Every frame holds 48000/fps samples, rounded down or up.
            EXPECT_TRUE(count == 48000 / fps || count == 48000 / fps + 1) << fps << " " << k;
            sum += count;
        }
        EXPECT_EQ(sum, 125 * 48000) << fps;
    }
    EXPECT_EQ(songSampleAt(43.9), 2107200);
    EXPECT_EQ(songSampleAt(0.0), 0);
}

TEST(CaptureTargets, TheExtensionChoosesVideoOrFolder) {
    TempFolder temp("targets");
    auto target = [](const std::string& path) { return captureTargetFor(path, nullptr); };
    ASSERT_TRUE(target("show.mp4"));
    EXPECT_TRUE(target("show.mp4")->video);
    EXPECT_EQ(target("show.mp4")->container, VideoContainer::Mp4);
    EXPECT_EQ(target("/x/SHOW.MKV")->container, VideoContainer::Mkv);
    EXPECT_EQ(target("a.b/show.webm")->container, VideoContainer::Webm);
    EXPECT_EQ(target("show.mov")->container, VideoContainer::Mov);
    for (const char* folder : {"frames", "/tmp/a.b/frames", "out.d/", "./"}) {
        ASSERT_TRUE(target(folder)) << folder;
        EXPECT_FALSE(target(folder)->video) << folder;
    }
    // An existing folder with a video's name is a bad command line, naming
    // what was found (a final / makes it the folder); so is a file as one.
    const std::string old = temp / "old.mp4", notes = temp / "notes";
    fs::create_directories(old);
    EXPECT_EQ(firstError({"--capture", old.c_str()}), "glowmotion: --capture: " + old +
                  ": found a folder, not a video file; name another file, or write " + old + "/ to record PNG frames into that folder");
    EXPECT_FALSE(target(old + "/")->video);
    std::ofstream(notes) << "x";
    EXPECT_EQ(firstError({"--capture", notes.c_str()}), "glowmotion: --capture: " + notes + " is not a folder");
    std::string why;
    EXPECT_FALSE(captureTargetFor("show.avi", &why));
    EXPECT_EQ(why, "show.avi: no video of type .avi (.mp4, .mkv, .webm or .mov); a folder of PNG frames is named "
                   "without an extension, or with a final /");
}

TEST(CaptureOptions, SizeQualityAndTargetAreReadAndChecked) {
    auto options = parse({"--capture", "a.mp4", "--size", "1920x1080", "--crf", "23"}).options;
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->captureTarget.video);
    EXPECT_EQ(options->width, 1920);
    EXPECT_EQ(options->height, 1080);
    EXPECT_EQ(*options->crf, 23);
    options = parse({"--capture", "frames", "--size", "801x601"}).options;  // PNG frames may be odd
    ASSERT_TRUE(options);
    EXPECT_EQ(options->width, 801);
    EXPECT_EQ(*parse({"--capture", "a.webm", "--crf", "63"}).options->crf, 63);

    EXPECT_EQ(firstError({"--capture", "a.mp4", "--size", "801x600"}),
              "glowmotion: --size: Value 801x600 has an odd side; a video (yuv420p) needs an even width and height");
    for (const char* size : {"0x600", "800x0", "800", "x600", "800x", "-8x6", "800x600x2", "99999x2", "1e3x2"}) {
        EXPECT_EQ(firstError({"--capture", "d", "--size", size}),
                  std::string("glowmotion: --size: Value ") + size + " not a size WIDTHxHEIGHT from 1x1 to 32768x32768")
            << size;
    }
    EXPECT_EQ(firstError({"--capture", "a.mp4", "--size", "20000x15000"}),
              "glowmotion: --size: Value 20000x15000 is too large for ffmpeg's pictures");
    EXPECT_EQ(firstError({"--capture", "a.mp4", "--crf", "52"}),
              "glowmotion: --crf: Value 52 not in range 0 to 51 for this codec");
    EXPECT_EQ(firstError({"--capture", "a.webm", "--crf", "64"}), "glowmotion: --crf: Value 64 not in range 0 to 63");
    EXPECT_EQ(firstError({"--capture", "frames", "--crf", "20"}),
              "glowmotion: --crf: only a video has a quality (.mp4, .mkv, .webm or .mov)");
    EXPECT_EQ(firstError({"--capture", "a.avi"}).rfind("glowmotion: --capture: a.avi: no video of type .avi", 0), 0u);
    EXPECT_EQ(firstError({"--size", "800x600"}), "glowmotion: --size requires --capture");
    EXPECT_EQ(firstError({"--capture", "a.mp4", "--start-at", "50", "--end-at", "50"}),
              "glowmotion: --end-at: Value 50 not in range 50 (--start-at, excluded) to 125 seconds");
}

TEST(FfmpegCommand, RawInputsTaggedBt709OutputsPerContainer) {
    VideoSettings settings;
    settings.output = "/videos/-clip:1.mp4";
    settings.width = 1920;
    settings.height = 1080;
    settings.fps = 60;
    settings.crf = 23;
    auto has = [](const std::vector<std::string>& args, const std::string& key, const std::string& value) {
        for (size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == key && args[i + 1] == value) return true;
        }
        return false;
    };
    std::vector<std::string> args = ffmpegArguments(settings);
    for (auto [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"-f", "rawvideo"}, {"-pix_fmt", "rgba"}, {"-video_size", "1920x1080"}, {"-framerate", "60"},
             {"-i", "pipe:3"}, {"-f", "f32le"}, {"-ar", "48000"}, {"-ac", "2"}, {"-i", "pipe:4"},
             {"-colorspace", "bt709"}, {"-color_primaries", "bt709"}, {"-color_trc", "bt709"},
             {"-color_range", "tv"}, {"-c:v", "libx264"}, {"-crf", "23"}, {"-c:a", "aac"},
             {"-movflags", "+faststart"}, {"-f", "mp4"}, {"-nostdin", "-nostats"}}) {
        EXPECT_TRUE(has(args, key, value)) << key << " " << value;
    }
    EXPECT_TRUE(has(args, "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p"));
    // The name is never read as an option or a protocol.
    EXPECT_EQ(args.back(), "file:/videos/-clip:1.mp4");

    settings.container = VideoContainer::Mov;
    EXPECT_TRUE(has(ffmpegArguments(settings), "-movflags", "+faststart"));
    settings.container = VideoContainer::Mkv;
    args = ffmpegArguments(settings);
    EXPECT_TRUE(has(args, "-f", "matroska"));
    EXPECT_FALSE(std::count(args.begin(), args.end(), "-movflags"));
    settings.container = VideoContainer::Webm;
    args = ffmpegArguments(settings);
    EXPECT_TRUE(has(args, "-c:v", "libvpx-vp9") && has(args, "-c:a", "libopus") && has(args, "-f", "webm"));
    EXPECT_TRUE(has(args, "-crf", "23") && has(args, "-b:v", "0"));
    EXPECT_FALSE(std::count(args.begin(), args.end(), "-movflags"));
}

TEST(FfmpegCommand, FoundOnTheSearchPathOnlyWhenExecutable) {
    TempFolder temp("path");
    fs::create_directories(temp / "a");
    fs::create_directories(temp / "b");
    std::ofstream(temp / "a/ffmpeg") << "not executable";
    writeScript(temp / "b/ffmpeg", "exit 0");
    fs::create_directories(temp / "c/ffmpeg");  // a folder is no program
    const std::string path = temp / "none" + ":" + temp / "a" + "::" + temp / "c" + ":" + temp / "b";
    EXPECT_EQ(findProgram("ffmpeg", path.c_str()), temp / "b/ffmpeg");
    EXPECT_EQ(findProgram("ffmpeg", (temp / "a").c_str()), "");
    EXPECT_EQ(findProgram("ffmpeg", nullptr), "");
    EXPECT_EQ(findProgram("ffmpeg", ""), "");
}

namespace {
// A song to record: the mini module (0.12 s a row, 40 rows), from its start.
struct MiniSong {
    TempFolder temp;
    std::string path;
    explicit MiniSong(const char* name) : temp(name), path(temp / "song.it") { writeBytes(path, miniItModule("mini", 40)); }
    std::vector<float> render(int64_t from, int64_t frames) const {
        SongRenderer song;
        EXPECT_TRUE(song.load(path, nullptr));
        song.skipTo(from);
        std::vector<float> samples(static_cast<size_t>(frames) * 2);
        song.render(samples.data(), frames);
        return samples;
    }
};

// Frame k of a w x h recording: every byte is k.
std::vector<uint8_t> frame(int64_t k, int w, int h) { return std::vector<uint8_t>(size_t(w) * h * 4, uint8_t(k)); }

// A stand-in for ffmpeg that keeps what it is given.
const char* const kKeeper = "cat <&3 >\"$KEEP/video.raw\" & cat <&4 >\"$KEEP/audio.raw\" & wait";

struct Recorded {
    bool finished = false;
    int64_t stopAt = -1;        // frames the stop asked for
    std::string error, messages;
    std::vector<uint8_t> video, audio;
};

// Records frames [0, frames) of `total` through the stand-in `script`; a stop
// is asked for after `stopAfter` frames when that is given.
Recorded record(const MiniSong& mini, const std::string& script, int64_t total, int64_t frames, int w, int h,
                int64_t stopAfter = -1) {
    TempFolder keep("keep");
    setenv("KEEP", keep.path.c_str(), 1);
    writeScript(keep / "ffmpeg", script);
    SongRenderer song;
    EXPECT_TRUE(song.load(mini.path, nullptr));
    song.skipTo(1000);
    VideoSettings settings;
    settings.output = keep / "out.mp4";
    settings.width = w;
    settings.height = h;
    settings.fps = 10;
    FfmpegEncoder encoder(settings, song, total);
    Recorded result;
    EXPECT_TRUE(encoder.start(keep / "ffmpeg", &result.error)) << result.error;
    int64_t end = frames;
    bool ok = true;
    for (int64_t k = 0; k < end && ok; ++k) {
        ok = encoder.writeFrame(k, frame(k, w, h).data(), w, h, &result.error);
        if (ok && k + 1 == stopAfter) {
            end = result.stopAt = encoder.framesToStopAt(k + 1);
        }
    }
    result.finished = encoder.finish(ok ? end : 0, &result.error);
    result.messages = encoder.messages();
    result.video = readBytes(keep / "video.raw");
    result.audio = readBytes(keep / "audio.raw");
    return result;
}

std::vector<float> floats(const std::vector<uint8_t>& bytes) {
    std::vector<float> values(bytes.size() / sizeof(float));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
}
}  // namespace

TEST(FfmpegPipes, EveryFrameAndExactlyTheirMusicReachFfmpeg) {
    signal(SIGPIPE, SIG_IGN);
    MiniSong mini("pipes");
    const Recorded r = record(mini, kKeeper, 25, 25, 8, 6);
    EXPECT_TRUE(r.finished) << r.error;
    ASSERT_EQ(r.video.size(), 25u * 8 * 6 * 4);
    for (int k = 0; k < 25; ++k) EXPECT_EQ(r.video[size_t(k) * 8 * 6 * 4], k);
    // 2.5 s at 48000 Hz, from song sample 1000 on, as the song renders them.
    EXPECT_EQ(floats(r.audio), mini.render(1000, 120000));
}

TEST(FfmpegPipes, AReaderThatTakesOnePipeToItsEndFirstDoesNotStall) {
    signal(SIGPIPE, SIG_IGN);
    MiniSong mini("order");
    // Frames of 480 KB: the video pipe fills while the music waits its turn,
    // and the other way round.
    const int w = 400, h = 300;
    for (const char* script : {"cat <&3 >\"$KEEP/video.raw\"; cat <&4 >\"$KEEP/audio.raw\"",
                               "cat <&4 >\"$KEEP/audio.raw\"; cat <&3 >\"$KEEP/video.raw\""}) {
        const Recorded r = record(mini, script, 20, 20, w, h);
        EXPECT_TRUE(r.finished) << script << ": " << r.error;
        EXPECT_EQ(r.video.size(), 20u * w * h * 4) << script;
        EXPECT_EQ(r.audio.size(), 96000u * 8) << script;
    }
}

TEST(FfmpegPipes, AStopEndsPictureAndMusicTogether) {
    signal(SIGPIPE, SIG_IGN);
    MiniSong mini("stop");
    // A reader that takes the music as it comes, and one that takes it late,
    // so that at the stop most of the music allowed is not written yet.
    for (const char* script : {kKeeper, "cat <&3 >\"$KEEP/video.raw\" & (sleep 1; cat <&4 >\"$KEEP/audio.raw\") & wait"}) {
        const Recorded r = record(mini, script, 100, 100, 8, 6, 3);
        EXPECT_TRUE(r.finished) << r.error;
        const int64_t frames = static_cast<int64_t>(r.video.size() / (8 * 6 * 4));
        EXPECT_GE(frames, 3) << script;
        EXPECT_LE(frames, 3 + 1 + 5) << script;  // at most half a second more (the music allowed ahead)
        EXPECT_EQ(frames, r.stopAt) << script;
        EXPECT_EQ(static_cast<int64_t>(r.audio.size() / 8), frameFirstSample(frames, 10)) << script;
        EXPECT_EQ(floats(r.audio), mini.render(1000, frameFirstSample(frames, 10))) << script;
    }
}

TEST(FfmpegPipes, AnFfmpegThatFailsOrIsKilledIsReportedAndNeverHangs) {
    signal(SIGPIPE, SIG_IGN);
    MiniSong mini("fails");
    Recorded r = record(mini, "echo 'no such encoder' >&2; exit 3", 1000, 1000, 64, 64);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.error, "ffmpeg ended with status 3");
    EXPECT_EQ(r.messages, "no such encoder\n");

    r = record(mini, "head -c 50000 <&3 >/dev/null; kill -9 $$", 1000, 1000, 64, 64);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.error, "ffmpeg was killed (Killed)");

    // Reads everything, then says it failed: the last word is ffmpeg's.
    r = record(mini, "cat <&3 >/dev/null & cat <&4 >/dev/null; wait; echo 'disk full' >&2; exit 1", 10, 10, 8, 6);
    EXPECT_FALSE(r.finished);
    EXPECT_EQ(r.error, "ffmpeg ended with status 1");
    EXPECT_EQ(r.messages, "disk full\n");
}

TEST(SongRenderer, SkippingGivesTheSamplesOfARenderFromTheStart) {
    MiniSong mini("song");
    const std::vector<float> whole = mini.render(0, 250000);  // 5.2 s: the song (4.8 s) and silence
    for (int64_t from : {1, 4095, 4096, 100000, 230400}) {
        const std::vector<float> part = mini.render(from, 10000);
        EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 2 * from)) << from;
    }
    EXPECT_GT(*std::max_element(whole.begin(), whole.begin() + 96000), 0.01f);
    // After the song's end (its last row at 4.8 s and the player's short
    // tail), silence: no loop, which would sound the note again.
    EXPECT_TRUE(std::all_of(whole.begin() + 2 * 240000, whole.end(), [](float v) { return v == 0.0f; }));

    SongRenderer missing;
    std::string why;
    EXPECT_FALSE(missing.load(mini.temp / "none.it", &why));
    EXPECT_EQ(why, mini.temp / "none.it" + ": No such file or directory");
    std::vector<float> silence(200, 1.0f);
    missing.render(silence.data(), 100);
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](float v) { return v == 0.0f; }));
}

TEST(AudioWav, HoldsExactlyTheFramesWrittenAsSixteenBitStereo) {
    TempFolder temp("wav");
    WavWriter wav;
    ASSERT_TRUE(wav.open(temp / "a.wav", 48000, nullptr));
    const std::vector<float> samples = {0.0f, 1.0f, -1.0f, 0.5f, 1.5f, -2.0f};
    ASSERT_TRUE(wav.write(samples.data(), 3, nullptr));
    ASSERT_TRUE(wav.write(samples.data(), 1, nullptr));
    ASSERT_TRUE(wav.finish(nullptr));
    const std::vector<uint8_t> b = readBytes(temp / "a.wav");
    ASSERT_EQ(b.size(), 44u + 4 * 4);
    auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    auto s16 = [&](size_t at) { return int16_t(uint16_t(b[at] | b[at + 1] << 8)); };
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 36u + 16);
    EXPECT_EQ(u32(24), 48000u);
    EXPECT_EQ(u32(40), 16u);
    const std::vector<int> expected = {0, 32767, -32767, 16384, 32767, -32767, 0, 32767};
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(s16(44 + 2 * i), expected[i]) << i;

    std::string why;
    EXPECT_FALSE(WavWriter().open(temp / "no/a.wav", 48000, &why));
    EXPECT_EQ(why, temp / "no/a.wav" + ": No such file or directory");
}

TEST(AudioWav, APngFolderKeepsTheMusicOfEachFrameWritten) {
    TempFolder temp("folder-sink");
    MiniSong mini("folder-song");
    SongRenderer song;
    ASSERT_TRUE(song.load(mini.path, nullptr));
    PngFolderSink sink(temp.path.string(), 7);  // 6857 or 6858 samples a frame
    ASSERT_TRUE(sink.startAudio(song, nullptr));
    for (int k = 0; k < 10; ++k) ASSERT_TRUE(sink.writeFrame(k, frame(k, 4, 2).data(), 4, 2, nullptr));
    ASSERT_TRUE(sink.finish(nullptr));
    EXPECT_TRUE(fs::exists(temp / "000009.png"));
    const std::vector<uint8_t> wav = readBytes(temp / "audio.wav");
    EXPECT_EQ(wav.size(), 44u + 4 * 68571);  // floor(10 * 48000 / 7)
}

TEST(RecordingProgress, SaysFramesRateElapsedAndLeft) {
    EXPECT_EQ(RecordingProgress::text(1234, 7500, 12.5), "frame 1234/7500, 98.7 fps, 0:13 elapsed, 1:03 left");
    EXPECT_EQ(RecordingProgress::text(0, 7500, 0.0), "frame 0/7500, 0.0 fps, 0:00 elapsed, ? left");
    EXPECT_EQ(RecordingProgress::text(10, 7500, 5.0), "frame 10/7500, 2.0 fps, 0:05 elapsed, 1:02:25 left");
    EXPECT_EQ(RecordingProgress::text(6, 6, 1.0, RecordingProgress::preparedText(0.854, 120.0)),
              "frame 6/6, 6.0 fps, 0:01 elapsed, 0:00 left; 0.85 s running the show up to 120.000 s");
    // Redrawn in place on a terminal, whole lines otherwise; the wait for the
    // first frame is told when it was noticeable (here live) and left out of
    // the rate.
    TempFolder temp("progress");
    for (bool live : {true, false}) {
        std::FILE* out = std::fopen((temp / "out").c_str(), "w+");
        RecordingProgress progress(out, live);
        progress.prepared(live ? RecordingProgress::kNoticeable : RecordingProgress::kNoticeable / 2, 40.0);
        progress.update(1, 3);  // not due yet
        progress.update(3, 3);  // the last frame always is
        progress.finish();
        std::rewind(out);
        char text[256] = {};
        const size_t n = std::fread(text, 1, sizeof text - 1, out);
        std::fclose(out);
        const std::string said(text, n);
        if (live) EXPECT_EQ(said.rfind("\rglowmotion: frame 3/3, ", 0), 0u) << said;
        else EXPECT_EQ(said.rfind("glowmotion: frame 3/3, ", 0), 0u) << said;
        EXPECT_EQ(said.back(), '\n');
        EXPECT_EQ(said.find("frame 1/3"), std::string::npos);
        EXPECT_EQ(said.find("; 0.25 s running the show up to 40.000 s") != std::string::npos, live) << said;
    }
}

TEST(DataFolder, BesideTheProgramOrInstalledUnderShare) {
    TempFolder temp("data-folder");
    fs::create_directories(temp / "build/data");
    EXPECT_EQ(findDataDirectory(temp / "build"), temp / "build/data");
    fs::create_directories(temp / "prefix/bin");
    fs::create_directories(temp / "prefix/share/glowmotion");
    EXPECT_EQ(findDataDirectory(temp / "prefix/bin"), temp / "prefix/share/glowmotion");
    // Debian's games layout: /usr/games/glowmotion, /usr/share/games/glowmotion/.
    fs::create_directories(temp / "usr/games");
    fs::create_directories(temp / "usr/share/games/glowmotion");
    EXPECT_EQ(findDataDirectory(temp / "usr/games"), temp / "usr/share/games/glowmotion");
    // Neither: data/ beside the program, which messages then name.
    fs::create_directories(temp / "lonely");
    EXPECT_EQ(findDataDirectory(temp / "lonely"), temp / "lonely/data");
}
