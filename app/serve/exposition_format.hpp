#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <prometheus/metric_family.h>

namespace vantric {

// The two ways a scrape can be answered.
enum class ExpositionFormat {
    text,         // Prometheus' text format 0.0.4: what every scraper reads
    openMetrics,  // OpenMetrics 1.0.0, which Prometheus itself asks for first
};

// The format an Accept header asks for: OpenMetrics where it weighs OpenMetrics at least as high
// as plain text (and above nothing), else text; text where there is no header.
ExpositionFormat acceptedFormat(std::string_view accept);

// The Content-Type that goes with the format.
std::string_view contentType(ExpositionFormat format);

// The families written in the format, ending with "# EOF" in OpenMetrics. Text goes through
// prometheus-cpp's own serializer; OpenMetrics, which that library does not write, differs from
// it in how counters are named and values escaped, and is written here. Only counters and
// gauges are written, which are all the families hold.
std::string serialized(const std::vector<prometheus::MetricFamily>& families,
                       ExpositionFormat format);

}  // namespace vantric
