#include "widgets/views/locale_symbols.hpp"

#include <QString>
#include <QStringList>

namespace vantric {
namespace {

std::string utf8(const QString& text) {
    return text.toStdString();
}

// Qt does not publish a locale's group sizes, but it writes numbers with them: read them back
// from a number long enough to show the primary group and two secondary ones.
void readGroupSizes(const QLocale& locale, NumberSymbols& symbols) {
    const QString separator = locale.groupSeparator();
    if (separator.isEmpty()) {
        return;
    }
    const QStringList groups = locale.toString(static_cast<qlonglong>(1234567890)).split(separator);
    if (groups.size() >= 2) {
        symbols.primaryGroupSize = static_cast<int>(groups.at(groups.size() - 1).size());
    }
    if (groups.size() >= 3) {
        symbols.secondaryGroupSize = static_cast<int>(groups.at(groups.size() - 2).size());
    } else {
        symbols.secondaryGroupSize = symbols.primaryGroupSize;
    }
    // Some locales (Spanish, Polish) group only once the leading group would have two or more
    // digits: 1000 stays whole while 10 000 is grouped.
    symbols.minimumGroupingDigits = 1;
    qlonglong probe = 1;
    for (int i = 0; i < symbols.primaryGroupSize; ++i) {
        probe *= 10;
    }
    for (int lead = 1; lead <= 3; ++lead, probe *= 10) {
        if (locale.toString(probe).contains(separator)) {
            symbols.minimumGroupingDigits = lead;
            break;
        }
    }
}

}  // namespace

NumberSymbols numberSymbols(const QLocale& locale) {
    NumberSymbols symbols;
    symbols.decimalSeparator = utf8(locale.decimalPoint());
    symbols.minusSign = utf8(locale.negativeSign());
    const bool grouped = !locale.numberOptions().testFlag(QLocale::OmitGroupSeparator);
    symbols.groupSeparator = grouped ? utf8(locale.groupSeparator()) : std::string();
    if (grouped) {
        readGroupSizes(locale, symbols);
    }
    // The zero digit may lie outside the Basic Multilingual Plane, where it takes two UTF-16
    // units.
    const QList<uint> zero = locale.zeroDigit().toUcs4();
    symbols.zeroDigit = zero.isEmpty() ? U'0' : static_cast<char32_t>(zero.front());
    return symbols;
}

NumberSymbols currentNumberSymbols() {
    return numberSymbols(QLocale());
}

}  // namespace vantric
