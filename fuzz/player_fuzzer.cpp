// Player files. A file is refused with the defaults kept, or it loads into a
// record that saves, loads back to the same keys and bests, and saves the
// same bytes again.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "progress/player_info.hpp"
#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"

namespace {

bool same_bests(const PlayerInfo& a, const PlayerInfo& b)
{
    if (a.personal_bests().size() != b.personal_bests().size())
        return false;
    for (auto i = a.personal_bests().begin(), j = b.personal_bests().begin(); i != a.personal_bests().end(); ++i, ++j)
        if (i->first != j->first || std::memcmp(&i->second, &j->second, sizeof(double)) != 0)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("input.player");
    write_bytes(input, data, size);
    PlayerInfo player("fuzz");
    bool loaded = false;
    {
        InFileStorage storage(input, false);
        loaded = player.load(storage);
    }
    if (!loaded) {
        FUZZ_CHECK(player.locked_keys() == default_locked_keys());
        FUZZ_CHECK(player.personal_bests().empty());
        return 0;
    }

    MemoryStorage saved;
    player.save(saved);
    PlayerInfo again("fuzz");
    FUZZ_CHECK(again.load(saved));
    FUZZ_CHECK(again.locked_keys() == player.locked_keys());
    FUZZ_CHECK(same_bests(player, again));
    MemoryStorage resaved;
    again.save(resaved);
    FUZZ_CHECK(resaved.bytes() == saved.bytes());
    return 0;
}
