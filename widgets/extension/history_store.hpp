#pragma once

#include <cstddef>
#include <vector>

#include <QString>

#include "widgets/views/history_point.hpp"

namespace vantric {

// The history with point added in date order: points dated more than a minute after it are
// dropped (the clock was set back; kept, they would stay out of order for up to a full history),
// then points more than an hour older than it, then all but the newest 240. A point up to a
// minute newer is another process's measurement that saved first, and stays.
std::vector<HistoryPoint> appendedHistory(std::vector<HistoryPoint> history,
                                          const HistoryPoint& point);

// The widgets' hour of history, kept in the plug-in's own settings file under "history" as the
// JSON array of points. Every host process that loads the plug-in appends to the same file, so
// each append reads the file afresh, under a lock file of the store's own: two processes
// appending at once both keep their points. Qt writes a settings file whole by renaming a
// finished copy over it, so a reader never sees half a value.
//
// Not thread-safe: one caller at a time (the reader's measurement).
class HistoryStore {
public:
    static constexpr std::size_t capacity = 240;
    static constexpr double windowSeconds = 3600;
    static constexpr double concurrentSeconds = 60;

    // file: an INI settings file; the plug-in's own ("Vantric", "VantricWidget") by default.
    explicit HistoryStore(QString file = defaultFile());

    // Appends point and stores the result. A stored value that cannot be decoded, or a file
    // larger than 1 MiB (which this store never writes), starts a fresh history in a file that
    // holds nothing else. A save that fails is skipped, and so is one that cannot take the lock
    // within 2 s. Returns the new history either way.
    std::vector<HistoryPoint> append(const HistoryPoint& point);

    const QString& file() const { return file_; }
    static QString defaultFile();

private:
    QString file_;
};

}  // namespace vantric
