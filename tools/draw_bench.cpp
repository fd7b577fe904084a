#include "draw_bench.hpp"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>

#include "app/shell.hpp"
#include "editor/edit_world.hpp"
#include "menu/menu_world.hpp"
#include "menu/playback_screen.hpp"
#include "menu/screens.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/png.hpp"
#include "render/texture_font.hpp"
#include "render/window_twin.hpp"
#include "storage/log.hpp"
#include "world/base_world.hpp"
#include "world/playback_world.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

struct DrawResult {
    std::string scene;
    int frames = 0;
    double median_ms = 0.0;
    double p99_ms = 0.0;
    double processor_ms = 0.0;
    double overdraw = 0.0;
    std::size_t bodies = 0;
};

double cpu_ms(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Samples {
    std::vector<double> wall;
    std::vector<double> processor;
    // This thread's share: llvmpipe rasterises on threads of its own, so work
    // the drawing thread does alone (compiling a shader) shows here.
    std::vector<double> drawing_thread;
    std::vector<double> overdraw;
};

// Where every timed frame is written, one line each; not open: nowhere.
std::ofstream per_frame_out;

void write_per_frame(const std::string& scene, const Samples& samples)
{
    if (!per_frame_out.is_open())
        return;
    // A level's file name may hold a comma or a quote.
    std::string quoted = "\"";
    for (char c : scene)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += '"';
    per_frame_out << std::fixed << std::setprecision(3);
    for (std::size_t i = 0; i < samples.wall.size(); ++i)
        per_frame_out << quoted << ',' << i + 1 << ',' << samples.wall[i] << ',' << samples.processor[i] << ','
                      << samples.drawing_thread[i] << '\n';
}

// Occlusion queries are core from GL 1.5; the game links only GL 1.x.
struct QueryCalls {
    PFNGLGENQUERIESPROC gen = nullptr;
    PFNGLBEGINQUERYPROC begin = nullptr;
    PFNGLENDQUERYPROC end = nullptr;
    PFNGLGETQUERYOBJECTUIVPROC result = nullptr;
    GLuint query = 0;
};

QueryCalls fetch_query_calls()
{
    QueryCalls calls;
    calls.gen = reinterpret_cast<PFNGLGENQUERIESPROC>(SDL_GL_GetProcAddress("glGenQueries"));
    calls.begin = reinterpret_cast<PFNGLBEGINQUERYPROC>(SDL_GL_GetProcAddress("glBeginQuery"));
    calls.end = reinterpret_cast<PFNGLENDQUERYPROC>(SDL_GL_GetProcAddress("glEndQuery"));
    calls.result = reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(SDL_GL_GetProcAddress("glGetQueryObjectuiv"));
    if (calls.gen && calls.begin && calls.end && calls.result)
        calls.gen(1, &calls.query);
    return calls;
}

QueryCalls query_calls;

constexpr int overdraw_every = 10;
constexpr double screen_pixels = 1023.0 * 768.0;

// Pixels written (colour, depth or stencil: every fragment that passed its
// tests) per screen pixel, over one more drawing of the frame just timed, so
// that the count costs the timed frames nothing. The clear is not counted.
void count_overdraw(BaseWorld& world, Samples& samples)
{
    if (query_calls.query == 0)
        return;
    begin_frame();
    query_calls.begin(GL_SAMPLES_PASSED, query_calls.query);
    world.draw();
    query_calls.end(GL_SAMPLES_PASSED);
    GLuint written = 0;
    query_calls.result(query_calls.query, GL_QUERY_RESULT, &written);
    samples.overdraw.push_back(written / screen_pixels);
}

// One frame as the shell draws it, timed from the clear to glFinish, so that
// the time spent inside the GL (llvmpipe rasterising on the CPU) counts too.
// The processor time of all the process's threads is the work itself, which
// other programs on a busy machine do not inflate as they do the wall time.
void timed_draw(BaseWorld& world, Samples& samples)
{
    glFinish();
    const double processor = cpu_ms(CLOCK_PROCESS_CPUTIME_ID);
    const double drawing_thread = cpu_ms(CLOCK_THREAD_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    begin_frame();
    world.draw();
    glFinish();
    const auto stop = std::chrono::steady_clock::now();
    samples.processor.push_back(cpu_ms(CLOCK_PROCESS_CPUTIME_ID) - processor);
    samples.drawing_thread.push_back(cpu_ms(CLOCK_THREAD_CPUTIME_ID) - drawing_thread);
    samples.wall.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    if (samples.wall.size() % overdraw_every == 1)
        count_overdraw(world, samples);
    SDL_GL_SwapBuffers();
}

// Where each scene's last frame is written as a picture; empty: nowhere.
std::string shots_folder;

// "levels/Fuse.lev" gives "Fuse.png", "editor: levels/Fuse.lev"
// "editor-Fuse.png", "menu: high scores" "menu-high-scores.png".
std::string shot_name(const std::string& scene)
{
    std::string name = scene;
    if (name.ends_with(".lev"))
        name.resize(name.size() - 4);
    if (const std::size_t slash = name.rfind('/'); slash != std::string::npos) {
        const std::size_t space = name.rfind(' ', slash);
        const std::size_t folder = space == std::string::npos ? 0 : space + 1;
        name.erase(folder, slash + 1 - folder);
    }
    std::string safe;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
            safe += c;
        else if (c == ' ' && !safe.empty() && safe.back() != '-')
            safe += '-';
    }
    return shots_folder + "/" + safe + ".png";
}

// The scene's frame drawn once more, untimed, and written as a picture.
void save_shot(const std::string& scene, BaseWorld& world)
{
    if (shots_folder.empty())
        return;
    begin_frame();
    world.draw();
    const int width = 1023, height = 768;
    std::vector<std::uint8_t> bottom_up(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<std::uint8_t> top_down(bottom_up.size());
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(bottom_up.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row), row,
                    top_down.begin() + static_cast<std::ptrdiff_t>(y * row));
    for (std::size_t i = 3; i < top_down.size(); i += 4)
        top_down[i] = 255;
    if (!save_png(shot_name(scene), width, height, top_down))
        std::cerr << "bench: cannot write " << shot_name(scene) << '\n';
}

DrawResult summarise(const std::string& scene, Samples& samples, std::size_t bodies)
{
    DrawResult result;
    result.scene = scene;
    result.frames = static_cast<int>(samples.wall.size());
    result.median_ms = percentile(samples.wall, 0.5);
    result.p99_ms = percentile(samples.wall, 0.99);
    result.processor_ms = percentile(samples.processor, 0.5);
    if (!samples.overdraw.empty())
        result.overdraw = percentile(samples.overdraw, 0.5);
    result.bodies = bodies;
    return result;
}

// A level played with the bench's sweep: the sword cuts, pieces fall and
// sparks fly, as in a busy game.
DrawResult draw_level(const std::string& name, World& world, int frames)
{
    Samples samples;
    for (int i = 0; i < frames; ++i) {
        double dt = bench_frame_ms / 1000.0;
        world.handle_event(sweep_event(world, i), dt);
        world.update(dt);
        timed_draw(world, samples);
    }
    save_shot(name, world);
    write_per_frame(name, samples);
    return summarise(name, samples, world.physics_polygons.size());
}

// Whatever screen is current, updated and drawn as the frame loop would.
DrawResult draw_screen(const std::string& name, int frames)
{
    Samples samples;
    for (int i = 0; i < frames && current_world; ++i) {
        double dt = bench_frame_ms / 1000.0;
        current_world->update(dt);
        if (!current_world)
            break;
        timed_draw(*current_world, samples);
    }
    if (current_world)
        save_shot(name, *current_world);
    write_per_frame(name, samples);
    return summarise(name, samples, 0);
}

void clear_screens()
{
    delete current_world;
    current_world = nullptr;
}

void print_draw_table(std::ostream& out, const std::vector<DrawResult>& results)
{
    std::size_t width = 5;
    for (const DrawResult& r : results)
        width = std::max(width, r.scene.size());
    const auto saved_flags = out.flags();
    out << std::left << std::setw(static_cast<int>(width)) << "scene" << std::right << std::setw(8) << "frames"
        << std::setw(11) << "median ms" << std::setw(9) << "p99 ms" << std::setw(8) << "cpu ms" << std::setw(8)
        << "bodies" << std::setw(10) << "overdraw" << '\n';
    out << std::fixed << std::setprecision(2);
    for (const DrawResult& r : results)
        out << std::left << std::setw(static_cast<int>(width)) << r.scene << std::right << std::setw(8) << r.frames
            << std::setw(11) << r.median_ms << std::setw(9) << r.p99_ms << std::setw(8) << r.processor_ms
            << std::setw(8) << r.bodies << std::setw(10) << r.overdraw << '\n';
    out.flags(saved_flags);
}

}  // namespace

