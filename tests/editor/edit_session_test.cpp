#include <filesystem>

#include "editor/polygon_edit_adaptor.hpp"
#include "editor_fixture.hpp"
#include "menu/screens.hpp"
#include "storage/file_storage.hpp"
#include "world/recording_world.hpp"

namespace {

// Drives the editor's menus the way a player does, by keys.
class EditSession : public EditorTest {
protected:
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
    EXPECT_EQ(world->physics_polygons[0].style_name, "wood");
    EXPECT_EQ(world->physics_polygons[0].density, 1000);

    // Over it a goal that wins with one gem of any size.
    hover(Vector2(0.52, 0.3));
    press(SDLK_g);
    ASSERT_EQ(select(Vector2(0.57, 0.35))->polygon, &world->goals[0]);
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

    // Front matter and Save in the file menu; the file holds the level, and
    // the playtest below shows what the menus set.
    press(SDLK_f);
    frame();
    item("FrontMatter: ");
    type("Cut\rit");
    activate("Save");
    activate("Back to editing");
    EXPECT_EQ(world->front_matter, "Cut\nit");
    const std::unique_ptr<World> reloaded = load_level("userlevels/session.lev");
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(level_record(*reloaded), level_record(*world));

    // Playtest: the goal takes the gem at once, and "Edit" brings the level back as it was.
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
    // The history came back with it: undo takes the front matter (and what
    // no editor frame saw apart from it) away, redo brings it all back.
    world = editor->world.get();
    send(key_press(SDLK_z, KMOD_LCTRL));
    EXPECT_EQ(world->front_matter, "");
    send(key_press(SDLK_y, KMOD_LCTRL));
    EXPECT_EQ(level_record(*world), before);
}

TEST_F(EditSession, SavingUnderNamesAndNeverLosingChanges)
{
    const auto file_menu = [&] {
        press(SDLK_f);
        frame();
        ASSERT_NE(current_menu(), nullptr);
    };
    // Save says "Saved" only when the file was written.
    world->file_name = "no such folder/level.lev";
    hover(Vector2(0.5, 0.3));
    press(SDLK_p);
    frame();
    EXPECT_TRUE(editor->unsaved());
    file_menu();
    StringItem* save = item("Save");
    press(SDLK_SPACE);
    EXPECT_EQ(save->text, "Save failed");
    EXPECT_EQ(last_notice(), "The level was not saved: the file no such folder/level.lev could not be written");
    world->file_name = "userlevels/first.lev";
    press(SDLK_SPACE);
    EXPECT_EQ(save->text, "Saved");

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
    EXPECT_FALSE(editor->unsaved());

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
}
