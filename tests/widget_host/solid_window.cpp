// An ordinary application window, filled with one colour, for the tests that check that windows
// cover the desktop widgets. Its Wayland app id is "vantric-test-window".

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

#include "tests/widget_host/display_colours.hpp"

namespace {

class SolidWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), vantric::display_colours::window);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("vantric-test-window"));
    SolidWindow window;
    window.resize(400, 300);
    window.show();
    return QGuiApplication::exec();
}
