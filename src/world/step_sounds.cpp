#include "world/step_sounds.hpp"

#include <algorithm>

#include "sound/audio.hpp"

namespace {

// 0 for a still sword, 1 for a hard swing of about five units a second.
float speed_share(double speed)
{
    return static_cast<float>(std::clamp(speed / 5.0, 0.0, 1.0));
}

}  // namespace

void swing_sound(double sword_speed, float& gain, float& pitch)
{
    // Below a slow drift the air is silent.
    const double speed = std::max(sword_speed - 0.3, 0.0);
    gain = 0.3f * static_cast<float>(std::clamp(speed / 4.0, 0.0, 1.0));
    pitch = 0.6f + 1.2f * speed_share(speed);
}

void step_cues(const StepReport& report, float loudness, std::vector<Cue>& cues)
{
    cues.clear();
    if (loudness <= 0)
        return;
    const auto add = [&](Effect effect, float gain, float pitch = 1) {
        cues.push_back(Cue{effect, gain * loudness, pitch});
    };
    for (const StepReport::Crossing& c : report.crossings) {
        const float hard = speed_share(c.speed);
        add(c.entering ? entering(c.material) : leaving(c.material), c.entering ? 0.5f + 0.5f * hard : 0.3f + 0.4f * hard,
            0.9f + 0.2f * hard);
    }
    // A blade that bounces sounds like the material, lower and duller; a
    // still one that a body falls onto is not heard.
    for (const StepReport::Crossing& c : report.bounces)
        if (c.speed > 0)
            add(entering(c.material), 0.6f * speed_share(c.speed), 0.7f);
    if (report.splits > 0)
        add(Effect::split, std::min(0.7f + 0.15f * static_cast<float>(report.splits), 1.0f));
    if (report.knock_speed > quietest_knock) {
        const float hard = static_cast<float>(std::clamp((report.knock_speed - quietest_knock) / 2.5, 0.0, 1.0));
        add(Effect::knock, 0.15f + 0.85f * hard, 0.85f + 0.3f * hard);
    }
    if (report.goal_takes > 0)
        add(Effect::goal, 0.8f);
    if (report.losing_touches > 0)
        add(Effect::losing_goal, 0.8f);
    switch (report.outcome) {
    case Outcome::win:
        add(Effect::win, 1.0f);
        break;
    case Outcome::lose:
        add(Effect::lose, 1.0f);
        break;
    case Outcome::time_out:
        add(Effect::time_out, 1.0f);
        break;
    case Outcome::none:
        break;
    }
    if (report.countdown_tick)
        add(Effect::countdown, 0.7f);
}

void play_step_sounds(const StepReport& report, float loudness)
{
    if (!audio_running())
        return;
    static std::vector<Cue> cues;
    step_cues(report, loudness, cues);
    for (const Cue& cue : cues)
        play_effect(cue.effect, cue.gain, cue.pitch, VoiceGroup::world);
    float gain = 0;
    float pitch = 1;
    swing_sound(report.sword_speed, gain, pitch);
    set_swing(gain * loudness, pitch);
}
