#pragma once

#include <string>
#include <vector>

// One subcommand of slivermere-tool. Each lives in its own tools/*_command.cpp
// and registers itself with a static ToolCommand object; it only parses its
// arguments and calls the library.
struct ToolCommand {
    using Run = int (*)(const std::vector<std::string>& args);

    ToolCommand(const char* name, const char* usage, Run run);

    const char* name;
    // Lines for --help: the command's forms and what they do.
    const char* usage;
    Run run;
};

const std::vector<const ToolCommand*>& tool_commands();
