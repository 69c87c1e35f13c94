#pragma once

#include <QLayout>
#include <QList>

namespace vantric {

// Lays its items out left to right at their preferred sizes, top-aligned, and starts a new row
// where the next one would not fit. Its height follows its width, so inside a scroll area a
// narrow window wraps the items instead of clipping them.
class FlowLayout : public QLayout {
public:
    FlowLayout(int horizontalSpacing, int verticalSpacing, QWidget* parent = nullptr);
    ~FlowLayout() override;
    FlowLayout(const FlowLayout&) = delete;
    FlowLayout& operator=(const FlowLayout&) = delete;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override { return {}; }

private:
    int arrange(const QRect& rect, bool apply) const;

    int horizontalSpacing_;
    int verticalSpacing_;
    QList<QLayoutItem*> items_;
};

}  // namespace vantric
