#include "world/level_timer.hpp"

#include <cmath>
#include <numbers>

#include "geometry/plausible.hpp"
#include "geometry/view.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"
#include "storage/base_storage.hpp"
#include "world/time_text.hpp"
#include "world/world_hooks.hpp"

LevelTimer::LevelTimer() : font("time.txf"), phase(random_unit() * 2 * std::numbers::pi) {}

void LevelTimer::save(BaseStorage& storage) const
{
    storage.write(time);
    storage.write(countdown);
}

bool LevelTimer::load(BaseStorage& storage)
{
    if (!storage.read(time) || !storage.read(countdown))
        return false;
    if (!plausible(time)) {
        storage.refuse("time is out of range");
        return false;
    }
    return true;
}

void LevelTimer::update(double dt)
{
    if (countdown) {
        time -= dt;
        if (time < 0)
            time = 0;
    } else {
        time += dt;
    }
    phase += dt;
    while (phase > 2 * std::numbers::pi)
        phase -= 2 * std::numbers::pi;
}

double LevelTimer::urgency() const
{
    if (countdown && time < 10)
        return (1 - time / 10) * (1 - time / 10);
    return 0;
}

void LevelTimer::draw() const
{
    if (opening_demo_showing())
        return;
    const double u = urgency();
    const std::string text = time_text(time);
    const double h = 0.2 + 0.2 * u + 0.05 * u * std::sin(7 * phase);
    const double g = 1 - 0.7 * u + 0.3 * u * std::sin(10 * phase);
    glColor4d(1, g, g, 0.5 + 0.5 * u);
    const double w = font.text_width(text, h);
    font.draw_text(Vector2(view_half_width - w - 0.05, 0.95 - h), text, h);
}
