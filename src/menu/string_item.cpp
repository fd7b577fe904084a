#include "menu/string_item.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "menu/menu_world.hpp"
#include "render/dark_band.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"

namespace {

// A trailing '\n' gives a last, empty line.
std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

void advance_hover(double dt, bool selected, double& hover, double& phase)
{
    if (selected)
        hover = std::min(hover + 5 * dt, 1.0);
    else
        hover = std::max(hover - 2.5 * dt, 0.0);
    phase += hover * dt;
    while (phase > pulse_wrap)
        phase -= pulse_wrap;
}

void draw_backing(double left, double right, double bottom, double top)
{
    draw_dark_band(left, right, bottom, top, 0.7 * menu_alpha());
}

StringItem::StringItem(std::string text_, bool backing_, double text_height_, Vector2 position_, double idle_alpha)
    : position(position_), phase(random_unit() * pulse_wrap), backing(backing_)
{
    const double m = std::max(idle_alpha, 0.5);
    idle_high = {1, 1, 1, m};
    idle_low = {0.9, 0.9, 0.9, m};
    set_text(text_, text_height_);
}

StringItem::~StringItem() = default;

float StringItem::line_width(const std::string& line) const
{
    if (!font.font)
        return 0.0f;
    const TextMetrics metrics = measure_text(*font.font, line.data(), static_cast<int>(line.size()));
    return metrics.width * static_cast<float>(font.scale) * static_cast<float>(text_height);
}

void StringItem::set_text(const std::string& new_text, double new_text_height)
{
    text = new_text;
    text_height = new_text_height;
    half_width = 0;
    const std::vector<std::string> lines = split_lines(text);
    for (const std::string& line : lines)
        half_width = std::max(half_width, static_cast<double>(line_width(line) / 2));
    half_height = static_cast<double>(lines.size()) * text_height / 2;
}

bool StringItem::contains(const Vector2& p)
{
    return position.x - half_width < p.x && p.x < position.x + half_width && position.y - half_height < p.y &&
           p.y < position.y + half_height;
}

void StringItem::update(double& dt, bool& selected)
{
    advance_hover(dt, selected, hover, phase);
}

void StringItem::draw()
{
    // A hidden menu or an entry scrolled out of its list would blend nothing
    // into every pixel it covers.
    if (menu_alpha() == 0)
        return;
    if (backing)
        draw_backing(position.x - half_width, position.x + half_width, position.y - half_height,
                     position.y + half_height);

    const double t = 0.5 + 0.5 * std::sin(4 * phase);
    MenuColour colour;
    for (int i = 0; i < 4; ++i)
        colour[i] = hover * (selected_high[i] * (1 - t) + selected_low[i] * t) +
                    (1 - hover) * (idle_high[i] * (1 - t) + idle_low[i] * t);
    glColor4d(colour[0], colour[1], colour[2], colour[3] * menu_alpha());

    const std::vector<std::string> lines = split_lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double w = line_width(lines[i]);
        font.draw_text(Vector2(position.x - w / 2, position.y + half_height - static_cast<double>(i + 1) * text_height),
                       lines[i], text_height);
    }
}
