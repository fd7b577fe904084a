#pragma once

// Writes the high-score table and every changed player record at once, so
// that a result (a win, an unlock) survives a crash or a forced quit. The
// players stay registered. False when any write failed; each failure is
// reported on the error stream, and the player sees a notice.
bool save_results_now();
