#include "geometry/polygon_style.hpp"

#include <cmath>
#include <fstream>
#include <utility>

#include "storage/game_folders.hpp"
#include "storage/log.hpp"

namespace {

struct StyleNumbers {
    double edge_width = 0.0;
    double light_width = 0.0;
    double main_scale = 0.0;
    double scroll_s = 0.0;
    double scroll_t = 0.0;
};

bool read_info(const std::string& folder, StyleNumbers& numbers)
{
    std::ifstream info(game_path(folder + "info"));
    info >> numbers.edge_width >> numbers.light_width >> numbers.main_scale >> numbers.scroll_s >> numbers.scroll_t;
    return !info.fail();
}

// Brings a shift into [0, 1) by whole steps. For |shift| >= 1 subtracting its
// floor is exact and gives what the steps give, but a huge scroll from a
// damaged info file cannot make the steps run for ever.
double wrap_shift(double shift)
{
    if (shift < -1.0 || shift >= 2.0)
        shift -= std::floor(shift);
    while (shift < 0.0)
        shift += 1.0;
    while (shift >= 1.0)
        shift -= 1.0;
    return shift;
}

}  // namespace

std::string polygon_style_folder(const std::string& name)
{
    return "styles/polygon/" + name + "/";
}

PolygonStyle::PolygonStyle(std::string style_name) : name(std::move(style_name)), folder(polygon_style_folder(name)) {}

void PolygonStyle::load_style(const std::string& style_name)
{
    name = style_name;
    folder = polygon_style_folder(style_name);
    StyleNumbers numbers;
    bool read = read_info(folder, numbers);
    if (!read && style_name != "default") {
        folder = polygon_style_folder("default");
        read = read_info(folder, numbers);
    }
    if (read) {
        edge_width = numbers.edge_width;
        light_width = numbers.light_width;
        main_scale = numbers.main_scale;
        scroll_s = numbers.scroll_s;
        scroll_t = numbers.scroll_t;
    } else {
        log_err() << "Polygon style \"default\" is missing or unreadable" << '\n';
    }
    shift_s = 0.0;
    shift_t = 0.0;
    textures_fetched = false;
}

void PolygonStyle::animate_style(double dt)
{
    shift_s += scroll_s * dt;
    shift_t += scroll_t * dt;
    shift_s = wrap_shift(shift_s);
    shift_t = wrap_shift(shift_t);
}
