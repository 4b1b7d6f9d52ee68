#include "scenes/SceneRegistry.h"

#include "scenes/CreditsScene.h"
#include "scenes/DanceFloorScene.h"
#include "scenes/EndScene.h"
#include "scenes/StarTunnelScene.h"
#include "scenes/TurntableScene.h"

SceneSet makeScenes() {
    SceneSet scenes;
    for (auto& scene : scenes) scene = std::make_unique<Scene>();
    scenes[kStarTunnelSlot] = std::make_unique<StarTunnelScene>();
    scenes[kTurntableSlot] = std::make_unique<TurntableScene>();
    scenes[kCreditsSlot] = std::make_unique<CreditsScene>();
    scenes[kDanceFloorSlot] = std::make_unique<DanceFloorScene>();
    scenes[kEndSlot] = std::make_unique<EndScene>();
    return scenes;
}
