// The ordered batch: results come back in item order whatever thread finishes first, a stop
// leaves a prefix handed on, and a failure of one item comes back to the caller.
#include "util/OrderedBatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tarvo {
namespace {

// Items that finish out of order: every third one takes longer.
std::size_t Slow(std::size_t i) {
    if (i % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return i * 10;
}

TEST(OrderedBatch, ResultsAreHandedOnInItemOrderOnTheCallingThread) {
    for (const int jobs : {1, 2, 4, 16}) {
        SCOPED_TRACE(jobs);
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::size_t> seen;
        const std::size_t handed =
            RunOrdered<std::size_t>(200, jobs, Slow, [&](std::size_t i, std::size_t&& result) {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                EXPECT_EQ(result, i * 10);
                seen.push_back(i);
            });
        EXPECT_EQ(handed, 200u);
        ASSERT_EQ(seen.size(), 200u);
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], i);
    }
}

TEST(OrderedBatch, AStopHandsOnTheItemsStartedAndStartsNoMore) {
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        std::atomic<std::size_t> started = 0;
        std::vector<std::size_t> seen;
        const std::size_t handed = RunOrdered<std::size_t>(
            1000, jobs,
            [&](std::size_t i) {
                ++started;
                return Slow(i);
            },
            [&](std::size_t i, std::size_t&&) { seen.push_back(i); },
            [&] { return seen.size() >= 10; });
        EXPECT_EQ(handed, seen.size());
        EXPECT_EQ(handed, started.load()); // every started item was handed on
        EXPECT_GE(handed, 10u);
        EXPECT_LT(handed, 10u + 4u * static_cast<std::size_t>(jobs) + 1u);
        for (std::size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], i);
    }
    EXPECT_EQ(RunOrdered<int>(
                  5, 4, [](std::size_t) { return 1; }, [](std::size_t, int&&) { ADD_FAILURE(); },
                  [] { return true; }),
              0u);
}

TEST(OrderedBatch, ItemsOfOneKeyNeverRunAtOnceAndKeepTheirOrder) {
    // Items 0, 3, 6, ... share a key, as two names of one file would.
    std::vector<std::uint64_t> keys(60);
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = i % 3 == 0 ? 7 : 100 + i;
    std::atomic<int> running = 0;
    std::atomic<std::size_t> lastShared = 0;
    std::atomic<bool> overlapped = false;
    std::atomic<bool> outOfOrder = false;
    std::vector<std::size_t> seen;
    RunOrdered<std::size_t>(
        keys.size(), 8,
        [&](std::size_t i) {
            if (keys[i] != 7) return Slow(i);
            if (++running > 1) overlapped = true;
            if (i > 0 && lastShared.load() != i - 3) outOfOrder = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lastShared = i;
            --running;
            return i;
        },
        [&](std::size_t i, std::size_t&&) { seen.push_back(i); }, {}, keys);
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(outOfOrder);
    EXPECT_EQ(seen.size(), keys.size());
}

TEST(OrderedBatch, AFailingItemEndsTheBatchAndReachesTheCaller) {
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        std::size_t handed = 0;
        EXPECT_THROW(RunOrdered<std::size_t>(
                         100, jobs,
                         [](std::size_t i) {
                             if (i == 7) throw std::runtime_error("disk gone");
                             return i;
                         },
                         [&](std::size_t i, std::size_t&&) {
                             EXPECT_LT(i, 7u);
                             ++handed;
                         }),
                     std::runtime_error);
        EXPECT_LE(handed, 7u);
    }
}

TEST(OrderedBatch, AFailingHandOnEndsTheBatchAndReachesTheCallerOnceTheThreadsStopped) {
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        std::atomic<int> running = 0;
        std::size_t handed = 0;
        EXPECT_THROW(RunOrdered<std::size_t>(
                         100, jobs,
                         [&](std::size_t i) {
                             ++running;
                             const std::size_t result = Slow(i);
                             --running;
                             return result;
                         },
                         [&](std::size_t i, std::size_t&&) {
                             ++handed;
                             if (i == 5) throw std::runtime_error("output closed");
                         }),
                     std::runtime_error);
        EXPECT_EQ(handed, 6u);
        EXPECT_EQ(running.load(), 0);
    }
}

TEST(OrderedBatch, OverItemsHandsOnEachItemsResultInOrder) {
    const std::vector<std::string> items = {"a", "bb", "ccc", "dddd", "eeeee"};
    for (const int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        std::vector<std::size_t> lengths;
        const std::size_t handed = RunOrderedOver<std::size_t>(
            items, jobs, [](const std::string& item) { return item.size(); },
            [&](std::size_t i, std::size_t&& length) {
                EXPECT_EQ(length, items[i].size());
                lengths.push_back(length);
            });
        EXPECT_EQ(handed, items.size());
        EXPECT_EQ(lengths, (std::vector<std::size_t>{1, 2, 3, 4, 5}));
    }
}

TEST(OrderedBatch, OverItemsAsksForKeysOnlyWhenThreadsShareTheItems) {
    // Two names of one file, as a folder run sees them: the key keeps them apart.
    std::vector<std::string> items(40, "other");
    for (std::size_t i = 0; i < items.size(); i += 4)
        items[i] = "shared";
    for (const int jobs : {1, 6}) {
        SCOPED_TRACE(jobs);
        std::atomic<int> asked = 0;
        std::atomic<int> running = 0;
        std::atomic<bool> overlapped = false;
        RunOrderedOver<int>(
            items, jobs,
            [&](const std::string& item) {
                if (item != "shared") return 0;
                if (++running > 1) overlapped = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                --running;
                return 1;
            },
            [](std::size_t, int&&) {}, {},
            [&](const std::string& item) -> std::uint64_t {
                ++asked;
                return item == "shared" ? 1 : 2 + asked.load();
            });
        EXPECT_EQ(asked.load(), jobs > 1 ? static_cast<int>(items.size()) : 0);
        EXPECT_FALSE(overlapped);
    }
}

} // namespace
} // namespace tarvo
