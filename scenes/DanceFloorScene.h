#pragma once
// The dance floor: the fourth scene on screen and the longest. A lit floor in
// perspective, five rings of turning stars, a mirror ball with its glow, two
// dancers and large captions on a yellow-orange clear colour; in the middle
// of it a roll of greetings scrolls past a column of spinning stars.
//
// Three sequences, chosen every frame from the scene's own clock by the
// dance-floor rows of the timeline (base/Timeline.h): groove
// (GrooveSequence.cpp), greetings (GreetingsRoll.cpp) and shower
// (ShowerSequence.cpp), free functions over the scene's DanceStage
// (scenes/DanceSequences.h). In the gaps between them the scene draws and
// clears nothing. Groove and shower share the frame prologue, the backdrop
// and the animation step kept in this scene's source.
//
// State:
//   - DanceAnimation (star angle, strip positions, frame counter), the unit
//     quad's display list and the quadric start at zero when the scene object
//     is made and live as long as it does; load and start never reset them.
//     The groove sequence hands them to the shower sequence.
//   - DanceClocks (the previous groove/shower frame's time and the dancers'
//     clocks) are zeroed by load and stand still through the greetings roll,
//     so the first shower frame steps both dancers.
//   - OpenGL state carries over: the floor is drawn with the colour and
//     blending the previous frame left (black while the groove sequence's
//     opening wipe runs, blended after a greetings frame).
// A picture that cannot be read leaves its texture 256x256 transparent black;
// everything else is drawn as usual. Nothing is allocated after load, and the
// destructor makes no GL call.
#include "scenes/DanceSequences.h"
#include "base/Timer.h"
#include "scenes/Scene.h"

#include <memory>


class DanceFloorScene final : public Scene {
public:
    explicit DanceFloorScene(const FrameClock& frameClock);
    ~DanceFloorScene() override;
    DanceFloorScene(const DanceFloorScene&) = delete;
    DanceFloorScene& operator=(const DanceFloorScene&) = delete;

    void load() override;
    // Runs the sequence of the scene's own time; in the gaps, nothing.
    void render(float) override;
    void start() override;
    void rewind() override;

private:
    Timer timer;
    DanceStage stage;
};
