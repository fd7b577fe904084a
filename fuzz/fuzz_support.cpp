#include "fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "storage/log.hpp"

namespace {

std::string scratch_folder;

void remove_scratch_folder()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratch_folder, ignored);
}

}  // namespace

// libFuzzer calls this once before the first input, in every target.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    start_fuzzing();
    return 0;
}

void start_fuzzing()
{
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error))
        base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "slivermere-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("cannot create a scratch folder");
        std::abort();
    }
    scratch_folder = pattern;
    std::atexit(remove_scratch_folder);
    if (!std::getenv("SLIVERMERE_FUZZ_LOG"))
        set_log_streams(nullptr, nullptr);
}

std::string scratch_path(const std::string& name)
{
    return scratch_folder + "/" + name;
}

void write_bytes(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::vector<unsigned char> read_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void remove_with_bad_copies(const std::string& path)
{
    std::remove(path.c_str());
    std::remove((path + ".bad").c_str());
}

void finding(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}
