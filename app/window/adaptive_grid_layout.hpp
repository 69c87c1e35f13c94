#pragma once

#include <QLayout>
#include <QList>

namespace vantric {

// Lays its items out in as many equal columns as fit, each at least minimumColumnWidth wide,
// filling rows left to right; a last row with fewer items is centred or starts at the leading
// edge. Its height follows its width, so inside a scroll area a narrow window stacks the items
// instead of clipping them.
class AdaptiveGridLayout : public QLayout {
public:
    struct Options {
        int minimumColumnWidth = 0;
        int columnSpacing = 0;
        int rowSpacing = 0;
        bool centreShortRow = true;
    };

    explicit AdaptiveGridLayout(const Options& options, QWidget* parent = nullptr);
    ~AdaptiveGridLayout() override;

    int columnCount(int width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }

private:
    int arrange(const QRect& rect, bool apply) const;

    Options options_;
    QList<QLayoutItem*> items_;
};

}  // namespace vantric
