#include "platform/linux/utf8_text.hpp"

namespace vantric {

namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

// The length of a well-formed sequence starting with lead and the range its second byte must lie
// in (Unicode's table of well-formed byte sequences); 0 for a byte no sequence starts with.
struct Lead {
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {.length = 2};
    }
    if (byte == 0xE0) {
        return {.length = 3, .low = 0xA0};  // below is overlong
    }
    if (byte == 0xED) {
        return {.length = 3, .high = 0x9F};  // above are the surrogates
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {.length = 3};
    }
    if (byte == 0xF0) {
        return {.length = 4, .low = 0x90};  // below is overlong
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {.length = 4};
    }
    if (byte == 0xF4) {
        return {.length = 4, .high = 0x8F};  // above is beyond U+10FFFF
    }
    return {};
}

// The code point of the well-formed sequence at text[0].
char32_t firstCodePoint(std::string_view text, std::size_t& length) {
    const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    length = leadOf(byte(0)).length;
    if (length == 0) {
        length = 1;
        return byte(0);
    }
    char32_t point = byte(0) & (0x7FU >> length);
    for (std::size_t index = 1; index < length; ++index) {
        point = (point << 6U) | (byte(index) & 0x3FU);
    }
    return point;
}

// The first byte of the last code point of valid UTF-8 text.
std::size_t lastCodePointStart(std::string_view text) {
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0U) == 0x80U) {
        --start;
    }
    return start;
}

// Controls (C0, DEL, C1), the Unicode space separators, the line and paragraph separators, the
// zero-width characters and the byte-order mark.
bool isBlankOrControl(char32_t point) {
    return point <= 0x20 || (point >= 0x7F && point <= 0xA0) || point == 0x1680 ||
           (point >= 0x2000 && point <= 0x200F) || point == 0x2028 || point == 0x2029 ||
           point == 0x202F || point == 0x205F || point == 0x3000 || point == 0xFEFF;
}

}  // namespace

std::string validUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[index]);
        if (byte < 0x80) {
            text += bytes[index++];
            continue;
        }
        const Lead lead = leadOf(byte);
        if (lead.length == 0) {
            text += replacement;
            ++index;
            continue;
        }
        // Count the bytes that continue the sequence; the first that does not ends the maximal
        // subpart and starts the next sequence.
        std::size_t taken = 1;
        while (taken < lead.length && index + taken < bytes.size()) {
            const auto next = static_cast<unsigned char>(bytes[index + taken]);
            const unsigned char low = taken == 1 ? lead.low : 0x80;
            const unsigned char high = taken == 1 ? lead.high : 0xBF;
            if (next < low || next > high) {
                break;
            }
            ++taken;
        }
        if (taken == lead.length) {
            text.append(bytes.substr(index, taken));
        } else {
            text += replacement;
        }
        index += taken;
    }
    return text;
}

std::string trimmedText(std::string_view bytes) {
    const std::string text = validUtf8(bytes);
    std::string_view rest(text);
    while (!rest.empty()) {
        std::size_t length = 0;
        if (!isBlankOrControl(firstCodePoint(rest, length))) {
            break;
        }
        rest.remove_prefix(length);
    }
    while (!rest.empty()) {
        const std::size_t start = lastCodePointStart(rest);
        std::size_t length = 0;
        if (!isBlankOrControl(firstCodePoint(rest.substr(start), length))) {
            break;
        }
        rest.remove_suffix(rest.size() - start);
    }
    return std::string(rest);
}

}  // namespace vantric
