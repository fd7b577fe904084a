#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "world/level_text.hpp"
#include "world/world.hpp"

namespace {

const std::filesystem::path levels_dir = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "levels";

std::vector<unsigned char> level_record(const std::filesystem::path& source)
{
    std::ifstream in(source);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    World world;
    std::string error;
    EXPECT_TRUE(build_level(text, world, error)) << source << ": " << error;
    MemoryStorage storage;
    world.save(storage);
    return storage.bytes();
}

// A damaged record must be refused or loaded; a loaded one must also play.
void load_and_play(const std::vector<unsigned char>& bytes, std::size_t size)
{
    MemoryStorage storage;
    storage.write_raw(bytes.data(), size);
    World world(storage);
    if (!world.loaded())
        return;
    for (int frame = 0; frame < 20; ++frame) {
        double dt = 0.016;
        world.update(dt);
    }
}

std::vector<std::filesystem::path> sources()
{
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::directory_iterator(levels_dir))
        if (entry.path().extension() == ".txt")
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(DamagedLevels, EveryTruncationOfAShippedLevelIsRefused)
{
    LogCapture log;
    for (const std::filesystem::path& source : sources()) {
        const std::vector<unsigned char> bytes = level_record(source);
        for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
            MemoryStorage storage;
            storage.write_raw(bytes.data(), cut);
            World world(storage);
            ASSERT_FALSE(world.loaded()) << source.filename() << " cut at " << cut;
        }
    }
}

TEST(DamagedLevels, RandomByteChangesAreRefusedOrPlayed)
{
    LogCapture log;
    std::mt19937 random(20261206);
    for (const std::filesystem::path& source : sources()) {
        const std::vector<unsigned char> bytes = level_record(source);
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<unsigned char> damaged = bytes;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i)
                damaged[random() % damaged.size()] = static_cast<unsigned char>(random());
            load_and_play(damaged, damaged.size());
        }
    }
}
