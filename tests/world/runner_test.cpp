#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "support/test_support.hpp"
#include "world/recording_helpers.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

// A body in free space; with `won` a required goal overlaps it from the start.
std::unique_ptr<World> tiny_level(bool won)
{
    auto world = std::make_unique<World>();
    world->bounds_min = Vector2(-10, -10);
    world->bounds_max = Vector2(10, 10);
    world->gravity = Vector2(0, 0);
    world->physics_polygons.push_back(body_box(-0.2, -0.2, 0.2, 0.2));
    if (won) {
        GoalPolygon goal = box<GoalPolygon>(-0.5, -0.5, 0.5, 0.5);
        goal.target.required = true;
        world->goals.push_back(goal);
    }
    return world;
}

std::string parse_error(const std::string& text)
{
    std::istringstream in(text);
    InputScript script;
    std::string error;
    EXPECT_FALSE(parse_input_script(in, script, error)) << text;
    return error;
}

class Runner : public ::testing::Test {
protected:
    // Saves a tiny level and plays the script on a fresh load of it.
    RunResult play(const std::unique_ptr<World>& level, const std::string& script, RunOptions options = {})
    {
        {
            OutFileStorage out(dir.file("tiny.lev"));
            level->save(out);
        }
        std::unique_ptr<World> world = load_level(dir.file("tiny.lev"));
        EXPECT_TRUE(world);
        last_cannot_cut = false;
        if (!world)
            return {};
        const RunResult result = run_world(*world, recording_helpers::parse_script(script), options);
        last_cannot_cut = world->sword.cannot_cut;
        return result;
    }

    LogCapture log;
    TempDir dir;
    bool last_cannot_cut = false;
};

}  // namespace

TEST(InputScript, EveryEventKindBecomesAnSdlEvent)
{
    const InputScript script = recording_helpers::parse_script("20 m:5,-3 d:3 u:3 k:32 K:27\n");
    ASSERT_EQ(script.frames.size(), 1u);
    EXPECT_EQ(script.frames[0].ms, 20u);
    const std::vector<SDL_Event>& e = script.frames[0].events;
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(std::vector<int>({e[0].type, e[1].type, e[2].type, e[3].type, e[4].type}),
              std::vector<int>({SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_KEYDOWN, SDL_KEYUP}));
    EXPECT_EQ(std::vector<int>({e[0].motion.xrel, e[0].motion.yrel, e[0].motion.x, e[0].motion.y}),
              std::vector<int>({5, -3, script_mouse_start_x + 5, script_mouse_start_y - 3}));
    EXPECT_EQ(e[1].button.button, 3);
    EXPECT_EQ(e[1].button.state, SDL_PRESSED);
    EXPECT_EQ(e[1].button.x, script_mouse_start_x + 5) << "buttons carry the mouse position";
    EXPECT_EQ(e[2].button.state, SDL_RELEASED);
    EXPECT_EQ(e[3].key.keysym.sym, SDLK_SPACE);
    EXPECT_EQ(e[3].key.keysym.mod | e[3].key.keysym.unicode, 0);
    EXPECT_EQ(e[4].key.keysym.sym, SDLK_ESCAPE);
}

TEST(InputScript, MotionStaysInTheWindowAndCarriesTheHeldButtons)
{
    const InputScript script = recording_helpers::parse_script("16 d:1 m:-600,-500 u:1 m:2000,2000\n16 m:-1,-1\n");
    const std::vector<SDL_Event>& e = script.frames[0].events;
    EXPECT_EQ(e[1].motion.x, 0);
    EXPECT_EQ(e[1].motion.y, 0);
    EXPECT_EQ(e[1].motion.state, SDL_BUTTON_LMASK);
    EXPECT_EQ(e[3].motion.x, 1022);
    EXPECT_EQ(e[3].motion.y, 767);
    EXPECT_EQ(e[3].motion.state, 0);
    EXPECT_EQ(e[3].motion.xrel, 2000) << "the relative motion is not clipped";
    EXPECT_EQ(script.frames[1].events[0].motion.x, 1021) << "the position carries over between frames";
}

TEST(InputScript, CommentsAndBlankLinesAreNotFrames)
{
    const InputScript script = recording_helpers::parse_script("# a cut\n\n  15   # settle\r\n\t\n33 m:1,1#up\r\n16");
    ASSERT_EQ(script.frames.size(), 3u);
    EXPECT_EQ(script.frames[0].ms, 15u);
    EXPECT_TRUE(script.frames[0].events.empty());
    EXPECT_EQ(script.frames[1].ms, 33u);
    EXPECT_EQ(script.frames[1].events.size(), 1u);
    EXPECT_EQ(script.frames[2].ms, 16u);
    EXPECT_TRUE(recording_helpers::parse_script("").frames.empty());
}

TEST(InputScript, ABadLineIsNamedByItsNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"16\n\n# x\nm:1,1\n", "line 4: a frame starts with its whole milliseconds, not 'm:1,1'"},
        {"16\n40\n", "line 2: frame time 40 ms is outside 15 to 33"},
        {"14", "line 1: frame time 14 ms"},
        {"16.5", "line 1: a frame starts with its whole milliseconds"},
        {"16 m:1", "line 1: mouse motion 'm:1' needs"},
        {"16 m:40000,0", "mouse motion 'm:40000,0'"},
        {"16 m:1,", "mouse motion 'm:1,'"},
        {"16 d:0", "mouse button in 'd:0' must be"},
        {"16 u:256", "mouse button in 'u:256'"},
        {"16 k:323", "key in 'k:323' must be an SDL key number from 0 to 322"},
        {"16 K:-1", "key in 'K:-1'"},
        {"16 k:3x", "key in 'k:3x'"},
        {"16 q:1", "'q:1' is not an event"},
        {"16 m", "'m' is not an event"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_NE(parse_error(text).find(expected), std::string::npos) << text << " gave " << parse_error(text);
    EXPECT_LT(parse_error("16 " + std::string(500, 'x')).size(), 100u) << "long tokens are shortened";
}

