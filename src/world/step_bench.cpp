#include "world/step_bench.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <numbers>

#include "storage/event_record.hpp"
#include "storage/invariant.hpp"
#include "storage/memory_storage.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/world.hpp"

namespace {

// Counter-clockwise corners of a regular polygon.
std::vector<Vector2> regular(const Vector2& centre, double radius, int sides, double turn)
{
    std::vector<Vector2> points;
    for (int i = 0; i < sides; ++i) {
        const double a = turn + 2 * std::numbers::pi * i / sides;
        points.emplace_back(centre.x + radius * std::cos(a), centre.y + radius * std::sin(a));
    }
    return points;
}

// A bar of the given half sizes, turned by `angle` about its centre.
std::vector<Vector2> bar(const Vector2& centre, double half_length, double half_thickness, double angle)
{
    const Vector2 along(std::cos(angle), std::sin(angle));
    const Vector2 across(-along.y, along.x);
    const Vector2 a = along * half_length;
    const Vector2 b = across * half_thickness;
    return {centre - a - b, centre + a - b, centre + a + b, centre - a + b};
}

template <typename P>
P outline(const std::vector<Vector2>& points)
{
    P polygon;
    polygon.points = points;
    const int n = static_cast<int>(points.size());
    for (int i = 0; i < n; ++i)
        polygon.edges.emplace(i, (i + 1) % n);
    polygon.compute_bbox();
    return polygon;
}

}  // namespace

std::unique_ptr<World> make_stress_level()
{
    auto world = std::make_unique<World>();
    world->bounds_min = Vector2(-8, -6);
    world->bounds_max = Vector2(8, 6);
    world->clamp_camera();

    // Floor and sides, then three staggered rows of 19 pegs.
    world->static_polygons.push_back(outline<StaticPolygon>({{-8, -6}, {8, -6}, {8, -5.6}, {-8, -5.6}}));
    world->static_polygons.push_back(outline<StaticPolygon>({{-8, -5.6}, {-7.7, -5.6}, {-7.7, 6}, {-8, 6}}));
    world->static_polygons.push_back(outline<StaticPolygon>({{7.7, -5.6}, {8, -5.6}, {8, 6}, {7.7, 6}}));
    for (int row = 0; row < 3; ++row)
        for (int i = 0; i < 19; ++i) {
            const Vector2 centre(-7.2 + 0.8 * i + 0.4 * (row % 2), -3.8 + 1.6 * row);
            const double tilt = (i + row) % 2 == 0 ? 0.35 : -0.35;
            world->static_polygons.push_back(outline<StaticPolygon>(bar(centre, 0.22, 0.04, tilt)));
        }

    // Squares, triangles and hexagons in a 20 x 15 grid, soft enough for the
    // sword to cut at a moderate speed; every fourth is a gem the goals take.
    for (int row = 0; row < 15; ++row)
        for (int column = 0; column < 20; ++column) {
            const Vector2 centre(-6.65 + 0.7 * column, 1.0 + 0.32 * row);
            const int sides[] = {4, 3, 6};
            const int kind = (row + column) % 3;
            PhysicsPolygon body =
                outline<PhysicsPolygon>(regular(centre, kind == 1 ? 0.16 : 0.14, sides[kind], std::numbers::pi / 4));
            body.toughness = 0.05;
            body.item.name = (row * 20 + column) % 4 == 0 ? "Gem" : "Stone";
            body.update_mass_properties();
            body.compute_bbox();
            world->physics_polygons.push_back(std::move(body));
        }

    // Required goals that want far more gems than there are: the level goes
    // on, and each gem that lands in one is taken.
    for (int j = 0; j < 10; ++j) {
        const double x = -6.3 + 1.4 * j;
        GoalPolygon goal = outline<GoalPolygon>({{x - 0.45, -5.6}, {x + 0.45, -5.6}, {x + 0.45, -4.9}, {x - 0.45, -4.9}});
        goal.target.required = true;
        GoalTargetInfoBit bit;
        bit.name = "Gem";
        bit.amount = 0;
        bit.count = 1000000;
        goal.target.bits.push_back(bit);
        world->goals.push_back(std::move(goal));
    }
    return world;
}

