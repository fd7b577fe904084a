// PNG pictures through load_png. A file is refused with nothing left behind,
// or it gives width * height pixels; small pictures are written as RGBA and
// read back to the same pixels.
//
// libpng refuses chunks whose checksum does not match, which would stop most
// mutations at the first check; the target puts right every checksum it can
// before the file is written, so the fuzzer reaches the decoding.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

#include "fuzz_support.hpp"
#include "render/png.hpp"

namespace {

std::uint32_t big_endian32(const std::uint8_t* b)
{
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

void fix_checksums(std::vector<std::uint8_t>& file)
{
    std::size_t at = 8;  // the signature
    while (at + 12 <= file.size()) {
        const std::uint32_t length = big_endian32(&file[at]);
        if (length > file.size() - at - 12)
            return;
        const std::size_t crc_at = at + 8 + length;
        const uLong crc = crc32(0, &file[at + 4], static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i)
            file[crc_at + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at = crc_at + 4;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("input.png");
    static const std::string output = scratch_path("saved.png");
    std::vector<std::uint8_t> file(data, data + size);
    fix_checksums(file);
    write_bytes(input, file.data(), file.size());

    std::uint32_t width = 7;
    std::uint32_t height = 7;
    std::vector<std::uint32_t> pixels(3);
    if (!load_png(input, width, height, pixels)) {
        FUZZ_CHECK(width == 0 && height == 0 && pixels.empty());
        return 0;
    }
    FUZZ_CHECK(width > 0 && height > 0);
    FUZZ_CHECK(pixels.size() == static_cast<std::size_t>(width) * height);

    if (pixels.size() > 64 * 64)
        return 0;
    std::vector<std::uint32_t> top_down = pixels;
    flip_rows(top_down, width, height);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(top_down.data());
    FUZZ_CHECK(save_png(output, static_cast<int>(width), static_cast<int>(height),
                        std::vector<std::uint8_t>(bytes, bytes + top_down.size() * 4)));
    std::uint32_t width2 = 0;
    std::uint32_t height2 = 0;
    std::vector<std::uint32_t> again;
    FUZZ_CHECK(load_png(output, width2, height2, again));
    FUZZ_CHECK(width2 == width && height2 == height && again == pixels);
    std::remove(output.c_str());
    return 0;
}
