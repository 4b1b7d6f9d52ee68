#pragma once
// A window for driving the Demo in tests: no display, a scripted message
// queue, the driven clock moved by the test after every presented frame.
#include "app/GLWindow.h"
#include "base/Timer.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class FakeWindow final : public GLWindow {
public:
    // Show time read in loop pass k (= after k presented frames) is
    // times[k]; the pass after the last entry takes a quit message with
    // code kScriptEnded.
    static constexpr int kScriptEnded = 99;
    std::vector<double> times;
    // Called before each loop pass takes its message, with the number of
    // frames presented so far: queue messages or press keys here.
    std::function<void(FakeWindow&, int frame)> beforeFrame;
    std::deque<WindowMessage> queue;       // events as the window system delivers them, Other included
    std::vector<std::string> titleAtFrame; // the title when frame k was presented
    int presented = 0;                     // frames presented by the loop
    int destroyed = 0;
    int presentedWhileLoading = 0;
    bool shown = false;
    bool showResult = true;
    int exitCode = -1;                     // what the exit handler got

    FakeWindow() {
        setExitHandler([this](int code) { exitCode = code; });
    }

    bool create(const char* text, int w, int h, int b, bool) override {
        width = w;
        height = h;
        bits = b;
        setTitle(text);
        return true;
    }
    bool show() override {
        if (!showResult) return false;
        shown = true;
        Timer::setDrivenTime(0.0);  // the clocks start at 0
        return true;
    }
    void destroy() override { ++destroyed; }
    void resize() override {
        if (height == 0) height = 1;
    }
    void swapBuffers() override {
        if (!shown) {  // the cleared frame presented while loading
            ++presentedWhileLoading;
            return;
        }
        if (destroyed) return;
        titleAtFrame.push_back(title);
        ++presented;
    }
    bool peekMessage(WindowMessage& message) override {
        if (static_cast<size_t>(presented) >= times.size()) {
            // The script ran out: end the loop with a code no key produces.
            message = WindowMessage{WindowMessage::Type::Quit, kScriptEnded, 0, 0};
            return true;
        }
        Timer::setDrivenTime(times[static_cast<size_t>(presented)]);
        if (beforeFrame) beforeFrame(*this, presented);
        // The window's own taking of messages, over the scripted queue.
        return GLWindow::peekMessage(message);
    }
    bool pollEvent(WindowMessage& message) override {
        if (queue.empty()) return false;
        message = queue.front();
        queue.pop_front();
        return true;
    }
    void showError(const char*) override {}

    void press(int key) { queue.push_back({WindowMessage::Type::KeyDown, key, 0, 0}); }
    // An event the driver does not act on (mouse motion and the like).
    void unmapped(int count = 1) { queue.insert(queue.end(), count, WindowMessage{}); }
    void release(int key) { queue.push_back({WindowMessage::Type::KeyUp, key, 0, 0}); }
};
