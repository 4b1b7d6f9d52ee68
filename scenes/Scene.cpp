#include "scenes/Scene.h"

Scene::~Scene() = default;
void Scene::load() {}
void Scene::start() {}
void Scene::render(float) {}
