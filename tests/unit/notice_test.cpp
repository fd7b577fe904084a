#include <gtest/gtest.h>

#include "render/notice.hpp"

TEST(Notices, ShowForAFewSecondsAndMakeRoomForNewerOnes)
{
    auto texts = [] {
        std::vector<std::string> lines;
        for (const Notice& notice : notices())
            lines.push_back(notice.text);
        return lines;
    };
    clear_notices();
    post_notice("a");
    advance_notices(2.0);
    post_notice("b");
    post_notice("a");  // shown again from the start, once, as the newest
    EXPECT_EQ(texts(), (std::vector<std::string>{"b", "a"}));
    EXPECT_DOUBLE_EQ(notices()[1].time_left, notice_seconds);
    post_notice("c");
    post_notice("d");
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "c", "d"})) << "the oldest gives way";
    advance_notices(notice_seconds);
    EXPECT_TRUE(notices().empty());
}
