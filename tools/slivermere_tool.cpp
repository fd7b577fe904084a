#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tool_command.hpp"

namespace {

std::vector<const ToolCommand*>& registry()
{
    static std::vector<const ToolCommand*> commands;
    return commands;
}

void print_usage(std::ostream& out)
{
    out << "usage: slivermere-tool <command> [arguments]\n"
           "\n"
           "The developer's and level designer's tool for Slivermere.\n"
           "\n"
           "commands:\n";
    for (const ToolCommand* command : tool_commands())
        out << command->usage << '\n';
}

}  // namespace

ToolCommand::ToolCommand(const char* name_, const char* usage_, Run run_) : name(name_), usage(usage_), run(run_)
{
    registry().push_back(this);
}

const std::vector<const ToolCommand*>& tool_commands()
{
    return registry();
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        print_usage(std::cerr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_usage(std::cout);
        return 0;
    }
    for (const ToolCommand* command : tool_commands()) {
        if (name == command->name)
            return command->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::cerr << "slivermere-tool: unknown command '" << name << "'\n";
    print_usage(std::cerr);
    return 2;
}
