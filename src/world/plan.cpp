#include "world/plan.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "storage/log.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

constexpr unsigned int plan_frame_ms = 16;
constexpr double plan_frame_seconds = plan_frame_ms / 1000.0;
constexpr double default_speed = 3.0;
constexpr int default_until_frames = 1500;
// A plan never runs longer than ten minutes of play.
constexpr int max_plan_frames = 37500;

struct Command {
    std::string name;
    std::vector<double> values;
    std::string text;  // the line as written, for the script's comments
    int line = 0;
};

bool parse_plan(std::istream& in, std::vector<Command>& commands, std::string& error)
{
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string content = line.substr(0, line.find('#'));
        std::istringstream words(content);
        Command command;
        if (!(words >> command.name))
            continue;
        command.line = number;
        command.text = content.substr(content.find_first_not_of(" \t"));
        command.text.erase(command.text.find_last_not_of(" \t\r") + 1);
        std::string word;
        while (words >> word) {
            char* end = nullptr;
            const double value = std::strtod(word.c_str(), &end);
            if (end == word.c_str() || *end != '\0' || !std::isfinite(value)) {
                error = "line " + std::to_string(number) + ": '" + word + "' is not a number";
                return false;
            }
            command.values.push_back(value);
        }
        const std::size_t n = command.values.size();
        const auto wants = [&](bool ok, const char* form) {
            if (!ok)
                error = "line " + std::to_string(number) + ": " + form;
            return ok;
        };
        const auto whole = [&](std::size_t i) {
            return command.values[i] >= 0 && command.values[i] <= max_plan_frames &&
                   command.values[i] == std::floor(command.values[i]);
        };
        bool ok = true;
        if (command.name == "to")
            ok = wants((n == 2 || n == 3) && (n == 2 || command.values[2] > 0), "to X Y [SPEED], SPEED above 0");
        else if (command.name == "hold" || command.name == "wait")
            ok = wants(n == 1 && whole(0), "hold N and wait N take a whole number of frames");
        else if (command.name == "down" || command.name == "up")
            ok = wants(n == 0, "down and up take nothing");
        else if (command.name == "until")
            ok = wants(n == 0 || (n == 1 && whole(0)), "until [N] takes at most a whole number of frames");
        else
            ok = wants(false, "a command is to, hold, wait, down, up or until");
        if (!ok)
            return false;
        commands.push_back(std::move(command));
    }
    return true;
}

class PlanPlayer {
public:
    PlanPlayer(World& world, std::ostringstream& script) : world_(world), script_(script) {}

    // One frame: the motion that puts the sword on `target` (none when
    // there is no target), the pending button, then the step. False once the
    // game has ended or the plan has run too long.
    bool frame(const std::optional<Vector2>& target, double max_speed = default_speed)
    {
        std::vector<SDL_Event> events;
        script_ << plan_frame_ms;
        if (button_) {
            SDL_Event press;
            std::memset(&press, 0, sizeof press);
            press.type = *button_ ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
            press.button.button = 1;
            events.push_back(press);
            script_ << (*button_ ? " d:1" : " u:1");
            button_.reset();
        }
        if (target) {
            // The velocity that lands on the target this frame, but no faster
            // than the stroke (a sword held back by a body does not then
            // race to catch up), less what the sword has: it gains twice its
            // push, 384 pixels a unit, y down.
            Vector2 wanted = (*target - world_.sword.position) / plan_frame_seconds;
            if (wanted.length() > max_speed)
                wanted = wanted * (max_speed / wanted.length());
            const Vector2 push = (wanted - world_.sword.velocity) / 2.0 * 384.0;
            const int dx = static_cast<int>(std::clamp(std::lround(push.x), -32767L, 32767L));
            const int dy = static_cast<int>(std::clamp(std::lround(-push.y), -32767L, 32767L));
            if (dx != 0 || dy != 0) {
                events.push_back(motion_event(dx, dy));
                script_ << " m:" << dx << ',' << dy;
            }
        }
        script_ << '\n';
        for (const SDL_Event& event : events) {
            double dt = plan_frame_seconds;
            world_.handle_event(event, dt);
        }
        double dt = plan_frame_seconds;
        world_.update(dt);
        ++frames_;
        return world_.outcome == Outcome::none && frames_ < max_plan_frames;
    }

    bool play(const Command& command)
    {
        const std::vector<double>& v = command.values;
        if (command.name == "down" || command.name == "up") {
            button_ = command.name == "down";
            return true;
        }
        if (command.name == "to") {
            const Vector2 from = anchor_.value_or(world_.sword.position);
            const Vector2 to(v[0], v[1]);
            const double speed = v.size() > 2 ? v[2] : default_speed;
            const int steps = std::max(1, static_cast<int>(std::ceil((to - from).length() / (speed * plan_frame_seconds))));
            anchor_ = to;
            for (int i = 1; i <= steps; ++i) {
                if (!frame(from + (to - from) * (static_cast<double>(i) / steps), speed * 1.25))
                    return false;
            }
            return true;
        }
        if (command.name == "hold" || command.name == "wait") {
            const bool hold = command.name == "hold";
            if (hold && !anchor_)
                anchor_ = world_.sword.position;
            if (!hold)
                anchor_.reset();
            for (int i = 0; i < static_cast<int>(v[0]); ++i) {
                if (!frame(hold ? anchor_ : std::nullopt))
                    return false;
            }
            return true;
        }
        // until
        anchor_.reset();
        const int limit = v.empty() ? default_until_frames : static_cast<int>(v[0]);
        for (int i = 0; i < limit; ++i) {
            if (!frame(std::nullopt))
                return false;
        }
        return true;
    }

private:
    World& world_;
    std::ostringstream& script_;
    std::optional<bool> button_;
    // Where the last stroke ended, while the sword is meant to stay there.
    std::optional<Vector2> anchor_;
    int frames_ = 0;
};

}  // namespace

bool play_plan(const std::string& level_file, std::istream& plan, const std::string& title, PlanResult& out,
               std::string& error)
{
    std::vector<Command> commands;
    if (!parse_plan(plan, commands, error))
        return false;
    std::unique_ptr<World> world = load_level_quietly(level_file, error);
    if (!world)
        return false;

    std::ostringstream body;
    set_log_streams(nullptr, nullptr);
    {
        PlanPlayer player(*world, body);
        for (const Command& command : commands) {
            body << "# " << command.text << '\n';
            if (!player.play(command))
                break;
        }
    }
    restore_log_streams();
    const Outcome planned_outcome = world->outcome;
    const std::uint64_t planned_state = state_hash(*world);
    world.reset();

    // What was written must play the same from a fresh load: the script is
    // what the tests keep.
    InputScript script;
    std::istringstream written(body.str());
    if (!parse_input_script(written, script, error))
        return false;
    world = load_level_quietly(level_file, error);
    if (!world)
        return false;
    set_log_streams(nullptr, nullptr);
    out.result = run_world(*world, script, RunOptions{});
    world.reset();
    restore_log_streams();
    if (out.result.outcome != planned_outcome || out.result.state != planned_state) {
        error = "the written script does not play back as the plan played";
        return false;
    }

    out.script = "# expect: " + result_line(out.result) + '\n' + "# " + title +
                 ": made by slivermere-tool plan; one 16 ms frame a line, motions in pixels, y down.\n" + body.str();
    return true;
}
