#include "world/blind_players.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>

#include "geometry/sword.hpp"
#include "storage/log.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

constexpr double frame_seconds = 0.016;
// One screen of the game, in world units: 384 pixels a unit.
constexpr double screen_width = 2 * view_half_width;
constexpr double screen_height = 2.0;
// The throw into the corner, then the wait until the sword is still.
constexpr int throw_frames = 20;
constexpr int settle_frames = 50;
// From the corner to where the path starts.
constexpr int lead_in_frames = 60;

// Where the player means the sword to be at a time (seconds from the start
// of the path): x across and y down one screen, both 0 to 1.
using Path = std::function<Vector2(double)>;

// Rises from 0 to 1 and falls back in one period.
double triangle(double t, double period)
{
    const double phase = t / period - std::floor(t / period);
    return phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase;
}

// A triangle wave from `low` to `high` travelled at `speed` screens a second.
double sweep(double t, double low, double high, double speed)
{
    return low + (high - low) * triangle(t, 2.0 * (high - low) / speed);
}

// A fixed, portable generator: the same numbers on every machine.
class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : state_(seed) {}
    // A number from 0 up to 1.
    double next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) / 9007199254740992.0;
    }

private:
    std::uint64_t state_;
};

// Straight lines between random points, a new one every `hold` seconds.
Path wander(std::uint64_t seed, double hold)
{
    SplitMix random(seed);
    auto points = std::make_shared<std::vector<Vector2>>();
    const int count = static_cast<int>(blind_player_frames * frame_seconds / hold) + 2;
    for (int i = 0; i < count; ++i) {
        // One at a time: the order of a call's arguments is not fixed.
        const double x = 0.05 + 0.9 * random.next();
        points->push_back(Vector2(x, 0.05 + 0.9 * random.next()));
    }
    return [points, hold](double t) {
        const std::size_t i = std::min(static_cast<std::size_t>(t / hold), points->size() - 2);
        const double f = std::min(t / hold - static_cast<double>(i), 1.0);
        return (*points)[i] + ((*points)[i + 1] - (*points)[i]) * f;
    };
}

int whole_pixels(double pixels)
{
    return static_cast<int>(std::clamp(std::lround(pixels), -32767L, 32767L));
}

// A corner the player starts from; the screen played lies inward of it.
// `x` is 1 when the corner is on the left, -1 on the right; `y` is 1 at the
// top, -1 at the bottom.
struct Corner {
    const char* suffix;  // added to the player's name
    double x;
    double y;
};

constexpr Corner corners[] = {
    {"", 1, 1}, {" from top-right", -1, 1}, {" from bottom-left", 1, -1}, {" from bottom-right", -1, -1}};

// Keeps one coordinate of the sword between `a` and `b` (either order) the
// way the level keeps it inside its bounds: a hit wall takes a tenth of the
// speed back.
void keep_between(double& p, double& v, double a, double b)
{
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    if (p < low) {
        p = low;
        v = v < 0 ? -0.1 * v : v;
    }
    if (p > high) {
        p = high;
        v = v > 0 ? -0.1 * v : v;
    }
}

// Writes the input script that moves a sword along the path: a sword of its
// own, stepped alone in a screen with its corner at (0, 0), tells the motion
// each frame needs. The level is never looked at.
std::string steer(const Path& path, bool held, const Corner& corner)
{
    std::ostringstream text;
    const auto line = [&](int dx, int dy, const char* extra) {
        text << "16" << extra;
        if (dx != 0 || dy != 0)
            text << " m:" << dx << ',' << dy;
        text << '\n';
    };
    const int throw_x = static_cast<int>(-200 * corner.x);
    const int throw_y = static_cast<int>(-200 * corner.y);
    for (int i = 0; i < throw_frames; ++i)
        line(throw_x, throw_y, i == 0 && held ? " d:1" : "");
    for (int i = 0; i < settle_frames; ++i)
        line(0, 0, "");

    Sword sword;
    const auto at = [&corner](Vector2 f) {
        return Vector2(corner.x * f.x * screen_width, -corner.y * f.y * screen_height);
    };
    const Vector2 start = at(path(0.0));
    for (int i = throw_frames + settle_frames; i < blind_player_frames; ++i) {
        const int step = i - throw_frames - settle_frames + 1;
        Vector2 target;
        if (step <= lead_in_frames) {
            const double f = static_cast<double>(step) / lead_in_frames;
            target = start * (f * f * (3.0 - 2.0 * f));
        } else {
            target = at(path((step - lead_in_frames) * frame_seconds));
        }
        // The velocity that lands on the target this frame, less what the
        // sword has; it gains twice its push, 384 pixels a unit, y down.
        const Vector2 push = ((target - sword.position) / frame_seconds - sword.velocity) / 2.0 * 384.0;
        const int dx = whole_pixels(push.x);
        const int dy = whole_pixels(-push.y);
        sword.handle_event(motion_event(dx, dy));
        sword.update(frame_seconds);
        keep_between(sword.position.x, sword.velocity.x, 0.0, corner.x * screen_width);
        keep_between(sword.position.y, sword.velocity.y, 0.0, -corner.y * screen_height);
        line(dx, dy, "");
    }
    return text.str();
}

