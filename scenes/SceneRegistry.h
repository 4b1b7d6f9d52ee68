#pragma once
// The five scenes of the show, made in one place.
//
// Slot order is the order in which the Demo holds, loads, starts and
// destroys them; it differs from the order on screen, which the Demo's
// timeline decides.
#include "scenes/Scene.h"

#include <array>
#include <memory>

enum SceneSlot : int {
    kStarTunnelSlot = 0,
    kTurntableSlot = 1,
    kCreditsSlot = 2,
    kDanceFloorSlot = 3,
    kEndSlot = 4,
    kSceneCount = 5,
};

using SceneSet = std::array<std::unique_ptr<Scene>, kSceneCount>;

// Fresh, empty scenes in slot order; nothing is loaded yet.
SceneSet makeScenes();
