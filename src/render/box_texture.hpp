#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "render/still_layer.hpp"

// Pictures of a box of window pixels that stay the same from frame to frame
// while what lies under them does not (the bands of a goal over its sliding
// picture, a line of text over the demo): drawn once into a texture through
// the current matrices and a viewport moved by whole pixels, so that every
// pixel is shaded exactly as on the screen, then laid back a texel to a pixel
// in one pass. Only with lean drawing: a graphics card draws them again.
class BoxTextures {
public:
    // At most `most` textures, each made on the `finds_to_make`th time its
    // key is asked for.
    explicit BoxTextures(std::size_t most, int finds_to_make = 3) : most_(most), finds_to_make_(finds_to_make) {}
    BoxTextures(const BoxTextures&) = delete;
    BoxTextures& operator=(const BoxTextures&) = delete;

    // The texture of `box` for `key` (all its pixels depend on: the matrices
    // and the viewport included), made by `draw` into a transparent
    // framebuffer with depth and stencil once the key has been asked for
    // often enough: a key that changes every frame is never made. Not made
    // while `may_make` is false, but made the next time it may be. 0 while it
    // is not made, or when the GL cannot make it.
    unsigned int find(std::uint64_t key, const PixelBox& box, const std::function<void()>& draw,
                      bool may_make = true);
    // How many textures it has made.
    std::uint64_t made() const { return makes_; }

private:
    struct Made {
        unsigned int texture = 0;
        std::uint64_t used = 0;  // when it was last found
    };
    std::size_t most_;
    int finds_to_make_;
    int context_ = -1;
    std::uint64_t finds_ = 0;
    std::uint64_t makes_ = 0;
    std::map<std::uint64_t, Made> made_;
    std::map<std::uint64_t, int> seen_;  // keys not made yet, and how often asked for
};

// Lays a texture made by BoxTextures over its box: its colour through the
// current texture environment and blending.
void lay_box_texture(unsigned int texture, const PixelBox& box, const int viewport[4]);
