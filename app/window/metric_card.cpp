#include "app/window/metric_card.hpp"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "app/window/figure_label.hpp"
#include "app/window/text_styles.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/spark_point.hpp"
#include "widgets/views/sparkline.hpp"
#include "widgets/views/symbol_icons.hpp"

namespace vantric {
namespace {

constexpr int padding = 16;
constexpr int rowSpacing = 12;
constexpr int iconSize = 16;
constexpr int gaugeSize = 30;
constexpr double gaugeLineWidth = 5;
constexpr double sparklineLineWidth = 1.5;
constexpr int sparklineHeight = 56;
constexpr int figureSpacing = 3;
constexpr int detailSpacing = 6;
constexpr double focusRadius = 14;
constexpr double focusWidth = 2;

}  // namespace

MetricCard::MetricCard(const QString& title, const QString& systemImage, QWidget* parent)
    : CardSurface(parent),
      systemImage_(systemImage),
      color_(Qt::gray),
      icon_(new QLabel(this)),
      title_(new QLabel(title, this)),
      gauge_(new RingGauge(this)),
      value_(new FigureLabel(this)),
      unit_(new FigureLabel(this)),
      sparkline_(new Sparkline(this)),
      detailsLayout_(new QVBoxLayout) {
    // Keyboard focus only: a click already acts, so the mouse has no reason to focus the card.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(rowSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(6);
    icon_->setFixedSize(iconSize, iconSize);
    title_->setFont(TextStyle::headline());
    gauge_->setFixedSize(gaugeSize, gaugeSize);
    gauge_->setLineWidth(gaugeLineWidth);
    header->addWidget(icon_, 0, Qt::AlignVCenter);
    header->addWidget(title_, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(gauge_, 0, Qt::AlignVCenter);
    layout->addLayout(header);

    auto* figure = new QHBoxLayout;
    figure->setSpacing(figureSpacing);
    value_->setFont(TextStyle::figure(36, QFont::DemiBold));
    unit_->setFont(TextStyle::figure(16, QFont::Medium));
    unit_->setContentsMargins(0, TextStyle::baselineShift(value_->font(), unit_->font()), 0, 0);
    figure->addWidget(value_, 0, Qt::AlignTop);
    figure->addWidget(unit_, 0, Qt::AlignTop);
    figure->addStretch(1);
    layout->addLayout(figure);

    // Fixed, whatever the history holds, so cards of one row keep one height.
    sparkline_->setFixedHeight(sparklineHeight);
    sparkline_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    sparkline_->setLineWidth(sparklineLineWidth);
    layout->addWidget(sparkline_);

    detailsLayout_->setSpacing(detailSpacing);
    layout->addLayout(detailsLayout_);

    updateColors();
}

void MetricCard::setColor(const QColor& color) {
    // The pages set the colour at every reading, and it seldom changes: tinting the symbol again
    // would parse and draw its SVG each time. A symbol drawn for another pixel ratio (the window
    // has moved to another screen) is still drawn again.
    if (color == color_ && icon_->pixmap().devicePixelRatio() == devicePixelRatioF()) {
        return;
    }
    color_ = color;
    updateColors();
}

void MetricCard::setFigure(const QString& value, const QString& unit) {
    value_->setText(value);
    unit_->setText(unit);
}

void MetricCard::setFraction(double fraction) {
    gauge_->setFraction(fraction);
}

void MetricCard::setHistory(const std::vector<double>& history) {
    sparkline_->setPoints(SparkPoint::evenlySpaced(history, historyCapacity));
}

void MetricCard::setDetails(const std::vector<DetailText>& details) {
    while (detailRows_.size() > details.size()) {
        delete detailRows_.back();
        detailRows_.pop_back();
    }
    while (detailRows_.size() < details.size()) {
        detailRows_.push_back(new DetailRow(this));
        detailsLayout_->addWidget(detailRows_.back());
    }
    for (std::size_t i = 0; i < details.size(); ++i) {
        detailRows_[i]->setText(details[i]);
    }
}

QString MetricCard::title() const {
    return title_->text();
}

QString MetricCard::value() const {
    return value_->text();
}

QString MetricCard::unit() const {
    return unit_->text();
}

std::vector<DetailText> MetricCard::details() const {
    std::vector<DetailText> texts;
    texts.reserve(detailRows_.size());
    for (const DetailRow* row : detailRows_) {
        texts.push_back(row->text());
    }
    return texts;
}

void MetricCard::paintEvent(QPaintEvent* event) {
    CardSurface::paintEvent(event);
    if (!focusRing_) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double inset = focusWidth / 2;
    QPainterPath ring;
    ring.addRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), focusRadius - inset,
                        focusRadius - inset);
    painter.strokePath(ring, QPen(palette().color(QPalette::Highlight), focusWidth));
}

// The children take no mouse input, so presses anywhere on the card, over a label or an empty
// stretch alike, arrive here. Like a button, the click counts only if released over the card.
void MetricCard::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CardSurface::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void MetricCard::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CardSurface::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = pressed_;
    pressed_ = false;
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void MetricCard::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit clicked();
        return;
    default: CardSurface::keyPressEvent(event);
    }
}

// The ring marks where Tab has got to. Focus that arrives another way, as the window opens or
// comes back to the front, would ring a card the user never chose.
void MetricCard::focusInEvent(QFocusEvent* event) {
    CardSurface::focusInEvent(event);
    focusRing_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
}

void MetricCard::focusOutEvent(QFocusEvent* event) {
    CardSurface::focusOutEvent(event);
    focusRing_ = false;
    update();
}

void MetricCard::changeEvent(QEvent* event) {
    CardSurface::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateColors();
    }
}

void MetricCard::updateColors() {
    TextStyle::setTextColor(*title_, color_);
    TextStyle::setTextColor(*unit_, TextStyle::secondaryText(palette()));
    icon_->setPixmap(symbolPixmap(systemImage_, iconSize, color_, devicePixelRatioF()));
    gauge_->setColor(color_);
    sparkline_->setColor(color_);
}

}  // namespace vantric
