#pragma once

// Uploads every loaded font's atlas again after the GL context was recreated.
void reload_fonts();
