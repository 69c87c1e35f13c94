#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantric {

// One worker thread that runs the tasks given to it one at a time, first in, first out. The
// samplers live behind it, so their state is only ever touched by this one thread and needs no
// lock.
//
// enqueue may be called from any thread. The destructor runs the tasks already queued, then
// joins the worker.
class SerialQueue {
public:
    // name: the thread's name as the system shows it (at most 15 bytes are kept). niceness: how
    // much lower than the caller's the worker's scheduling priority is.
    SerialQueue(std::string name, int niceness);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void enqueue(std::function<void()> task);

    // Runs what is queued, then stops the worker; later tasks are dropped. Called before the
    // objects the tasks reach are destroyed, by the owner and never from a task (the worker
    // cannot join itself). A second call does nothing.
    void stop();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace vantric
