#include "scenes/Scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

Scene::~Scene() = default;
void Scene::load() {}
void Scene::start() {}
void Scene::render(float) {}
void Scene::rewind() {}

void setUpShowGL() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The picture is the 800x600 show's, whatever the drawable's shape.
    gluPerspective(45.0, 800.0 / 600.0, static_cast<double>(0.1f), 3000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}
