#include "widgets/extension/vitals_provider.hpp"

namespace vantric {
namespace {

constexpr int requestThreads = 8;

}  // namespace

VitalsProvider::VitalsProvider(VitalsReader& reader) : reader_(reader) {
    pool_.setMaxThreadCount(requestThreads);
}

VitalsProvider::~VitalsProvider() {
    pool_.waitForDone();
}

VitalsEntry VitalsProvider::placeholder() {
    return VitalsEntry::placeholder(AbsoluteTime::now());
}

Timeline VitalsProvider::timelineFor(const VitalsEntry& entry) {
    return Timeline{.entries = {entry}, .reloadAfter = entry.date + reloadSeconds};
}

void VitalsProvider::snapshot(std::function<void(VitalsEntry)> completion) {
    pool_.start([this, completion = std::move(completion)] { completion(reader_.read()); });
}

void VitalsProvider::timeline(std::function<void(Timeline)> completion) {
    pool_.start(
        [this, completion = std::move(completion)] { completion(timelineFor(reader_.read())); });
}

}  // namespace vantric
