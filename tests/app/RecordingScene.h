#pragma once
// A scene that writes what is done to it into a shared log.
#include "base/Timer.h"
#include "scenes/SceneRegistry.h"

#include <string>
#include <vector>

struct SceneLog {
    std::vector<std::string> events;   // "load 1", "start 1", "destroy 1"
    std::vector<std::pair<int, float>> renders;  // (slot, show time)
    std::vector<double> sceneClocks;   // the scene's own clock at each render
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
    void render(float t) override {
        log->renders.emplace_back(slot, t);
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
