#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/sword.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"

namespace {

// The stored record with the given style name and trail count, and one trail
// entry after it.
std::vector<unsigned char> record(const std::string& style_name, unsigned int trail_count)
{
    MemoryStorage storage;
    storage.write(style_name), storage.write(Vector2(1, 2)), storage.write(Vector2(3, 4));
    storage.write(Vector2(0, 1)), storage.write(0.5), storage.write(2), storage.write(true), storage.write(0.25);
    storage.write(trail_count), storage.write(Vector2(1, 2)), storage.write(0.125);
    return storage.bytes();
}

}  // namespace

// The whole record's round trip and every truncation are checked with the
// shipped levels; here, what no sword can hold.
TEST(SwordStorage, DamagedRecordsAreRefusedAndLeaveTheSword)
{
    LogCapture log;
    Sword sword;
    EXPECT_TRUE(load_bytes(sword, record("", 1)));
    EXPECT_EQ(sword.position, Vector2(1, 2));
    sword = Sword();
    for (const auto& [style, count] : {std::pair{"wood", 1u}, std::pair{"", 0x7fffffffu}, std::pair{"", 2u},
                                       std::pair{"", 0u}})
        EXPECT_FALSE(load_bytes(sword, record(style, count))) << style << " " << count;
    EXPECT_EQ(saved_bytes(sword), saved_bytes(Sword()));
}
