#include "menu/playback_screen.hpp"

#include <memory>

#include "menu/buttons.hpp"
#include "menu/menu_world.hpp"
#include "menu/playback_controls.hpp"
#include "menu/screens.hpp"
#include "menu/scroll_gizmo.hpp"
#include "render/files.hpp"
#include "render/notice.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"
#include "world/playback_world.hpp"

std::string recording_title(const std::string& path)
{
    return file_title(path, ".rec");
}

bool build_playback_screen(const std::string& recording_path, bool perfect_mode)
{
    PlaybackWorld* playback = nullptr;
    if (recording_path.empty()) {
        playback = dynamic_cast<PlaybackWorld*>(current_world);
        INVARIANT(playback && "play");
        if (!playback) {
            log_err() << "No playback to show the controls for" << '\n';
            return false;
        }
    } else {
        // Opened before anything goes, so that a refused file leaves the
        // screen the player chose it from.
        std::unique_ptr<PlaybackWorld> opened = open_playback(recording_path, false);
        if (!opened) {
            post_notice("Cannot replay " + recording_title(recording_path) +
                        (file_exists(recording_path) ? ": the recording is damaged" : ": the recording is missing"));
            return false;
        }
        delete current_world;
        opened->paused = true;
        playback = opened.release();
        current_world = playback;
    }

    // The playback keeps running under its controls.
    auto* menu = new MenuWorld(false, false, -1, menu_hint());
    menu->items.push_back(std::make_unique<ScrollGizmo>(Vector2(-1.23203125, 0.9)));
    menu->decorations.push_back(std::make_unique<PlaybackMenuController>());
    if (perfect_mode)
        menu->items.push_back(std::make_unique<PerfectPlayFromHereButton>());
    menu->items.push_back(std::make_unique<PlaybackLeftEndButton>());
    menu->items.push_back(std::make_unique<PlaybackPauseButton>());
    menu->items.push_back(std::make_unique<PlaybackFrameForwardButton>());
    menu->items.push_back(std::make_unique<PlaybackPlayButton>());
    menu->items.push_back(std::make_unique<PlaybackFastForwardButton>());
    menu->items.push_back(std::make_unique<PlaybackRightEndButton>());
    menu->items.push_back(std::make_unique<PlaybackSpeedPlusButton>(playback->speed_percent));
    menu->items.push_back(std::make_unique<PlaybackSpeedReadout>(playback->speed_percent));
    menu->items.push_back(std::make_unique<PlaybackSpeedMinusButton>(playback->speed_percent));
    menu->items.push_back(std::make_unique<MainMenuButton>("Quit", Vector2(-1.22203125, -0.95)));
    menu->items.push_back(std::make_unique<PlaybackTimeline>());
    current_world = menu;
    return true;
}
