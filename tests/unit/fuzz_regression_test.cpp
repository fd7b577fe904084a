// Inputs with which the fuzz targets (fuzz/) broke a loader, one folder per
// target under tests/data/fuzz_regressions. Each must now be refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "render/png.hpp"
#include "storage/event_record.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/level_text.hpp"
#include "world/playback_world.hpp"
#include "world/world.hpp"

namespace {

namespace fs = std::filesystem;

const fs::path regressions = source_root / "tests" / "data" / "fuzz_regressions";

std::vector<fs::path> inputs(const std::string& target)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(regressions / target))
        found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

// A square body of the builder's making, changed by `damage`, as a level
// record: what the loader says of it, empty when it loads.
template <typename Damage>
std::string refusal_after(Damage damage)
{
    World world;
    std::string error;
    EXPECT_TRUE(build_level("body\n points 0 0 1 0 1 1 0 1", world, error)) << error;
    damage(world.physics_polygons.front());
    MemoryStorage storage;
    world.save(storage);
    if (World(storage).loaded())
        return {};
    return storage.refusal().empty() ? "refused without a reason" : storage.refusal();
}

}  // namespace

TEST(FuzzRegressions, LevelFilesAreRefusedWithTheirReason)
{
    const std::vector<fs::path> levels = inputs("level");
    ASSERT_FALSE(levels.empty());
    const std::map<std::string, std::string> reasons = {
        {"doubled_slit.lev", "an edge is listed twice"},
        {"open_outline_cut.lev", "the edges do not close into loops"},
        {"sword_off_its_slit.lev", "the sword inside is not at the slit's last point"},
    };
    for (const fs::path& level : levels) {
        LogCapture log;
        EXPECT_EQ(load_level(level.string()), nullptr) << level.filename();
        // Missing fonts and styles outside a game folder may come before it.
        EXPECT_TRUE(log.err().ends_with("Cannot open level " + level.string() + ": the file is damaged (" +
                                        reasons.at(level.filename().string()) + ")\n"))
            << log.err();
    }
}

TEST(FuzzRegressions, LevelsThatLoadPlayOnWithTheSwordInTheWorld)
{
    const std::vector<fs::path> levels = inputs("level_plays");
    ASSERT_FALSE(levels.empty());
    for (const fs::path& level : levels) {
        LogCapture log;
        const std::unique_ptr<World> world = load_level(level.string());
        ASSERT_NE(world, nullptr) << level.filename() << log.err();
        for (int frame = 0; frame < 120; ++frame) {
            double dt = 0.016;
            world->update(dt);
        }
        EXPECT_TRUE(std::isfinite(world->sword.position.x) && std::isfinite(world->sword.position.y))
            << level.filename();
        EXPECT_FALSE(world->physics_polygons.empty()) << level.filename();
    }
}

TEST(FuzzRegressions, LevelTextWithHugePointsIsRefusedBeforeTheMassIsComputed)
{
    LogCapture log;
    World world;
    std::string error;
    EXPECT_FALSE(build_level(read_text(regressions / "level_text" / "huge_point.txt"), world, error));
    EXPECT_EQ(error.rfind("line 21: points must be finite and below 1e+09 in size", 0), 0u) << error;
    EXPECT_EQ(inputs("level_text").size(), 1u);
}

TEST(FuzzRegressions, APngFarLargerThanItsFileIsRefusedBeforeAllocating)
{
    LogCapture log;
    std::uint32_t width = 1, height = 1;
    std::vector<std::uint32_t> pixels(1);
    EXPECT_FALSE(load_png((regressions / "png" / "huge_header.png").string(), width, height, pixels));
    EXPECT_TRUE(width == 0 && height == 0 && pixels.empty());

    // A chunk claiming a gigabyte is refused as too large on its header and
    // the file then ends early. (That nothing is allocated for it is what
    // the fuzz run's memory limit checks, with this file among its seeds.)
    LogCapture chunk_log;
    EXPECT_FALSE(load_png((regressions / "png" / "huge_ancillary_chunk.png").string(), width, height, pixels));
    EXPECT_NE(chunk_log.err().find("libpng warning: sPLT: chunk data is too large"), std::string::npos)
        << chunk_log.err();
}

