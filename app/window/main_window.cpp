#include "app/window/main_window.hpp"

#include <QIcon>

#include "app/window/main_view.hpp"

namespace vantric {

MainWindow::MainWindow(MetricsStore& store, QWidget* parent)
    : QMainWindow(parent), view_(new MainView(store, this)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Vantric"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vantric.svg")));
    setCentralWidget(view_);
    resize(defaultSize);
}

void MainWindow::bringForward() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

}  // namespace vantric
