#include "scenes/Scene.h"

Scene::~Scene() = default;
void Scene::reserved() {}
void Scene::load(int, int) {}
bool Scene::render(int, float) { return false; }
void Scene::start() {}
