// The music player over a test output that the test pulls samples from.
#include "MiniModule.h"

#include "app/MusicPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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

TEST(MusicPlayer, MissingOrBadFilesAndMissingDevicesGiveSilenceWithoutFuss) {
    Player p;
    p.music->init(44000);
    p.music->play("/nonexistent/km_groov.it");
    EXPECT_FALSE(p.music->hasSong());

    std::vector<uint8_t> broken = miniItModule("broken");
    broken.resize(100);  // cut inside the header
    const std::string truncated = writeFile("broken.it", broken);
    p.music->play(truncated.c_str());
    EXPECT_FALSE(p.music->hasSong());
    const std::string noise = writeFile("noise.it", std::vector<uint8_t>(3000, 0xA5));
    p.music->play(noise.c_str());
    EXPECT_FALSE(p.music->hasSong());
    EXPECT_EQ(p.pull(512), 0.0);
    p.music->stop();
    EXPECT_EQ(p.record.closes, 1);

    Player deaf(false);
    EXPECT_FALSE(deaf.music->init(44000));
    const std::string good = writeFile("good.it", miniItModule("good"));
    deaf.music->play(good.c_str());
    EXPECT_FALSE(deaf.music->hasSong());  // nothing could hear it
    deaf.music->stop();
    std::remove(truncated.c_str());
    std::remove(noise.c_str());
    std::remove(good.c_str());
}
