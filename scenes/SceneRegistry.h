#pragma once
// The five scenes of the show, made in one place.
//
// Slot order is the order in which the Demo holds, loads, starts and
// destroys them; it differs from the order on screen, which the Demo's
// timeline decides.
#include "base/Timeline.h"
#include "scenes/Scene.h"

#include <array>
#include <memory>

using SceneSet = std::array<std::unique_ptr<Scene>, kSceneCount>;

class FrameClock;

// Fresh, empty scenes in slot order, each with its Timer on `clock`;
// nothing is loaded yet.
SceneSet makeScenes(const FrameClock& clock);
