// The high-score table. A file is refused with the table left empty, or it
// loads into a table that saves, loads back to the same entries and saves the
// same bytes again.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "progress/high_score_table.hpp"

namespace {

bool same_entries(const HighScoreTable& a, const HighScoreTable& b)
{
    if (a.entries().size() != b.entries().size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first || i->second.player != j->second.player ||
            std::memcmp(&i->second.time, &j->second.time, sizeof(double)) != 0)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("highscores.list");
    static const std::string output = scratch_path("saved.list");
    write_bytes(input, data, size);
    HighScoreTable table;
    const bool loaded = table.load(input);
    remove_with_bad_copies(input);
    if (!loaded) {
        FUZZ_CHECK(table.entries().empty());
        return 0;
    }

    FUZZ_CHECK(table.save(output));
    const std::vector<unsigned char> saved = read_bytes(output);
    HighScoreTable again;
    FUZZ_CHECK(again.load(output));
    FUZZ_CHECK(same_entries(table, again));
    FUZZ_CHECK(again.save(output));
    FUZZ_CHECK(read_bytes(output) == saved);
    std::remove(output.c_str());
    return 0;
}
