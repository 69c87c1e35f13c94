#pragma once

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/host.hpp"

namespace vantric::testing {

// A Host that answers from values the test sets. processorTicks hands out queued readings one per
// call (an empty reading is a failed read); memory and accelerators answer the same every call.
class FakeHost final : public Host {
public:
    struct State {
        std::deque<std::vector<ProcessorTicks>> tickReadings;
        MemoryCounters memory;
        std::vector<Accelerator> accelerators;
        std::uint32_t ticksPerSecond = 100;
        int processorCalls = 0;
    };

    explicit FakeHost(std::shared_ptr<State> state) : state_(std::move(state)) {}

    std::vector<ProcessorTicks> processorTicks() override {
        ++state_->processorCalls;
        if (state_->tickReadings.empty()) {
            return {};
        }
        auto reading = std::move(state_->tickReadings.front());
        state_->tickReadings.pop_front();
        return reading;
    }
    std::uint32_t ticksPerSecond() override { return state_->ticksPerSecond; }
    MemoryCounters memoryCounters() override { return state_->memory; }
    std::vector<Accelerator> accelerators() override { return state_->accelerators; }

private:
    std::shared_ptr<State> state_;
};

}  // namespace vantric::testing
