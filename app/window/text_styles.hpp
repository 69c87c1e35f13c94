#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace vantric {

// The window's few text styles, at fixed pixel sizes so a card measures the same on every
// screen, in the application's font family. The family's digits all have one advance, which is
// what keeps changing figures from jittering: Qt 6.4 cannot ask a font for tabular digits.
namespace TextStyle {

QFont headline();       // 13 px semibold
QFont callout();        // 12 px
QFont subheadline();    // 11 px
QFont caption();        // 10 px
QFont captionMedium();  // 10 px medium
QFont caption2();       // 9 px, the smaller caption
QFont body();           // 13 px

// Large figures of the cards and page headers.
QFont figure(int pixelSize, QFont::Weight weight);

QColor primaryText(const QPalette& palette);
// Primary text at 55% opacity rather than a separate role, so it dims the same way over a card's
// base colour as over the window's.
QColor secondaryText(const QPalette& palette);

// How far to move text in font down, from the top of its line, so that its baseline meets that
// of text in reference set at the same top. Qt layouts have no baseline alignment.
int baselineShift(const QFont& reference, const QFont& font);

// Gives widget's own text (a label's, a button's) color, leaving the rest of its palette
// inherited.
void setTextColor(QWidget& widget, const QColor& color);

}  // namespace TextStyle
}  // namespace vantric
