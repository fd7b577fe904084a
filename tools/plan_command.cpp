#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tool_command.hpp"
#include "world/plan.hpp"

namespace {

const char usage[] =
    "  plan LEVEL.lev PLAN.txt [-o OUT.script]\n"
    "                                       plays a plan (strokes in level coordinates: 'to X Y\n"
    "                                       [SPEED]', 'hold N', 'wait N', 'down', 'up', 'until\n"
    "                                       [N]') on the level and writes the input script it\n"
    "                                       makes, '# expect:' line first, to OUT (then prints\n"
    "                                       the result line) or to standard output";

int plan(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    std::string out_file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            out_file = args[++i];
        else
            files.push_back(args[i]);
    }
    if (files.size() != 2 || (files[0].starts_with("-") || files[1].starts_with("-"))) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    std::ifstream in(files[1]);
    if (!in) {
        std::cerr << "plan: cannot read " << files[1] << '\n';
        return 1;
    }
    std::string title = files[1].substr(files[1].rfind('/') + 1);
    title = title.substr(0, title.rfind('.'));
    PlanResult made;
    std::string error;
    if (!play_plan(files[0], in, title, made, error)) {
        std::cerr << files[1] << ": " << error << '\n';
        return 1;
    }
    if (out_file.empty()) {
        std::cout << made.script;
        return 0;
    }
    std::ofstream out(out_file);
    out << made.script;
    out.close();
    if (!out) {
        std::cerr << "plan: cannot write " << out_file << '\n';
        return 1;
    }
    std::cout << result_line(made.result) << '\n';
    return 0;
}

const ToolCommand command("plan", usage, plan);

}  // namespace
