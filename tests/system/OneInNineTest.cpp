#include <gtest/gtest.h>

#include "core/UpdateHelper.h"

namespace {

TEST(OneInNine, SucceedsAboutOnceInNine)
{
    // 9,000 draws: the expected 1,000 successes lie far inside these bounds for a fair draw,
    // while "always", "never" or "one in two" fall outside.
    int successes = 0;
    for (int i = 0; i < 9000; ++i)
        successes += OneInNine() ? 1 : 0;
    EXPECT_GT(successes, 700);
    EXPECT_LT(successes, 1300);
}

} // namespace
