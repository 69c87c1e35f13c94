#include "app/store/serial_queue.hpp"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vantric {

namespace {

// The kernel keeps 16 bytes of a thread's name, the terminating zero included; a longer name
// makes pthread_setname_np fail and leaves the thread unnamed.
constexpr std::size_t threadNameLimit = 15;

// On Linux niceness belongs to each thread, and PRIO_PROCESS with a thread's id sets that
// thread's alone. The priority is a hint: a failure leaves the worker at the caller's priority.
void lowerPriority(int niceness) {
    const pid_t thread = gettid();
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (errno != 0) {
        return;
    }
    static_cast<void>(setpriority(PRIO_PROCESS, static_cast<id_t>(thread), current + niceness));
}

}  // namespace

SerialQueue::SerialQueue(std::string name, int niceness) {
    name.resize(std::min(name.size(), threadNameLimit));
    worker_ = std::thread([this, name = std::move(name), niceness] {
        static_cast<void>(pthread_setname_np(pthread_self(), name.c_str()));
        lowerPriority(niceness);
        run();
    });
}

SerialQueue::~SerialQueue() {
    stop();
}

void SerialQueue::enqueue(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void SerialQueue::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void SerialQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty()) {
            return;
        }
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        // Unlocked while the task runs, so producers never wait for a sampling pass; whatever
        // the task captured is released before the lock is taken again, for the same reason.
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
}

}  // namespace vantric
