#pragma once

#include <optional>

#include <QLabel>

namespace vantric {

// A one-line label for a figure that changes with the readings. A QLabel whose text changes asks
// every layout above it to run again, each second for every figure on the page. This one keeps a
// fixed size, the one its text needs, and a widget of fixed size asks nothing of its parents:
// a new text of the same size (most are, as digits are of one width) repaints the label alone,
// and only a text that needs another size fixes that size, which lays the page out once. A
// figure set flush right keeps the widest width it has needed until its font changes: a shorter
// text reads the same at the right of the wider box, and nothing moves. In a column, the width
// is the column's and only the height follows the text.
class FigureLabel : public QLabel {
    Q_OBJECT

public:
    explicit FigureLabel(QWidget* parent = nullptr);

    // Hides QLabel::setText, which would keep the size of the text before.
    void setText(const QString& text);
    void setColumnWidth(int width);

protected:
    void changeEvent(QEvent* event) override;

private:
    // Fits the size to the text; a right-aligned figure shrinks only when mayShrink.
    void fitText(bool mayShrink);
    QSize textSize() const;

    std::optional<int> columnWidth_;
};

}  // namespace vantric
