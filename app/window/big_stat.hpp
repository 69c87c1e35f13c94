#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QWidget>

class QLabel;

namespace vantric {

class FigureLabel;

// A large figure under a dimmed caption, with an optional unit after it on the same baseline.
class BigStat : public QWidget {
    Q_OBJECT

public:
    explicit BigStat(const QString& label, QWidget* parent = nullptr);

    void setLabel(const QString& label);
    // Without a unit the figure stands alone, with no gap after it.
    void setValue(const QString& value, const std::optional<QString>& unit = std::nullopt);
    // nullopt: the primary text colour, following the palette.
    void setColor(std::optional<QColor> color);

    QString label() const;
    QString value() const;
    std::optional<QString> unit() const;
    std::optional<QColor> color() const { return color_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateColors();

    std::optional<QColor> color_;
    QLabel* label_ = nullptr;
    FigureLabel* value_ = nullptr;
    FigureLabel* unit_ = nullptr;
};

}  // namespace vantric
