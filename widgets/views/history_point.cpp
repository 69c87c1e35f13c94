#include "widgets/views/history_point.hpp"

#include "core/json_fields.hpp"

#include <array>
#include <utility>

namespace vantric {

double fieldValue(const HistoryPoint& point, HistoryField field) {
    switch (field) {
    case HistoryField::cpu: return point.cpu;
    case HistoryField::memory: return point.memory;
    case HistoryField::gpu: return point.gpu;
    }
    return 0;
}

JsonResult<Json> toJson(const HistoryPoint& point) {
    // A NaN would be written as null, and the next read would then reject the whole stored
    // history, so it is refused here instead.
    const std::array<std::pair<const char*, double>, 4> fields{{
        {"date", point.date.secondsSinceReferenceDate},
        {"cpu", point.cpu},
        {"memory", point.memory},
        {"gpu", point.gpu},
    }};
    Json json = Json::object();
    for (const auto& [key, value] : fields) {
        auto number = finiteNumber(value, key);
        if (!number) {
            return number.error();
        }
        json[key] = std::move(number).value();
    }
    return json;
}

JsonResult<HistoryPoint> historyPointFromJson(const Json& value) {
    const auto date = requireDouble(value, "date");
    if (!date) {
        return date.error();
    }
    const auto cpu = requireDouble(value, "cpu");
    if (!cpu) {
        return cpu.error();
    }
    const auto memory = requireDouble(value, "memory");
    if (!memory) {
        return memory.error();
    }
    const auto gpu = requireDouble(value, "gpu");
    if (!gpu) {
        return gpu.error();
    }
    return HistoryPoint{.date = AbsoluteTime{date.value()},
                        .cpu = cpu.value(),
                        .memory = memory.value(),
                        .gpu = gpu.value()};
}

JsonResult<std::string> encodeHistory(const std::vector<HistoryPoint>& history) {
    Json array = Json::array();
    for (const HistoryPoint& point : history) {
        auto json = toJson(point);
        if (!json) {
            return json.error();
        }
        array.push_back(std::move(json).value());
    }
    return array.dump();
}

JsonResult<std::vector<HistoryPoint>> decodeHistory(std::string_view text) {
    const auto parsed = parseJson(text);
    if (!parsed) {
        return parsed.error();
    }
    if (!parsed.value().is_array()) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = {}};
    }
    std::vector<HistoryPoint> history;
    history.reserve(parsed.value().size());
    for (const Json& element : parsed.value()) {
        auto point = historyPointFromJson(element);
        if (!point) {
            return point.error();
        }
        history.push_back(point.value());
    }
    return history;
}

}  // namespace vantric
