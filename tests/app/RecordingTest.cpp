// Recording without OpenGL: which frames and samples a recording holds, the
// pipes to a stand-in ffmpeg (every byte, either reading order, stops,
// failures), the music renderer, audio.wav and the progress line.
#include "common/Files.h"
#include "common/MiniModule.h"

#include "app/FfmpegEncoder.h"
#include "app/Recording.h"
#include "app/RecordingFrames.h"
#include "app/SongRenderer.h"
#include "app/WavWriter.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

using testfiles::readFile;
using testfiles::TempDir;

TEST(RecordingFrames, FramesCoverStartUpToTheEndAndSamplesFollowWithoutDrift) {
    const std::pair<CaptureTiming, int64_t> counts[] = {
        {{0.0, 125.0, 60}, 7500}, {{18.8, 19.25, 10}, 5}, {{43.9, 66.5, 30}, 678},
        {{124.9, 125.0, 60}, 6},  {{50.0, 50.0, 60}, 0},  {{50.0, 40.0, 60}, 0}};  // 43.9 + 678/30 = 66.5
    for (const auto& [timing, frames] : counts) EXPECT_EQ(recordingFrameCount(timing), frames) << timing.startAt;
    for (int fps : {7, 24, 60, 144}) {
        for (int64_t k = 0; k < 125 * fps; ++k) {
            const int64_t count = frameFirstSample(k + 1, fps) - frameFirstSample(k, fps);
            ASSERT_TRUE(count == 48000 / fps || count == 48000 / fps + 1) << fps << " " << k;
        }
        EXPECT_EQ(frameFirstSample(125 * fps, fps), 125 * 48000) << fps;
    }
    EXPECT_EQ(songSampleAt(43.9), 2107200);
}

namespace {
// The mini module (0.12 s a row, 40 rows) in a folder of the test's own.
struct MiniSong {
    TempDir temp;
    std::string path;
    explicit MiniSong(const char* name) : temp(name), path(temp.write("song.it", miniItModule("mini", 40))) {}
    std::vector<float> render(int64_t from, int64_t frames) const {
        SongRenderer song;
        EXPECT_TRUE(song.load(path, nullptr));
        song.skipTo(from);
        std::vector<float> samples(static_cast<size_t>(frames) * 2);
        song.render(samples.data(), frames);
        return samples;
    }
};

struct Encoded {
    bool finished = false;
    int64_t stopAt = -1;  // frames the stop asked for
    std::string error, messages, printed;
    std::vector<uint8_t> video, audio;
};

// Frames [0, total) of a recording at 10 fps, frame k all bytes k, music from
// song sample 1000, through a stand-in ffmpeg `script`; a stop asked for
// after `stopAfter` frames.
Encoded encode(const MiniSong& mini, const std::string& script, int64_t total, int w, int h, int64_t stopAfter) {
    signal(SIGPIPE, SIG_IGN);
    TempDir keep("keep");
    setenv("KEEP", keep.path().c_str(), 1);
    const std::string program = keep.write("ffmpeg", "#!/bin/sh\n" + script + "\n");
    ::chmod(program.c_str(), 0755);
    SongRenderer song;
    EXPECT_TRUE(song.load(mini.path, nullptr));
    song.skipTo(1000);
    VideoSettings settings;
    settings.output = keep.file("out.mp4"), settings.width = w, settings.height = h, settings.fps = 10;
    FfmpegEncoder encoder(settings, song, total);
    Encoded result;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(encoder.start(program, &result.error)) << result.error;
    bool ok = true;
    for (int64_t k = 0, end = total; k < end && ok; ++k) {
        ok = encoder.writeFrame(k, std::vector<uint8_t>(size_t(w) * h * 4, uint8_t(k)).data(), w, h, &result.error);
        if (ok && k + 1 == stopAfter) total = end = result.stopAt = encoder.framesToStopAt(k + 1);
    }
    result.finished = encoder.finish(ok ? total : 0, &result.error);
    result.printed = testing::internal::GetCapturedStdout(), result.messages = encoder.messages();
    result.video = readFile(keep.file("video.raw")), result.audio = readFile(keep.file("audio.raw"));
    return result;
}
}  // namespace

