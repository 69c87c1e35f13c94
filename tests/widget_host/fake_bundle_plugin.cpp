// A stand-in for the widget plug-in, loaded by the host through the real QPluginLoader path.
// It answers each timeline from a thread of its own after a short delay, with an entry the
// placeholder cannot be mistaken for, and logs every request to $FAKE_BUNDLE_LOG, so that tests
// can count what the host asked for.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <QObject>
#include <QPainter>

#include "tests/widget_host/fake_bundle.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {
namespace {

constexpr std::chrono::milliseconds answerDelay{30};

void logRequest(VitalsWidgetKind kind) {
    const char* const path = std::getenv("FAKE_BUNDLE_LOG");
    if (std::FILE* const log = path != nullptr ? std::fopen(path, "a") : nullptr) {
        const auto raw = rawValue(kind);
        std::fprintf(log, "timeline %.*s\n", static_cast<int>(raw.size()), raw.data());
        std::fclose(log);
    }
}

VitalsEntry measured() {
    return {.date = AbsoluteTime::now(), .cpu = {.total = fake_bundle::measuredLoad}};
}

// Hands completion what answer makes, from a thread of its own after a short delay.
template <typename Value, typename Make>
void answerLater(std::function<void(Value)> completion, Make answer) {
    std::thread([completion = std::move(completion), answer] {
        std::this_thread::sleep_for(answerDelay);
        completion(answer());
    }).detach();
}

}  // namespace

class FakeBundle : public QObject, public WidgetBundle {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VantricWidgetBundle_iid)
    Q_INTERFACES(vantric::WidgetBundle)

public:
    std::vector<WidgetDescription> widgets() const override {
        std::vector<WidgetDescription> offered;
        for (const VitalsWidgetKind kind : allWidgetKinds) {
            offered.push_back(describeWidget(kind));
        }
        return offered;
    }

    VitalsEntry placeholder(VitalsWidgetKind /*kind*/) override {
        return VitalsEntry::placeholder(AbsoluteTime::now());
    }

    void snapshot(VitalsWidgetKind /*kind*/, std::function<void(VitalsEntry)> completion) override {
        answerLater(std::move(completion), measured);
    }

    void timeline(VitalsWidgetKind kind, std::function<void(Timeline)> completion) override {
        logRequest(kind);
        answerLater(std::move(completion), [] {
            const VitalsEntry entry = measured();
            return Timeline{.entries = {entry}, .reloadAfter = entry.date + 3600};
        });
    }

    void paint(QPainter& painter, const QRectF& rect, VitalsWidgetKind /*kind*/,
               const VitalsEntry& entry) const override {
        painter.setPen(Qt::NoPen);
        painter.setBrush(entry.cpu.total == fake_bundle::measuredLoad
                             ? fake_bundle::measuredColor
                             : fake_bundle::placeholderColor);
        painter.drawRoundedRect(rect, fake_bundle::cornerRadius, fake_bundle::cornerRadius);
    }
};

}  // namespace vantric

#include "fake_bundle_plugin.moc"
