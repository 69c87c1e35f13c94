#include "app/store/serial_queue.hpp"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(SerialQueue, RunsTasksOneAtATimeInOrderFromSeveralProducers) {
    std::vector<int> order;  // touched only by the worker, and read after it is joined
    std::atomic<int> running{0};
    bool overlapped = false;
    {
        SerialQueue queue("test-queue", 0);
        std::vector<std::thread> producers;
        for (int producer = 0; producer < 4; ++producer) {
            producers.emplace_back([&, producer] {
                for (int task = 0; task < 50; ++task) {
                    queue.enqueue([&, value = producer * 1000 + task] {
                        overlapped = overlapped || running.fetch_add(1) != 0;
                        order.push_back(value);
                        running.fetch_sub(1);
                    });
                }
            });
        }
        for (auto& producer : producers) {
            producer.join();
        }
    }
    ASSERT_EQ(order.size(), 200U);
    EXPECT_FALSE(overlapped);
    // Each producer's tasks keep their own order.
    std::vector<int> last(4, -1);
    for (const int value : order) {
        EXPECT_GT(value % 1000, last[static_cast<std::size_t>(value / 1000)]);
        last[static_cast<std::size_t>(value / 1000)] = value % 1000;
    }
}

TEST(SerialQueue, StopRunsWhatIsQueuedAndDropsLaterTasks) {
    std::atomic<int> ran{0};
    SerialQueue queue("test-queue", 0);
    for (int task = 0; task < 10; ++task) {
        queue.enqueue([&] { ++ran; });
    }
    queue.stop();
    EXPECT_EQ(ran, 10);
    queue.enqueue([&] { ++ran; });
    queue.stop();
    EXPECT_EQ(ran, 10);
}

}  // namespace
}  // namespace vantric
