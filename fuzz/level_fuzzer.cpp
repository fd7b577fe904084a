// Level files. Whatever the bytes, load_level refuses them or gives a world
// that saves and loads again to the same bytes, whose level text builds the
// same bytes, and that plays a few frames.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "storage/memory_storage.hpp"
#include "world/level_text.hpp"
#include "world/world.hpp"

namespace {

std::vector<unsigned char> record(const World& world)
{
    MemoryStorage storage;
    world.save(storage);
    return storage.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = scratch_path("input.lev");
    write_bytes(path, data, size);
    const std::unique_ptr<World> world = load_level(path);
    if (!world)
        return 0;

    // Bools stored as bytes other than 0 and 1 come back as 0, so compare the
    // second generation with the first, not with the input.
    const std::vector<unsigned char> saved = record(*world);
    MemoryStorage storage;
    storage.write_raw(saved.data(), saved.size());
    World reloaded(storage);
    FUZZ_CHECK(reloaded.loaded());
    FUZZ_CHECK(storage.bytes_left() == 0);
    FUZZ_CHECK(record(reloaded) == saved);

    World rebuilt;
    std::string error;
    FUZZ_CHECK(build_level(dump_level(*world), rebuilt, error));
    FUZZ_CHECK(record(rebuilt) == saved);

    for (int frame = 0; frame < 3; ++frame) {
        double dt = 0.016;
        world->update(dt);
    }
    return 0;
}
