// The JSON forms of the reading records and the widgets' stored history, which another version of
// the programs, or a damaged store, may have written. What decodes must encode again, and the
// encoded text must decode to the same value.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/json_fields.hpp"
#include "core/record_json.hpp"
#include "fuzz/fuzz_check.hpp"
#include "widgets/views/history_point.hpp"

namespace vantric {
namespace {

template <typename Record>
Json encoded(const Record& record) {
    if constexpr (requires { toJson(record).ok(); }) {
        auto json = toJson(record);
        fuzzCheck(json.ok(), "a decoded record encodes");
        return std::move(json).value();
    } else {
        return toJson(record);
    }
}

// decode(json) -> record; encoding it gives JSON that decodes to the same record, both as a value
// and as the text it is written as.
template <typename Decode>
void roundTrip(const Json& json, Decode decode) {
    const auto decoded = decode(json);
    if (!decoded) {
        return;
    }
    const Json again = encoded(decoded.value());
    const auto fromValue = decode(again);
    fuzzCheck(fromValue.ok() && fromValue.value() == decoded.value(),
              "a record decodes from its own JSON");
    const auto text = parseJson(again.dump());
    fuzzCheck(text.ok(), "a record's JSON text parses");
    const auto fromText = decode(text.value());
    fuzzCheck(fromText.ok() && fromText.value() == decoded.value(),
              "a record decodes from its own JSON text");
}

// A record on its own, or as the member of a reading line that holds it.
template <typename Decode>
void decodeRecord(const Json& json, const char* member, Decode decode) {
    roundTrip(json, decode);
    if (json.is_object()) {
        if (const auto found = json.find(member); found != json.end()) {
            roundTrip(*found, decode);
        }
    }
}

void fuzzRecords(std::string_view text) {
    const auto json = parseJson(text);
    if (!json) {
        return;
    }
    decodeRecord(json.value(), "cpu", cpuSnapshotFromJson);
    decodeRecord(json.value(), "memory", memorySnapshotFromJson);
    decodeRecord(json.value(), "gpu", gpuSnapshotFromJson);
    decodeRecord(json.value(), "pressure", memoryPressureFromJson);
}

void fuzzHistory(std::string_view text) {
    const auto history = decodeHistory(text);
    if (!history) {
        return;
    }
    const auto stored = encodeHistory(history.value());
    fuzzCheck(stored.ok(), "a decoded history encodes");
    const auto again = decodeHistory(stored.value());
    fuzzCheck(again.ok() && again.value() == history.value(),
              "a history decodes from its own stored form");
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view text = fuzzText(data, size);
    fuzzRecords(text);
    fuzzHistory(text);
    return 0;
}
