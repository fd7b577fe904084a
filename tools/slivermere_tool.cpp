#include <cstring>
#include <iostream>
#include <string>

namespace {

const char* usage =
    "usage: slivermere-tool <command> [arguments]\n"
    "\n"
    "The developer and level designer's tool for Slivermere.\n"
    "\n"
    "commands:\n"
    "  help                 this text\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        std::cout << usage;
        return argc < 2 ? 2 : 0;
    }
    std::cerr << "slivermere-tool: unknown command '" << argv[1] << "'\n" << usage;
    return 2;
}
