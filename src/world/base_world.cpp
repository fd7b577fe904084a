#include "world/base_world.hpp"

BaseWorld* current_world = nullptr;

BaseWorld::~BaseWorld() = default;

void BaseWorld::apply_view() {}
