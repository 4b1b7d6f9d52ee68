#pragma once
// A window for driving the Demo in tests: no display, scripted events, and
// the show clock's tick source moved by the script before every loop pass.
#include "app/Demo.h"

#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class FakeWindow final : public Window {
public:
    // Pass k (= after k presented frames) reads the clock's tick source at
    // times[k] seconds; the pass after the last entry finds the window
    // closed (ShowEnd::Closed).
    std::vector<double> times;
    // Called at the start of each loop pass, with the number of frames
    // presented so far: queue events here.
    std::function<void(FakeWindow&, int frame)> beforeFrame;
    // Called as each loop pass begins, before beforeFrame.
    std::function<void(int frame)> onPass;
    std::deque<WindowEvent> queue;          // events waiting, taken by the next pass
    std::vector<std::string> titleAtFrame;  // the title when frame k was presented
    int presented = 0;                      // frames presented by the loop
    int presentedWhileLoading = 0;
    bool shown = false;
    int64_t now = 0;                        // what the clock's tick source reads, nanoseconds

    // The tick source to build the Demo with.
    FrameClock::TickSource ticks() {
        return [this] { return now; };
    }

    void show() override {
        shown = true;
        now = 0;  // the clock starts at 0
    }
    Viewport viewport() const override { return {0, 0, 800, 600}; }
    void present() override {
        if (!shown) {  // the cleared frame presented while loading
            ++presentedWhileLoading;
            return;
        }
        titleAtFrame.push_back(text);
        ++presented;
    }
    std::string title() const override { return text; }
    void setTitle(const std::string& title) override { text = title; }
    void takeEvents(std::vector<WindowEvent>& events) override {
        if (static_cast<size_t>(presented) >= times.size()) {
            events.push_back({WindowEvent::Type::Close});  // the script ran out
            return;
        }
        now = std::llround(times[static_cast<size_t>(presented)] * 1e9);
        if (onPass) onPass(presented);
        if (beforeFrame) beforeFrame(*this, presented);
        events.insert(events.end(), queue.begin(), queue.end());
        queue.clear();
    }
    void waitForEvent(int) override {}

    void press(ShowKey key) { queue.push_back({WindowEvent::Type::Key, key, false}); }
    // A key-down the keyboard's auto-repeat sends while `key` is held.
    void repeat(ShowKey key) { queue.push_back({WindowEvent::Type::Key, key, true}); }

private:
    std::string text = "Glowmotion";
};
