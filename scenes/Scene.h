#pragma once
// The contract every scene of the show implements.
//
// Calls. The Demo owns its scenes (made in scenes/SceneRegistry.cpp, held in
// slot order) and calls them only on the main thread, with the OpenGL
// context current, in this order:
//   load()       once, before the first frame: make every texture,
//                display list, quadric and font here;
//   start()      once, right after the show clock starts: start the Timer;
//   render(t)    every frame whose show time t lies in the scene's window of
//                the timeline (base/Timeline.h); never in the gaps;
//   rewind()     before the driver plays the show again from its start
//                (a jump back with the watching keys): what the scene
//                carries from frame to frame goes back to where it stood
//                before the first frame.
// Constructors and destructors make no OpenGL call: a scene is built before
// the context exists and destroyed after it is gone. Texture names, display
// lists and quadrics end with the context.
//
// Time. A scene's motion reads its own Timer, made in its constructor on
// the driver's frame clock (base/FrameClock.h) and started by start(), so
// scene time and show time are the same seconds; a few scenes also read the
// show time passed to render. Both come from that one clock: the monotonic
// clock while the show plays, a fixed step while frames are recorded, so a
// scene never reads any other clock. With --start-at S both begin at S.
// With the watching keys (--controls) every clock stands still while the
// show is paused (render is not called then, but for single frame steps)
// and jumps when the viewer seeks; the driver then runs the frames up to
// the new place first (after a jump back: rewind(), then from 0). So from
// one render to the next show time never goes back, though on a slow
// machine it may leap.
//
// State. Animation state that lives from frame to frame (angles, strip
// positions, frame counters, the previous frame's time) starts at fixed
// values when the scene object is made and is never reset by load or start;
// it lives in the scene object, which lives for the whole run. Only
// rewind() puts it back. The picture at show time S is the one the show
// draws after every frame from 0 to S: the driver runs those frames (unseen)
// before it shows S, after --start-at and a jump too.
//
// OpenGL state when render is called:
//   - matrix mode GL_MODELVIEW; the projection is the show's 45-degree
//     perspective for a 4:3 picture (near 0.1, far 3000);
//   - the viewport and the scissor box are the show's picture; the surface
//     drawn on (window or offscreen) owns them, and the scissor test is on
//     outside of scenes' control;
//   - GL_TEXTURE_2D enabled, smooth shading, depth function GL_LEQUAL;
//   - whatever colour, clear colour, blending, blend function and depth
//     test the previous frame left, whichever scene drew it (on the first
//     frame: clear colour (0, 0, 0, 0.5), colour (1, 1, 1, 0.5), depth test
//     on, blending off). The show's look depends on this carry-over: each
//     scene sets what it needs and leaves what the next one expects.
// A scene must leave:
//   - matrix mode GL_MODELVIEW with the modelview and projection stacks as
//     deep as it found them (pushes matched by pops; the projection matrix
//     itself restored if the scene changes it);
//   - the viewport, the scissor box and the scissor test untouched.
class Scene {
public:
    virtual ~Scene();
    virtual void load();
    virtual void start();
    // showTime: seconds since the show started. The base draws nothing.
    virtual void render(float showTime);
    // The base carries nothing.
    virtual void rewind();
};

// Sets the OpenGL state described above for the show's first frame: the
// projection, matrix mode GL_MODELVIEW with an identity matrix, and the
// first frame's texturing, shading, clear colour and depth, depth test,
// hint and colour. The driver calls it once the picture's viewport is set,
// before the first frame.
void setUpShowGL();
