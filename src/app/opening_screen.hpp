#pragma once

// Makes the first screen of the game current: a menu over a level. When
// `hidden` is set the menu starts faded out, showing only its hint.
void build_opening_screen(bool hidden);
