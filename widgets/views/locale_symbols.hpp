#pragma once

#include <QLocale>

#include "core/format.hpp"

namespace vantric {

// How locale writes numbers, in the terms the formatting core takes. Qt carries the CLDR data, so
// this works for every locale even where the system has none installed.
NumberSymbols numberSymbols(const QLocale& locale);

// The symbols of the locale the views draw in now (QLocale's default, which follows the user's
// locale and changes to it). Kept per thread until that locale changes, so it is cheap to ask.
NumberSymbols currentNumberSymbols();

}  // namespace vantric
