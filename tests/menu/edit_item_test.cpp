#include "menu/menu_fixture.hpp"
#include "menu/string_edit_item.hpp"
#include "progress/file_name.hpp"
#include "storage/level_files.hpp"

namespace {

class EditItemTest : public MenuTest {
protected:
    bool send(BaseMenuItem& item, const SDL_Event& event)
    {
        bool replaced = false;
        const bool handled = item.handle_event(event, dt_, replaced);
        EXPECT_FALSE(replaced);
        return handled;
    }
    bool type(BaseMenuItem& item, SDLKey key, int mod = KMOD_NONE) { return send(item, key_press(key, mod)); }
};

}  // namespace

TEST_F(EditItemTest, ShiftRaisesLettersOnlyAndReturnNeedsAMultiLineField)
{
    std::string name = "Jo";
    StringEditItem item("Name: ", name, 0.2, 0.1, false);
    EXPECT_EQ(item.position, Vector2(0, 0.2));
    EXPECT_TRUE(type(item, SDLK_e, KMOD_LSHIFT));
    EXPECT_TRUE(type(item, SDLK_1, KMOD_RSHIFT));
    EXPECT_TRUE(type(item, SDLK_SPACE));
    EXPECT_TRUE(type(item, SDLK_y));
    EXPECT_EQ(item.text, "Name: JoE1 y");
    EXPECT_NEAR(item.half_width, 12 * 0.1 / 2, 1e-6);
    EXPECT_FALSE(type(item, SDLK_RETURN));
    EXPECT_FALSE(type(item, SDLK_ESCAPE));
    EXPECT_FALSE(send(item, event_of(SDL_MOUSEBUTTONDOWN)));
    EXPECT_EQ(name, "JoE1 y");

    std::string notes = "a";
    StringEditItem multi("", notes, Vector2(0.3, 0), 0.1, true);
    EXPECT_TRUE(type(multi, SDLK_RETURN));
    EXPECT_DOUBLE_EQ(multi.half_height, 0.1);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(type(multi, SDLK_BACKSPACE));  // the last on an empty field
    EXPECT_EQ(notes, "");
}

TEST_F(EditItemTest, FieldsStopTakingCharactersAtTheirLimit)
{
    // Every field stops below the longest string a file can read back; the
    // key is still handled, and Backspace still works.
    std::string notes(max_field_bytes - 1, 'a');
    StringEditItem multi("", notes, 0.0, 0.1, true);
    EXPECT_TRUE(type(multi, SDLK_RETURN));
    EXPECT_TRUE(type(multi, SDLK_b));
    EXPECT_TRUE(type(multi, SDLK_RETURN));
    EXPECT_EQ(notes.size(), max_field_bytes);
    EXPECT_EQ(notes.back(), '\n');
    EXPECT_LT(max_field_bytes, static_cast<std::size_t>(max_string_length));
    EXPECT_TRUE(type(multi, SDLK_BACKSPACE));
    EXPECT_EQ(notes.size(), max_field_bytes - 1);
    double big = 1;
    DoubleEditItem number("", big, 0.0, 0.1);
    for (std::size_t i = 0; i < max_field_bytes + 5; ++i)
        type(number, SDLK_0);
    EXPECT_EQ(number.text.size(), max_field_bytes);

    // The player's name stops where its escaped form would no longer fit a
    // file name: '/' takes three bytes there.
    std::string name(max_safe_name_bytes - 4, 'n');
    PlayerNameEditItem field("Name: ", name, 0.2, 0.1, false);
    EXPECT_TRUE(type(field, SDLK_SLASH));
    EXPECT_TRUE(type(field, SDLK_SLASH));
    EXPECT_TRUE(type(field, SDLK_x));
    EXPECT_EQ(name, std::string(max_safe_name_bytes - 4, 'n') + "/x");
    EXPECT_TRUE(type(field, SDLK_y));
    EXPECT_EQ(safe_file_name(name).size(), max_safe_name_bytes);
    EXPECT_TRUE(type(field, SDLK_z));
    EXPECT_EQ(field.text, "Name: " + name);
    EXPECT_EQ(name.size(), max_safe_name_bytes - 2);
}

TEST_F(EditItemTest, LevelNamesTakeBlanksBetweenWordsButNotAtTheEnds)
{
    // Typing goes through a blank that a next word will follow; Create
    // refuses a name that still starts or ends with one.
    std::string name;
    LevelNameEditItem field("", name, Vector2(0, 0.2), 0.1, false);
    for (SDLKey key : {SDLK_m, SDLK_y, SDLK_SPACE, SDLK_PERIOD, SDLK_x, SDLK_SLASH})
        EXPECT_TRUE(type(field, key));
    EXPECT_EQ(name, "my x");
    EXPECT_TRUE(is_level_name(name));
    EXPECT_FALSE(is_level_name("my x "));
    EXPECT_FALSE(is_level_name(" my x"));
}

TEST_F(EditItemTest, NumbersChangeOnlyWhenTheTextStartsWithOneAndBoolsFlipOnActivation)
{
    double speed = 1.5;
    DoubleEditItem item("Speed: ", speed, 0.0, 0.1);
    EXPECT_TRUE(type(item, SDLK_x));
    EXPECT_EQ(item.text, "Speed: 1.5x");
    EXPECT_EQ(speed, 1.5);
    for (int i = 0; i < 4; ++i)
        type(item, SDLK_BACKSPACE);
    EXPECT_EQ(speed, 1.0);  // read from "1"; the empty buffer then reads nothing
    for (SDLKey key : {SDLK_MINUS, SDLK_2, SDLK_e})  // "-2e" is no number at all
        type(item, key);
    EXPECT_EQ(speed, -2.0);
    double third = 1.0 / 3;
    EXPECT_EQ(DoubleEditItem("", third, 0.0, 0.1).text, "0.333333");
    int count = 0;
    IntEditItem number("Count: ", count, Vector2(0, 0.5), 0.1);
    type(number, SDLK_7);
    type(number, SDLK_a);
    EXPECT_EQ(count, 7);  // "07a"
    type(number, SDLK_BACKSPACE);
    for (int i = 0; i < 12; ++i)
        type(number, SDLK_9);
    EXPECT_EQ(count, 799999999);  // the last that fitted an int

    bool goals = false;
    BoolEditItem flag("Goals visible during game? ", goals, -0.5, 0.1);
    EXPECT_EQ(flag.text, "Goals visible during game? no");
    EXPECT_TRUE(send(flag, key_press(SDLK_SPACE)));
    EXPECT_EQ(flag.text, "Goals visible during game? yes");
    EXPECT_TRUE(send(flag, event_of(SDL_MOUSEBUTTONDOWN)));
    EXPECT_FALSE(type(flag, SDLK_y) || type(flag, SDLK_RETURN));
    EXPECT_FALSE(goals);
}
