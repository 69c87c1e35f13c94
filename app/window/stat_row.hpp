#pragma once

#include <vector>

#include <QStringList>
#include <QWidget>

namespace vantric {

class BigStat;

// The large figures at the top of a detail page: one BigStat per label, left to right, 40 px
// apart and vertically centred.
class StatRow : public QWidget {
public:
    explicit StatRow(const QStringList& labels, QWidget* parent = nullptr);

    BigStat& stat(int index) const { return *stats_.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(stats_.size()); }

private:
    std::vector<BigStat*> stats_;
};

}  // namespace vantric
