#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/json_result.hpp"

namespace vantric {

// Strict readers of one key of a JSON object, shared by every decoder. A missing key is
// missingKey; a value of another JSON type is typeMismatch.

// Any JSON number, as double; NaN and infinity never decode.
JsonResult<double> requireDouble(const Json& object, const char* key);
// An array of JSON numbers, each as requireDouble reads one; an element of another type fails
// the whole array.
JsonResult<std::vector<double>> requireDoubleArray(const Json& object, const char* key);
// A JSON integer from 0 to 2^64 - 1. Fractions (also 1.0 and 1e3), negatives and larger numbers
// are typeMismatch.
JsonResult<std::uint64_t> requireUnsigned(const Json& object, const char* key);
JsonResult<bool> requireBool(const Json& object, const char* key);

// A JSON integer of either sign that fits 64 bits, as a value rather than a key of an object.
std::optional<std::int64_t> integerValue(const Json& value);

// The number itself when it is finite; unencodable otherwise, named after key.
JsonResult<Json> finiteNumber(double value, const char* key);

// Text -> JSON value; malformedText when the text is not one complete JSON value.
JsonResult<Json> parseJson(std::string_view text);

}  // namespace vantric