std::vector<std::string> listed_level_files(const std::string& folder)
{
    std::vector<std::string> files;
    const std::string levels = (folder == "." ? "" : folder + "/") + "levels/";
    std::ifstream list(levels + "levels.list");
    std::string line;
    while (std::getline(list, line)) {
        if (line == "---" || line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        files.push_back(levels + line + ".lev");
    }
    return files;
}

void sweep_motion(const World& world, int step, int& xrel, int& yrel)
{
    // A Lissajous figure over most of the level, so the sword passes through
    // falling bodies and, low down, through those resting on the floor, fast
    // enough to cut them.
    const double t = step * (bench_frame_ms / 1000.0);
    const Vector2 size = world.bounds_max - world.bounds_min;
    const Vector2 low = world.bounds_min + Vector2(0.075 * size.x, 0.0);
    const Vector2 span(0.85 * size.x, 0.9 * size.y);
    const Vector2 target(low.x + span.x * (0.5 + 0.5 * std::sin(2 * std::numbers::pi * t / 6.0)),
                         low.y + span.y * (0.5 + 0.5 * std::sin(2 * std::numbers::pi * t / 3.7)));
    steer_motion(world, target, xrel, yrel);
}

void steer_motion(const World& world, const Vector2& target, int& xrel, int& yrel)
{
    Vector2 wanted = (target - world.sword.position) * 4.0;
    if (wanted.length() > 15)
        wanted = wanted * (15 / wanted.length());
    // The sword gains twice its pending motion; 384 pixels are one unit, y down.
    const Vector2 push = (wanted - world.sword.velocity) / 2.0 * 384.0;
    xrel = static_cast<int>(std::clamp(std::lround(push.x), -32768L, 32767L));
    yrel = static_cast<int>(std::clamp(std::lround(-push.y), -32768L, 32767L));
}

SDL_Event sweep_event(const World& world, int step)
{
    int xrel = 0;
    int yrel = 0;
    sweep_motion(world, step, xrel, yrel);
    return motion_event(xrel, yrel);
}

SDL_Event motion_event(int xrel, int yrel)
{
    SDL_Event motion;
    std::memset(&motion, 0, sizeof motion);
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = static_cast<Sint16>(xrel);
    motion.motion.yrel = static_cast<Sint16>(yrel);
    return motion;
}

namespace {

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The step runs on one thread: its own processor time, unlike the wall
// clock, does not count the time slices other programs take on a busy
// machine, which otherwise make up the whole 99th percentile.
double thread_microseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

}  // namespace

BenchResult bench_level(const std::string& name, const World& level, int steps)
{
    MemoryStorage record;
    level.save(record);
    const auto fresh = [&record] {
        record.rewind();
        auto world = std::make_unique<World>(record);
        INVARIANT(world->loaded());
        return world;
    };

    BenchResult result;
    result.level = name;
    result.steps = steps;
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(steps));
    std::unique_ptr<World> world = fresh();
    int round_step = 0;
    for (int i = 0; i < steps; ++i) {
        SDL_Event motion = sweep_event(*world, round_step);
        double dt = bench_frame_ms / 1000.0;
        world->handle_event(motion, dt);

        const double start = thread_microseconds();
        world->update(dt);
        samples.push_back(thread_microseconds() - start);

        ++round_step;
        result.bodies_at_end = world->physics_polygons.size();
        if (world->outcome != Outcome::none || world->physics_polygons.empty()) {
            world = fresh();
            round_step = 0;
            ++result.restarts;
        }
    }
    result.median_us = percentile(samples, 0.5);
    result.p99_us = percentile(samples, 0.99);
    return result;
}

std::unique_ptr<World> make_cutting_level()
{
    auto world = std::make_unique<World>();
    world->bounds_min = Vector2(-2, -1.5);
    world->bounds_max = Vector2(2, 1.5);
    world->clamp_camera();
    world->gravity = Vector2(0, 0);
    world->static_polygons.push_back(outline<StaticPolygon>({{-2, -1.5}, {2, -1.5}, {2, -1.3}, {-2, -1.3}}));
    world->static_polygons.push_back(outline<StaticPolygon>({{-2, -1.3}, {-1.8, -1.3}, {-1.8, 1.5}, {-2, 1.5}}));
    world->static_polygons.push_back(outline<StaticPolygon>({{1.8, -1.3}, {2, -1.3}, {2, 1.5}, {1.8, 1.5}}));
    PhysicsPolygon slab = outline<PhysicsPolygon>({{-1.2, -0.6}, {1.2, -0.6}, {1.2, 1.0}, {-1.2, 1.0}});
    slab.toughness = 0.05;
    slab.item.name = "Stone";
    slab.update_mass_properties();
    slab.compute_bbox();
    world->physics_polygons.push_back(std::move(slab));
    return world;
}

