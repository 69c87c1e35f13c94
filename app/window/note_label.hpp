#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace vantric {

// A dimmed explanatory text in the callout font, wrapped over as many lines as it needs. The
// text sits in a child label so that the dimmed colour can follow this widget's palette: a label
// that dimmed its own palette would dim it again at every palette change.
class NoteLabel : public QWidget {
public:
    explicit NoteLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    QLabel* label_ = nullptr;
};

}  // namespace vantric
