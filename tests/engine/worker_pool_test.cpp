// The pool that runs the frames of a pass: results come back in order whatever the timing, no
// more than the window runs ahead, the first failure in frame order is the one raised, a stop
// ends the pass with nothing left running, and the workers keep the caller's priority. These
// run in the ThreadSanitizer build (label thread).
#include "engine/worker_pool.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <pthread.h>
#include <random>
#include <sched.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Sleeps a pseudo-random few hundred microseconds, different per index, so that jobs finish
// out of order.
void Jitter(std::size_t index) {
    std::minstd_rand random(static_cast<unsigned>(index) + 1);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 800));
}

TEST(WorkerPool, ConsumesEveryJobInOrderAndStaysWithinTheWindow) {
    mrv::CWorkerPool pool(4);
    constexpr std::size_t kCount = 200;
    constexpr std::size_t kWindow = 6;
    std::vector<int> results(kWindow);
    std::vector<std::size_t> order;
    std::atomic<std::size_t> consumed{0};
    std::atomic<bool> aheadOfWindow{false};
    std::vector<std::atomic<int>> perWorker(pool.Size());
    const bool completed = pool.Run(
        kCount, kWindow,
        [&](std::size_t i, std::size_t worker) {
            if (i >= consumed.load() + kWindow) {
                aheadOfWindow = true;
            }
            ++perWorker[worker];
            Jitter(i);
            results[i % kWindow] = static_cast<int>(i * 7);
        },
        [&](std::size_t i) {
            EXPECT_EQ(results[i % kWindow], static_cast<int>(i * 7));
            order.push_back(i);
            consumed = i + 1;
        },
        [] { return false; });
    EXPECT_TRUE(completed);
    ASSERT_EQ(order.size(), kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
        EXPECT_EQ(order[i], i);
    }
    EXPECT_FALSE(aheadOfWindow);
    int busy = 0;
    for (const auto& n : perWorker) {
        busy += n.load() > 0 ? 1 : 0;
    }
    EXPECT_GT(busy, 1) << "the jobs ran on one thread only";

    // The pool serves pass after pass, here on two of its threads only.
    std::atomic<bool> otherWorker{false};
    std::size_t second = 0;
    EXPECT_TRUE(pool.Run(
        20, 4, [&](std::size_t, std::size_t worker) { otherWorker = otherWorker || worker >= 2; },
        [&](std::size_t) { ++second; }, [] { return false; }, 2));
    EXPECT_EQ(second, 20u);
    EXPECT_FALSE(otherWorker);
}

TEST(WorkerPool, TheFirstFailureInOrderIsRaisedAfterTheJobsBeforeIt) {
    mrv::CWorkerPool pool(4);
    for (int run = 0; run < 20; ++run) {
        std::vector<std::size_t> consumed;
        std::atomic<std::size_t> highest{0};
        try {
            (void)pool.Run(
                100, 8,
                [&](std::size_t i, std::size_t) {
                    std::size_t seen = highest.load();
                    while (i > seen && !highest.compare_exchange_weak(seen, i)) {
                    }
                    // Later failures tend to finish first.
                    if (i == 30 || i == 33) {
                        if (i == 30) {
                            Jitter(i + std::size_t(run));
                        }
                        throw std::runtime_error("frame " + std::to_string(i));
                    }
                    Jitter(i);
                },
                [&](std::size_t i) { consumed.push_back(i); }, [] { return false; });
            ADD_FAILURE() << "no failure raised";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "frame 30");
        }
        EXPECT_EQ(consumed.size(), 30u);
        EXPECT_LT(highest.load(), 30u + 8u) << "jobs went on after the failure";
    }

    // A failure of the consuming side ends the pass too.
    std::atomic<int> running{0};
    EXPECT_THROW((void)pool.Run(
                     50, 8,
                     [&](std::size_t i, std::size_t) {
                         ++running;
                         Jitter(i);
                         --running;
                     },
                     [](std::size_t i) {
                         if (i == 5) {
                             throw std::logic_error("write");
                         }
                     },
                     [] { return false; }),
                 std::logic_error);
    EXPECT_EQ(running.load(), 0) << "a job still ran after Run returned";
}

TEST(WorkerPool, StopEndsThePassWithNothingRunning) {
    mrv::CWorkerPool pool(3);
    std::atomic<bool> stop{false};
    std::atomic<int> running{0};
    std::size_t consumed = 0;
    const bool completed = pool.Run(
        1000, 6,
        [&](std::size_t i, std::size_t) {
            ++running;
            Jitter(i);
            if (i == 40) {
                stop = true;
            }
            --running;
        },
        [&](std::size_t) { ++consumed; }, [&] { return stop.load(); });
    EXPECT_FALSE(completed);
    EXPECT_EQ(running.load(), 0);
    EXPECT_LE(consumed, 41u);
    EXPECT_GE(consumed, 30u);
}

TEST(WorkerPool, WorkersKeepTheIdlePriorityOfTheirCreator) {
    std::vector<int> policies;
    std::thread creator([&] {
        sched_param param{};
        if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0) {
            return;
        }
        mrv::CWorkerPool pool(3);
        std::mutex mutex;
        EXPECT_TRUE(pool.Run(
            12, 6,
            [&](std::size_t i, std::size_t) {
                Jitter(i);
                std::lock_guard<std::mutex> lock(mutex);
                policies.push_back(sched_getscheduler(0));
            },
            [](std::size_t) {}, [] { return false; }));
    });
    creator.join();
    if (policies.empty()) {
        GTEST_SKIP() << "this system does not allow idle priority";
    }
    for (const int policy : policies) {
        EXPECT_EQ(policy, SCHED_IDLE);
    }
}

} // namespace
