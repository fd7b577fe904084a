#include <gtest/gtest.h>

#include "support/test_support.hpp"
#include "world/level_list.hpp"

TEST(LevelList, LinesComeBackExactlyAsWritten)
{
    TempDir dir;
    const std::string text = "First Cut\nDelivery\n---\n Spaced name \n";
    write_file_bytes(dir.file("levels.list"), std::vector<unsigned char>(text.begin(), text.end()));
    EXPECT_EQ(read_level_list(dir.file("levels.list")),
              (std::vector<std::string>{"First Cut", "Delivery", "---", " Spaced name "}));
    EXPECT_TRUE(read_level_list(dir.file("missing.list")).empty());
    EXPECT_EQ(level_file_name("First Cut"), "levels/First Cut.lev");
}
