#pragma once
// Scenes that write what is done to them into a shared log.
#include "base/Timer.h"
#include "scenes/SceneRegistry.h"

#include <string>
#include <vector>

struct SceneLog {
    std::vector<std::string> events;             // "load 1", "start 1", "rewind 1", "destroy 1"
    std::vector<std::pair<int, float>> renders;  // (slot, show time)
    std::vector<double> sceneClocks;             // the scene's own clock at each render
    std::vector<int> passes;                     // the loop pass of each render; -1 before the first
    const int* pass = nullptr;                   // where the running pass is read (FakeWindow::pass)
};

class RecordingScene final : public Scene {
public:
    RecordingScene(int slotIndex, SceneLog* sceneLog, const FrameClock& clock)
        : slot(slotIndex), log(sceneLog), timer(clock) {}
    ~RecordingScene() override { note("destroy"); }
    void load() override { note("load"); }
    void start() override { note("start"), timer.start(); }
    void rewind() override { note("rewind"); }
    void render(float t) override {
        log->renders.emplace_back(slot, t);
        log->passes.push_back(log->pass ? *log->pass : -1);
        log->sceneClocks.push_back(timer.seconds());
    }

private:
    void note(const char* what) { log->events.push_back(what + (" " + std::to_string(slot))); }
    int slot;
    SceneLog* log;
    Timer timer;
};

inline SceneSet recordingScenes(SceneLog* log, const FrameClock& clock) {
    SceneSet set;
    for (int i = 0; i < kSceneCount; ++i) set[i] = std::make_unique<RecordingScene>(i, log, clock);
    return set;
}
