#pragma once
// A scene that writes what is done to it into a shared log.
#include "base/Timer.h"
#include "scenes/SceneRegistry.h"

#include <string>
#include <vector>

struct SceneLog {
    std::vector<std::string> events;   // "load 1", "start 1", "rewind 1", "destroy 1"
    std::vector<std::pair<int, float>> renders;  // (slot, show time)
    std::vector<double> sceneClocks;   // the scene's own clock at each render
    std::vector<int> passes;           // the loop pass of each render (see watchPasses); -1 before the first
    int pass = -1;

    // Notes which loop pass of `window` each render is made in.
    template <class Window>
    void watchPasses(Window& window) {
        window.onPass = [this](int frame) { pass = frame; };
    }
    // Index into renders of the frame each pass drew itself: its last (any
    // before ran, unseen, the frames before a jump).
    std::vector<size_t> ownRenders() const {
        std::vector<size_t> own;
        for (size_t i = 0; i < renders.size(); ++i) {
            if (passes[i] < 0) continue;
            if (!own.empty() && passes[own.back()] == passes[i]) own.back() = i;
            else own.push_back(i);
        }
        return own;
    }
};

class RecordingScene final : public Scene {
public:
    RecordingScene(int slotIndex, SceneLog* sceneLog, const FrameClock& clock)
        : slot(slotIndex), log(sceneLog), timer(clock) {}
    ~RecordingScene() override { log->events.push_back("destroy " + std::to_string(slot)); }
    void load() override { log->events.push_back("load " + std::to_string(slot)); }
    void start() override {
        log->events.push_back("start " + std::to_string(slot));
        timer.start();
    }
    void rewind() override { log->events.push_back("rewind " + std::to_string(slot)); }
    void render(float t) override {
        log->renders.emplace_back(slot, t);
        log->passes.push_back(log->pass);
        log->sceneClocks.push_back(timer.seconds());
    }

private:
    int slot;
    SceneLog* log;
    Timer timer;
};

inline SceneSet recordingScenes(SceneLog* log, const FrameClock& clock) {
    SceneSet set;
    for (int i = 0; i < kSceneCount; ++i) set[i] = std::make_unique<RecordingScene>(i, log, clock);
    return set;
}