CuttingBenchResult bench_cutting(std::size_t pieces, int steps)
{
    CuttingBenchResult result;
    std::unique_ptr<World> world = make_cutting_level();
    const auto step = [&world](std::vector<double>& samples, const Vector2* target) {
        double dt = bench_frame_ms / 1000.0;
        if (target) {
            int xrel = 0;
            int yrel = 0;
            steer_motion(*world, *target, xrel, yrel);
            world->handle_event(motion_event(xrel, yrel), dt);
        }
        const double start = thread_microseconds();
        world->update(dt);
        samples.push_back(thread_microseconds() - start);
    };

    // Strokes right across the floating slab, alternately along and across,
    // each at a new offset, until it lies in enough pieces.
    std::vector<double> cutting;
    std::uint32_t seed = 12345;
    const auto next_offset = [&seed](double low, double high) {
        seed = seed * 1664525u + 1013904223u;
        return low + (high - low) * (seed >> 8) / double(1u << 24);
    };
    Vector2 target(-1.6, 0.2);
    while (world->physics_polygons.size() < pieces && result.cutting_steps < 40000) {
        if ((world->sword.position - target).length() < 0.05) {
            ++result.strokes;
            const bool along = result.strokes % 2 == 0;
            const double side = (result.strokes / 2) % 2 == 0 ? 1.0 : -1.0;
            target = along ? Vector2(1.6 * side, next_offset(-0.55, 0.95)) : Vector2(next_offset(-1.15, 1.15), 1.3 * side);
        }
        step(cutting, &target);
        ++result.cutting_steps;
    }
    result.pieces = world->physics_polygons.size();
    result.cutting_median_us = percentile(cutting, 0.5);
    result.cutting_p99_us = percentile(cutting, 0.99);

    // Then the pieces fall onto the floor and settle, the sword at rest.
    world->gravity = Vector2(0, -1);
    std::vector<double> falling;
    for (int i = 0; i < steps; ++i)
        step(falling, nullptr);
    result.steps = steps;
    result.median_us = percentile(falling, 0.5);
    result.p99_us = percentile(falling, 0.99);
    return result;
}

void print_cutting_bench(std::ostream& out, const CuttingBenchResult& r)
{
    const auto saved_flags = out.flags();
    const auto saved_precision = out.precision();
    out << std::fixed << std::setprecision(1);
    out << "cutting: one slab cut into " << r.pieces << " pieces by " << r.strokes << " strokes in " << r.cutting_steps
        << " steps (median " << r.cutting_median_us << " µs, p99 " << r.cutting_p99_us << " µs)\n";
    out << "  then " << r.steps << " steps of the pieces falling and settling: median " << r.median_us
        << " µs, p99 " << r.p99_us << " µs\n";
    out.flags(saved_flags);
    out.precision(saved_precision);
}

double percentile(std::vector<double>& samples, double fraction)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(fraction * static_cast<double>(samples.size()));
    const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

void print_bench_table(std::ostream& out, const std::vector<BenchResult>& results)
{
    std::size_t width = 5;
    for (const BenchResult& r : results)
        width = std::max(width, r.level.size());
    const auto saved_flags = out.flags();
    const auto saved_precision = out.precision();
    // "µs" is two bytes and one column wide: each header gets one more byte.
    out << std::left << std::setw(static_cast<int>(width)) << "level" << std::right << std::setw(8) << "steps"
        << std::setw(12) << "median µs" << std::setw(12) << "p99 µs" << std::setw(8) << "bodies" << std::setw(10)
        << "restarts" << '\n';
    out << std::fixed << std::setprecision(1);
    for (const BenchResult& r : results)
        out << std::left << std::setw(static_cast<int>(width)) << r.level << std::right << std::setw(8) << r.steps
            << std::setw(11) << r.median_us << std::setw(11) << r.p99_us << std::setw(8) << r.bodies_at_end
            << std::setw(10) << r.restarts << '\n';
    out.flags(saved_flags);
    out.precision(saved_precision);
}