TEST(FuzzRegressions, OnlyBodiesTheStepCanCutLoad)
{
    LogCapture log;
    using Damage = void (*)(PhysicsPolygon&);
    const std::pair<Damage, const char*> cases[] = {
        {[](PhysicsPolygon&) {}, ""},
        {[](PhysicsPolygon& p) { p.edges.erase(p.edges.begin()); }, "the edges do not close into loops"},
        {[](PhysicsPolygon& p) { p.mass = 0; }, "mass is too small to move"},
        {[](PhysicsPolygon& p) { p.mass = 1e-300; }, "mass is too small to move"},
        {[](PhysicsPolygon& p) { p.moment = 1e-311; }, "moment is too small to turn"},
        {[](PhysicsPolygon& p) { p.moment = 1e-16; }, ""},
        {[](PhysicsPolygon& p) { p.edges.emplace(0, 2); p.edges.emplace(2, 0); }, ""},
        {[](PhysicsPolygon& p) { p.edges = {{0, 2}, {2, 0}}; }, "the edges hold only slits"},
        {[](PhysicsPolygon& p) { p.edges = {{1, 1}}; }, "the edges hold only slits"},
        {[](PhysicsPolygon& p) { p.edges.clear(); }, ""},
        {[](PhysicsPolygon& p) { p.edges.clear(); p.cut_pending = true; }, "the edges hold only slits"},
        // The sword inside a body sits at the body's last point.
        {[](PhysicsPolygon& p) { p.sword_inside = true; p.last_sword_pos = p.points.back(); }, ""},
        {[](PhysicsPolygon& p) { p.sword_inside = true; p.last_sword_pos = p.points.front(); },
         "the sword inside is not at the slit's last point"},
        // A negative toughness or density is refused with the level text's
        // fields, at their lines.
        {[](PhysicsPolygon& p) { p.toughness = 0; }, ""},
        // Both crossings of a slit listed twice would erase one freed edge.
        {[](PhysicsPolygon& p) { p.edges.insert({{0, 2}, {2, 0}, {0, 2}, {2, 0}}); }, "an edge is listed twice"},
    };
    for (const auto& [damage, reason] : cases)
        EXPECT_EQ(refusal_after(damage), reason);
}

TEST(FuzzRegressions, ARecordingWithADamagedLevelIsRefused)
{
    LogCapture log;
    const std::string file = (regressions / "recording" / "denormal_moment.rec").string();
    EXPECT_EQ(open_playback(file, false), nullptr);
    EXPECT_TRUE(log.err().ends_with("Cannot replay " + file +
                                    ": the level in it is damaged (moment is too small to turn)\n"))
        << log.err();
}

TEST(FuzzRegressions, KeyEventsSdlCannotHoldEndTheRecording)
{
    LogCapture log;
    const auto playback = open_playback((regressions / "recording" / "impossible_key_code.rec").string(), false);
    ASSERT_NE(playback, nullptr);
    ASSERT_FALSE(playback->frames.empty());
    for (const Frame& frame : playback->frames)
        for (const SDL_Event& event : frame.events)
            EXPECT_TRUE(event_record_plausible(event_to_record(event)));

    // Only key events are judged: other events carry other numbers there.
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_MOUSEMOTION;
    EventRecord bytes = event_to_record(event);
    bytes[11] = 1;
    MemoryStorage storage;
    storage.write_raw(bytes.data(), bytes.size());
    bytes[0] = SDL_KEYDOWN;
    storage.write_raw(bytes.data(), bytes.size());
    EXPECT_TRUE(storage.read(event));
    EXPECT_FALSE(storage.read(event));
    EXPECT_TRUE(storage.corrupt());
}
