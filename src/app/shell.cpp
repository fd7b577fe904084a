#include "app/shell.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/renderer_probe.hpp"
#include "geometry/polygon_style.hpp"
#include "geometry/view.hpp"
#include "menu/screens.hpp"
#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/gl_errors.hpp"
#include "render/notice.hpp"
#include "render/polygon_drawing.hpp"
#include "render/texture_font.hpp"
#include "render/texture_manager.hpp"
#include "sound/audio.hpp"
#include "storage/log.hpp"
#include "world/base_world.hpp"

namespace {


SDL_Surface* video_surface = nullptr;
bool full_screen = false;

Uint32 video_flags()
{
    return SDL_OPENGL | (full_screen ? SDL_FULLSCREEN : 0);
}

void set_multisample(int samples)
{
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 1 ? 1 : 0);
    // Asking GLX for "at least 1" sample still hands out a multisampled visual
    // on Mesa; 0 asks for none.
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 1 ? samples : 0);
}

void save_progress()
{
    save_high_scores();
    save_changed_players();
}

void destroy_current_world()
{
    delete current_world;
    current_world = nullptr;
}

void toggle_full_screen()
{
    full_screen = !full_screen;
    SDL_FreeSurface(video_surface);
    video_surface = SDL_SetVideoMode(window_width, window_height, 24, video_flags());
    if (!video_surface) {
        log_err() << "Unable to set video mode: " << SDL_GetError() << '\n';
        quit_program(1);
    }
    // A new mode brings a new GL context: everything uploaded must come back
    // under the same names, since the screens hold on to them.
    gl_setup();
    reload_textures();
    reload_fonts();
}

// The fallbacks every font and polygon style lean on. Without "default.txf"
// no text can be drawn at all, so the game cannot start; a missing "default"
// style only matters to the polygons that need it, so it is reported and the
// game goes on.
bool fallback_data_ready()
{
    if (!get_font("default.txf")) {
        log_err() << "Cannot load the font default.txf (" << texture_font_error()
                  << "); the game cannot start without it" << '\n';
        return false;
    }
    PolygonStyle().load_style("default");
    return true;
}

bool alt_held(const SDL_Event& event)
{
    return (event.key.keysym.mod & (KMOD_LALT | KMOD_RALT)) != 0;
}

}  // namespace

bool is_full_screen()
{
    return full_screen;
}

void quit_program(int code)
{
    if (video_surface && full_screen)
        SDL_WM_ToggleFullScreen(video_surface);
    log_out().flush();
    log_err().flush();
    std::exit(code);
}

void gl_setup()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScaled(0.750733137829912, 1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Every frame clears the stencil to 0, where polygons start counting.
    glClearStencil(0);
    gl_errors("init");
}

void open_video(bool full)
{
    full_screen = full;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    // Rasterising on the processor, multisampling multiplies the cost of
    // every pixel about four times and the game falls far below its frame
    // rate; plain pixels keep it smooth.
    int first_samples = 16;
    const std::string renderer = probe_renderer();
    set_lean_drawing(is_software_renderer(renderer));
    if (is_software_renderer(renderer)) {
        log_err() << "Software renderer (" << renderer << "): drawing without multisampling." << '\n';
        first_samples = 1;
    }
    for (int samples = first_samples;; samples /= 2) {
        set_multisample(samples);
        video_surface = SDL_SetVideoMode(window_width, window_height, 24, video_flags());
        if (video_surface) {
            set_gl_ready(true);
            break;
        }
        if (samples == 1) {
            log_err() << "Unable to set video mode: " << SDL_GetError() << '\n';
            quit_program(1);
        }
        log_err() << "Couldn't make video mode; retrying with multisample = " << samples / 2 << "." << '\n';
    }
}

void start_video(int argc)
{
    open_video(argc > 1);
    // In a window the sword must not leave it; full screen needs neither.
    if (argc == 1) {
        SDL_WM_GrabInput(SDL_GRAB_ON);
        SDL_ShowCursor(SDL_DISABLE);
    }
}

unsigned int wait_for_frame(Uint32& last, const std::function<Uint32()>& ticks,
                            const std::function<void(Uint32)>& delay)
{
    Uint32 elapsed = ticks() - last;
    while (elapsed < min_frame_ms) {
        delay(min_frame_ms - elapsed);
        elapsed = ticks() - last;
    }
    last += elapsed;
    return elapsed > max_frame_ms ? max_frame_ms : elapsed;
}

void event_pass(unsigned int frame_ms)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN && alt_held(event)) {
            const SDLKey key = event.key.keysym.sym;
            if (key == SDLK_RETURN) {
                toggle_full_screen();
                continue;
            }
            if (key == SDLK_ESCAPE || key == SDLK_F4)
                quit_program(0);
        }
        // The window's close button, SIGTERM, SIGINT and logout all arrive
        // as SDL_QUIT: leave as Alt+F4 does, so that results are written.
        if (event.type == SDL_QUIT)
            quit_program(0);
        // The wheel is not part of the game; its presses reach no screen.
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button > 3)
            continue;
        if (!current_world)
            continue;
        double dt = frame_ms / 1000.0;
        const bool used = current_world->handle_event(event, dt);
        // 'M' mutes wherever it is not typed into a name.
        const bool mute_key = event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_m &&
                              (event.key.keysym.mod & (KMOD_CTRL | KMOD_ALT)) == 0;
        if (!used && mute_key && !toggle_mute())
            post_notice("The sound setting cannot be written to settings.txt");
    }
}

void start_game(int argc)
{
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) == -1) {
        log_err() << "Unable to init SDL: " << SDL_GetError() << '\n';
        quit_program(1);
    }
    std::atexit(SDL_Quit);
    // At exit, in this order: the last screen goes, then scores and players
    // are written, then the fonts are freed (atexit runs in reverse).
    std::atexit(free_fonts);
    std::atexit(save_progress);
    // Decoded on the second processor while the GL driver loads: the
    // pictures of the opening demo and of any level.
    std::vector<std::string> pictures = every_style_picture();
    for (const char* picture : {"styles/sword/default/sword.png", "styles/sword/default/tail.png",
                                "textures/basic_particle.png"})
        pictures.push_back(picture);
    read_pictures_ahead(std::move(pictures));
    load_high_scores();

    start_video(argc);
    if (!fallback_data_ready())
        quit_program(1);
    start_audio();
    std::atexit(stop_audio);

    build_opening_menu(true);
    std::atexit(destroy_current_world);
    // Before the screens go: an editor's unsaved changes are kept aside.
    std::atexit(write_editor_recovery);
    gl_setup();
}

int run_game(int argc, char** argv)
{
    (void)argv;
    start_game(argc);
    Uint32 last = SDL_GetTicks();
    while (current_world) {
        const Uint32 frame_start = last;
        const unsigned int frame_ms = wait_for_frame(last, SDL_GetTicks, SDL_Delay);
        event_pass(frame_ms);
        if (!current_world)
            break;
        begin_frame();
        double dt = frame_ms / 1000.0;
        current_world->update(dt);
        end_sound_frame();
        if (!current_world)
            break;
        // A notice lasts its seconds on the clock, however slow the frames.
        advance_notices((last - frame_start) / 1000.0);
        current_world->draw();
        // Over every screen, so that a failure shows wherever the player is.
        draw_notices();
        gl_errors("draw");
        SDL_GL_SwapBuffers();
    }

    log_out() << "Global destructors should run after this line . . ." << std::endl;
    return 0;
}
