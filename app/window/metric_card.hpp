#pragma once

#include <vector>

#include <QColor>
#include <QString>

#include "app/window/card_background.hpp"
#include "app/window/detail_row.hpp"

class QLabel;
class QVBoxLayout;

namespace vantric {

class FigureLabel;

class RingGauge;
class Sparkline;

// The Overview page's card for one figure: caption and gauge, the figure and its unit, the last
// two minutes as a sparkline, and a few detail lines. The whole card is one button.
class MetricCard : public CardSurface {
    Q_OBJECT

public:
    // Room for this many history values, two minutes at one reading a second: a shorter history
    // fills only the right-hand side, so the newest value is always at the right edge.
    static constexpr int historyCapacity = 120;

    MetricCard(const QString& title, const QString& systemImage, QWidget* parent = nullptr);

    // Of the caption, the gauge and the sparkline.
    void setColor(const QColor& color);
    void setFigure(const QString& value, const QString& unit);
    void setFraction(double fraction);
    // Oldest first.
    void setHistory(const std::vector<double>& history);
    void setDetails(const std::vector<DetailText>& details);

    QColor color() const { return color_; }
    QString title() const;
    QString value() const;
    QString unit() const;
    std::vector<DetailText> details() const;
    const RingGauge& gauge() const { return *gauge_; }
    const Sparkline& sparkline() const { return *sparkline_; }

signals:
    // A click anywhere on the card, or Space or Enter while it has the keyboard focus.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateColors();

    QString systemImage_;
    QColor color_;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    RingGauge* gauge_ = nullptr;
    FigureLabel* value_ = nullptr;
    FigureLabel* unit_ = nullptr;
    Sparkline* sparkline_ = nullptr;
    QVBoxLayout* detailsLayout_ = nullptr;
    std::vector<DetailRow*> detailRows_;
    bool pressed_ = false;
    bool focusRing_ = false;
};

}  // namespace vantric
