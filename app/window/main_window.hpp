#pragma once

#include <QMainWindow>

namespace vantric {

class MainView;
class MetricsStore;

// The application's one window: titled "Vantric", named "main", 1080 x 760 at first.
class MainWindow : public QMainWindow {
public:
    static constexpr QSize defaultSize{1080, 760};

    explicit MainWindow(MetricsStore& store, QWidget* parent = nullptr);

    MainView& view() { return *view_; }
    // Shows the window in front of the others, restoring it when minimised: what a second launch
    // asks for instead of opening another window.
    void bringForward();

private:
    MainView* view_ = nullptr;
};

}  // namespace vantric
