#include "widgets/views/locale_symbols.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(LocaleSymbols, ReadSeparatorsGroupingAndDigitsFromTheLocaleAndFollowTheDefault) {
    const NumberSymbols german = numberSymbols(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(german.decimalSeparator, ",");
    EXPECT_EQ(german.groupSeparator, ".");
    const NumberSymbols indian = numberSymbols(QLocale(QStringLiteral("hi_IN")));
    EXPECT_EQ(indian.primaryGroupSize, 3);
    EXPECT_EQ(indian.secondaryGroupSize, 2);
    EXPECT_EQ(numberSymbols(QLocale(QStringLiteral("ar_EG"))).zeroDigit, U'\u0660');
    EXPECT_EQ(numberSymbols(QLocale(QStringLiteral("en_US"))).minimumGroupingDigits, 1);

    const QLocale before;
    QLocale::setDefault(QLocale(QStringLiteral("fr_FR")));
    EXPECT_EQ(currentNumberSymbols().decimalSeparator, ",");
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(currentNumberSymbols().decimalSeparator, ".");
    QLocale::setDefault(before);
}

}  // namespace
}  // namespace vantric
