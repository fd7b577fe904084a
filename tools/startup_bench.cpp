#include "startup_bench.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "app/shell.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "world/base_world.hpp"
#include "world/step_bench.hpp"

namespace {

long long monotonic_ns()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Milliseconds from launching a child to its first frame, or a negative
// number when the child did not get there; `answer` gets all it printed.
double one_start(std::string& answer)
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const long long launched = monotonic_ns();
    const pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDOUT_FILENO);
        dup2(channel[1], STDERR_FILENO);
        close(channel[0]);
        close(channel[1]);
        execl("/proc/self/exe", "slivermere-tool", "bench", "--startup-child", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    answer.clear();
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(channel[0], buffer, sizeof buffer)) > 0)
        answer.append(buffer, static_cast<std::size_t>(got));
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    // The game's own lines come first; the child's answer is the last line.
    if (answer.empty() || answer.back() != '\n')
        return -1;
    const std::size_t line = answer.find_last_of('\n', answer.size() >= 2 ? answer.size() - 2 : 0);
    const std::string last = answer.substr(line == std::string::npos ? 0 : line + 1);
    try {
        return static_cast<double>(std::stoll(last) - launched) / 1e6;
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace

void startup_child()
{
    // As the game's own main does.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    start_game(1);
    begin_frame();
    double dt = min_frame_ms / 1000.0;
    current_world->update(dt);
    current_world->draw();
    SDL_GL_SwapBuffers();
    glFinish();
    std::printf("%lld\n", monotonic_ns());
    std::fflush(stdout);
    // Not the game's exit: nothing of the player's may be written by a bench.
    _exit(0);
}

int startup_bench(int runs)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        std::string output;
        const double ms = one_start(output);
        if (ms < 0) {
            std::cerr << output << "bench: the game did not reach its first frame (run the bench in the game folder, "
                      << "with a display)\n";
            return 1;
        }
        samples.push_back(ms);
    }
    const double fastest = *std::min_element(samples.begin(), samples.end());
    const double median = percentile(samples, 0.5);
    const double slowest = samples.back();
    std::cout << std::fixed << std::setprecision(0) << "start-up to the first frame over " << runs
              << " runs: median " << median << " ms, fastest " << fastest << " ms, slowest " << slowest << " ms\n";
    return 0;
}
