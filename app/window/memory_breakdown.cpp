#include "app/window/memory_breakdown.hpp"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/window/adaptive_grid_layout.hpp"
#include "app/window/figure_label.hpp"
#include "app/window/figure_text.hpp"
#include "app/window/text_styles.hpp"
#include "widgets/views/locale_symbols.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr int barHeight = 16;
constexpr double pieceRadius = 3;
constexpr int dotSize = 9;
constexpr int legendColumnWidth = 170;

// The conventional system indigo, pink and gray, sRGB.
const QColor indigo(88, 86, 214);
const QColor pink(255, 45, 85);

QColor withOpacity(QColor color, float opacity) {
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

}  // namespace

std::vector<MemorySegment> memorySegments(const MemorySnapshot& memory, const QColor& primaryText) {
    const std::uint64_t inUse = memoryInUse(memory);
    const std::uint64_t taken =
        inUse > UINT64_MAX - memory.cached ? UINT64_MAX : inUse + memory.cached;
    const std::uint64_t free = taken < memory.total ? memory.total - taken : 0;
    return {
        {.id = QStringLiteral("App memory"), .bytes = memory.app, .color = Palette::memory()},
        {.id = QStringLiteral("Wired"), .bytes = memory.wired, .color = indigo},
        {.id = QStringLiteral("Compressed"), .bytes = memory.compressed, .color = pink},
        {.id = QStringLiteral("Cached files"),
         .bytes = memory.cached,
         .color = withOpacity(QColor(142, 142, 147), 0.55F)},
        {.id = QStringLiteral("Free"), .bytes = free, .color = withOpacity(primaryText, 0.08F)},
    };
}

std::vector<double> memoryPieceWidths(const std::vector<MemorySegment>& segments,
                                      std::uint64_t total, double barWidth) {
    std::vector<double> widths;
    // Summed in floating point: five counts near 2^64 would wrap an integer sum.
    double sum = 0;
    for (const MemorySegment& segment : segments) {
        if (segment.bytes != 0) {
            widths.push_back(static_cast<double>(segment.bytes));
            sum += static_cast<double>(segment.bytes);
        }
    }
    const double whole = std::max(sum, static_cast<double>(total));
    const double available = std::max(
        0.0, barWidth - MemoryBreakdown::pieceSpacing * (static_cast<double>(widths.size()) - 1));
    for (double& width : widths) {
        width = total == 0 ? 0 : available * width / whole;
    }
    return widths;
}

class MemoryBreakdown::Bar : public QWidget {
public:
    explicit Bar(const MemoryBreakdown& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
        setFixedHeight(barHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const std::vector<QRectF> pieces = owner_.pieces();
        std::size_t piece = 0;
        for (const MemorySegment& segment : owner_.segments()) {
            if (segment.bytes == 0) {
                continue;
            }
            painter.setBrush(segment.color);
            painter.drawRoundedRect(pieces.at(piece++), pieceRadius, pieceRadius);
        }
    }

private:
    const MemoryBreakdown& owner_;
};

class ColorDot : public QWidget {
public:
    explicit ColorDot(QWidget* parent) : QWidget(parent) { setFixedSize(dotSize, dotSize); }

    void setColor(const QColor& color) {
        color_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor color_;
};

class MemoryBreakdown::LegendEntry : public QWidget {
public:
    explicit LegendEntry(QWidget* parent)
        : QWidget(parent),
          dot_(new ColorDot(this)),
          name_(new QLabel(this)),
          size_(new FigureLabel(this)) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        name_->setFont(TextStyle::callout());
        size_->setFont(TextStyle::callout());
        size_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(dot_, 0, Qt::AlignVCenter);
        layout->addWidget(name_, 0, Qt::AlignVCenter);
        layout->addStretch(1);
        layout->addWidget(size_, 0, Qt::AlignVCenter);
        updateColors();
    }

    void setSegment(const MemorySegment& segment, const QString& size) {
        dot_->setColor(segment.color);
        name_->setText(segment.id);
        size_->setText(size);
    }

    QString name() const { return name_->text(); }
    QString size() const { return size_->text(); }

    void updateColors() { TextStyle::setTextColor(*name_, TextStyle::secondaryText(palette())); }

private:
    ColorDot* dot_ = nullptr;
    QLabel* name_ = nullptr;
    FigureLabel* size_ = nullptr;
};

MemoryBreakdown::MemoryBreakdown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    bar_ = new Bar(*this, this);
    layout->addWidget(bar_);

    auto* legend = new QWidget(this);
    auto* grid = new AdaptiveGridLayout({.minimumColumnWidth = legendColumnWidth,
                                         .columnSpacing = 20,
                                         .rowSpacing = 8,
                                         .centreShortRow = false},
                                        legend);
    segments_ = memorySegments(memory_, TextStyle::primaryText(palette()));
    for (std::size_t index = 0; index < segments_.size(); ++index) {
        entries_.push_back(new LegendEntry(legend));
        grid->addWidget(entries_.back());
    }
    // The analyser cannot see that legend owns grid, its layout, from its construction on.
    layout->addWidget(legend);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
    rebuild();
}

void MemoryBreakdown::setMemory(const MemorySnapshot& memory) {
    memory_ = memory;
    rebuild();
}

std::vector<QRectF> MemoryBreakdown::pieces() const {
    std::vector<QRectF> rects;
    double left = 0;
    for (const double width : memoryPieceWidths(segments_, memory_.total, bar_->width())) {
        rects.emplace_back(left, 0, width, barHeight);
        left += width + pieceSpacing;
    }
    return rects;
}

std::vector<std::pair<QString, QString>> MemoryBreakdown::legend() const {
    std::vector<std::pair<QString, QString>> texts;
    for (const LegendEntry* entry : entries_) {
        texts.emplace_back(entry->name(), entry->size());
    }
    return texts;
}

void MemoryBreakdown::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        for (LegendEntry* entry : entries_) {
            entry->updateColors();
        }
        rebuild();
    }
}

void MemoryBreakdown::rebuild() {
    const NumberSymbols symbols = currentNumberSymbols();
    segments_ = memorySegments(memory_, TextStyle::primaryText(palette()));
    for (std::size_t index = 0; index < segments_.size(); ++index) {
        entries_[index]->setSegment(segments_[index],
                                    bytesText(segments_[index].bytes, 2, symbols));
    }
    bar_->update();
}

}  // namespace vantric
