#include "app/placeholder_world.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "app/opening_screen.hpp"
#include "menu/lockable_string_item.hpp"
#include "menu/menu_world.hpp"
#include "menu/scroll_gizmo.hpp"
#include "menu/string_edit_item.hpp"
#include "progress/player_info.hpp"
#include "render/gl.hpp"
#include "render/polygon_style.hpp"
#include "render/sword_style.hpp"
#include "world/level_list.hpp"
#include "world/world.hpp"

namespace {

constexpr double screen_half_width = 1023.0 / 768.0;

template <typename P>
P shape(const std::string& style, std::vector<Vector2> points, Vector2 position)
{
    P polygon;
    polygon.points = std::move(points);
    for (int i = 0; i < static_cast<int>(polygon.points.size()); ++i)
        polygon.edges.emplace(i, (i + 1) % static_cast<int>(polygon.points.size()));
    polygon.position = position;
    polygon.style_name = style;
    polygon.style.load_style(style);
    polygon.trace_loops(polygon.style);
    return polygon;
}

std::vector<Vector2> box(double w, double h)
{
    return {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
}

std::vector<Vector2> regular(int n, double radius)
{
    std::vector<Vector2> points;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        points.emplace_back(radius * std::cos(a), radius * std::sin(a));
    }
    return points;
}

// Stand-ins for the buttons of the real opening menu.
class TestPlayButton : public StringItem {
public:
    TestPlayButton() : StringItem("Play", true, 0.2, Vector2(0, 0), 0.0) {}
    bool handle_event(const SDL_Event& event, double&, bool& world_replaced) override
    {
        if (!is_activation(event))
            return false;
        pop_menu();
        world_replaced = true;
        return true;
    }
};

class TestQuitButton : public StringItem {
public:
    TestQuitButton() : StringItem("Quit", true, 0.1, Vector2(0, -0.8), 0.0) {}
    bool handle_event(const SDL_Event& event, double&, bool& world_replaced) override
    {
        if (!is_activation(event) && !is_key_press(event, SDLK_ESCAPE))
            return false;
        delete current_world;
        current_world = nullptr;
        world_replaced = true;
        return true;
    }
};

std::unique_ptr<BaseWorld> first_level()
{
    const std::vector<std::string> list = read_level_list();
    for (const std::string& name : list) {
        if (name == "---")
            continue;
        return load_level(level_file_name(name));
    }
    return nullptr;
}

}  // namespace

void build_opening_screen(bool hidden)
{
    // Until the menu screens exist the game opens with a small menu over the
    // first listed level, or over a showcase of the game's art when there is none.
    std::unique_ptr<BaseWorld> background = first_level();
    current_world = background ? background.release() : new PlaceholderWorld();

    auto menu = std::make_unique<MenuWorld>(
        hidden, true, 30.0, StringItem("Press Any Key for Menu", true, 0.1, Vector2(0, -0.95), 0.0));
    menu->decorations.push_back(std::make_unique<StringItem>("Slivermere", true, 0.3, Vector2(0, 0.5), 0.7));
    menu->decorations.push_back(
        std::make_unique<StringItem>("<-- Click-drag here to scroll", false, 0.06, Vector2(-0.73203125, 0.965), 0.7));
    menu->items.push_back(std::make_unique<StringEditItem>("Name: ", current_player_name, 0.2, 0.1, false));
    menu->items.push_back(std::make_unique<TestPlayButton>());
    menu->items.push_back(std::make_unique<LockableStringItem>("Perfect Mode", "Perfect", 0.15, Vector2(0, -0.19)));
    menu->items.push_back(std::make_unique<LockableStringItem>("Level Editor", "Edit", 0.15, Vector2(0, -0.35)));
    menu->items.push_back(std::make_unique<BoolEditItem>("Goals visible during game? ", goals_visible, -0.5, 0.1));
    menu->items.push_back(std::make_unique<ScrollGizmo>(Vector2(-1.23203125, 0.9)));
    // Last, so that Escape selects it and a second Escape leaves.
    menu->items.push_back(std::make_unique<TestQuitButton>());
    menu->selected = 1;
    current_world = menu.release();
}

PlaceholderWorld::PlaceholderWorld()
{
    walls_.push_back(shape<StaticPolygon>("wall", box(2.5, 0.2), Vector2(0, -0.85)));
    walls_.push_back(shape<StaticPolygon>("wall", box(0.2, 1.4), Vector2(-1.2, -0.25)));
    walls_.push_back(shape<StaticPolygon>("lava", box(0.6, 0.08), Vector2(0.85, -0.71)));

    const struct {
        const char* style;
        std::vector<Vector2> points;
        Vector2 position;
        double spin;
    } bodies[] = {
        {"wood", box(0.7, 0.18), Vector2(-0.6, 0.5), 0.4},
        {"stone", regular(6, 0.2), Vector2(-0.1, 0.8), -0.8},
        {"ice", box(0.32, 0.32), Vector2(0.35, 0.4), 0.2},
        {"metal", {{0, 0}, {0.5, 0}, {0.5, 0.15}, {0.15, 0.15}, {0.15, 0.45}, {0, 0.45}}, Vector2(0.7, 0.9), 0.5},
        {"default", regular(5, 0.18), Vector2(-0.7, 0.95), 1.0},
        {"glass", regular(3, 0.2), Vector2(0.1, 0.2), -0.3},
    };
    for (const auto& b : bodies) {
        PhysicsPolygon body = shape<PhysicsPolygon>(b.style, b.points, b.position);
        body.update_mass_properties();
        body.angular_velocity = b.spin;
        body.item.name = b.style;
        bodies_.push_back(std::move(body));
    }
}

bool PlaceholderWorld::handle_event(const SDL_Event& event, double&)
{
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
        current_world = nullptr;
        delete this;
        return true;
    }
    return sword_.handle_event(event);
}

void PlaceholderWorld::update(double& dt)
{
    time_ += dt;
    sword_.update(dt);
    sword_.position.x = std::clamp(sword_.position.x, -screen_half_width, screen_half_width);
    sword_.position.y = std::clamp(sword_.position.y, -1.0, 1.0);

    for (PhysicsPolygon& body : bodies_)
        for (StaticPolygon& wall : walls_)
            collide(wall, body, dt);
    for (PhysicsPolygon& body : bodies_) {
        body.force += body.mass * Vector2(0, -1);
        body.integrate(dt);
        body.style.animate_style(dt);
    }
    for (StaticPolygon& wall : walls_)
        wall.style.animate_style(dt);
}

void PlaceholderWorld::draw()
{
    glLoadIdentity();
    draw_background();
    for (const StaticPolygon& wall : walls_)
        wall.draw();
    for (const PhysicsPolygon& body : bodies_)
        body.draw();
    draw_sword(sword_.style, sword_);
    for (const PhysicsPolygon& body : bodies_)
        body.item.draw_tag();

    glColor4d(1.0, 0.86, 0.55, 0.9 + 0.1 * std::sin(time_ * 1.3));
    const std::string title = "Slivermere";
    title_font_.draw_text(Vector2(-title_font_.text_width(title, 0.18) / 2, 0.72), title, 0.18);
    glColor4d(0.8, 0.82, 0.95, 0.6);
    const std::string hint = "Move the sword with the mouse. Escape leaves.";
    hint_font_.draw_text(Vector2(-hint_font_.text_width(hint, 0.05) / 2, -0.98), hint, 0.05);
}
