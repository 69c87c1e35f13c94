#include "app/store/serial_queue.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vantric {
namespace {

// The queue's destructor waits for every queued task.
TEST(SerialQueue, RunsTasksOneAtATimeInOrderFromSeveralProducersAndAllBeforeItGoes) {
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
    std::promise<void> open;
    SerialQueue queue("test-queue", 0);
    queue.enqueue([gate = open.get_future().share()] { gate.wait(); });
    for (int task = 0; task < 10; ++task) {
        queue.enqueue([&] { ++ran; });
    }
    // stop() is asked for while the tasks still wait behind the first one (unless the stopper
    // thread is slower than the pause, which only makes the case an easier one).
    std::thread stopper([&] { queue.stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    open.set_value();
    stopper.join();
    EXPECT_EQ(ran, 10);

    // Dropped at once, not kept unrun: what the task holds is released.
    const auto held = std::make_shared<int>(0);
    queue.enqueue([&ran, held] { ++ran; });
    EXPECT_EQ(held.use_count(), 1);
    queue.stop();
    EXPECT_EQ(ran, 10);
}

TEST(SerialQueue, NamesTheWorkerWithinTheKernelsLimitAndLowersOnlyItsPriority) {
    errno = 0;
    const int callerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    ASSERT_EQ(errno, 0);
    std::string name;
    int workerNice = 0;
    {
        SerialQueue queue("vantric-sampler-extra", 5);
        queue.enqueue([&] {
            char buffer[32] = {};
            static_cast<void>(pthread_getname_np(pthread_self(), buffer, sizeof buffer));
            name = buffer;
            workerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        });
    }
    EXPECT_EQ(name, "vantric-sampler");
    EXPECT_EQ(workerNice, std::min(callerNice + 5, 19));
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), callerNice);
}

}  // namespace
}  // namespace vantric
