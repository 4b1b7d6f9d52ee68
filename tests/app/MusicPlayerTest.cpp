// The music player over a test output that the test pulls samples from.
#include "common/ManualOutput.h"
#include "common/MiniModule.h"
#include "common/ReferenceRender.h"

#include "app/MusicPlayer.h"

#include <gtest/gtest.h>

#include "base/FileRead.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

struct Player {
    ManualOutput::Record record;
    ManualOutput* output = nullptr;
    std::unique_ptr<MusicPlayer> music;
    explicit Player(bool deviceWorks = true) {
        record.openResult = deviceWorks;
        auto out = std::make_unique<ManualOutput>(&record);
        output = out.get();
        music = std::make_unique<MusicPlayer>(std::move(out));
    }
    // `frames` stereo frames pulled as the mixer thread does.
    std::vector<float> samples(int frames) {
        std::vector<float> buffer(static_cast<size_t>(frames) * 2, 99.0f);
        if (output->renderer) output->renderer(buffer.data(), frames);
        return buffer;
    }
    // RMS of `frames` pulled stereo frames.
    double pull(int frames) {
        if (!output->renderer) return 0.0;
        const std::vector<float> buffer = samples(frames);
        double sum = 0;
        for (float s : buffer) sum += static_cast<double>(s) * s;
        return std::sqrt(sum / static_cast<double>(buffer.size()));
    }
};

