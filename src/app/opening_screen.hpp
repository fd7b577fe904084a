#pragma once

// Makes the first screen of the game current. `start_demo` asks for the
// opening demo behind it.
void build_opening_screen(bool start_demo);
