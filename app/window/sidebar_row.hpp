#pragma once

#include <optional>

#include <QString>
#include <QWidget>

class QLabel;

namespace vantric {

class FigureLabel;

// One sidebar entry: the page's symbol and title, and at the trailing edge its live figure.
class SidebarRow : public QWidget {
public:
    SidebarRow(const QString& title, const QString& systemImage, QWidget* parent = nullptr);

    void setBadge(const std::optional<QString>& badge);
    std::optional<QString> badge() const;
    QString title() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateIcon();

    QString systemImage_;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    FigureLabel* badge_ = nullptr;
};

}  // namespace vantric