bool bench_replay(const std::string& name, const World& level, int minutes, const std::string& file,
                  ReplayBenchResult& result)
{
    result = ReplayBenchResult();
    result.level = name;
    result.frames = static_cast<int>(minutes * 60000LL / bench_frame_ms);
    {
        MemoryStorage record;
        level.save(record);
        RecordingWorld game(record, "");
        game.file_name = name;
        for (int i = 0; i < result.frames; ++i) {
            SDL_Event motion = sweep_event(game, i);
            double dt = bench_frame_ms / 1000.0;
            game.handle_event(motion, dt);
            game.update(dt);
        }
        if (!game.dump_recording(file))
            return false;
        result.game_seconds = result.frames * (bench_frame_ms / 1000.0);
    }

    auto start = std::chrono::steady_clock::now();
    PlaybackWorld playback(file, false);
    result.load_seconds = seconds_since(start);
    if (!playback.refusal().empty() || static_cast<int>(playback.frames.size()) != result.frames)
        return false;
    std::ifstream written(file, std::ios::binary | std::ios::ate);
    result.file_bytes = static_cast<std::size_t>(written.tellg());
    std::size_t frame_bytes = 0;
    for (const Frame& frame : playback.frames)
        frame_bytes += 8 + event_record_size * frame.events.size();
    result.head_bytes = result.file_bytes - frame_bytes;

    // A second of the game per update, as the frame loop would hand it over
    // at sixty times the speed: the stepping and snapshots are what is timed.
    start = std::chrono::steady_clock::now();
    while (playback.next_frame < result.frames && !playback.paused) {
        double dt = 1.0;
        playback.update(dt);
    }
    result.replay_seconds = seconds_since(start);

    result.snapshots = playback.snapshots.size();
    result.snapshot_bytes = playback.snapshots.capacity() * sizeof(Snapshot);
    for (const Snapshot& snapshot : playback.snapshots)
        result.snapshot_bytes += snapshot.state.bytes().capacity();
    result.snapshot_spacing = playback.snapshot_spacing();
    result.bodies_at_end = playback.physics_polygons.size();
    return true;
}

void print_replay_bench(std::ostream& out, const ReplayBenchResult& r)
{
    const auto saved_flags = out.flags();
    const auto saved_precision = out.precision();
    const double frames_per_second = r.frames / r.replay_seconds;
    const double frames_per_hour = 3600.0 * 1000.0 / bench_frame_ms;
    const double mb = 1024.0 * 1024.0;
    out << std::fixed << std::setprecision(1);
    out << "replay of " << r.level << ": " << r.frames << " frames of " << bench_frame_ms << " ms ("
        << r.game_seconds / 60 << " min of play, " << r.bodies_at_end << " bodies at the end)\n";
    out << "  speed      " << std::setprecision(0) << frames_per_second << " frames/s, "
        << r.game_seconds / r.replay_seconds << "x real time (" << std::setprecision(2) << r.replay_seconds
        << " s; reading the file " << r.load_seconds << " s)\n";
    out << "  file       " << r.file_bytes << " bytes: " << r.head_bytes << " for the level, "
        << static_cast<double>(r.file_bytes - r.head_bytes) / r.frames << " bytes per frame\n";
    out << "  snapshots  " << r.snapshots << " holding " << r.snapshot_bytes / mb << " MiB ("
        << std::setprecision(0) << static_cast<double>(r.snapshot_bytes) / r.snapshots << " bytes each, every "
        << r.snapshot_spacing << " frames); " << std::setprecision(1);
    if (r.snapshot_spacing == snapshot_interval)
        out << "at this rate an hour would take "
            << static_cast<double>(r.snapshot_bytes) / r.frames * frames_per_hour / mb << " MiB\n";
    else
        out << "thinned to stay within " << default_snapshot_budget / mb << " MiB\n";
    out.flags(saved_flags);
    out.precision(saved_precision);
}
