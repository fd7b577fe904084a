#include "world/level_check.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "storage/file_storage.hpp"
#include "world/level_text.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

using Severity = LevelFinding::Severity;

// Shapes that touch (a body resting on a floor, a goal on a wall) meet to
// within rounding; only a deeper overlap is the level's doing.
constexpr double overlap_depth = 1e-6;
constexpr double bounds_slack = 1e-9;

std::string named(const char* kind, std::size_t index) { return std::string(kind) + ' ' + std::to_string(index + 1); }

std::vector<Vector2> world_points(const Polygon& polygon)
{
    std::vector<Vector2> points;
    for (const Vector2& p : polygon.points)
        points.push_back(polygon.to_world(p));
    return points;
}

// Boundary edges in world coordinates; the two halves of a slit are no
// boundary.
std::vector<std::pair<Vector2, Vector2>> world_boundary(const Polygon& polygon)
{
    std::vector<std::pair<Vector2, Vector2>> edges;
    for (const auto& edge : polygon.edges)
        if (!polygon.has_reverse(edge))
            edges.emplace_back(polygon.to_world(polygon.points[edge.first]),
                               polygon.to_world(polygon.points[edge.second]));
    return edges;
}

// Whether a world point lies inside the shape further than touching.
bool deep_inside(Polygon& shape, const Vector2& world_point)
{
    const Vector2 p = shape.to_local(world_point);
    Polygon::Edge edge;
    Vector2 nearest;
    return shape.contains(p) && shape.closest_boundary_point(p, edge, nearest) &&
           (nearest - p).length() > overlap_depth;
}

// Signed distance of p from the line through a and b, left positive.
double side(const Vector2& a, const Vector2& b, const Vector2& p)
{
    const Vector2 d = b - a;
    const double length = d.length();
    return length > 0 ? (d.x * (p.y - a.y) - d.y * (p.x - a.x)) / length : 0.0;
}

// Two edges that cross through each other's middle, as a plank pushed
// through a wall does with no corner inside it.
bool cross_through(const std::pair<Vector2, Vector2>& e, const std::pair<Vector2, Vector2>& f)
{
    const double f0 = side(e.first, e.second, f.first);
    const double f1 = side(e.first, e.second, f.second);
    const double e0 = side(f.first, f.second, e.first);
    const double e1 = side(f.first, f.second, e.second);
    const auto apart = [](double a, double b) {
        return (a > overlap_depth && b < -overlap_depth) || (a < -overlap_depth && b > overlap_depth);
    };
    return apart(f0, f1) && apart(e0, e1);
}

bool overlaps(PhysicsPolygon body, StaticPolygon wall)
{
    for (const Vector2& p : world_points(body))
        if (deep_inside(wall, p))
            return true;
    for (const Vector2& p : world_points(wall))
        if (deep_inside(body, p))
            return true;
    const auto wall_edges = world_boundary(wall);
    for (const auto& e : world_boundary(body))
        for (const auto& f : wall_edges)
            if (cross_through(e, f))
                return true;
    return false;
}

enum class Winding { right, clockwise_outside, counter_clockwise_hole };

// Every outline keeps the inside on its left: counter-clockwise round the
// outside, clockwise round a hole. Whether an outline is a hole is told by
// how many of the others enclose it.
Winding winding(const Polygon& polygon)
{
    const std::vector<std::vector<int>>& loops = polygon.style.loops;
    const std::vector<Vector2>& points = polygon.points;
    const auto encloses = [&](const std::vector<int>& loop, const Vector2& p) {
        bool inside = false;
        for (std::size_t k = 0, last = loop.size() - 1; k < loop.size(); last = k++) {
            const Vector2& a = points[loop[k]];
            const Vector2& b = points[loop[last]];
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
                inside = !inside;
        }
        return inside;
    };
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const std::vector<int>& loop = loops[i];
        if (loop.size() < 3)
            continue;
        double area = 0;
        for (std::size_t k = 0; k < loop.size(); ++k) {
            const Vector2& p = points[loop[k]];
            const Vector2& q = points[loop[(k + 1) % loop.size()]];
            area += p.x * q.y - p.y * q.x;
        }
        // The middle of an edge: a corner may touch another outline.
        const Vector2 probe = (points[loop[0]] + points[loop[1]]) * 0.5;
        int depth = 0;
        for (std::size_t j = 0; j < loops.size(); ++j)
            if (j != i && loops[j].size() >= 3 && encloses(loops[j], probe))
                ++depth;
        const bool hole = depth % 2 == 1;
        if (area < 0 && !hole)
            return Winding::clockwise_outside;
        if (area > 0 && hole)
            return Winding::counter_clockwise_hole;
    }
    return Winding::right;
}

bool within_bounds(const Polygon& polygon, const World& world)
{
    for (const Vector2& p : world_points(polygon))
        if (p.x < world.bounds_min.x - bounds_slack || p.y < world.bounds_min.y - bounds_slack ||
            p.x > world.bounds_max.x + bounds_slack || p.y > world.bounds_max.y + bounds_slack)
            return false;
    return true;
}

// How many items a bit could ever accept from the bodies. Cutting shares a
// body's amount out by mass, so a body gives pieces of any amounts that add
// up to its own: as many as fit at the lowest amount the bit takes.
double pieces_available(const GoalTargetInfoBit& bit, const std::vector<PhysicsPolygon>& bodies)
{
    const double infinite = std::numeric_limits<double>::infinity();
    const double lowest = bit.amount - bit.tolerance;
    const double highest = bit.amount + bit.tolerance;
    double pieces = 0;
    for (const PhysicsPolygon& body : bodies) {
        if (body.item.name != bit.name)
            continue;
        if (bit.amount <= 0)
            return infinite;
        // Written so that a number that is not one accepts nothing, as in accept().
        if (!(highest >= lowest) || !(body.item.amount >= lowest))
            continue;
        if (!(lowest > 0))
            return infinite;
        // A body of exactly twice the amount gives two pieces, rounding aside.
        pieces += std::floor(body.item.amount / lowest * (1 + 1e-9));
    }
    return pieces;
}

