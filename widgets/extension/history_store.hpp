#pragma once

#include <cstddef>
#include <vector>

#include <QString>

#include "widgets/views/history_point.hpp"

namespace vantric {

// The history with point appended: points dated after it are dropped (after the clock was set
// back they would stay out of order for up to a full history), then points more than an hour
// older than it, then all but the newest 240.
std::vector<HistoryPoint> appendedHistory(std::vector<HistoryPoint> history,
                                          const HistoryPoint& point);

// The widgets' hour of history, kept in the plug-in's own settings file under "history" as the
// JSON array of points. Every host process that loads the plug-in appends to the same file, so
// each append reads the file afresh. Qt writes a settings file whole, under a lock file, by
// renaming a finished copy over it: a second process saving at the same moment can win or lose
// the race, but never leaves half a value.
//
// Not thread-safe: one caller at a time (the reader's measurement).
class HistoryStore {
public:
    static constexpr std::size_t capacity = 240;
    static constexpr double windowSeconds = 3600;

    // file: an INI settings file; the plug-in's own ("Vantric", "VantricWidget") by default.
    explicit HistoryStore(QString file = defaultFile());

    // Appends point and stores the result. A stored value that cannot be decoded starts a fresh
    // history (replaced only by a save that succeeds); a save that fails is skipped. Returns the
    // new history either way.
    std::vector<HistoryPoint> append(const HistoryPoint& point);

    const QString& file() const { return file_; }
    static QString defaultFile();

private:
    QString file_;
};

}  // namespace vantric