TEST(FfmpegPipes, EveryFrameAndExactlyItsMusicReachFfmpegAStopEndsBothAndFailuresAreReported) {
    MiniSong mini("pipes");
    const std::string keeper = "cat <&3 >\"$KEEP/video.raw\" & cat <&4 >\"$KEEP/audio.raw\" & wait";
    // (script, frames, width, height, frames before a stop, error, messages)
    const std::tuple<std::string, int, int, int, int, std::string, std::string> cases[] = {
        {"echo chatter; " + keeper, 25, 8, 6, -1, "", ""},  // what ffmpeg prints on its standard output goes nowhere
        // Frames of 480 KB: one pipe fills while the other waits its turn.
        {"cat <&3 >\"$KEEP/video.raw\"; cat <&4 >\"$KEEP/audio.raw\"", 20, 400, 300, -1, "", ""},
        {"cat <&4 >\"$KEEP/audio.raw\"; cat <&3 >\"$KEEP/video.raw\"", 20, 400, 300, -1, "", ""},
        // A stop, with the music taken as it comes and taken late.
        {keeper, 100, 8, 6, 3, "", ""},
        {"cat <&3 >\"$KEEP/video.raw\" & (sleep 1; cat <&4 >\"$KEEP/audio.raw\") & wait", 100, 8, 6, 3, "", ""},
        {"echo 'no such encoder' >&2; exit 3", 1000, 64, 64, -1, "ffmpeg ended with status 3", "no such encoder\n"},
        // Reads everything, then says it failed: the last word is ffmpeg's.
        {"cat <&3 >/dev/null & cat <&4 >/dev/null; wait; echo 'disk full' >&2; exit 1", 10, 8, 6, -1,
         "ffmpeg ended with status 1", "disk full\n"}};
    for (const auto& [script, total, w, h, stopAfter, error, messages] : cases) {
        SCOPED_TRACE(script);
        const Encoded r = encode(mini, script, total, w, h, stopAfter);
        EXPECT_EQ(r.finished, error.empty());
        EXPECT_EQ(r.error, error);
        EXPECT_EQ(r.messages, messages);
        EXPECT_EQ(r.printed, "");
        if (!error.empty()) continue;
        const size_t frameBytes = size_t(w) * h * 4, frames = r.video.size() / frameBytes;
        EXPECT_EQ(int64_t(frames), stopAfter < 0 ? total : r.stopAt);
        EXPECT_TRUE(stopAfter < 0 || (frames >= 3 && frames <= 3 + 1 + 5)) << frames;  // music allowed ahead: 0.5 s
        for (size_t k = 0; k < frames; ++k) EXPECT_EQ(r.video[k * frameBytes], uint8_t(k)) << k;
        std::vector<float> music(r.audio.size() / sizeof(float));
        std::memcpy(music.data(), r.audio.data(), music.size() * sizeof(float));
        EXPECT_EQ(music, mini.render(1000, frameFirstSample(int64_t(frames), 10)));
    }
    TempDir path("path");  // the program is the first executable file of that name on the search path
    for (const char* folder : {"a", "b", "c/ffmpeg"}) std::filesystem::create_directories(path.file(folder));
    path.write("a/ffmpeg", "not executable");
    ::chmod(path.write("b/ffmpeg", "").c_str(), 0755);
    const std::string search = path.file("none") + ":" + path.file("a") + "::" + path.file("c") + ":" + path.file("b");
    EXPECT_EQ(findProgram("ffmpeg", search.c_str()), path.file("b/ffmpeg"));
    EXPECT_EQ(findProgram("ffmpeg", path.file("a").c_str()) + findProgram("ffmpeg", nullptr), "");
}

TEST(SongRenderer, SkippingGivesTheSamplesOfARenderFromTheStartAndSilenceAfterTheEnd) {
    MiniSong mini("song");
    const std::vector<float> whole = mini.render(0, 250000);  // the song (4.8 s) and silence
    const std::vector<float> part = mini.render(100001, 10000);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 2 * 100001));
    EXPECT_GT(*std::max_element(whole.begin(), whole.begin() + 96000), 0.01f);
    EXPECT_EQ(std::vector<float>(whole.begin() + 2 * 240000, whole.end()), std::vector<float>(20000, 0.0f));  // no loop
    SongRenderer missing;
    EXPECT_FALSE(missing.load(mini.temp.file("none.it"), nullptr));
    std::vector<float> silence(200, 1.0f);
    missing.render(silence.data(), 100);
    EXPECT_EQ(silence, std::vector<float>(200, 0.0f));
}

TEST(AudioWav, SixteenBitStereoClippedAndAFullDiskReported) {
    TempDir temp("wav");
    WavWriter wav;
    ASSERT_TRUE(wav.open(temp.file("a.wav"), 48000, nullptr));
    const std::vector<float> samples = {0.0f, 1.0f, -1.0f, 0.5f, 1.5f, -2.0f};
    ASSERT_TRUE(wav.write(samples.data(), 3, nullptr));
    ASSERT_TRUE(wav.write(samples.data(), 1, nullptr));
    ASSERT_TRUE(wav.finish(nullptr));
    const std::vector<uint8_t> b = readFile(temp.file("a.wav"));
    ASSERT_EQ(b.size(), 44u + 4 * 4);
    uint32_t header[11];  // little-endian, as this machine
    std::memcpy(header, b.data(), sizeof header);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(std::vector<uint32_t>({header[1], header[6], header[10]}),
              std::vector<uint32_t>({36u + 16, 48000u, 16u}));
    const std::vector<int> expected = {0, 32767, -32767, 16384, 32767, -32767, 0, 32767};  // clipped beyond 1
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(int16_t(b[44 + 2 * i] | b[45 + 2 * i] << 8), expected[i]) << i;

    std::string why;
    EXPECT_FALSE(WavWriter().open("/dev/full", 48000, &why));
    EXPECT_EQ(why, "/dev/full: No space left on device");
    EXPECT_FALSE(WavWriter().open(temp.file("no/a.wav"), 48000, &why));
    EXPECT_EQ(why, temp.file("no/a.wav") + ": No such file or directory");
}

TEST(RecordingProgress, ALineWhenDueTheLastAlwaysAndRedrawnInPlaceOnATerminal) {
    TempDir temp("progress");
    for (bool live : {true, false}) {
        std::FILE* out = std::fopen(temp.file("out").c_str(), "w+");
        RecordingProgress progress(out, live);
        // The wait for the first frame is told when it was noticeable, and left out of the rate.
        progress.prepared(live ? RecordingProgress::kNoticeable : RecordingProgress::kNoticeable / 2, 40.0);
        progress.update(1, 3);  // not due yet (a line every 5 s, or every 0.25 s on a terminal)
        progress.update(3, 3);  // the last frame always is
        progress.finish();
        std::fclose(out);
        const std::string said = testfiles::readText(temp.file("out"));
        EXPECT_EQ(said.rfind(live ? "\rglowmotion: frame 3/3, " : "glowmotion: frame 3/3, ", 0), 0u) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
        EXPECT_EQ(said.find("; 0.25 s running the show up to 40.000 s") != std::string::npos, live) << said;
    }
    EXPECT_EQ(RecordingProgress::text(1234, 7500, 12.5), "frame 1234/7500, 98.7 fps, 0:13 elapsed, 1:03 left");
}
