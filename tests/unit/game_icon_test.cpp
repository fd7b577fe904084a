#include <gtest/gtest.h>

#include <algorithm>

#include "render/art/game_icon.hpp"

namespace {

// The pixel at a point of the picture given in fractions of its size.
const Color& at(const Canvas& icon, float u, float v)
{
    return icon.at(static_cast<int>(u * static_cast<float>(icon.width())),
                   static_cast<int>(v * static_cast<float>(icon.height())));
}

}  // namespace

// At every size: a rounded tile with clear corners, the dark tile, the warm
// block and the white stroke across it where they are meant to be.
TEST(GameIcon, EverySizeShowsTheTileTheBlockAndTheStroke)
{
    for (const int size : game_icon_sizes()) {
        SCOPED_TRACE(size);
        const Canvas icon = draw_game_icon(size);
        ASSERT_EQ(icon.width() * icon.height(), size * size);
        EXPECT_EQ(icon.at(size - 1, size - 1).a, 0);
        const Color tile = at(icon, 0.12f, 0.12f);
        EXPECT_TRUE(tile.a == 1 && tile.r + tile.g + tile.b < 1);
        const Color block = at(icon, 0.35f, 0.35f);
        EXPECT_GT(block.r, block.b + 0.2f);
        const Color stroke = at(icon, 0.51f, 0.51f);
        EXPECT_GT(std::min({stroke.r, stroke.g, stroke.b}), 0.8f);
    }
}
