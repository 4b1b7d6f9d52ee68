// The frame loop under a flood: 10,000 queued window messages of every kind
// the driver knows (keys down and up with any code, sizes with any numbers,
// events it ignores), then a close. Every message is taken, the key table and
// the size end as the last messages left them, and the show ends normally.
#include "../app/FakeWindow.h"
#include "../app/RecordingScene.h"

#include "app/Demo.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(EventFlood, TenThousandMessagesOfEveryKindThenClose) {
    constexpr int kMessages = 10000;
    SceneLog log;
    auto fake = std::make_unique<FakeWindow>();
    FakeWindow* window = fake.get();
    // One loop pass per real message and a few to spare, 60 frames a second
    // through the whole show and past its end is never reached.
    for (int k = 0; k < kMessages + 100; ++k) window->times.push_back(1.0 + k * (100.0 / (kMessages + 100)));

    std::mt19937 random(16);
    std::vector<int> expectedKey(256, 0);
    int lastWidth = 800, lastHeight = 600;
    int real = 0;
    auto pick = [&](int min, int max) { return std::uniform_int_distribution<int>(min, max)(random); };
    for (int i = 0; i < kMessages; ++i) {
        WindowMessage m;
        switch (pick(0, 3)) {
        case 0:
        case 1: {
            m.type = pick(0, 1) ? WindowMessage::Type::KeyDown : WindowMessage::Type::KeyUp;
            // Mostly real codes, also codes no table has room for; never
            // Escape, which would end the show before the flood is through.
            m.wParam = pick(0, 9) ? pick(0, 255) : pick(-100000, 100000);
            if (m.wParam == vk::Escape) m.wParam = vk::F1;
            if (m.wParam >= 0 && m.wParam < 256) expectedKey[m.wParam] = m.type == WindowMessage::Type::KeyDown;
            ++real;
            break;
        }
        case 2:
            m.type = WindowMessage::Type::Size;
            m.sizeWidth = pick(0, 3) ? pick(0, 4096) : pick(0, 1 << 20);
            m.sizeHeight = pick(0, 3) ? pick(0, 4096) : pick(0, 1 << 20);
            lastWidth = m.sizeWidth;
            lastHeight = m.sizeHeight == 0 ? 1 : m.sizeHeight;
            ++real;
            break;
        default:
            m.type = WindowMessage::Type::Other;
            m.wParam = pick(-1000, 1000);
            break;
        }
        window->queue.push_back(m);
    }
    window->queue.push_back({WindowMessage::Type::Close, 0, 0, 0});
    // The real exit handler never returns; this one does, so end the loop
    // with a code of its own once the close was handled.
    constexpr int kClosed = 7;
    window->beforeFrame = [](FakeWindow& w, int) {
        if (w.exitCode == 0) w.postQuitMessage(kClosed);
    };

    DemoSetup setup;
    setup.window = std::move(fake);
    setup.audio = makeSilentAudioOutput();
    setup.scenes = [&log] { return recordingScenes(&log); };
    setup.musicPath = "/nonexistent/km_groov.it";
    Demo demo("Glowmotion", 800, 600, 32, false, std::move(setup));
    demo.loadAll();
    // F12 in the flood toggles the frame rate title; that is fine. A key
    // left down by the flood must not end the show: only the close does.
    EXPECT_EQ(demo.run(), kClosed);
    EXPECT_EQ(window->exitCode, 0);
    EXPECT_TRUE(window->queue.empty());
    EXPECT_EQ(window->destroyed, 1);
    // One real message a pass: every one took a pass of its own.
    EXPECT_GE(window->presented, real);
    EXPECT_LT(window->presented, kMessages + 100);
    for (int code = 0; code < 256; ++code) {
        if (code == vk::F12) continue;  // the driver clears F12 when it acts on it
        EXPECT_EQ(window->keyState->keys[code], expectedKey[code]) << "key " << code;
    }
    EXPECT_EQ(window->width, lastWidth);
    EXPECT_EQ(window->height, lastHeight);
    EXPECT_FALSE(log.renders.empty());
    demo.close();
    Timer::releaseDrivenTime();
}

}  // namespace
