#include "widgets/extension/history_store.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

namespace vantric {
namespace {

const QString historyKey = QStringLiteral("history");

// The hour of 240 points takes about 25 KB. A larger file was not written by this store, and
// reading it would cost the host seconds and tens of MB at every measurement.
constexpr qint64 largestFileBytes = qint64{1024} * 1024;

// Held around each read-modify-write, so that two processes appending at once (the host's reader
// and a --render) each build on the other's point. QSettings takes the file's own ".lock" while
// it syncs, hence a name of its own. Two seconds is far more than an append takes; a process that
// died holding it leaves a lock that QLockFile finds stale at once.
constexpr int lockWaitMs = 2000;

// A JSON writer can only write a non-finite number as null, and one null would make the whole
// stored hour undecodable, so a figure that is not a number is stored as 0.
HistoryPoint storable(HistoryPoint point) {
    for (double* figure : {&point.cpu, &point.memory, &point.gpu}) {
        if (!std::isfinite(*figure)) {
            *figure = 0;
        }
    }
    return point;
}

// The stored history; nothing when there is none or it cannot be decoded.
std::optional<std::vector<HistoryPoint>> stored(QSettings& settings) {
    const QVariant value = settings.value(historyKey);
    if (!value.isValid()) {
        return std::vector<HistoryPoint>{};
    }
    auto decoded = decodeHistory(value.toString().toStdString());
    if (!decoded) {
        return std::nullopt;
    }
    return std::move(decoded).value();
}

}  // namespace

std::vector<HistoryPoint> appendedHistory(std::vector<HistoryPoint> history,
                                          const HistoryPoint& point) {
    std::erase_if(history, [&](const HistoryPoint& kept) {
        const double age = point.date - kept.date;
        return age < -HistoryStore::concurrentSeconds || age > HistoryStore::windowSeconds;
    });
    const auto later = std::upper_bound(
        history.begin(), history.end(), point, [](const HistoryPoint& a, const HistoryPoint& b) {
            return a.date.secondsSinceReferenceDate < b.date.secondsSinceReferenceDate;
        });
    history.insert(later, point);
    if (history.size() > HistoryStore::capacity) {
        history.erase(history.begin(),
                      history.end() - static_cast<std::ptrdiff_t>(HistoryStore::capacity));
    }
    return history;
}

HistoryStore::HistoryStore(QString file) : file_(std::move(file)) {}

QString HistoryStore::defaultFile() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vantric"),
                     QStringLiteral("VantricWidget"))
        .fileName();
}

std::vector<HistoryPoint> HistoryStore::append(const HistoryPoint& point) {
    QLockFile lock(file_ + QStringLiteral(".append-lock"));
    // Without the lock another process may be appending, and one of the two points would be
    // lost: this one is then returned but not saved.
    const bool mayWrite = lock.tryLock(lockWaitMs);
    const bool oversized = QFileInfo(file_).size() > largestFileBytes;
    if (oversized && mayWrite) {
        QFile::remove(file_);
    }
    std::optional<QSettings> settings;
    std::optional<std::vector<HistoryPoint>> history;  // absent: what is stored is garbage
    if (!oversized || mayWrite) {
        settings.emplace(file_, QSettings::IniFormat);
        history = stored(*settings);
    }
    std::vector<HistoryPoint> kept = history.value_or(std::vector<HistoryPoint>{});
    // A point without a usable date cannot be placed in time: keep the history as it is.
    if (!std::isfinite(point.date.secondsSinceReferenceDate)) {
        return kept;
    }
    std::vector<HistoryPoint> appended = appendedHistory(std::move(kept), storable(point));
    const auto encoded = encodeHistory(appended);
    if (!mayWrite || !encoded) {
        return appended;
    }
    if (!history) {
        // A fresh start: the garbage goes, with whatever else the damaged file held.
        settings->clear();
    }
    settings->setValue(historyKey, QString::fromStdString(encoded.value()));
    settings->sync();
    return appended;
}

}  // namespace vantric
