#include "scenes/SceneRegistry.h"

#include "scenes/CreditsScene.h"
#include "scenes/DanceFloorScene.h"
#include "scenes/EndScene.h"
#include "scenes/StarTunnelScene.h"
#include "scenes/TurntableScene.h"

SceneSet makeScenes(const FrameClock& clock) {
    SceneSet scenes;
    scenes[kStarTunnelSlot] = std::make_unique<StarTunnelScene>(clock);
    scenes[kTurntableSlot] = std::make_unique<TurntableScene>(clock);
    scenes[kCreditsSlot] = std::make_unique<CreditsScene>(clock);
    scenes[kDanceFloorSlot] = std::make_unique<DanceFloorScene>(clock);
    scenes[kEndSlot] = std::make_unique<EndScene>(clock);
    return scenes;
}
