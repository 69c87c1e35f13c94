// The bytes that firmware and drivers hand on (brand strings, device-tree properties, names) made
// valid UTF-8 before they cross the platform interfaces.

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.hpp"
#include "platform/linux/utf8_text.hpp"

namespace vantric {
namespace {

std::string asciiBytes(std::string_view text) {
    std::string ascii;
    std::copy_if(text.begin(), text.end(), std::back_inserter(ascii),
                 [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
    return ascii;
}

bool isAsciiBlankOrControl(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value <= 0x20 || value == 0x7F;
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view bytes = fuzzText(data, size);

    const std::string text = validUtf8(bytes);
    fuzzCheck(validUtf8(text) == text, "the result is valid UTF-8");
    // A replacement is three bytes and stands for at least one byte; ASCII is never replaced or
    // made up.
    fuzzCheck(text.size() <= 3 * bytes.size(), "the result is bounded");
    fuzzCheck(asciiBytes(text) == asciiBytes(bytes), "ASCII passes through unchanged");

    const std::string trimmed = trimmedText(bytes);
    fuzzCheck(text.find(trimmed) != std::string::npos, "trimming only takes from the ends");
    fuzzCheck(trimmedText(trimmed) == trimmed, "trimming twice changes nothing");
    fuzzCheck(trimmed.empty() || (!isAsciiBlankOrControl(trimmed.front()) &&
                                  !isAsciiBlankOrControl(trimmed.back())),
              "no blank or control is left at either end");
    return 0;
}
