#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace vantric {

// The lines of one connection of a LocalLineServer, as its bytes arrive in pieces: complete
// lines come out as text, the start of the next one waits here. What a client may leave waiting
// is bounded, so a connection never holds more than maxPendingBytes.
class LineBuffer {
public:
    static constexpr qsizetype maxPendingBytes = qsizetype{16} * 1024;

    // The complete lines that bytes finishes, without their newlines; nothing when the client
    // sent garbage (a line that is not UTF-8, or more than maxPendingBytes without a newline),
    // after which the connection is to be dropped.
    std::optional<std::vector<QString>> take(const QByteArray& bytes);

    bool empty() const { return pending_.isEmpty(); }

private:
    QByteArray pending_;
};

}  // namespace vantric
