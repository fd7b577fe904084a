#include "support/game_process.hpp"
#include "support/test_support.hpp"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// A wait status as a shell tells it: the exit code, or 128 + the signal.
int exit_code(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// waitpid with a deadline; -1 when the child is still running at the end.
int wait_child(pid_t pid, double seconds)
{
    int code = -1;
    poll_until(seconds, [&] {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        code = r == pid ? exit_code(status) : r < 0 ? -2 : -1;
        return code != -1;
    }, 0.02);
    return code;
}

void kill_child(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts `argv` (a program on the PATH or a path) with its two output streams
// going to files; `prepare` runs in the child before that.
pid_t spawn(std::vector<std::string> argv, const std::string& out, const std::string& err,
            const std::function<void()>& prepare = [] {})
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prepare();
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

}  // namespace

bool poll_until(double seconds, const std::function<bool()>& done, double step)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::duration<double>(step));
    }
    return true;
}

std::string shell(const std::string& command, int& rc)
{
    FILE* pipe = popen(("(" + command + ") 2>&1").c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    rc = status == -1 ? -1 : exit_code(status);
    return output;
}

std::string xdotool(const PrivateDisplay& display, const std::vector<std::string>& args)
{
    std::string command = "DISPLAY=" + display.name() + " xdotool";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    int rc = -1;
    return shell(command + " 2>/dev/null", rc);
}

PrivateDisplay::PrivateDisplay(int width, int height)
{
    // X servers that start at the same moment can pick the same display number
    // and break each other's sockets: start one at a time, each until it answers.
    // The server must not inherit the lock, or it holds it for its whole life
    // and the tests run one after another.
    const int lock = open("/tmp/slivermere-e2e-xvfb.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    flock(lock, LOCK_EX);
    // Xvfb's own search for a free number (-displayfd) removes the sockets of
    // servers already running, so pick a number that no lock file claims. With
    // -noreset the server does not restart when the readiness probe leaves.
    for (int n = 100; n < 500 && name_.empty(); ++n) {
        const std::string number = std::to_string(n);
        if (access(("/tmp/.X" + number + "-lock").c_str(), F_OK) == 0 ||
            access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0)
            continue;
        pid_ = spawn({"Xvfb", ":" + number, "-screen", "0",
                      std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"},
                     "/dev/null", "/dev/null");
        int answered = -1;
        // A server that ends at once lost the number to another one.
        poll_until(10, [&] {
            shell("DISPLAY=:" + number + " xdotool getdisplaygeometry", answered);
            return answered == 0 || wait_child(pid_, 0) != -1;
        });
        if (answered == 0) {
            name_ = ":" + number;
        } else {
            kill_child(pid_);
            pid_ = -1;
        }
    }
    close(lock);
}

PrivateDisplay::~PrivateDisplay()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (wait_child(pid_, 5) == -1)
            kill_child(pid_);
    }
}

GameProcess::GameProcess(const PrivateDisplay& display, const std::vector<std::string>& args,
                         const std::string& folder, const std::string& binary, const std::vector<std::string>& env)
    : display_(display)
{
    char pattern[] = "/tmp/slivermere-e2e-XXXXXX";
    const std::string dir = mkdtemp(pattern) ? pattern : "/tmp";
    out_file_ = dir + "/stdout";
    err_file_ = dir + "/stderr";
    std::vector<std::string> argv{binary};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = spawn(argv, out_file_, err_file_, [&] {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        setenv("DISPLAY", display_.name().c_str(), 1);
        for (const std::string& setting : env) {
            const std::size_t equals = setting.find('=');
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
    });
}

GameProcess::~GameProcess()
{
    if (running())
        kill_child(pid_);
}

bool GameProcess::running()
{
    if (pid_ > 0 && exit_code_ == -1)
        exit_code_ = wait_child(pid_, 0);
    return pid_ > 0 && exit_code_ == -1;
}

void GameProcess::send_signal(int signal)
{
    if (running())
        kill(pid_, signal);
}

int GameProcess::wait_exit(double seconds)
{
    if (exit_code_ == -1 && (exit_code_ = wait_child(pid_, seconds)) == -1) {
        kill_child(pid_);
        exit_code_ = -3;
        return -1;
    }
    return exit_code_;
}

std::string GameProcess::wait_for_window(double seconds)
{
    std::string found;
    poll_until(seconds, [&] {
        found = xdotool(display_, {"search", "--onlyvisible", "--class", "slivermere"});
        found = found.substr(0, found.find('\n'));
        return !found.empty() || !running();
    }, 0.1);
    return found;
}

std::string GameProcess::out() const { return ::read_text(out_file_); }
std::string GameProcess::err() const { return ::read_text(err_file_); }
