#include "scenes/SceneRegistry.h"

SceneSet makeScenes() {
    SceneSet scenes;
    for (auto& scene : scenes) scene = std::make_unique<Scene>();
    return scenes;
}
