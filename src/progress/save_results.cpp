#include "progress/save_results.hpp"

#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "render/notice.hpp"

bool save_results_now()
{
    // Both, even when the first fails: each file holds its own results.
    const bool scores = save_high_scores();
    const bool players = write_changed_players();
    if (scores && players)
        return true;
    post_notice("Your results could not be saved");
    return false;
}