std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = "/tmp/glowmotion-music-" + std::to_string(getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace

TEST(MusicPlayer, OpensStereoAtTheMixRateWithASmallBuffer) {
    Player p;
    EXPECT_TRUE(p.music->init(44000));
    EXPECT_EQ(p.record.rate, 44000);
    EXPECT_GT(p.record.bufferFrames, 0);
    EXPECT_LE(p.record.bufferFrames, 1024);
    EXPECT_EQ(p.pull(256), 0.0);  // open, no song: silence, every sample written
}

TEST(MusicPlayer, PlaysAModuleAndFallsSilentAfterItsEnd) {
    const std::string path = writeFile("tune.it", miniItModule("tune", 8));  // 0.96 s
    Player p;
    p.music->init(44000);
    p.music->play(path.c_str());
    EXPECT_GT(p.pull(4400), 0.01);
    p.pull(44000);                  // past the end: the song does not loop
    EXPECT_EQ(p.pull(1024), 0.0);
    p.music->stop();
    EXPECT_FALSE(p.record.open);
    std::remove(path.c_str());
}

TEST(MusicPlayer, PlayingTwiceReplacesTheFirstSong) {
    const std::vector<uint8_t> one = miniItModule("first");
    const std::vector<uint8_t> other = miniItModule("second", 200, true, 1, 150);  // a note every row
    const std::string first = writeFile("first.it", one);
    const std::string second = writeFile("second.it", other);
    Player p;
    p.music->init(44000);
    p.music->play(first.c_str());
    EXPECT_EQ(p.samples(4096), straightRender(one, 0.0, 4096));
    p.music->play(second.c_str());  // from its own start
    EXPECT_EQ(p.samples(8192), straightRender(other, 0.0, 8192));
    p.music->play("/nonexistent/none.it");  // frees the held song, loads nothing
    EXPECT_EQ(p.pull(512), 0.0);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(MusicPlayer, StartsAtTheRequestedPositionToTheSample) {
    // A new note every row: each moment sounds unlike the next. At tempo
    // 150 a tick is 733 1/3 samples at 44 kHz, which the player rounds: its
    // time runs apart from the ideal one by 0.05 %, 5 ms after 10 s.
    const std::vector<uint8_t> scale = miniItModule("scale", 200, true, 1, 150);  // 20 s
    const std::string path = writeFile("long.it", scale);
    Player p;
    p.music->init(44000);
    p.music->play(path.c_str(), 3.05);  // between two rows
    const std::vector<float> heard = p.samples(4096);
    EXPECT_LT(largestDifference(heard, straightRender(scale, 3.05, 4096)), 1e-4f);
    // The comparison tells places apart: 10 ms later sounds different.
    EXPECT_GT(largestDifference(heard, straightRender(scale, 3.06, 4096)), 0.05f);
    std::remove(path.c_str());
}

TEST(MusicPlayer, SeekPlaysFromTheNewPlaceAsARenderFromTheStartDoes) {
    const std::vector<uint8_t> scale = miniItModule("scale", 200, true, 1, 150);
    const std::string path = writeFile("seek.it", scale);
    Player p;
    p.music->init(44000);
    p.music->play(path.c_str());
    p.samples(44000 * 2);  // two seconds in
    struct Case { double to; double expected; };
    // Forward, back, between rows, on a row, one frame of the picture, before the start.
    for (const Case c : {Case{7.3, 7.3}, Case{2.3, 2.3}, Case{12.0, 12.0}, Case{12.0 + 1.0 / 60, 12.0 + 1.0 / 60},
                         Case{0.77, 0.77}, Case{-4.0, 0.0}}) {
        SCOPED_TRACE(c.to);
        const int locks = p.record.locks;
        p.music->seek(c.to);
        EXPECT_EQ(p.record.locks, locks + 1);  // the mixer kept out while the song moves
        const std::vector<float> heard = p.samples(MusicPlayer::kBufferFrames * 4);
        EXPECT_LT(largestDifference(heard, straightRender(scale, c.expected, MusicPlayer::kBufferFrames * 4)), 1e-4f);
    }
    // Past the end of the song: silence, and no stall rendering to it.
    p.music->seek(500.0);
    p.samples(44000);
    EXPECT_TRUE(allSilent(p.samples(1024)));
    // A song that has ended plays again once sought back into (the mixer
    // keeps a small offset from before, fading from 1e-4; 10 ms off the
    // place would differ by 0.05 and more).
    p.music->seek(5.0);
    EXPECT_LT(largestDifference(p.samples(2048), straightRender(scale, 5.0, 2048)), 1e-3f);
    std::remove(path.c_str());
}

TEST(MusicPlayer, PauseFeedsSilenceAndResumesAtTheSameSample) {
    const std::vector<uint8_t> scale = miniItModule("scale", 200, true, 1, 150);
    const std::string path = writeFile("pause.it", scale);
    Player p;
    p.music->init(44000);
    p.music->play(path.c_str());
    std::vector<float> heard = p.samples(30000);
    p.music->pause(true);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(allSilent(p.samples(MusicPlayer::kBufferFrames)));
    p.music->pause(false);
    const std::vector<float> after = p.samples(20000);
    heard.insert(heard.end(), after.begin(), after.end());
    // Exactly the song without the pause, sample for sample.
    EXPECT_EQ(heard, straightRender(scale, 0.0, 50000));

    // A seek while paused stays silent and plays from the new place on resuming.
    p.music->pause(true);
    p.music->seek(9.5);
    EXPECT_TRUE(allSilent(p.samples(4096)));
    p.music->pause(false);
    EXPECT_LT(largestDifference(p.samples(4096), straightRender(scale, 9.5, 4096)), 1e-4f);
    std::remove(path.c_str());
}

TEST(MusicPlayer, SeekAndPauseWithoutASongDoNothing) {
    Player p;
    p.music->init(44000);
    p.music->seek(12.0);
    p.music->pause(true);
    EXPECT_TRUE(allSilent(p.samples(512)));
    p.music->pause(false);
    EXPECT_TRUE(allSilent(p.samples(512)));
}

// Plays `path` and returns what was written to standard error meanwhile.
std::string playAndReport(Player& p, const std::string& path) {
    testing::internal::CaptureStderr();
    p.music->play(path.c_str());
    return testing::internal::GetCapturedStderr();
}

std::string silenceLine(const std::string& why) {
    return "glowmotion: no music: " + why + "; the show plays in silence\n";
}

TEST(MusicPlayer, AModuleThatCannotBeReadGivesSilenceAndOneLineNamingTheFileAndWhy) {
    const std::string dir = "/tmp/glowmotion-music-" + std::to_string(getpid()) + "-bad";
    std::filesystem::create_directories(dir + "/folder.it");
    Player p;
    p.music->init(44000);

    EXPECT_EQ(playAndReport(p, dir + "/missing.it"), silenceLine(dir + "/missing.it: No such file or directory"));
    EXPECT_EQ(playAndReport(p, dir + "/folder.it"), silenceLine(dir + "/folder.it: is a folder, not a file"));
    // A device or a pipe is refused at once, without reading or waiting.
    EXPECT_EQ(playAndReport(p, "/dev/zero"), silenceLine("/dev/zero: is not a regular file"));
    ASSERT_EQ(mkfifo((dir + "/pipe.it").c_str(), 0600), 0);
    EXPECT_EQ(playAndReport(p, dir + "/pipe.it"), silenceLine(dir + "/pipe.it: is not a regular file"));
    // Larger than any module: refused before a byte is read (the file is sparse).
    const std::string huge = dir + "/huge.it";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxModuleBytes + 1);
    EXPECT_EQ(playAndReport(p, huge), silenceLine(huge + ": is larger than 67108864 bytes"));

    std::vector<uint8_t> broken = miniItModule("broken");
    broken.resize(100);  // cut inside the header
    const std::string truncated = writeFile("broken.it", broken);
    EXPECT_EQ(playAndReport(p, truncated), silenceLine(truncated + ": not a tracker module the player can read"));
    const std::string noise = writeFile("noise.it", std::vector<uint8_t>(3000, 0xA5));
    EXPECT_EQ(playAndReport(p, noise), silenceLine(noise + ": not a tracker module the player can read"));
    EXPECT_EQ(p.pull(512), 0.0);

    // A good module after all that plays, and says nothing.
    const std::string good = writeFile("fine.it", miniItModule("fine"));
    EXPECT_EQ(playAndReport(p, good), "");
    EXPECT_GT(p.pull(4400), 0.01);
    p.music->stop();
    EXPECT_EQ(p.record.closes, 1);
    std::filesystem::remove_all(dir);
    std::remove(truncated.c_str());
    std::remove(noise.c_str());
    std::remove(good.c_str());
}

TEST(MusicPlayer, WithoutADeviceNothingIsReadOrSaidAgain) {
    Player deaf(false);
    EXPECT_FALSE(deaf.music->init(44000));
    const std::string good = writeFile("good.it", miniItModule("good"));
    EXPECT_EQ(playAndReport(deaf, good), "");
    EXPECT_EQ(playAndReport(deaf, "/nonexistent/km_groov.it"), "");  // the output already said it all
    deaf.music->stop();
    std::remove(good.c_str());
}

namespace {
// The real sound output with SDL told to use `driver` (and ALSA `device`).
std::string openSdlOutput(const char* driver, const char* device) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (device) setenv("AUDIODEV", device, 1);
    auto output = makeSdlAudioOutput();
    testing::internal::CaptureStderr();
    const bool opened = output->open(44000, 512, [](float*, int) {});
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(opened);
    output->close();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("AUDIODEV");
    return said;
}
}  // namespace

TEST(SoundDevice, NoDeviceIsOneLineSayingTheShowPlaysInSilence) {
    EXPECT_EQ(openSdlOutput("nosuchdriver", nullptr),
              "glowmotion: no sound device (Audio target 'nosuchdriver' not available); "
              "the show plays in silence\n");
    // ALSA asked for a device that exists nowhere: its own diagnostics stay
    // off standard error, the one line remains.
    const std::string said = openSdlOutput("alsa", "glowmotion-no-such-device");
    EXPECT_EQ(said.rfind("glowmotion: no sound device (", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
    EXPECT_NE(said.find("); the show plays in silence\n"), std::string::npos) << said;
}
