#include "editor/property_menus.hpp"

#include <memory>

#include "editor/edit_world.hpp"
#include "geometry/goal_polygon.hpp"
#include "geometry/physics_polygon.hpp"
#include "menu/buttons.hpp"
#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "menu/string_edit_item.hpp"
#include "render/files.hpp"
#include "render/notice.hpp"
#include "storage/invariant.hpp"
#include "world/world.hpp"

namespace {

constexpr double field_height = 0.1;
constexpr const char* save_text = "Save";

// A visible menu over the current screen (the editor), which keeps running.
std::unique_ptr<MenuWorld> editor_menu()
{
    return std::make_unique<MenuWorld>(false, false, -1, menu_hint());
}

// Adds the way back and makes the menu current.
void show(std::unique_ptr<MenuWorld> menu, const char* return_text)
{
    menu->items.push_back(std::make_unique<ReturnButton>(return_text, 0.15, Vector2(0, -0.8)));
    current_world = menu.release();
}

template <typename Item, typename... Args>
void add(MenuWorld& menu, Args&&... args)
{
    menu.items.push_back(std::make_unique<Item>(std::forward<Args>(args)...));
}

// A row of the goal menu's entries. The rows scroll together inside a window
// so that the selected one is always shown; rows outside it are neither
// drawn nor picked by the pointer.
class ScrollingRow : public BaseMenuItem {
public:
    // The first row sits at `top`; rows below `bottom` show once scrolled to.
    struct Window {
        double top = 0;
        double bottom = 0;
        double offset = 0;
    };

    ScrollingRow(std::unique_ptr<StringItem> field, std::shared_ptr<Window> window)
        : field_(std::move(field)), window_(std::move(window)), y_(field_->position.y)
    {
    }

    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override
    {
        return field_->handle_event(event, dt, world_replaced);
    }
    bool contains(const Vector2& p) override { return shown() && field_->contains(p); }
    void update(double& dt, bool& selected) override
    {
        // Scroll by whole rows until the selected one is inside the window.
        if (selected) {
            while (y_ + window_->offset < window_->bottom - 1e-9)
                window_->offset += row_step;
            while (y_ + window_->offset > window_->top + 1e-9)
                window_->offset -= row_step;
        }
        field_->position.y = y_ + window_->offset;
        field_->update(dt, selected);
    }
    void draw() override
    {
        if (shown())
            field_->draw();
    }

    static constexpr double row_step = 0.1;

private:
    bool shown() const
    {
        const double y = y_ + window_->offset;
        return y <= window_->top + 1e-9 && y >= window_->bottom - 1e-9;
    }

    std::unique_ptr<StringItem> field_;
    std::shared_ptr<Window> window_;
    double y_;
};

}  // namespace

void open_material_menu(Polygon& polygon)
{
    auto menu = editor_menu();
    add<StringEditItem>(*menu, "Style: ", polygon.style_name, 0.1, field_height, false);
    if (auto* body = dynamic_cast<PhysicsPolygon*>(&polygon)) {
        add<DoubleEditItem>(*menu, "Density: ", body->density, -0.1, field_height);
        add<DoubleEditItem>(*menu, "Enter Penalty: ", body->toughness, -0.2, field_height);
        add<DoubleEditItem>(*menu, "Cut Drag: ", body->cut_drag, -0.3, field_height);
    }
    show(std::move(menu), "editing");
}

void open_item_menu(PhysicsPolygon& body)
{
    auto menu = editor_menu();
    add<StringEditItem>(*menu, "Type: ", body.item.name, 0.0, field_height, false);
    add<DoubleEditItem>(*menu, "Amount: ", body.item.amount, -0.1, field_height);
    show(std::move(menu), "editing");
}

