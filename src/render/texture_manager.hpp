#pragma once

// Uploads every cached texture again under its old name, after the window's
// GL context was recreated.
void reload_textures();
