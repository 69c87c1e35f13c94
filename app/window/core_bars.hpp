#pragma once

#include <vector>

#include <QColor>
#include <QRectF>
#include <QWidget>

namespace vantric {

// One bar per logical processor, in the order the kernel lists them: a track, a fill as high as
// the processor's busy share (at least a 3 px sliver, so an idle one still shows), its percentage
// and "Core N" below. The columns share the width equally, 8 px apart, in a row 160 px high.
// Where that would make a column narrower than its own label, the bars wrap into as many rows of
// equal length as they need: a machine with a hundred processors gets several legible rows
// rather than one row of unreadable slivers.
class CoreBars : public QWidget {
public:
    static constexpr int rowHeight = 160;
    static constexpr int columnSpacing = 8;
    static constexpr int rowSpacing = 12;
    static constexpr double minimumFill = 3;

    struct Column {
        QRectF track{};
        QRectF fill{};
        QColor fillColor{};
        QRectF percentText{};
        QRectF labelText{};
    };

    explicit CoreBars(QWidget* parent = nullptr);

    // Fractions from 0 to 1; values outside are drawn at the nearer end, NaN as 0.
    void setCores(std::vector<double> cores, const QColor& color);

    const std::vector<double>& cores() const { return cores_; }
    const QColor& color() const { return color_; }

    int rowCount(int width) const;
    // Where each processor's column lies at the current width.
    std::vector<Column> columns() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int narrowestColumn() const;
    int columnsPerRow(int width) const;

    std::vector<double> cores_;
    QColor color_;
};

}  // namespace vantric
