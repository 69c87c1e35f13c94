#pragma once

#include <initializer_list>

#include <QWidget>

namespace vantric {

class MetricsStore;

// A page drawn from the store's current reading. It redraws at every reading while shown, when
// it is shown again and when the locale changes; a hidden page does no work, since its readings
// would be stale by the time it is shown anyway. Lives on the main thread, like the store's
// published state.
class LivePage : public QWidget {
public:
    explicit LivePage(MetricsStore& store, QWidget* parent = nullptr);

protected:
    // Derived pages call it once at the end of their constructor, so that a page is complete
    // before it is first shown.
    virtual void refresh() = 0;

    MetricsStore& store() const { return store_; }
    // Lays the page out as its parts, top to bottom, 20 px apart.
    void stackParts(std::initializer_list<QWidget*> parts);

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    MetricsStore& store_;
};

}  // namespace vantric
