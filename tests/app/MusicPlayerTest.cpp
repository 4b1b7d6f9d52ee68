// The music player over a test output that the test pulls samples from,
// held against libopenmpt's own render of the module.
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
    bool at(double seconds, float within = 1e-4f) {  // what plays next is the module from `seconds`
        return largestDifference(pull(record, 4096), straightRender(kScale, seconds, 4096)) < within;
    }
    std::string play(const std::string& path, double from = 0.0) {  // what playing `path` said on standard error
        testing::internal::CaptureStderr();
        music->play(path.c_str(), from);
        return testing::internal::GetCapturedStderr();
    }
};

}  // namespace

TEST(MusicPlayer, PlaysFromWhereAskedToTheEndSeeksToTheSampleAndAModuleItCannotReadIsSilenceAndOneLine) {
    testfiles::TempDir temp("music");
    const std::vector<uint8_t> short8 = miniItModule("short", 8);  // 0.96 s
    Player p;
    EXPECT_TRUE(p.record.rate == 44000 && p.record.bufferFrames > 0 && p.record.bufferFrames <= 1024);
    EXPECT_TRUE(allSilent(pull(p.record, 256)));                       // no song yet: silence, every sample written
    p.music->seek(12.0), p.music->pause(true), p.music->pause(false);  // without a song: nothing
    EXPECT_EQ(p.play(temp.write("short.it", short8)), "");
    EXPECT_EQ(pull(p.record, 4400), straightRender(short8, 0.0, 4400));
    pull(p.record, 44000);
    EXPECT_TRUE(allSilent(pull(p.record, 1024)));  // past the end: the song does not loop
    // Another song replaces it, from between two rows (the player's rounded
    // ticks run apart from the ideal time by 0.05 %); 10 ms off sounds different.
    p.play(temp.write("scale.it", kScale), 3.05);
    const std::vector<float> heard = pull(p.record, 4096);
    EXPECT_LT(largestDifference(heard, straightRender(kScale, 3.05, 4096)), 1e-4f);
    EXPECT_GT(largestDifference(heard, straightRender(kScale, 3.06, 4096)), 0.05f);
    // Forward, back, on a row, one frame of the picture on, before the start.
    for (const auto& [to, expected] :
         {std::pair{7.3, 7.3}, {2.3, 2.3}, {12.0, 12.0}, {12.0 + 1.0 / 60, 12.0 + 1.0 / 60}, {-4.0, 0.0}}) {
        const int locks = p.record.locks;
        p.music->seek(to);
        EXPECT_EQ(p.record.locks, locks + 1) << to;  // the mixer kept out while the song moves
        EXPECT_TRUE(p.at(expected)) << to;
    }
    p.music->seek(500.0);  // past the end: silence; sought back, it plays again
    pull(p.record, 44000);
    EXPECT_TRUE(allSilent(pull(p.record, 1024)));
    p.music->seek(5.0);
    EXPECT_TRUE(p.at(5.0, 1e-3f));  // the mixer keeps a small offset from before, fading from 1e-4
    std::vector<uint8_t> broken = miniItModule("broken");
    broken.resize(100);  // cut inside the header
    for (const std::string& bad :
         {temp.write("broken.it", broken), temp.write("noise.it", std::vector<uint8_t>(3000, 0xA5))})
        EXPECT_EQ(p.play(bad), "glowmotion: no music: " + bad +
                                   ": not a tracker module the player can read; the show plays in silence\n");
    EXPECT_TRUE(allSilent(pull(p.record, 512)));   // the song held before is gone
    EXPECT_EQ(p.play(temp.file("short.it")), "");  // a module it can read again
    EXPECT_EQ(pull(p.record, 4400), straightRender(short8, 0.0, 4400));
    p.music->stop();
    EXPECT_TRUE(!p.record.open && p.record.closes == 1);
    Player deaf(false);  // the output already said it all
    EXPECT_EQ(deaf.play(temp.file("short.it")) + deaf.play(temp.file("missing.it")), "");
}
