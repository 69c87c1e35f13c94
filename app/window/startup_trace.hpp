#pragma once

#include <vector>

#include <QObject>

class QWidget;

namespace vantric {

class MetricsStore;

// Says when the window first painted itself and when it first painted a reading, as lines of
// the "vantric.startup" logging category (off unless asked for, as with
// QT_LOGGING_RULES=vantric.startup.debug=true), each with the wall-clock time in seconds since
// the epoch, to compare with the moment the program was launched (bench/startup does). Watches
// the application's events only until the first reading has been painted, and not at all while
// the category is off. Main thread.
class StartupTrace final : public QObject {
    Q_OBJECT

public:
    StartupTrace(QWidget& window, MetricsStore& store);
    ~StartupTrace() override;
    StartupTrace(const StartupTrace&) = delete;
    StartupTrace& operator=(const StartupTrace&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Once the event loop is back, the paint under way has reached the window: the milestones
    // noted during it are logged then. A slot, so it can be queued by name.
    Q_SLOT void logPainted();
    void notePainted(const char* milestone);
    void stopWatching();

    QWidget& window_;
    bool watching_ = false;
    bool windowPainted_ = false;
    bool readingArrived_ = false;
    std::vector<const char*> painted_;
};

}  // namespace vantric
