#include <gtest/gtest.h>

#include <filesystem>

#include "editor/polygon_edit_adaptor.hpp"
#include "editor_fixture.hpp"
#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "menu/string_list_item.hpp"
#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "world/recording_world.hpp"

namespace {

// Drives the editor's menus the way a player does, by keys.
class EditSession : public EditorTest {
protected:
    // Selects the current menu's item that shows `text`.
    StringItem* item(const std::string& text)
    {
        MenuWorld* menu = current_menu();
        for (std::size_t i = 0; menu && i < menu->items.size(); ++i) {
            auto* found = dynamic_cast<StringItem*>(menu->items[i].get());
            if (found && found->text == text) {
                menu->selected = static_cast<int>(i);
                return found;
            }
        }
        ADD_FAILURE() << "no item " << text;
        return nullptr;
    }
    void activate(const std::string& text)
    {
        if (item(text))
            press(SDLK_SPACE);
    }
    // Into the selected field, after erasing `erase` characters.
    void type(const std::string& text, int erase = 0)
    {
        for (int i = 0; i < erase; ++i)
            press(SDLK_BACKSPACE);
        for (char c : text)
            press(static_cast<SDLKey>(c));
    }
    void down(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            press(SDLK_DOWN);
    }
    // Starts editing the polygon with a vertex at `at`.
    PolygonEditAdaptor* select(const Vector2& at)
    {
        hover(at);
        send(click());
        frame();
        return dynamic_cast<PolygonEditAdaptor*>(top());
    }
};

}  // namespace

TEST_F(EditSession, NewLevelToSavedFileToPlaytestAndBack)
{
    world->file_name = "userlevels/session.lev";  // Save makes the folder

    // A wall whose top right corner is dragged by 10 × 7 pixels.
    hover(Vector2(0, -0.6));
    press(SDLK_w);
    ASSERT_NE(select(Vector2(0.05, -0.55)), nullptr);
    send(click());
    for (int i = 0; i < 10; ++i) {
        send(mouse_move(7, 0));
        frame();
    }
    send(release());
    EXPECT_TRUE(press(SDLK_ESCAPE));
    const StaticPolygon& wall = world->static_polygons[0];
    EXPECT_NEAR(wall.to_world(wall.points[2]).x, 0.05 + 140 / 768.0, 1e-9);

    // A heavy wooden body that counts as a gem.
    hover(Vector2(0.5, 0.3));
    press(SDLK_p);
    ASSERT_NE(select(Vector2(0.55, 0.35)), nullptr);
    press(SDLK_s);
    frame();
    type("wood");
    down();
    type("0");
    activate("editing");
    press(SDLK_g);
    frame();
    type("gem", 9);
    activate("editing");
    EXPECT_TRUE(press(SDLK_ESCAPE));
    const PhysicsPolygon& body = world->physics_polygons[0];
    EXPECT_EQ(body.style_name, "wood");
    EXPECT_EQ(body.density, 1000);
    EXPECT_EQ(body.item.name, "gem");

    // Over it a goal that wins with one gem of any size.
    hover(Vector2(0.52, 0.3));
    press(SDLK_g);
    PolygonEditAdaptor* goal = select(Vector2(0.57, 0.35));
    ASSERT_NE(goal, nullptr);
    ASSERT_EQ(goal->polygon, &world->goals[0]);
    press(SDLK_EQUALS);
    press(SDLK_g);
    frame();
    press(SDLK_SPACE);  // Win: yes
    down(4);
    type("gem", 9);
    down();
    type("0", 3);
    down(2);
    type("0", 1);
    activate("editing");
    EXPECT_TRUE(press(SDLK_ESCAPE));
    const GoalTargetInfoBit& bit = world->goals[0].target.bits.at(0);
    EXPECT_TRUE(world->goals[0].target.required);
    EXPECT_EQ(bit.name, "gem");
    EXPECT_EQ(bit.amount, 0);
    EXPECT_EQ(bit.count, 0);

    // Front matter and Save in the file menu; the file holds the level.
    press(SDLK_f);
    frame();
    item("FrontMatter: ");
    type("Cut\rit");
    StringItem* save = item("Save");
    ASSERT_NE(save, nullptr);
    press(SDLK_SPACE);
    EXPECT_EQ(save->text, "Saved");
    activate("Back to editing");
    ASSERT_EQ(current_world, editor);
    EXPECT_EQ(world->front_matter, "Cut\nit");
    std::unique_ptr<World> reloaded = load_level("userlevels/session.lev");
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(level_record(*reloaded), level_record(*world));

    // Playtest: the goal takes the body at once, and "Edit" brings the level back as it was.
    const std::vector<unsigned char> before = level_record(*world);
    press(SDLK_SPACE);
    activate("Playtest");
    ASSERT_NE(dynamic_cast<RecordingWorld*>(current_world), nullptr);
    for (int i = 0; i < 5 && !current_menu(); ++i)
        frame();
    ASSERT_NE(current_menu(), nullptr) << "the win menu";
    EXPECT_TRUE(dynamic_cast<World&>(*current_menu()->held).physics_polygons.empty());
    activate("Edit");
    editor = dynamic_cast<EditWorld*>(current_world);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(level_record(*editor->world), before);
    EXPECT_EQ(editor->world->file_name, "userlevels/session.lev");
    EXPECT_FALSE(playtesting);
    // The history came back with it: undo takes the front matter (and what
    // no editor frame saw apart from it) away, redo brings it all back.
    world = editor->world.get();
    send(key_press(SDLK_z, KMOD_LCTRL));
    EXPECT_EQ(world->front_matter, "");
    send(key_press(SDLK_y, KMOD_LCTRL));
    EXPECT_EQ(level_record(*world), before);

    // The user level list offers it.
    build_level_list(false);
    auto& list = dynamic_cast<StringListItem&>(*current_menu()->items.at(0));
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.entries[0]->text, "session");
}

