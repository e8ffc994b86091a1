#include "cli/interrupt.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

TEST(InterruptGuard, CtrlCRaisesTheFlagOnceThenTheDefaultActionReturns) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    {
        const cli::CInterruptGuard guard;
        EXPECT_FALSE(guard.Terminator().IsTerminating());
        std::raise(SIGINT);
        EXPECT_TRUE(guard.Terminator().IsTerminating());
        // The handler gave way: a second Ctrl-C would end the program.
        struct sigaction now {};
        sigaction(SIGINT, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL);
    }
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    // A new guard starts with a clear flag.
    const cli::CInterruptGuard again;
    EXPECT_FALSE(again.Terminator().IsTerminating());
}

} // namespace
