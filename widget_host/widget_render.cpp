#include "widget_host/widget_render.hpp"

#include <memory>
#include <optional>

#include <QEventLoop>
#include <QPainter>
#include <QTimer>

#include "widget_host/completion_gate.hpp"

namespace vantric {

QImage renderWidget(WidgetBundle& bundle, const WidgetDescription& description) {
    QEventLoop loop;
    std::optional<Timeline> received;
    const auto gate = std::make_shared<CompletionGate>(&loop);
    // Delivered only while the loop, and so this frame, still exists.
    bundle.timeline(description.kind, [gate, &received, &loop](Timeline timeline) {
        gate->post([&received, &loop, timeline = std::move(timeline)] {
            received = timeline;
            loop.quit();
        });
    });
    if (!received) {
        QTimer::singleShot(renderTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    gate->close();
    if (!received || received->entries.empty()) {
        return {};
    }
    QImage image(description.size * renderPixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(renderPixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    bundle.paint(painter, QRectF(QPointF(0, 0), QSizeF(description.size)), description.kind,
                 received->entries.front());
    painter.end();
    return image;
}

}  // namespace vantric
