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
    for (const auto& [key, mod] : {std::pair{SDLK_e, KMOD_LSHIFT}, {SDLK_1, KMOD_RSHIFT}, {SDLK_SPACE, KMOD_NONE}})
        EXPECT_TRUE(type(item, key, mod));
    EXPECT_EQ(item.text, "Name: JoE1 ");
    EXPECT_NEAR(item.half_width, 11 * 0.1 / 2, 1e-6);
    EXPECT_FALSE(type(item, SDLK_RETURN) || type(item, SDLK_ESCAPE) || send(item, event_of(SDL_MOUSEBUTTONDOWN)));
    EXPECT_EQ(name, "JoE1 ");

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
    EXPECT_EQ(notes, std::string(max_field_bytes - 1, 'a') + "\n");
    EXPECT_LT(max_field_bytes, static_cast<std::size_t>(max_string_length));
    EXPECT_TRUE(type(multi, SDLK_BACKSPACE));
    EXPECT_EQ(notes.size(), max_field_bytes - 1);

    // The player's name stops where its escaped form would no longer fit a
    // file name: '/' takes three bytes there.
    std::string name(max_safe_name_bytes - 4, 'n');
    PlayerNameEditItem field("Name: ", name, 0.2, 0.1, false);
    for (SDLKey key : {SDLK_SLASH, SDLK_SLASH, SDLK_x, SDLK_y, SDLK_z})
        EXPECT_TRUE(type(field, key));
    EXPECT_EQ(name, std::string(max_safe_name_bytes - 4, 'n') + "/x");
    EXPECT_EQ(safe_file_name(name).size(), max_safe_name_bytes);
    EXPECT_EQ(field.text, "Name: " + name);
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
    EXPECT_FALSE(is_level_name("my x ") || is_level_name(" my x"));
}

TEST_F(EditItemTest, NumbersChangeOnlyWhenTheTextStartsWithOne)
{
    double speed = 1.5;
    DoubleEditItem item("Speed: ", speed, 0.0, 0.1);
    EXPECT_TRUE(type(item, SDLK_x));
    EXPECT_EQ(speed, 1.5) << "1.5x";
    for (int i = 0; i < 4; ++i)
        type(item, SDLK_BACKSPACE);
    EXPECT_EQ(speed, 1.0);  // read from "1"; the empty buffer then reads nothing
    for (SDLKey key : {SDLK_MINUS, SDLK_2, SDLK_e})  // "-2e" is no number at all
        type(item, key);
    EXPECT_EQ(speed, -2.0);
    int count = 0;
    IntEditItem number("Count: ", count, Vector2(0, 0.5), 0.1);
    for (int i = 0; i < 12; ++i)
        type(number, SDLK_9);
    EXPECT_EQ(count, 999999999);  // the last that fitted an int
}
