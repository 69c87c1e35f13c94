#include "core/json_fields.hpp"

#include <cmath>
#include <limits>

namespace vantric {

namespace {

JsonResult<const Json*> member(const Json& object, const char* key) {
    if (!object.is_object()) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = {}};
    }
    const auto found = object.find(key);
    if (found == object.end()) {
        return JsonError{.kind = JsonError::Kind::missingKey, .key = key};
    }
    return &*found;
}

JsonError mismatch(const char* key) {
    return JsonError{.kind = JsonError::Kind::typeMismatch, .key = key};
}

// Any finite JSON number as double; errors name key.
JsonResult<double> doubleValue(const Json& value, const char* key) {
    if (!value.is_number()) {
        return mismatch(key);
    }
    const double number = value.get<double>();
    if (!std::isfinite(number)) {
        return JsonError{.kind = JsonError::Kind::corruptData, .key = key};
    }
    return number;
}

}  // namespace

JsonResult<double> requireDouble(const Json& object, const char* key) {
    const auto value = member(object, key);
    if (!value) {
        return value.error();
    }
    return doubleValue(*value.value(), key);
}

JsonResult<std::vector<double>> requireDoubleArray(const Json& object, const char* key) {
    const auto value = member(object, key);
    if (!value) {
        return value.error();
    }
    if (!value.value()->is_array()) {
        return mismatch(key);
    }
    std::vector<double> numbers;
    numbers.reserve(value.value()->size());
    for (const Json& element : *value.value()) {
        const auto number = doubleValue(element, key);
        if (!number) {
            return number.error();
        }
        numbers.push_back(number.value());
    }
    return numbers;
}

JsonResult<std::uint64_t> requireUnsigned(const Json& object, const char* key) {
    const auto value = member(object, key);
    if (!value) {
        return value.error();
    }
    const Json& number = *value.value();
    // The parser keeps integers apart from fractions and stores a number beyond 2^64 - 1 as a
    // fraction, so the JSON type alone tells a valid count.
    if (number.is_number_unsigned()) {
        return number.get<std::uint64_t>();
    }
    if (number.is_number_integer() && number.get<std::int64_t>() >= 0) {
        return static_cast<std::uint64_t>(number.get<std::int64_t>());
    }
    return mismatch(key);
}

std::optional<std::int64_t> integerValue(const Json& value) {
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    return std::nullopt;
}

JsonResult<bool> requireBool(const Json& object, const char* key) {
    const auto value = member(object, key);
    if (!value) {
        return value.error();
    }
    if (!value.value()->is_boolean()) {
        return mismatch(key);
    }
    return value.value()->get<bool>();
}

JsonResult<Json> finiteNumber(double value, const char* key) {
    if (!std::isfinite(value)) {
        return JsonError{.kind = JsonError::Kind::unencodable, .key = key};
    }
    return Json(value);
}

JsonResult<Json> parseJson(std::string_view text) {
    Json parsed = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) {
        return JsonError{.kind = JsonError::Kind::malformedText, .key = {}};
    }
    return parsed;
}

}  // namespace vantric
