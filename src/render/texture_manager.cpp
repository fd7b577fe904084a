#include "render/texture_manager.hpp"

void reload_textures()
{
}
