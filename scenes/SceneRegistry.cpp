#include "scenes/SceneRegistry.h"

#include "scenes/DanceFloorScene.h"
#include "scenes/EndScene.h"

SceneSet makeScenes() {
    SceneSet scenes;
    for (auto& scene : scenes) scene = std::make_unique<Scene>();
    scenes[kDanceFloorSlot] = std::make_unique<DanceFloorScene>();
    scenes[kEndSlot] = std::make_unique<EndScene>();
    return scenes;
}
