// The music player over a test output that the test pulls samples from,
// held against libopenmpt's own render of the module; and the real sound
// output without a device.
#include "common/Files.h"
#include "common/ManualOutput.h"
#include "common/MiniModule.h"
#include "common/ReferenceRender.h"

#include "app/MusicPlayer.h"

#include <gtest/gtest.h>

namespace {

// A new note every 0.1 s row for 20 s: each moment sounds unlike the next.
const std::vector<uint8_t> kScale = miniItModule("scale", 200, true, 1, 150);

struct Player {
    ManualOutput::Record record;
    std::unique_ptr<MusicPlayer> music;
    explicit Player(bool deviceWorks = true) {
        record.works = deviceWorks;
        music = std::make_unique<MusicPlayer>(std::make_unique<ManualOutput>(&record));
        EXPECT_EQ(music->init(44000), deviceWorks);
    }
    std::vector<float> samples(int frames) { return pull(record, frames); }
    // What playing `path` wrote to standard error.
    std::string play(const std::string& path, double at = 0.0) {
        testing::internal::CaptureStderr();
        music->play(path.c_str(), at);
        return testing::internal::GetCapturedStderr();
    }
};

}  // namespace

TEST(MusicPlayer, PlaysAModuleAsItsOwnRenderFromWhereAskedToItsEndAndNoFurther) {
    testfiles::TempDir temp("music");
    const std::vector<uint8_t> short8 = miniItModule("short", 8);  // 0.96 s
    Player p;
    EXPECT_EQ(p.record.rate, 44000);
    EXPECT_GT(p.record.bufferFrames, 0);
    EXPECT_LE(p.record.bufferFrames, 1024);
    EXPECT_TRUE(allSilent(p.samples(256)));  // no song yet: silence, every sample written
    EXPECT_EQ(p.play(temp.write("short.it", short8)), "");
    EXPECT_EQ(p.samples(4400), straightRender(short8, 0.0, 4400));
    p.samples(44000);
    EXPECT_TRUE(allSilent(p.samples(1024)));  // past the end: the song does not loop
    // Another song replaces it, here from 3.05 s (between two rows; the
    // player's rounded ticks run apart from the ideal time by 0.05 %).
    p.play(temp.write("scale.it", kScale), 3.05);
    const std::vector<float> heard = p.samples(4096);
    EXPECT_LT(largestDifference(heard, straightRender(kScale, 3.05, 4096)), 1e-4f);
    EXPECT_GT(largestDifference(heard, straightRender(kScale, 3.06, 4096)), 0.05f);  // 10 ms off sounds different
    p.play("/nonexistent/none.it");  // frees the held song, loads nothing
    EXPECT_TRUE(allSilent(p.samples(512)));
    p.music->stop();
    EXPECT_FALSE(p.record.open);
    EXPECT_EQ(p.record.closes, 1);
}

TEST(MusicPlayer, SeeksToTheSampleAndPausesWithSilenceResumingAtTheSameSample) {
    testfiles::TempDir temp("music-seek");
    Player p;
    p.music->seek(12.0);  // without a song: nothing
    p.music->pause(true);
    EXPECT_TRUE(allSilent(p.samples(512)));
    p.music->pause(false);
    p.play(temp.write("seek.it", kScale));
    std::vector<float> heard = p.samples(30000);
    p.music->pause(true);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(allSilent(p.samples(MusicPlayer::kBufferFrames)));
    p.music->pause(false);
    const std::vector<float> after = p.samples(20000);
    heard.insert(heard.end(), after.begin(), after.end());
    EXPECT_EQ(heard, straightRender(kScale, 0.0, 50000));  // the song without the pause, sample for sample

    // Forward, back, on a row, one frame of the picture on, before the start, while paused.
    for (const auto& [to, expected, paused] : {std::tuple{7.3, 7.3, false}, {2.3, 2.3, false}, {12.0, 12.0, false},
                                              {12.0 + 1.0 / 60, 12.0 + 1.0 / 60, false}, {-4.0, 0.0, false},
                                              {9.5, 9.5, true}}) {
        SCOPED_TRACE(to);
        p.music->pause(paused);
        const int locks = p.record.locks;
        p.music->seek(to);
        EXPECT_EQ(p.record.locks, locks + 1);  // the mixer kept out while the song moves
        if (paused) {
            EXPECT_TRUE(allSilent(p.samples(4096)));
        }
        p.music->pause(false);
        EXPECT_LT(largestDifference(p.samples(4096), straightRender(kScale, expected, 4096)), 1e-4f);
    }
    // Past the end: silence; sought back, the song plays again (the mixer
    // keeps a small offset from before, fading from 1e-4).
    p.music->seek(500.0);
    p.samples(44000);
    EXPECT_TRUE(allSilent(p.samples(1024)));
    p.music->seek(5.0);
    EXPECT_LT(largestDifference(p.samples(2048), straightRender(kScale, 5.0, 2048)), 1e-3f);
}

TEST(MusicPlayer, AModuleThatCannotBeReadIsSilenceAndOneLineAndWithoutADeviceNothingIsSaid) {
    testfiles::TempDir temp("music-bad");
    Player p;
    auto silence = [](const std::string& why) { return "glowmotion: no music: " + why + "; the show plays in silence\n"; };
    EXPECT_EQ(p.play(temp.file("missing.it")), silence(temp.file("missing.it") + ": No such file or directory"));
    EXPECT_EQ(p.play("/dev/zero"), silence("/dev/zero: is not a regular file"));
    std::vector<uint8_t> broken = miniItModule("broken");
    broken.resize(100);  // cut inside the header
    for (const std::string& bad : {temp.write("broken.it", broken), temp.write("noise.it", std::vector<uint8_t>(3000, 0xA5))})
        EXPECT_EQ(p.play(bad), silence(bad + ": not a tracker module the player can read"));
    EXPECT_TRUE(allSilent(p.samples(512)));
    const std::string good = temp.write("fine.it", miniItModule("fine"));
    EXPECT_EQ(p.play(good), "");
    EXPECT_FALSE(allSilent(p.samples(4400)));

    Player deaf(false);  // the output already said it all
    EXPECT_EQ(deaf.play(good), "");
    EXPECT_EQ(deaf.play(temp.file("missing.it")), "");
}

TEST(SoundDevice, NoDeviceIsOneLineSayingTheShowPlaysInSilence) {
    auto open = [](const char* driver, const char* device) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        if (device) setenv("AUDIODEV", device, 1);
        auto output = makeSdlAudioOutput();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(output->open(44000, 512, [](float*, int) {}));
        const std::string said = testing::internal::GetCapturedStderr();
        output->close();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("AUDIODEV");
        return said;
    };
    EXPECT_EQ(open("nosuchdriver", nullptr),
              "glowmotion: no sound device (Audio target 'nosuchdriver' not available); the show plays in silence\n");
    // ALSA asked for a device that exists nowhere: its own diagnostics stay off standard error.
    const std::string said = open("alsa", "glowmotion-no-such-device");
    EXPECT_EQ(said.rfind("glowmotion: no sound device (", 0), 0u) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_NE(said.find("); the show plays in silence\n"), std::string::npos) << said;
}
