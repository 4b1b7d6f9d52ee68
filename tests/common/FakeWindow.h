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
    // Pass k (after k presented frames) reads the tick source at times[k]
    // seconds; the pass after the last entry finds the window closed.
    std::vector<double> times;
    // Called at the start of each loop pass with its number: queue events here.
    std::function<void(FakeWindow&, int pass)> beforeFrame;
    std::function<void()> onPresent;        // after each frame of the show is presented
    std::deque<WindowEvent> queue;          // events taken by the next pass
    std::vector<std::string> titleAtFrame;  // the title when frame k was presented
    Viewport picture{0, 0, 800, 600};
    int presented = 0, presentedWhileLoading = 0, pass = -1;  // pass: the one running, -1 before the first
    int64_t now = 0;                                          // what the tick source reads, nanoseconds

    FrameClock::TickSource ticks() { return [this] { return now; }; }
    void show() override { shown = true, now = 0; }
    Viewport viewport() const override { return picture; }
    void present() override {
        if (!shown) return void(++presentedWhileLoading);  // the cleared frame presented while loading
        titleAtFrame.push_back(text), ++presented;
        if (onPresent) onPresent();
    }
    std::string title() const override { return text; }
    void setTitle(const std::string& title) override { text = title; }
    void takeEvents(std::vector<WindowEvent>& events) override {
        if (size_t(presented) >= times.size()) return events.push_back({WindowEvent::Type::Close});  // script ran out
        now = std::llround(times[static_cast<size_t>(presented)] * 1e9);
        pass = presented;
        if (beforeFrame) beforeFrame(*this, presented);
        events.insert(events.end(), queue.begin(), queue.end());
        queue.clear();
    }
    void waitForEvent(int) override {}
    void press(ShowKey key, bool repeat = false) { queue.push_back({WindowEvent::Type::Key, key, repeat}); }

private:
    bool shown = false;
    std::string text = "Glowmotion";
};
