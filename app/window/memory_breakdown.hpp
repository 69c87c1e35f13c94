#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <QColor>
#include <QString>
#include <QWidget>

#include "core/memory_snapshot.hpp"

class QLabel;

namespace vantric {

class AdaptiveGridLayout;

// One part of the installed memory; its label is also its identity.
struct MemorySegment {
    QString id{};
    std::uint64_t bytes = 0;
    QColor color{};

    bool operator==(const MemorySegment&) const = default;
};

// Always five, in this order: app memory, wired, compressed, cached files and free, which is what
// the other four leave of the total and never negative. primaryText tints the free segment.
std::vector<MemorySegment> memorySegments(const MemorySnapshot& memory, const QColor& primaryText);

// The widths of the bar's pieces, one per segment that has bytes, 2 px apart across barWidth.
// They are shares of the total, or of the segments' sum where that is larger (meminfo's lines
// are not read at one instant, so the parts can exceed the whole), so the pieces never overflow
// the bar. With a total of 0 there is nothing to show a share of, and every piece is 0 wide.
std::vector<double> memoryPieceWidths(const std::vector<MemorySegment>& segments,
                                      std::uint64_t total, double barWidth);

// How the installed memory divides: a 16 px bar of the segments with bytes, and a legend of all
// five with their sizes, in columns at least 170 px wide.
class MemoryBreakdown : public QWidget {
public:
    static constexpr double pieceSpacing = 2;

    explicit MemoryBreakdown(QWidget* parent = nullptr);

    void setMemory(const MemorySnapshot& memory);

    const std::vector<MemorySegment>& segments() const { return segments_; }
    // Where each drawn piece lies in the bar, in segment order, at the current width.
    std::vector<QRectF> pieces() const;
    // The legend's texts, one entry per segment: label and size.
    std::vector<std::pair<QString, QString>> legend() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    class Bar;
    class LegendEntry;

    void rebuild();

    MemorySnapshot memory_;
    std::vector<MemorySegment> segments_;
    Bar* bar_ = nullptr;
    std::vector<LegendEntry*> entries_;
};

}  // namespace vantric
