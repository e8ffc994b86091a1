#include "cli/interrupt.h"

#include <csignal>
#include <gtest/gtest.h>
#include <utility>

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

TEST(InterruptGuard, TermAndHangUpStopLikeCtrlCWithTheirOwnExitStatus) {
    for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
        const cli::CInterruptGuard guard;
        EXPECT_EQ(guard.Signal(), 0);
        std::raise(signal);
        EXPECT_TRUE(guard.Terminator().IsTerminating()) << signal;
        EXPECT_EQ(guard.Signal(), signal);
        EXPECT_EQ(guard.ExitStatus(), status);
        // After the first stop signal, any second one ends the program.
        for (const int each : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction now {};
            sigaction(each, nullptr, &now);
            EXPECT_EQ(now.sa_handler, SIG_DFL) << each;
        }
    }
    const cli::CInterruptGuard guard;
    std::raise(SIGINT);
    EXPECT_EQ(guard.ExitStatus(), 130);
}

TEST(InterruptGuard, ASignalIgnoredAtStartStaysIgnored) {
    // As under nohup: a hang-up must not stop the run.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction saved {};
    sigaction(SIGHUP, &ignore, &saved);
    {
        const cli::CInterruptGuard guard;
        std::raise(SIGHUP);
        EXPECT_FALSE(guard.Terminator().IsTerminating());
    }
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
    sigaction(SIGHUP, &saved, nullptr);
}

} // namespace
