#pragma once

#include <string>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

namespace vantric {

// Key order is kept, so a record encodes its keys in field order.
using Json = nlohmann::ordered_json;

// Why a value did not become JSON, or JSON did not become a value.
struct JsonError {
    enum class Kind {
        malformedText,  // the text is not JSON
        typeMismatch,   // a value of the wrong JSON type, a fraction, a negative or too large count
        missingKey,
        corruptData,  // the right type but a value the record cannot hold
        unencodable,  // a number JSON cannot represent (NaN, infinity)
    };
    Kind kind;
    std::string key;  // the key at fault; empty when the fault is the value as a whole

    bool operator==(const JsonError&) const = default;
};

// A decoded or encoded value, or the reason there is none. Nothing in the JSON layer throws.
template <typename T>
class JsonResult {
public:
    JsonResult(T value) : outcome_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    JsonResult(JsonError error)
        : outcome_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return std::holds_alternative<T>(outcome_); }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    const T& value() const& { return std::get<T>(outcome_); }
    T value() && { return std::get<T>(std::move(outcome_)); }
    // Only when !ok().
    const JsonError& error() const { return std::get<JsonError>(outcome_); }

private:
    std::variant<T, JsonError> outcome_;
};

}  // namespace vantric
