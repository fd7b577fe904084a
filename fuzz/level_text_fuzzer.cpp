// The level text of `slivermere-tool level build`. A text is refused with
// "line N: ..." and the world left as it was, or it builds a world whose dump
// builds the same bytes and which the game loads unchanged but for what
// loading always does.
#include <cstdint>
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

// What loading changes: a camera outside the bounds moves inside, a polygon
// without points gets one at its origin, and bodies and goals, which put
// their tags at the middle of their box, compute the box afresh.
void as_loaded(World& world)
{
    world.clamp_camera();
    auto give_point = [](Polygon& p) {
        if (p.points.empty())
            p.points.emplace_back(0.0, 0.0);
    };
    for (Polygon& p : world.physics_polygons) {
        give_point(p);
        p.compute_bbox();
    }
    for (Polygon& p : world.static_polygons)
        give_point(p);
    for (Polygon& p : world.goals) {
        give_point(p);
        p.compute_bbox();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    World world;
    world.front_matter = "kept on failure";
    const std::vector<unsigned char> before = record(world);
    std::string error;
    if (!build_level(text, world, error)) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        FUZZ_CHECK(record(world) == before);
        return 0;
    }

    const std::vector<unsigned char> saved = record(world);
    World rebuilt;
    FUZZ_CHECK(build_level(dump_level(world), rebuilt, error));
    FUZZ_CHECK(record(rebuilt) == saved);

    // The builder refuses whatever the game's loader refuses.
    MemoryStorage storage;
    storage.write_raw(saved.data(), saved.size());
    World loaded(storage);
    FUZZ_CHECK(loaded.loaded());
    FUZZ_CHECK(storage.bytes_left() == 0);
    as_loaded(world);
    FUZZ_CHECK(record(loaded) == record(world));
    return 0;
}
