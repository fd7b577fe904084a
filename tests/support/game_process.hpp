#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/build_paths.hpp"

// A private X server for one end-to-end test, so that input sent to the game
// reaches nothing else and nothing else disturbs it.
class PrivateDisplay {
public:
    PrivateDisplay(int width = 1280, int height = 1024);
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The real game binary (or another copy of it, such as an installed one),
// started in the game folder (or another folder) on a given display with its
// output collected in files. `env` holds "NAME=value" settings for the game.
class GameProcess {
public:
    GameProcess(const PrivateDisplay& display, const std::vector<std::string>& args = {},
                const std::string& folder = game_dir, const std::string& binary = game_binary,
                const std::vector<std::string>& env = {});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // The game's X window, waiting up to `seconds` for it; empty when none came.
    std::string wait_for_window(double seconds = 20);
    // Waits for the process to end; -1 on time-out (the process is then killed),
    // otherwise its exit code (128 + signal when killed by a signal).
    int wait_exit(double seconds = 20);
    bool running();
    // Sends a signal to the running game (SIGTERM, SIGKILL, ...).
    void send_signal(int signal);

    std::string out() const;
    std::string err() const;

private:
    const PrivateDisplay& display_;
    pid_t pid_ = -1;
    int exit_code_ = -1;
    std::string out_file_;
    std::string err_file_;
};

// Asks `done` every `step` seconds until it says yes (true) or `seconds` have
// passed (false); it is asked at least once.
bool poll_until(double seconds, const std::function<bool()>& done, double step = 0.05);

// Runs shell commands; their output (both streams), and in `rc` the exit code
// (128 + signal when killed by a signal, -1 when they could not be run).
std::string shell(const std::string& command, int& rc);

// Runs xdotool on the display with the given arguments and returns what it
// printed on standard output.
std::string xdotool(const PrivateDisplay& display, const std::vector<std::string>& args);
