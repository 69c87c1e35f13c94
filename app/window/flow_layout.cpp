#include "app/window/flow_layout.hpp"

#include <algorithm>

namespace vantric {

FlowLayout::FlowLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent)
    : QLayout(parent), horizontalSpacing_(horizontalSpacing), verticalSpacing_(verticalSpacing) {
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() {
    qDeleteAll(items_);
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int FlowLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize FlowLayout::sizeHint() const {
    // All in one row.
    int width = 0;
    for (const QLayoutItem* item : items_) {
        width += item->sizeHint().width() + (width > 0 ? horizontalSpacing_ : 0);
    }
    return {width, heightForWidth(width)};
}

QSize FlowLayout::minimumSize() const {
    int width = 0;
    for (const QLayoutItem* item : items_) {
        width = std::max(width, item->minimumSize().width());
    }
    return {width, heightForWidth(width)};
}

int FlowLayout::heightForWidth(int width) const {
    return arrange(QRect(0, 0, width, 0), false);
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
    int left = rect.x();
    int top = rect.y();
    int rowHeight = 0;
    for (QLayoutItem* item : items_) {
        const QSize size = item->sizeHint();
        if (left > rect.x() && left + size.width() > rect.right() + 1) {
            left = rect.x();
            top += rowHeight + verticalSpacing_;
            rowHeight = 0;
        }
        const int height =
            item->hasHeightForWidth() ? item->heightForWidth(size.width()) : size.height();
        if (apply) {
            item->setGeometry(QRect(QPoint(left, top), QSize(size.width(), height)));
        }
        left += size.width() + horizontalSpacing_;
        rowHeight = std::max(rowHeight, height);
    }
    return items_.isEmpty() ? 0 : top + rowHeight - rect.y();
}

}  // namespace vantric
