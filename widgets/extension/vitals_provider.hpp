#pragma once

#include <functional>

#include <QThreadPool>

#include "widgets/extension/vitals_reader.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// Answers a widget host's requests from the reader. Each snapshot and timeline request runs on
// a thread of the provider's own pool and calls its completion there, once; the requests of
// several widgets meet only in the reader, which turns them into one measurement.
// The pool has a thread for every request the four widgets can make at once, so that none waits
// behind another's measurement. Destroying the provider waits for the requests in progress.
class VitalsProvider {
public:
    static constexpr double reloadSeconds = 300;

    explicit VitalsProvider(VitalsReader& reader);
    ~VitalsProvider();
    VitalsProvider(const VitalsProvider&) = delete;
    VitalsProvider& operator=(const VitalsProvider&) = delete;

    // At once, sampling nothing.
    static VitalsEntry placeholder();
    // The one entry, and a reload 5 minutes after its date.
    static Timeline timelineFor(const VitalsEntry& entry);

    void snapshot(std::function<void(VitalsEntry)> completion);
    void timeline(std::function<void(Timeline)> completion);

private:
    VitalsReader& reader_;
    QThreadPool pool_;
};

}  // namespace vantric
