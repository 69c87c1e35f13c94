#include "app/window/figure_text.hpp"

namespace vantric {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString percentText(double fraction) {
    return fromUtf8(Format::percentNumber(fraction)) + '%';
}

QString bytesText(std::uint64_t count, int fractionDigits, const NumberSymbols& symbols) {
    const ByteText formatted = Format::bytes(count, fractionDigits, symbols);
    return fromUtf8(formatted.number + " " + formatted.unit);
}

}  // namespace vantric
