#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/base_world.hpp"
#include "app/shell.hpp"
#include "render/gl.hpp"
#include "support/gl_fixture.hpp"

namespace {

// Remembers what reached it; can end the game from inside its handler.
class ProbeWorld : public BaseWorld {
public:
    bool handle_event(const SDL_Event& event, double& dt) override
    {
        seen.push_back(event);
        times.push_back(dt);
        if (quit_on_escape && event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            current_world = nullptr;
        return true;
    }
    void update(double&) override {}
    void draw() override {}

    std::vector<SDL_Event> seen;
    std::vector<double> times;
    bool quit_on_escape = false;
};

SDL_Event key(SDLKey sym, int mod = KMOD_NONE)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = static_cast<SDLMod>(mod);
    return e;
}

SDL_Event button(Uint8 type, Uint8 number)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    e.button.button = number;
    return e;
}

class ShellEvents : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        SDL_Event drain;
        while (SDL_PollEvent(&drain)) {
        }
        current_world = &probe;
    }
    void TearDown() override { current_world = nullptr; }

    static void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 0); }

    ProbeWorld probe;
};

}  // namespace

TEST_F(ShellEvents, WheelPressesAreSwallowedButReleasesDelivered)
{
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP));
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELDOWN));
    push(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_WHEELUP));
    push(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT));
    event_pass(20);
    ASSERT_EQ(probe.seen.size(), 2u);
    EXPECT_EQ(probe.seen[0].type, SDL_MOUSEBUTTONUP);
    EXPECT_EQ(probe.seen[1].button.button, SDL_BUTTON_RIGHT);
    EXPECT_DOUBLE_EQ(probe.times[0], 0.02);
}

TEST_F(ShellEvents, PlainEscapeAndOtherAltKeysReachTheScreen)
{
    push(key(SDLK_ESCAPE));
    push(key(SDLK_a, KMOD_LALT));
    push(key(SDLK_RETURN));
    event_pass(33);
    ASSERT_EQ(probe.seen.size(), 3u);
    EXPECT_EQ(probe.seen[0].key.keysym.sym, SDLK_ESCAPE);
    EXPECT_EQ(probe.seen[1].key.keysym.sym, SDLK_a);
    EXPECT_EQ(probe.seen[2].key.keysym.sym, SDLK_RETURN);
    EXPECT_DOUBLE_EQ(probe.times[2], 0.033);
}

TEST_F(ShellEvents, AltReturnTogglesFullScreenWithoutReachingTheScreen)
{
    const bool before = is_full_screen();
    push(key(SDLK_RETURN, KMOD_RALT));
    push(key(SDLK_SPACE));
    event_pass(15);
    EXPECT_NE(is_full_screen(), before);
    push(key(SDLK_RETURN, KMOD_LALT));
    event_pass(15);
    EXPECT_EQ(is_full_screen(), before);
    // The mode change may bring window events of its own; of the keys only
    // the one after the toggle arrives.
    std::vector<SDLKey> keys;
    for (const SDL_Event& e : probe.seen)
        if (e.type == SDL_KEYDOWN)
            keys.push_back(e.key.keysym.sym);
    EXPECT_EQ(keys, std::vector<SDLKey>{SDLK_SPACE});

    // The new context draws in the game's projection: a unit square at the
    // right edge of the visible area still lands inside the window.
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3d(1, 0, 0);
    glRectd(1.2, -0.1, 1.3, 0.1);
    EXPECT_EQ(red_of(pixel_at_units(1.25, 0)), 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShellEvents, NothingIsDeliveredOnceTheScreenIsGone)
{
    probe.quit_on_escape = true;
    push(key(SDLK_ESCAPE));
    push(key(SDLK_SPACE));
    event_pass(15);
    EXPECT_EQ(probe.seen.size(), 1u);
    EXPECT_EQ(current_world, nullptr);
}

TEST_F(ShellEvents, WindowedStartGrabsAndHidesTheCursorFullScreenDoesNot)
{
    start_video(2);
    EXPECT_TRUE(is_full_screen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_OFF);
    EXPECT_TRUE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN);

    start_video(1);
    EXPECT_FALSE(is_full_screen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_ON);
    const SDL_Surface* surface = SDL_GetVideoSurface();
    EXPECT_EQ(surface->w, 1023);
    EXPECT_EQ(surface->h, 768);
    EXPECT_FALSE(surface->flags & SDL_FULLSCREEN);
    SDL_WM_GrabInput(SDL_GRAB_OFF);
    SDL_ShowCursor(SDL_ENABLE);
}

TEST_F(GlTest, ProjectionMapsTheVisibleAreaOntoTheWindow)
{
    glColor3d(0, 1, 0);
    glRectd(-1023.0 / 768.0, -1.0, -1023.0 / 768.0 + 4.0 / 768.0, 1.0);
    EXPECT_EQ(green_of(pixel(0, 384)), 255);
    EXPECT_EQ(green_of(pixel(1, 384)), 255);
    EXPECT_EQ(green_of(pixel(3, 384)), 0) << "two units of 2/768 are two pixels";
    EXPECT_EQ(green_of(pixel(1022, 384)), 0);
}
