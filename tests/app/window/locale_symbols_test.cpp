#include "widgets/views/locale_symbols.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(LocaleSymbols, ReadSeparatorsGroupingAndDigitsFromTheLocale) {
    const NumberSymbols german = numberSymbols(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(german.decimalSeparator, ",");
    EXPECT_EQ(german.groupSeparator, ".");
    EXPECT_EQ(Format::bytes(1536ULL << 20, 2, german).number, "1,50");

    const NumberSymbols indian = numberSymbols(QLocale(QStringLiteral("hi_IN")));
    EXPECT_EQ(indian.primaryGroupSize, 3);
    EXPECT_EQ(indian.secondaryGroupSize, 2);

    const NumberSymbols arabic = numberSymbols(QLocale(QStringLiteral("ar_EG")));
    EXPECT_EQ(arabic.zeroDigit, U'\u0660');

    const NumberSymbols english = numberSymbols(QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(english.decimalSeparator, ".");
    EXPECT_EQ(english.groupSeparator, ",");
    EXPECT_EQ(english.minimumGroupingDigits, 1);
}

TEST(LocaleSymbols, FollowTheDefaultLocaleWhenItChanges) {
    const QLocale before;
    QLocale::setDefault(QLocale(QStringLiteral("fr_FR")));
    EXPECT_EQ(currentNumberSymbols().decimalSeparator, ",");
    QLocale::setDefault(QLocale(QStringLiteral("en_GB")));
    EXPECT_EQ(currentNumberSymbols().decimalSeparator, ".");
    QLocale::setDefault(before);
}

}  // namespace
}  // namespace vantric