void check_goals(const World& world, const LevelCheckOptions& options, std::vector<LevelFinding>& findings)
{
    const auto warn = [&](std::string message) { findings.push_back({Severity::warning, std::move(message)}); };

    bool any_required = false;
    for (std::size_t i = 0; i < world.goals.size(); ++i) {
        const GoalPolygon& goal = world.goals[i];
        const GoalTargetInfo& target = goal.target;
        if (!target.required || goal.done) {
            any_required = any_required || target.required;
            continue;
        }
        any_required = true;
        if (target.bits.empty() && world.physics_polygons.empty())
            warn("required " + named("goal", i) + " wants a body to touch it, and there is none");
        for (const GoalTargetInfoBit& bit : target.bits) {
            if (bit.satisfied())
                continue;
            const double wanted = static_cast<double>(bit.count) - bit.matched + 1;
            if (pieces_available(bit, world.physics_polygons) < wanted)
                warn("required " + named("goal", i) + " can never be done: no bodies' items make \"" +
                     bit.describe() + "\"");
        }
    }
    if (!any_required)
        findings.insert(findings.begin(), {Severity::error, "no goal is required, so the level can never be won"});

    std::vector<std::string> levels;
    for (const std::string& line : options.level_list)
        if (line != "---")
            levels.push_back(line);
    for (std::size_t i = 0; i < world.goals.size(); ++i) {
        const GoalTargetInfo& target = world.goals[i].target;
        if (!target.unlocks)
            continue;
        if (options.level_list.empty())
            warn(named("goal", i) + " unlocks \"" + target.name + "\", but there is no level list at " +
                 options.level_list_path);
        else if (std::find(levels.begin(), levels.end(), target.name) == levels.end())
            warn(named("goal", i) + " unlocks \"" + target.name + "\", which is no level in " +
                 options.level_list_path);
    }
}

}  // namespace

std::string finding_line(const LevelFinding& finding)
{
    return (finding.severity == Severity::error ? "error: " : "warning: ") + finding.message;
}

std::vector<std::string> finding_lines(const std::vector<LevelFinding>& findings)
{
    std::vector<std::string> lines;
    for (const LevelFinding& finding : findings)
        lines.push_back(finding_line(finding));
    return lines;
}

std::vector<LevelFinding> check_level(World& world, const LevelCheckOptions& options)
{
    std::vector<LevelFinding> findings;
    const auto warn = [&](std::string message) { findings.push_back({Severity::warning, std::move(message)}); };

    check_goals(world, options, findings);

    // The loader takes outlines either way round, but contacts push along the
    // wall's inward normal, which is on the left of each edge.
    for (std::size_t i = 0; i < world.static_polygons.size(); ++i) {
        const Winding w = winding(world.static_polygons[i]);
        if (w == Winding::clockwise_outside)
            warn(named("wall", i) + " runs clockwise, so its contacts push bodies into it");
        else if (w == Winding::counter_clockwise_hole)
            warn("a hole in " + named("wall", i) + " runs counter-clockwise, so its contacts push bodies into it");
    }
    for (std::size_t i = 0; i < world.goals.size(); ++i)
        if (winding(world.goals[i]) != Winding::right)
            warn(named("goal", i) + " runs the wrong way; outlines keep the inside on their left");

    for (std::size_t b = 0; b < world.physics_polygons.size(); ++b)
        for (std::size_t w = 0; w < world.static_polygons.size(); ++w)
            if (overlaps(world.physics_polygons[b], world.static_polygons[w]))
                warn(named("body", b) + " starts overlapping " + named("wall", w));

    for (std::size_t i = 0; i < world.physics_polygons.size(); ++i)
        if (!within_bounds(world.physics_polygons[i], world))
            warn(named("body", i) + " reaches outside the level's bounds");
    for (std::size_t i = 0; i < world.goals.size(); ++i)
        if (!within_bounds(world.goals[i], world))
            warn(named("goal", i) + " reaches outside the level's bounds");

    RunOptions idle;
    idle.frames = options.idle_frames;
    const RunResult result = run_world(world, InputScript{}, idle);
    if (result.outcome == Outcome::win)
        warn("the level is won with no input at all, in " + std::to_string(result.frames) +
             (result.frames == 1 ? " frame" : " frames"));
    return findings;
}

std::vector<LevelFinding> check_level_text(const std::string& text, const LevelCheckOptions& options)
{
    World world;
    std::string error;
    if (!build_level(text, world, error))
        return {{Severity::error, error}};
    return check_level(world, options);
}

std::vector<LevelFinding> check_level_file(const std::string& path, const LevelCheckOptions& options)
{
    if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".txt") == 0) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        if (in.is_open())
            text << in.rdbuf();
        if (!in.is_open() || in.bad())
            return {{Severity::error, "cannot read the file"}};
        return check_level_text(text.str(), options);
    }
    // Opened as load_level opens it, with its reasons, but without printing
    // them: the caller decides what the game's lines do.
    InFileStorage storage(path, false);
    if (storage.corrupt())
        return {{Severity::error, "the game refuses it: not a level file or missing"}};
    World world(storage);
    if (!world.loaded() || storage.bytes_left() != 0)
        return {{Severity::error, "the game refuses it: " + damage_text(storage)}};
    world.file_name = path;
    return check_level(world, options);
}
