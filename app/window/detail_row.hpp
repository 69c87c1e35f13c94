#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace vantric {

class FigureLabel;

struct DetailText {
    QString label{};
    QString value{};

    bool operator==(const DetailText&) const = default;
};

// One label-value line: the label dimmed at the leading edge, the value at the trailing edge.
class DetailRow : public QWidget {
    Q_OBJECT

public:
    explicit DetailRow(QWidget* parent = nullptr);

    void setText(const DetailText& text);
    DetailText text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateColors();

    QLabel* label_ = nullptr;
    FigureLabel* value_ = nullptr;
};

}  // namespace vantric
