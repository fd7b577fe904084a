#include "support/game_process.hpp"
#include "support/test_support.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> c_args(std::vector<std::string>& args)
{
    std::vector<char*> out;
    for (std::string& a : args)
        out.push_back(a.data());
    out.push_back(nullptr);
    return out;
}

// waitpid with a deadline; -1 when the child is still running at the end.
int wait_child(pid_t pid, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (r < 0)
            return -2;
        if (Clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

PrivateDisplay::PrivateDisplay(int width, int height)
{
    // X servers that start at the same moment can pick the same display number
    // and break each other's sockets: start one at a time, each until it answers.
    // The server must not inherit the lock, or it holds it for its whole life
    // and the tests run one after another.
    const int lock = open("/tmp/slivermere-e2e-xvfb.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock >= 0)
        flock(lock, LOCK_EX);
    start(width, height);
    if (lock >= 0)
        close(lock);
}

void PrivateDisplay::start(int width, int height)
{
    // Xvfb's own search for a free number (-displayfd) removes the sockets of
    // servers already running, so pick a number that no lock file claims. With
    // -noreset the server does not restart when the readiness probe leaves.
    for (int n = 100; n < 500; ++n) {
        const std::string number = std::to_string(n);
        if (access(("/tmp/.X" + number + "-lock").c_str(), F_OK) == 0 ||
            access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0)
            continue;
        pid_ = fork();
        if (pid_ == 0) {
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            std::vector<std::string> args{"Xvfb", ":" + number, "-screen", "0",
                                          std::to_string(width) + "x" + std::to_string(height) + "x24",
                                          "-nolisten", "tcp", "-noreset"};
            execvp("Xvfb", c_args(args).data());
            _exit(127);
        }
        name_ = ":" + number;
        for (int attempt = 0; attempt < 100; ++attempt) {
            int status = -1;
            xdotool(*this, {"getdisplaygeometry"}, &status);
            if (status == 0)
                return;
            if (wait_child(pid_, 0) != -1)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        name_.clear();
    }
}

PrivateDisplay::~PrivateDisplay()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (wait_child(pid_, 5) == -1) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
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
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        const int out = open(out_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        setenv("DISPLAY", display_.name().c_str(), 1);
        for (const std::string& setting : env) {
            const std::size_t equals = setting.find('=');
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
        std::vector<std::string> argv{binary};
        argv.insert(argv.end(), args.begin(), args.end());
        execv(binary.c_str(), c_args(argv).data());
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool GameProcess::running()
{
    if (pid_ <= 0 || exit_code_ != -1)
        return false;
    const int code = wait_child(pid_, 0);
    if (code == -1)
        return true;
    exit_code_ = code;
    return false;
}

void GameProcess::send_signal(int signal)
{
    if (running())
        kill(pid_, signal);
}

int GameProcess::wait_exit(double seconds)
{
    if (exit_code_ != -1)
        return exit_code_;
    const int code = wait_child(pid_, seconds);
    if (code == -1) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        exit_code_ = -3;
        return -1;
    }
    exit_code_ = code;
    return code;
}

std::string GameProcess::wait_for_window(double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline && running()) {
        std::string found = xdotool(display_, {"search", "--onlyvisible", "--class", "slivermere"});
        if (const auto end = found.find('\n'); end != std::string::npos && end > 0)
            return found.substr(0, end);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

std::string GameProcess::out() const { return ::read_text(out_file_); }
std::string GameProcess::err() const { return ::read_text(err_file_); }

std::string xdotool(const PrivateDisplay& display, const std::vector<std::string>& args, int* status)
{
    std::string command = "DISPLAY=" + display.name() + " xdotool";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int code = pipe ? pclose(pipe) : -1;
    if (status)
        *status = code == -1 ? -1 : WEXITSTATUS(code);
    return output;
}