TEST_F(EditSession, EscapeOnAnInsanePolygonOpensTheEditorMenu)
{
    press(SDLK_w);
    PolygonEditAdaptor* adaptor = select(Vector2(0.05, 0.05));
    ASSERT_NE(adaptor, nullptr);
    hover(Vector2(0.5, 0.5));
    press(SDLK_p);
    frame();
    EXPECT_EQ(adaptor->help_text(), "Polygon fails sanity check: Unused point");
    EXPECT_EQ(adaptor->problem_point, Vector2(0.5, 0.5));
    EXPECT_TRUE(press(SDLK_ESCAPE));
    ASSERT_NE(current_menu(), nullptr);
    EXPECT_EQ(current_menu()->held.get(), editor);
    EXPECT_NE(item("Back to Editing"), nullptr);
    EXPECT_EQ(top(), adaptor) << "the polygon stays under edit";
}

TEST_F(EditSession, TimeMenuSetsTheClockWithinWhatAFileHolds)
{
    press(SDLK_t);
    frame();
    press(SDLK_SPACE);
    down();
    type("90", 1);
    activate("Back to editing");
    EXPECT_TRUE(world->timer.countdown);
    EXPECT_EQ(world->timer.time, 90);
    world->timer.time = 1e300;
    frame();
    EXPECT_LT(world->timer.time, 1e9);
}

TEST_F(EditSession, SavingUnderNamesAndNeverLosingChanges)
{
    const auto file_menu = [&] {
        press(SDLK_f);
        frame();
        ASSERT_NE(current_menu(), nullptr);
    };
    // Save says "Saved" only when the file was written; the band keeps its size.
    world->file_name = "no such folder/level.lev";
    hover(Vector2(0.5, 0.3));
    press(SDLK_p);
    frame();
    EXPECT_TRUE(editor->unsaved());
    file_menu();
    StringItem* save = item("Save");
    const double width = save->half_width;
    press(SDLK_SPACE);
    EXPECT_EQ(save->text, "Save failed");
    EXPECT_EQ(last_notice(), "The level was not saved: the file no such folder/level.lev could not be written");
    EXPECT_FALSE(path_exists("no such folder")) << "only the user levels' folder is made";
    std::filesystem::remove_all("userlevels");
    world->file_name = "userlevels/first.lev";
    press(SDLK_SPACE);
    EXPECT_EQ(save->text, "Saved");
    EXPECT_EQ(save->half_width, width);

    // Save As names the level after the field, and clears the mark.
    activate("Back to editing");
    hover(Vector2(0.5, -0.3));
    press(SDLK_p);
    frame();
    EXPECT_TRUE(editor->unsaved());
    file_menu();
    current_menu()->selected = 0;
    type("mine", 5);  // "first" erased
    activate("Save As");
    EXPECT_EQ(world->file_name, "userlevels/mine.lev");
    EXPECT_EQ(editor->name(), "mine");
    EXPECT_FALSE(editor->unsaved());
    ASSERT_NE(load_level("userlevels/mine.lev"), nullptr);

    // A level the game would refuse is not written.
    activate("Back to editing");
    world->physics_polygons[0].toughness = -1;
    frame();
    file_menu();
    activate("Save");
    EXPECT_EQ(last_notice(), "The level was not saved: toughness is negative");
    ASSERT_NE(load_level("userlevels/mine.lev"), nullptr) << "the file is as it was";
    activate("Back to editing");
    world->physics_polygons[0].toughness = 1;
    frame();

    // Saving as another level's name asks first.
    {
        World other;
        OutFileStorage out("userlevels/other.lev");
        other.save(out);
    }
    file_menu();
    current_menu()->selected = 0;
    type("other", 4);
    activate("Save As");
    ASSERT_NE(current_menu(), nullptr);
    EXPECT_EQ(dynamic_cast<StringItem&>(*current_menu()->decorations.at(0)).text, "Replace the level other?");
    activate("Cancel");
    EXPECT_TRUE(load_level("userlevels/other.lev")->physics_polygons.empty());
    activate("Save As");
    activate("Replace");
    EXPECT_EQ(load_level("userlevels/other.lev")->physics_polygons.size(), 2u);
    EXPECT_EQ(world->file_name, "userlevels/other.lev");
    activate("Back to editing");

    // Without changes Quit Editor goes straight to the opening menu.
    press(SDLK_ESCAPE);
    activate("Quit Editor");
    EXPECT_EQ(dynamic_cast<EditWorld*>(current_menu() ? current_menu()->held.get() : current_world), nullptr);
}
