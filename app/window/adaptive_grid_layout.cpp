#include "app/window/adaptive_grid_layout.hpp"

#include <algorithm>

#include <QWidget>

namespace vantric {

AdaptiveGridLayout::AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget* parent)
    : QLayout(parent), minimumColumnWidth_(minimumColumnWidth), spacing_(spacing) {
    setContentsMargins(0, 0, 0, 0);
}

AdaptiveGridLayout::~AdaptiveGridLayout() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

int AdaptiveGridLayout::columnCount(int width) const {
    // n columns need n * minimum + (n - 1) * spacing.
    const int fitting = (width + spacing_) / std::max(1, minimumColumnWidth_ + spacing_);
    return std::clamp(fitting, 1, std::max<int>(1, static_cast<int>(items_.size())));
}

void AdaptiveGridLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int AdaptiveGridLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* AdaptiveGridLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* AdaptiveGridLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize AdaptiveGridLayout::sizeHint() const {
    const int columns = std::max<int>(1, static_cast<int>(items_.size()));
    const int width = columns * minimumColumnWidth_ + (columns - 1) * spacing_;
    return {width, heightForWidth(width)};
}

QSize AdaptiveGridLayout::minimumSize() const {
    return {minimumColumnWidth_, heightForWidth(minimumColumnWidth_)};
}

int AdaptiveGridLayout::heightForWidth(int width) const {
    return arrange(QRect(0, 0, width, 0), false);
}

void AdaptiveGridLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int AdaptiveGridLayout::arrange(const QRect& rect, bool apply) const {
    const int columns = columnCount(rect.width());
    const int columnWidth = std::max(1, (rect.width() - (columns - 1) * spacing_) / columns);
    int top = rect.y();
    for (qsizetype first = 0; first < items_.size(); first += columns) {
        const qsizetype last = std::min<qsizetype>(first + columns, items_.size());
        int rowHeight = 0;
        for (qsizetype index = first; index < last; ++index) {
            QLayoutItem* item = items_.at(index);
            const int height = item->hasHeightForWidth() ? item->heightForWidth(columnWidth)
                                                         : item->sizeHint().height();
            rowHeight = std::max(rowHeight, height);
        }
        const auto inRow = static_cast<int>(last - first);
        const int rowWidth = inRow * columnWidth + (inRow - 1) * spacing_;
        int left = rect.x() + (rect.width() - rowWidth) / 2;
        for (qsizetype index = first; index < last && apply; ++index) {
            items_.at(index)->setGeometry(QRect(left, top, columnWidth, rowHeight));
            left += columnWidth + spacing_;
        }
        top += rowHeight + spacing_;
    }
    return items_.isEmpty() ? 0 : top - spacing_ - rect.y();
}

}  // namespace vantric