void open_goal_menu(GoalPolygon& goal)
{
    auto menu = editor_menu();
    GoalTargetInfo& target = goal.target;
    add<BoolEditItem>(*menu, "Win: ", target.required, 0.9, field_height);
    add<BoolEditItem>(*menu, "Lose: ", target.losing, 0.8, field_height);
    add<BoolEditItem>(*menu, "Unlock: ", target.unlocks, 0.7, field_height);
    add<StringEditItem>(*menu, "Unlock Key: ", target.name, 0.6, field_height, false);
    // One row per entry, its four fields side by side; below eleven rows
    // they scroll.
    constexpr double row_height = 0.08;
    auto window = std::make_shared<ScrollingRow::Window>();
    window->top = 0.45;
    window->bottom = window->top - 10 * ScrollingRow::row_step;
    double y = window->top;
    const auto row = [&](auto field) {
        menu->items.push_back(std::make_unique<ScrollingRow>(std::move(field), window));
    };
    for (GoalTargetInfoBit& bit : target.bits) {
        row(std::make_unique<StringEditItem>("Type: ", bit.name, Vector2(-0.85, y), row_height, false));
        row(std::make_unique<DoubleEditItem>("Size: ", bit.amount, Vector2(-0.05, y), row_height));
        row(std::make_unique<DoubleEditItem>("Tol: ", bit.tolerance, Vector2(0.5, y), row_height));
        row(std::make_unique<IntEditItem>(">: ", bit.count, Vector2(0.95, y), row_height));
        y -= ScrollingRow::row_step;
    }
    show(std::move(menu), "editing");
}

void open_level_file_menu(World& world)
{
    auto* editor = dynamic_cast<EditWorld*>(current_world);
    INVARIANT(editor && editor->world.get() == &world && "the editor's level");
    if (!editor)
        return;
    auto menu = editor_menu();
    auto name = std::make_shared<std::string>(editor->name());
    add<LevelNameEditItem>(*menu, "Name: ", *name, 0.15, field_height, false);

    auto save = std::make_unique<ActionButton>(save_text, 0.2, Vector2(-0.4, -0.05), nullptr);
    ActionButton* save_button = save.get();
    save->set_action([editor, save_button] {
        std::string why;
        if (editor->save_to(editor->world->file_name, why)) {
            save_button->set_text(save_text, save_button->text_height);
            save_button->text = "Saved";
        } else {
            // The band keeps the size of "Save", also after a failed save.
            save_button->set_text("Save failed", save_button->text_height);
            post_notice("The level was not saved: " + why);
        }
        return false;
    });
    menu->items.push_back(std::move(save));

    add<ActionButton>(*menu, "Save As", 0.2, Vector2(0.4, -0.05), [editor, name] {
        if (!is_level_name(*name)) {
            post_notice("A level name holds letters, digits, blanks, - and _");
            return false;
        }
        const std::string file = user_level_file(*name);
        const auto save_as = [editor, file] {
            std::string why;
            if (editor->save_to(file, why))
                post_notice("Saved as " + editor->name());
            else
                post_notice("The level was not saved: " + why);
        };
        if (file == editor->world->file_name || !file_exists(file)) {
            save_as();
            return false;
        }
        // Another level has that name: ask before it goes.
        auto question = question_menu("Replace the level " + *name + "?");
        add_answer(*question, "Replace", 0.1, [save_as] {
            pop_menu();
            save_as();
            return true;
        });
        add_answer(*question, "Cancel", -0.1, back_from_question, true);
        show_question(std::move(question));
        return true;
    });
    add<StringEditItem>(*menu, "FrontMatter: ", world.front_matter, -0.5, 0.08, true);
    add<StringEditItem>(*menu, "EndMatter: ", world.end_matter, 0.5, 0.08, true);
    show(std::move(menu), "Back to editing");
}

void open_level_time_menu(World& world)
{
    auto menu = editor_menu();
    add<BoolEditItem>(*menu, "Countdown: ", world.timer.countdown, 0.0, field_height);
    add<DoubleEditItem>(*menu, "Starting Time: ", world.timer.time, -0.1, field_height);
    show(std::move(menu), "Back to editing");
}
