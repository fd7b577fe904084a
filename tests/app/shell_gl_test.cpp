#include <vector>

#include "app/shell.hpp"
#include "render/gl.hpp"
#include "render/texture_font.hpp"
#include "support/gl_fixture.hpp"
#include "world/base_world.hpp"

namespace {

// Remembers the keys and buttons that reached it as numbers (a key's symbol,
// 1000 × type + button for a button); Escape ends the game from inside its handler.
class ProbeWorld : public BaseWorld {
public:
    bool handle_event(const SDL_Event& event, double&) override
    {
        if (event.type == SDL_KEYDOWN)
            seen.push_back(event.key.keysym.sym);
        if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP)
            seen.push_back(1000 * event.type + event.button.button);
        if (quit_on_escape && event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            current_world = nullptr;
        return true;
    }
    void update(double&) override {}
    void draw() override {}

    std::vector<int> seen;
    bool quit_on_escape = false;
};

class ShellEvents : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        for (SDL_Event drain; SDL_PollEvent(&drain);) {
        }
        current_world = &probe;
    }
    void TearDown() override { current_world = nullptr; }

    static void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 0); }
    static void key(SDLKey sym, int mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN, e.key.state = SDL_PRESSED, e.key.keysym.sym = sym, e.key.keysym.mod = SDLMod(mod);
        push(e);
    }
    static void button(Uint8 type, Uint8 number)
    {
        SDL_Event e{};
        e.type = type, e.button.button = number;
        push(e);
    }

    ProbeWorld probe;
};

}  // namespace

TEST_F(ShellEvents, WheelPressesAndAltReturnAreSwallowedTheRestReachesTheScreenUntilItIsGone)
{
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    key(SDLK_a, KMOD_LALT);
    key(SDLK_RETURN);
    event_pass(33);
    EXPECT_EQ(probe.seen, (std::vector<int>{1000 * SDL_MOUSEBUTTONUP + SDL_BUTTON_WHEELUP,
                                            1000 * SDL_MOUSEBUTTONDOWN + SDL_BUTTON_RIGHT, SDLK_a, SDLK_RETURN}));

    // Alt+Return toggles full screen both ways; the mode change may bring
    // window events of its own, and a new context where every font keeps its
    // texture's name.
    const TextureFont* font = get_font(std::string(game_dir) + "/menu.txf");
    ASSERT_NE(font, nullptr);
    const unsigned int font_texture = font->texture;
    probe.seen.clear();
    const bool before = is_full_screen();
    for (const int alt : {KMOD_RALT, KMOD_LALT}) {
        key(SDLK_RETURN, alt);
        event_pass(15);
        EXPECT_EQ(is_full_screen(), alt == KMOD_RALT ? !before : before);
    }
    EXPECT_TRUE(probe.seen.empty());
    EXPECT_EQ(font->texture, font_texture);
    EXPECT_TRUE(glIsTexture(font_texture));
    // The new context draws in the game's projection: a square at the right edge still lands inside.
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3d(1, 0, 0);
    glRectd(1.2, -0.1, 1.3, 0.1);
    EXPECT_EQ(red_of(pixel_at_units(1.25, 0)), 255);

    probe.seen.clear();
    probe.quit_on_escape = true;
    key(SDLK_ESCAPE);
    key(SDLK_SPACE);
    event_pass(15);
    EXPECT_EQ(probe.seen, std::vector<int>{SDLK_ESCAPE});
    EXPECT_EQ(current_world, nullptr);
}
