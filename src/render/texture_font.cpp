#include "render/texture_font.hpp"

void reload_fonts()
{
}
