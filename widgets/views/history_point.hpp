#pragma once

#include <string>
#include <vector>

#include "core/json_result.hpp"
#include "widgets/views/absolute_time.hpp"

namespace vantric {

// One sample of the three headline figures. Lists of them are the window's short history and the
// widgets' hour of history.
struct HistoryPoint {
    AbsoluteTime date{};
    double cpu = 0;     // total processor load, fraction 0 to 1
    double memory = 0;  // memory in use over installed memory, fraction 0 to 1
    double gpu = 0;     // graphics utilisation, fraction 0 to 1

    bool operator==(const HistoryPoint&) const = default;
};

// Which of the three figures a chart or sparkline shows.
enum class HistoryField { cpu, memory, gpu };

double fieldValue(const HistoryPoint& point, HistoryField field);

// {"date": seconds since 2001-01-01 UTC, "cpu", "memory", "gpu"}. Fails (unencodable) on a
// non-finite number, which JSON cannot hold.
JsonResult<Json> toJson(const HistoryPoint& point);
// Every key is required and must be a finite number; further keys are ignored.
JsonResult<HistoryPoint> historyPointFromJson(const Json& value);

// A JSON array of points as text, the stored form of a history.
JsonResult<std::string> encodeHistory(const std::vector<HistoryPoint>& history);
// Fails as a whole on malformed text, a value that is not an array or any bad element, so a
// damaged store starts afresh rather than half-read.
JsonResult<std::vector<HistoryPoint>> decodeHistory(std::string_view text);

}  // namespace vantric
