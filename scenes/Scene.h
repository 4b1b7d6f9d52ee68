#pragma once
// The contract every scene of the show implements.
//
// The Demo owns its scenes. It calls, in this order and only on the main
// thread with the OpenGL context current:
//   load(0, 0)   once, before the window is shown: make every texture,
//                display list, quadric, font and the scene's own Timer here;
//   start()      once, right after the show clock starts: start the Timer;
//   render(0, t) every frame whose show time t lies in the scene's window.
// The destructor runs after the OpenGL context is gone, so it only frees
// memory and never calls OpenGL.
class Scene {
public:
    virtual ~Scene();
    virtual void reserved();
    virtual void load(int, int);
    // showTime: seconds since the show started. The base draws nothing.
    virtual bool render(int, float showTime);
    virtual void start();
};