TEST_F(Runner, StopsAtTheFirstWinOrPlaysOnAtTheDefaultTime)
{
    const RunResult won = play(tiny_level(true), "16\n16\n16\n");
    EXPECT_EQ(result_line(won).rfind("outcome=win frames=1 timer=0.016 bodies=1 state=", 0), 0u) << result_line(won);

    RunOptions options;
    options.frames = 3;
    options.default_ms = 30;
    const RunResult result = play(tiny_level(false), "20\n", options);
    EXPECT_EQ(result.outcome, Outcome::none);
    EXPECT_EQ(result.frames, 3);
    EXPECT_EQ(result.timer, 0.02 + 0.03 + 0.03);

    const RunResult empty = play(tiny_level(false), "# nothing\n");
    EXPECT_EQ(empty.frames, 1) << "at least one frame";
    EXPECT_EQ(empty.timer, 0.016);
}

TEST_F(Runner, TheStateHashFollowsTheInputAndOnlyTheInput)
{
    const char script[] = "16 m:40,0\n16 m:40,10 d:1\n16 u:1\n16\n";
    const RunResult first = play(tiny_level(false), script);
    const RunResult again = play(tiny_level(false), script);
    EXPECT_EQ(first.state, again.state);
    EXPECT_EQ(result_line(first), result_line(again));
    EXPECT_NE(play(tiny_level(false), "16 m:40,0\n16 m:41,10 d:1\n16 u:1\n16\n").state, first.state);
    EXPECT_NE(play(tiny_level(false), "16 m:40,0\n16 m:40,10 d:1\n16 u:1\n17\n").state, first.state);
}

TEST_F(Runner, KeysAndWheelPressesAreHandledAsTheGameDoes)
{
    // The pause keys reach the world; it is not the current screen, so it survives them.
    const RunResult paused = play(tiny_level(false), "16 k:27 k:32 K:32\n16\n");
    EXPECT_EQ(paused.frames, 2);
    EXPECT_EQ(current_world, nullptr);

    play(tiny_level(false), "16 d:4\n");
    EXPECT_FALSE(last_cannot_cut) << "the frame loop never delivers a wheel press";
    play(tiny_level(false), "16 d:1\n");
    EXPECT_TRUE(last_cannot_cut);
}

TEST(StateHash, Fnv1aAndTheResultLine)
{
    EXPECT_EQ(fnv1a(nullptr, 0), 0xcbf29ce484222325u);
    EXPECT_EQ(fnv1a(reinterpret_cast<const unsigned char*>("a"), 1), 0xaf63dc4c8601ec8cu);
    EXPECT_EQ(fnv1a(reinterpret_cast<const unsigned char*>("foobar"), 6), 0x85944171f73967e8u);

    RunResult result;
    result.outcome = Outcome::time_out;
    result.frames = 7;
    result.timer = 0.1 + 0.2;
    result.bodies = 12;
    result.state = 0xabc;
    EXPECT_EQ(result_line(result), "outcome=timeout frames=7 timer=0.30000000000000004 bodies=12 state=0000000000000abc");
    EXPECT_STREQ(outcome_name(Outcome::lose), "lose");
    EXPECT_STREQ(outcome_name(Outcome::none), "none");
}

TEST(StepBench, SweepAndStrokesCutAndPercentilesAreRanks)
{
    LogCapture log;
    World world;
    world.gravity = Vector2(0, 0);
    world.physics_polygons.push_back(body_box(-1.9, 0.3, 1.9, 0.4));
    world.physics_polygons[0].toughness = 0.05;
    for (int step = 0; step < 400 && world.physics_polygons.size() < 2; ++step) {
        double dt = 0.016;
        world.handle_event(sweep_event(world, step), dt);
        world.update(dt);
    }
    EXPECT_GE(world.physics_polygons.size(), 2u) << "the sweep cuts through a bar";
    const CuttingBenchResult cutting = bench_cutting(40, 300);
    EXPECT_GE(cutting.pieces, 40u);
    EXPECT_LT(cutting.cutting_steps, 40000) << "the strokes stopped cutting";
    EXPECT_GT(cutting.strokes, 3);
    EXPECT_EQ(cutting.steps, 300);

    // Levels that end start over; the stress level never ends.
    const BenchResult result = bench_level("won", *tiny_level(true), 5);
    EXPECT_EQ(result.steps, 5);
    EXPECT_EQ(result.restarts, 5);
    EXPECT_EQ(result.bodies_at_end, 1u);
    const std::unique_ptr<World> stress = make_stress_level();
    double dt = 0.016;
    stress->update(dt);
    EXPECT_EQ(stress->outcome, Outcome::none);

    std::vector<double> samples;
    EXPECT_EQ(percentile(samples, 0.5), 0);
    for (int i = 100; i >= 1; --i)
        samples.push_back(i);
    EXPECT_EQ(std::vector<double>({percentile(samples, 0.5), percentile(samples, 0.99), percentile(samples, 1.0)}),
              std::vector<double>({50, 99, 100}));

    TempDir dir;
    EXPECT_TRUE(listed_level_files(dir.path()).empty());
    std::filesystem::create_directory(dir.file("levels"));
    std::ofstream(dir.file("levels/levels.list")) << "one\n---\n\ntwo\n";
    EXPECT_EQ(listed_level_files(dir.path()),
              (std::vector<std::string>{dir.file("levels/one.lev"), dir.file("levels/two.lev")}));
}
