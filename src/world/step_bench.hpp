#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "geometry/vector2.hpp"

class World;

// Times the World step on a level while scripted mouse input sweeps the sword
// through it.

constexpr int bench_min_steps = 2000;
constexpr unsigned int bench_frame_ms = 16;

// A level built in code to load the step: 300 movable bodies above 60 walls
// (a floor, two sides and rows of slanted pegs) and 10 goals on the floor
// that take some of the bodies but can never all be completed.
std::unique_ptr<World> make_stress_level();

// The files of the levels named in "levels/levels.list" under `folder` ("."
// for the working folder), in list order: "levels/" + name + ".lev" for every
// line but "---" and blank lines. None when there is no list.
std::vector<std::string> listed_level_files(const std::string& folder);

// The mouse motion, in pixels, that steers the sword along a figure over the
// level's bounds at step `step`.
void sweep_motion(const World& world, int step, int& xrel, int& yrel);
// The sweep's motion at `step` as the event the frame loop would hand over.
SDL_Event sweep_event(const World& world, int step);
SDL_Event motion_event(int xrel, int yrel);
// The mouse motion that sends the sword towards `target` at up to 15 units
// per second.
void steer_motion(const World& world, const Vector2& target, int& xrel, int& yrel);

struct BenchResult {
    std::string level;
    int steps = 0;
    double median_us = 0.0;
    double p99_us = 0.0;
    std::size_t bodies_at_end = 0;
    // Times the level was loaded again because it ended or emptied.
    int restarts = 0;
};

// Steps a copy of `level` `steps` times with the sweep input, timing each
// step alone in the thread's processor time. The level starts over (untimed) whenever a step leaves an
// outcome or no movable body is left, so every timed step does real work.
BenchResult bench_level(const std::string& name, const World& level, int steps);

// Median and 99th percentile (nearest rank) of the samples; sorts them.
double percentile(std::vector<double>& samples, double fraction);

void print_bench_table(std::ostream& out, const std::vector<BenchResult>& results);

// Cutting under load: a slab floating without gravity is cut by scripted
// sword strokes until it lies in `pieces` pieces (or 40000 steps have
// passed); then gravity comes on and `steps` steps are timed as the pieces
// fall onto the floor.
std::unique_ptr<World> make_cutting_level();

struct CuttingBenchResult {
    std::size_t pieces = 0;
    int strokes = 0;
    int cutting_steps = 0;
    double cutting_median_us = 0.0;
    double cutting_p99_us = 0.0;
    int steps = 0;
    double median_us = 0.0;
    double p99_us = 0.0;
};

CuttingBenchResult bench_cutting(std::size_t pieces, int steps);
void print_cutting_bench(std::ostream& out, const CuttingBenchResult& result);

// Replay speed and memory: a long game is recorded, written and replayed.
constexpr int replay_bench_default_minutes = 10;

struct ReplayBenchResult {
    std::string level;
    int frames = 0;
    // The game's own time, and the wall time its replay took.
    double game_seconds = 0.0;
    double replay_seconds = 0.0;
    double load_seconds = 0.0;
    std::size_t file_bytes = 0;
    // The level's file name and starting World record at the head of the file.
    std::size_t head_bytes = 0;
    std::size_t snapshots = 0;
    // Bytes the snapshots hold on the heap (their buffers' capacity) plus
    // their array.
    std::size_t snapshot_bytes = 0;
    int snapshot_spacing = 0;
    std::size_t bodies_at_end = 0;
};

// Records `minutes` of the sweep input on a copy of `level` with a
// RecordingWorld (it plays on through wins and losses), writes it to
// `file`, then opens it with a PlaybackWorld and times playing it to the
// end at normal speed settings, snapshots included. False when the file
// could not be written or read back.
bool bench_replay(const std::string& name, const World& level, int minutes, const std::string& file,
                  ReplayBenchResult& result);

void print_replay_bench(std::ostream& out, const ReplayBenchResult& result);
