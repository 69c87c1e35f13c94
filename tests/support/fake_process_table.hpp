#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/process_table.hpp"

namespace vantric::testing {

// A process table that answers from what the test sets, and counts the calls the sampler makes.
class FakeProcessTable final : public ProcessTable {
public:
    // Assigned from braces, name the usage's type (.usage = ProcessUsage{...}): with nested braces
    // alone, GCC 12 at -O2 warns that the usage's name may be destroyed uninitialised, which it
    // is not.
    struct Process {
        ProcessUsage usage{};
        std::string path{};
        std::string name{};
        bool readable = true;
    };
    struct State {
        Timebase timebase{};
        std::vector<std::int32_t> listing;  // what the listing returns, in order
        std::optional<int> count;           // what the count says; the listing's size without one
        bool listingFails = false;
        std::map<std::int32_t, Process> processes;
        std::map<std::string, std::string> displayNames;  // bundle path -> name; else the folder's
        int pathReads = 0;
        std::function<void()> onCount{};  // called as each pass starts, on the sampler's thread
    };

    explicit FakeProcessTable(std::shared_ptr<State> state) : state_(std::move(state)) {}

    Timebase timebase() override { return state_->timebase; }
    int countProcesses() override {
        if (state_->onCount) {
            state_->onCount();
        }
        return state_->listingFails
                   ? 0
                   : state_->count.value_or(static_cast<int>(state_->listing.size()));
    }
    int listProcesses(std::span<std::int32_t> identifiers) override {
        if (state_->listingFails) {
            return 0;
        }
        const std::size_t written = std::min(identifiers.size(), state_->listing.size());
        std::copy_n(state_->listing.begin(), written, identifiers.begin());
        return static_cast<int>(written);
    }
    std::optional<ProcessUsage> usage(std::int32_t pid) override {
        const auto found = state_->processes.find(pid);
        if (found == state_->processes.end() || !found->second.readable) {
            return std::nullopt;
        }
        return found->second.usage;
    }
    std::string executablePath(std::int32_t pid) override {
        ++state_->pathReads;
        const auto found = state_->processes.find(pid);
        return found == state_->processes.end() ? std::string() : found->second.path;
    }
    std::string shortName(std::int32_t pid) override {
        const auto found = state_->processes.find(pid);
        return found == state_->processes.end() ? std::string() : found->second.name;
    }
    std::string bundleDisplayName(std::string_view bundlePath) override {
        const auto found = state_->displayNames.find(std::string(bundlePath));
        return found != state_->displayNames.end()
                   ? found->second
                   : std::string(bundlePath.substr(bundlePath.rfind('/') + 1));
    }

private:
    std::shared_ptr<State> state_;
};

}  // namespace vantric::testing
