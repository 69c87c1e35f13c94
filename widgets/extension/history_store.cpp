#include "widgets/extension/history_store.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include <QSettings>

namespace vantric {
namespace {

const QString historyKey = QStringLiteral("history");

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

std::vector<HistoryPoint> stored(QSettings& settings) {
    const QVariant value = settings.value(historyKey);
    if (!value.isValid()) {
        return {};
    }
    const std::string text = value.toString().toStdString();
    auto decoded = decodeHistory(text);
    return decoded ? std::move(decoded).value() : std::vector<HistoryPoint>{};
}

}  // namespace

std::vector<HistoryPoint> appendedHistory(std::vector<HistoryPoint> history,
                                          const HistoryPoint& point) {
    std::erase_if(history, [&](const HistoryPoint& kept) {
        const double age = point.date - kept.date;
        return age < 0 || age > HistoryStore::windowSeconds;
    });
    history.push_back(point);
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
    QSettings settings(file_, QSettings::IniFormat);
    // A point without a usable date cannot be placed in time: keep the history as it is.
    if (!std::isfinite(point.date.secondsSinceReferenceDate)) {
        return stored(settings);
    }
    std::vector<HistoryPoint> history = appendedHistory(stored(settings), storable(point));
    if (auto encoded = encodeHistory(history)) {
        settings.setValue(historyKey, QString::fromStdString(encoded.value()));
        settings.sync();
    }
    return history;
}

}  // namespace vantric
