#include <sstream>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "world/recording_helpers.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/text_cases.hpp"

using recording_helpers::parse_script;

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
        world->goals.push_back(box<GoalPolygon>(-0.5, -0.5, 0.5, 0.5));
        world->goals[0].target.required = true;
    }
    return world;
}

class Runner : public ::testing::Test {
protected:
    // Saves a tiny level and plays the script on a fresh load of it.
    RunResult play(bool won, const std::string& script, RunOptions options = {})
    {
        {
            OutFileStorage out(dir.file("tiny.lev"));
            tiny_level(won)->save(out);
        }
        std::unique_ptr<World> world = load_level(dir.file("tiny.lev"));
        EXPECT_TRUE(world);
        if (!world)
            return {};
        const RunResult result = run_world(*world, parse_script(script), options);
        last_cannot_cut = world->sword.cannot_cut;
        return result;
    }

    LogCapture log;
    TempDir dir;
    bool last_cannot_cut = false;
};

}  // namespace

TEST(InputScript, EventsBecomeSdlEventsThatStayInTheWindow)
{
    const InputScript script =
        parse_script("# a cut\n\n  20   # settle\r\n\t\n20 m:5,-3 d:1 u:3 k:32 K:27 m:-600,-500 m:2000,2000#up\r\n16 m:-1,-1");
    ASSERT_EQ(script.frames.size(), 3u) << "comments and blank lines are no frames";
    EXPECT_EQ(script.frames[0].ms, 20u);
    EXPECT_TRUE(script.frames[0].events.empty());
    const std::vector<SDL_Event>& e = script.frames[1].events;
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(std::vector<int>({e[0].type, e[1].type, e[2].type, e[3].type, e[4].type}),
              std::vector<int>({SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_KEYDOWN, SDL_KEYUP}));
    EXPECT_EQ(std::vector<int>({e[0].motion.xrel, e[0].motion.yrel, e[0].motion.x, e[0].motion.y}),
              std::vector<int>({5, -3, script_mouse_start_x + 5, script_mouse_start_y - 3}));
    EXPECT_EQ(std::vector<int>({e[1].button.button, e[1].button.state, e[1].button.x, e[2].button.state}),
              std::vector<int>({1, SDL_PRESSED, script_mouse_start_x + 5, SDL_RELEASED}))
        << "buttons carry the mouse position";
    EXPECT_EQ(e[3].key.keysym.sym, SDLK_SPACE);
    EXPECT_EQ(e[3].key.keysym.mod | e[3].key.keysym.unicode, 0);
    EXPECT_EQ(e[4].key.keysym.sym, SDLK_ESCAPE);
    // Positions stop at the window's edges; motion carries the held buttons
    // (button 1 is down, then 3 is let go); relative motion is not clipped.
    EXPECT_EQ(std::vector<int>({e[5].motion.x, e[5].motion.y, e[5].motion.state}),
              std::vector<int>({0, 0, SDL_BUTTON_LMASK}));
    EXPECT_EQ(std::vector<int>({e[6].motion.x, e[6].motion.y, e[6].motion.xrel}),
              std::vector<int>({1022, 767, 2000}));
    EXPECT_EQ(script.frames[2].events[0].motion.x, 1021) << "the position carries over between frames";
    EXPECT_TRUE(parse_script("").frames.empty());
}

TEST(InputScript, ABadLineIsNamedByItsNumber)
{
    const auto cases = text_cases("scripts/bad_lines.txt");
    ASSERT_GE(cases.size(), 15u);
    for (const auto& [text, expected] : cases) {
        std::istringstream in(text);
        InputScript script;
        std::string error;
        EXPECT_FALSE(parse_input_script(in, script, error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << text << " gave " << error;
        EXPECT_LT(error.size(), 100u) << "long tokens are shortened";
    }
}

TEST_F(Runner, StopsAtTheFirstWinOrPlaysOnAtTheDefaultTime)
{
    const RunResult won = play(true, "16\n16\n16\n");
    EXPECT_EQ(result_line(won).rfind("outcome=win frames=1 timer=0.016 bodies=1 state=", 0), 0u) << result_line(won);
    RunOptions options;
    options.frames = 3;
    options.default_ms = 30;
    const RunResult result = play(false, "20\n", options);
    EXPECT_EQ(result.outcome, Outcome::none);
    EXPECT_EQ(result.frames, 3);
    EXPECT_EQ(result.timer, 0.02 + 0.03 + 0.03);
    const RunResult empty = play(false, "# nothing\n");
    EXPECT_EQ(empty.frames, 1) << "at least one frame";
    EXPECT_EQ(empty.timer, 0.016);
}

TEST_F(Runner, TheStateHashFollowsTheInputAndOnlyTheInput)
{
    const char script[] = "16 m:40,0\n16 m:40,10 d:1\n16 u:1\n16\n";
    const RunResult first = play(false, script);
    EXPECT_EQ(result_line(play(false, script)), result_line(first));
    EXPECT_NE(play(false, "16 m:40,0\n16 m:41,10 d:1\n16 u:1\n16\n").state, first.state);
    EXPECT_NE(play(false, "16 m:40,0\n16 m:40,10 d:1\n16 u:1\n17\n").state, first.state);
}

TEST_F(Runner, KeysAndWheelPressesAreHandledAsTheGameDoes)
{
    // The pause keys reach the world; it is not the current screen, so it survives them.
    EXPECT_EQ(play(false, "16 k:27 k:32 K:32\n16\n").frames, 2);
    EXPECT_EQ(current_world, nullptr);
    play(false, "16 d:4\n");
    EXPECT_FALSE(last_cannot_cut) << "the frame loop never delivers a wheel press";
    play(false, "16 d:1\n");
    EXPECT_TRUE(last_cannot_cut);
}

TEST(StepBench, StrokesCutAndLevelsRestart)
{
    LogCapture log;
    const CuttingBenchResult cutting = bench_cutting(40, 300);
    EXPECT_GE(cutting.pieces, 40u);
    EXPECT_LT(cutting.cutting_steps, 40000) << "the strokes stopped cutting";

    // Levels that end start over.
    const BenchResult result = bench_level("won", *tiny_level(true), 5);
    EXPECT_EQ(result.restarts, 5);
}
