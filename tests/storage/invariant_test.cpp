#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "storage/file_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

// These run in every build, the release one included: there a plain assert
// would be compiled out and the broken invariant would go on unnoticed.

TEST(Invariant, ABrokenOneAbortsWithItsFileLineAndCondition)
{
    const std::string line = std::to_string(__LINE__ + 3);
    EXPECT_EXIT(
        {
            INVARIANT(2 + 2 == 5 && "arithmetic");
        },
        testing::KilledBySignal(SIGABRT),
        "Broken invariant at [^\n]*tests/storage/invariant_test\\.cpp:" + line + ": 2 \\+ 2 == 5 && \"arithmetic\"\n");
}

TEST(Invariant, TheLibrarysOwnChecksStayOnAndSpeakThroughMutedStreams)
{
    EXPECT_DEATH(
        {
            set_log_streams(nullptr, nullptr);
            InFileStorage storage("no such file", true);
            storage.write(1);
        },
        "Broken invariant at [^\n]*src/storage/file_storage\\.cpp:[0-9]+: !\"write to an InFileStorage\"");
}