int draw_bench(std::vector<std::string> levels, int frames, bool plain, const std::string& shots,
               const std::string& per_frame)
{
    if (!per_frame.empty()) {
        per_frame_out.open(per_frame);
        if (!per_frame_out) {
            std::cerr << "bench: cannot write " << per_frame << '\n';
            return 1;
        }
        per_frame_out << "scene,frame,wall ms,processor ms,drawing thread ms\n";
    }
    shots_folder = shots;
    if (!shots.empty()) {
        std::error_code error;
        std::filesystem::create_directories(shots, error);
    }
    // Only SDL's X11 driver gives an OpenGL window.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) == -1) {
        std::cerr << "bench: no display: " << SDL_GetError() << '\n';
        return 1;
    }
    open_video(false);
    if (plain)
        set_lean_drawing(false);
    gl_setup();
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    std::cout << "window 1023x768, " << samples << " samples, " << glGetString(GL_RENDERER)
              << (lean_drawing() ? ", lean drawing" : ", plain drawing") << '\n';
    if (levels.empty()) {
        levels = listed_level_files(".");
        levels.push_back("@stress");
    }

    query_calls = fetch_query_calls();
    int status = 0;
    std::vector<DrawResult> results;
    // The editor opens on the fullest level file timed: it outlines every shape.
    std::string edited;
    std::size_t edited_shapes = 0;
    for (const std::string& name : levels) {
        std::unique_ptr<World> world;
        if (name == "@stress") {
            world = make_stress_level();
        } else {
            std::string reason;
            world = load_level_quietly(name, reason);
            if (!world) {
                std::cerr << reason << '\n';
                status = 1;
                continue;
            }
            const std::size_t shapes = world->physics_polygons.size() + world->static_polygons.size() + world->goals.size();
            if (shapes > edited_shapes) {
                edited = name;
                edited_shapes = shapes;
            }
        }
        // The game's own lines would cost time and bury the table.
        set_log_streams(nullptr, nullptr);
        results.push_back(draw_level(name, *world, frames));
        restore_log_streams();
    }

    set_log_streams(nullptr, nullptr);

    // The menus over what they show in the game: the opening menu over its
    // demo, the lists, and the playback screen over the demo's recording.
    build_opening_menu(false);
    results.push_back(draw_screen("menu: opening", frames));
    // As Play opens it: over the demo, the opening menu gone.
    pop_menu();
    build_level_list(false);
    results.push_back(draw_screen("menu: levels", frames));
    clear_screens();
    build_score_screen(false);
    results.push_back(draw_screen("menu: high scores", frames));
    clear_screens();
    if (build_playback_screen("opening.rec", false)) {
        // Running, not paused at its first frame as a new replay opens.
        if (auto* menu = current_menu())
            if (auto* playback = dynamic_cast<PlaybackWorld*>(menu->held.get()))
                playback->paused = false;
        results.push_back(draw_screen("menu: playback", frames));
    }
    clear_screens();
    if (!edited.empty()) {
        if (std::unique_ptr<EditWorld> editor = open_editor(edited)) {
            current_world = editor.release();
            results.push_back(draw_screen("editor: " + edited, frames));
        }
        clear_screens();
    }
    restore_log_streams();

    print_draw_table(std::cout, results);
    free_fonts();
    free_window_twins();
    SDL_Quit();
    return status;
}
