#include "render/notice.hpp"

#include <algorithm>

#include "render/dark_band.hpp"
#include "render/gl.hpp"
#include "render/gui_font.hpp"

namespace {

std::vector<Notice> showing;

// Across the top of the screen, where menus keep only their titles, in the
// menus' font on a dark band like the one behind menu text, but darker and a
// little taller, so that a big title underneath does not show through.
constexpr double text_height = 0.08;
constexpr double band_margin = 0.015;
constexpr double first_line_y = 0.92;  // centre of the oldest line
constexpr double line_spacing = 0.11;
constexpr double max_width = 2.5;  // a long file name makes the line smaller, not cut off
constexpr double band_alpha = 0.9;
// The red of the menus' warnings.
constexpr double text_red = 1.0, text_green = 0.1, text_blue = 0.1;

}  // namespace

void post_notice(const std::string& text)
{
    std::erase_if(showing, [&](const Notice& notice) { return notice.text == text; });
    if (showing.size() >= max_notices)
        showing.erase(showing.begin());
    showing.push_back(Notice{text, notice_seconds});
}

const std::vector<Notice>& notices()
{
    return showing;
}

void clear_notices()
{
    showing.clear();
}

void advance_notices(double dt)
{
    for (Notice& notice : showing)
        notice.time_left -= dt;
    std::erase_if(showing, [](const Notice& notice) { return notice.time_left <= 0; });
}

double notice_alpha(const Notice& notice)
{
    return std::clamp(notice.time_left / notice_fade_seconds, 0.0, 1.0);
}

void draw_notices()
{
    if (showing.empty())
        return;
    // Made on first use: most games never show a notice.
    static const GuiFont font("menu.txf");
    double y = first_line_y;
    for (const Notice& notice : showing) {
        const double alpha = notice_alpha(notice);
        double height = text_height;
        double width = font.text_width(notice.text, height);
        if (width > max_width) {
            height *= max_width / width;
            width = max_width;
        }
        const double bottom = y - height / 2;
        draw_dark_band(-width / 2, width / 2, bottom - band_margin, bottom + height + band_margin, band_alpha * alpha);
        glColor4d(text_red, text_green, text_blue, alpha);
        font.draw_text(Vector2(-width / 2, bottom), notice.text, height);
        y -= line_spacing;
    }
}
