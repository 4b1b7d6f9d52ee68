// The music player over a test output that the test pulls samples from.
#include "MiniModule.h"

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
#include <unistd.h>

namespace {

class ManualOutput final : public AudioOutput {
public:
    struct Record {
        bool openResult = true;
        int rate = 0, bufferFrames = 0, opens = 0, closes = 0;
        bool open = false;
    };
    explicit ManualOutput(Record* record) : r(record) {}
    bool open(int rate, int bufferFrames, Render render) override {
        ++r->opens;
        r->rate = rate;
        r->bufferFrames = bufferFrames;
        if (!r->openResult) return false;
        renderer = std::move(render);
        r->open = true;
        return true;
    }
    void close() override {
        ++r->closes;
        r->open = false;
        renderer = nullptr;
    }
    bool isOpen() const override { return r->open; }
    void lock() override {}
    void unlock() override {}

    Render renderer;
    Record* r;
};

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
    // RMS of `frames` pulled stereo frames.
    double pull(int frames) {
        if (!output->renderer) return 0.0;
        std::vector<float> buffer(static_cast<size_t>(frames) * 2, 99.0f);
        output->renderer(buffer.data(), frames);
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
    ASSERT_TRUE(p.music->hasSong());
    EXPECT_EQ(p.music->songTitle(), "tune");
    EXPECT_GT(p.pull(4400), 0.01);
    p.pull(44000);                  // past the end: the song does not loop
    EXPECT_EQ(p.pull(1024), 0.0);
    p.music->stop();
    EXPECT_FALSE(p.music->hasSong());
    EXPECT_FALSE(p.record.open);
    std::remove(path.c_str());
}

TEST(MusicPlayer, PlayingTwiceReplacesTheFirstSong) {
    const std::string first = writeFile("first.it", miniItModule("first"));
    const std::string second = writeFile("second.it", miniItModule("second"));
    Player p;
    p.music->init(44000);
    p.music->play(first.c_str());
    EXPECT_EQ(p.music->songTitle(), "first");
    p.music->play(second.c_str());
    EXPECT_EQ(p.music->songTitle(), "second");
    p.music->play("/nonexistent/none.it");  // frees the held song, loads nothing
    EXPECT_FALSE(p.music->hasSong());
    EXPECT_EQ(p.pull(512), 0.0);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(MusicPlayer, StartsAtTheRequestedPosition) {
    const std::string path = writeFile("long.it", miniItModule("long", 200));  // 24 s
    Player p;
    p.music->init(44000);
    p.music->play(path.c_str(), 3.0);
    ASSERT_TRUE(p.music->hasSong());
    EXPECT_NEAR(p.music->songPosition(), 3.0, 0.13);  // within one row
    std::remove(path.c_str());
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
    EXPECT_FALSE(p.music->hasSong());
    EXPECT_EQ(p.pull(512), 0.0);

    // A good module after all that plays, and says nothing.
    const std::string good = writeFile("fine.it", miniItModule("fine"));
    EXPECT_EQ(playAndReport(p, good), "");
    EXPECT_TRUE(p.music->hasSong());
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
    EXPECT_FALSE(deaf.music->hasSong());  // nothing could hear it
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
