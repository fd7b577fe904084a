#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "storage/memory_storage.hpp"
#include "support/test_support.hpp"
#include "world/level_text.hpp"
#include "world/recording_world.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace recording_helpers {

inline std::vector<unsigned char> record_of(const World& world)
{
    MemoryStorage state;
    world.save(state);
    return state.bytes();
}

// A shipped level, built from its text.
inline std::unique_ptr<World> shipped_world(const std::string& name)
{
    auto world = std::make_unique<World>();
    std::string error;
    EXPECT_TRUE(build_level(read_text(source_root / "data" / "levels" / (name + ".txt")), *world, error))
        << name << ": " << error;
    return world;
}

inline std::vector<unsigned char> shipped_level(const std::string& name) { return record_of(*shipped_world(name)); }

inline InputScript parse_script(const std::string& text)
{
    std::istringstream in(text);
    InputScript script;
    std::string error;
    EXPECT_TRUE(parse_input_script(in, script, error)) << error;
    return script;
}

// The script that wins a shipped level.
inline InputScript solution(const std::string& name)
{
    return parse_script(read_text(source_root / "tests" / "levels" / (name + ".script")));
}

// A sword swinging back and forth across the level, one motion a frame.
inline InputScript swings(int frames)
{
    std::string text;
    for (int i = 0; i < frames; ++i)
        text += "16 m:" + std::to_string(std::lround(90 * std::cos(i * 0.07))) + "," +
                std::to_string(std::lround(60 * std::sin(i * 0.043))) + "\n";
    return parse_script(text);
}

// Plays the script on a RecordingWorld of the level record, as the frame
// loop would, and writes the recording to `file`. Returns the World record
// after every frame; `after_frame`, when given, sees the game after each one.
inline std::vector<std::vector<unsigned char>> record_game(
    const std::vector<unsigned char>& level, const InputScript& script, const std::string& file,
    const std::string& level_name = "levels/Test.lev",
    const std::function<void(const World&)>& after_frame = nullptr)
{
    MemoryStorage storage;
    storage.write_raw(level.data(), level.size());
    RecordingWorld game(storage, file);
    EXPECT_TRUE(game.loaded());
    game.file_name = level_name;
    std::vector<std::vector<unsigned char>> states;
    for (const ScriptFrame& frame : script.frames) {
        for (const SDL_Event& event : frame.events) {
            double dt = frame.ms / 1000.0;  // a handler may change it
            game.handle_event(event, dt);
        }
        double dt = frame.ms / 1000.0;
        game.update(dt);
        if (after_frame)
            after_frame(game);
        states.push_back(record_of(game));
    }
    return states;
}

}  // namespace recording_helpers
