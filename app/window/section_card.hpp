#pragma once

#include <initializer_list>
#include <optional>

#include <QString>

#include "app/window/card_background.hpp"

class QGridLayout;
class QLabel;
class QVBoxLayout;

namespace vantric {

// A titled card around any content: a header line of title, optional subtitle and an accessory
// at the trailing end, then the content below it, the whole padded by 16 px.
class SectionCard : public CardSurface {
    Q_OBJECT

public:
    explicit SectionCard(const QString& title, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSubtitle(std::optional<QString> subtitle);
    // Both take ownership and delete the widget they replace; nullptr leaves the place empty.
    void setAccessory(QWidget* accessory);
    void setContent(QWidget* content);
    // Content of several parts, stacked with the same spacing as the header above them.
    void setContent(std::initializer_list<QWidget*> parts);

    QString title() const;
    std::optional<QString> subtitle() const;
    QWidget* accessory() const { return accessory_; }
    QWidget* content() const { return content_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QVBoxLayout* layout_ = nullptr;
    QGridLayout* header_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QWidget* accessory_ = nullptr;
    QWidget* content_ = nullptr;
};

}  // namespace vantric