std::string number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

struct PathPlayer {
    std::string name;
    Path path;
};

std::vector<PathPlayer> paths()
{
    // Speeds in screen widths (or heights) a second.
    constexpr double slow = 0.5;
    constexpr double fast = 2.0;
    constexpr double faster = 4.0;
    std::vector<PathPlayer> players;
    for (double y : {0.2, 0.45, 0.7, 0.9})
        players.push_back({"sweep-x fast y=" + number(y),
                           [y](double t) { return Vector2(sweep(t, 0.02, 0.98, fast), y); }});
    for (double y : {0.3, 0.6})
        players.push_back({"sweep-x slow y=" + number(y),
                           [y](double t) { return Vector2(sweep(t, 0.02, 0.98, slow), y); }});
    players.push_back({"sweep-x faster y=0.5", [](double t) { return Vector2(sweep(t, 0.02, 0.98, faster), 0.5); }});
    for (double x : {0.25, 0.5, 0.75})
        players.push_back({"sweep-y fast x=" + number(x),
                           [x](double t) { return Vector2(x, sweep(t, 0.02, 0.98, fast)); }});
    players.push_back({"diagonal down-right", [](double t) {
                           const double f = sweep(t, 0.02, 0.98, fast);
                           return Vector2(f, f);
                       }});
    players.push_back({"diagonal up-right", [](double t) {
                           const double f = sweep(t, 0.02, 0.98, fast);
                           return Vector2(f, 1.0 - f);
                       }});
    const auto circle = [](double radius, double period) {
        return [radius, period](double t) {
            const double a = 2.0 * std::numbers::pi * t / period;
            return Vector2(0.5 - radius * 0.75 * std::cos(a), 0.5 - radius * std::sin(a));
        };
    };
    players.push_back({"circle small", circle(0.2, 1.0)});
    players.push_back({"circle large", circle(0.45, 1.5)});
    players.push_back({"zigzag", [](double t) {
                           return Vector2(sweep(t, 0.02, 0.98, fast), sweep(t, 0.05, 0.95, 0.1));
                       }});
    players.push_back({"lissajous", [](double t) {
                           return Vector2(0.5 + 0.45 * std::sin(2.0 * std::numbers::pi * t / 1.7),
                                          0.5 + 0.45 * std::sin(2.0 * std::numbers::pi * t / 1.1));
                       }});
    for (std::uint64_t seed : {1, 2, 3})
        players.push_back({"wander seed=" + std::to_string(seed), wander(seed, seed == 3 ? 0.25 : 0.6)});
    return players;
}

}  // namespace

std::vector<BlindPlayer> blind_players()
{
    std::vector<BlindPlayer> players;
    for (const Corner& corner : corners) {
        for (const PathPlayer& path : paths()) {
            for (bool held : {false, true}) {
                BlindPlayer player;
                player.name = path.name + (held ? " held" : "") + corner.suffix;
                player.from_corner = corner.suffix[0] != '\0';
                player.script_text = "# blind player " + player.name + '\n' + steer(path.path, held, corner);
                std::istringstream in(player.script_text);
                std::string error;
                // Written here, so it always parses.
                parse_input_script(in, player.script, error);
                players.push_back(std::move(player));
            }
        }
    }
    return players;
}

bool find_blind_player(const std::string& name, BlindPlayer& player)
{
    for (BlindPlayer& candidate : blind_players()) {
        if (candidate.name == name) {
            player = std::move(candidate);
            return true;
        }
    }
    return false;
}

bool play_blind(const std::string& level_file, const std::vector<BlindPlayer>& players,
                std::vector<BlindWin>& wins, int& played, std::string& reason)
{
    wins.clear();
    played = 0;
    for (const BlindPlayer& player : players) {
        std::unique_ptr<World> world = load_level_quietly(level_file, reason);
        if (!world)
            return false;
        // A level of one screen is the same from every corner.
        const Vector2 size = world->bounds_max - world->bounds_min;
        if (player.from_corner && size.x <= screen_width + 0.01 && size.y <= screen_height + 0.01)
            continue;
        ++played;
        set_log_streams(nullptr, nullptr);
        const RunResult result = run_world(*world, player.script, RunOptions{});
        world.reset();
        restore_log_streams();
        if (result.outcome == Outcome::win)
            wins.push_back({player.name, result.frames});
    }
    return true;
}
