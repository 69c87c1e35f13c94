#include "platform/linux/line_buffer.hpp"

#include <utility>

namespace vantric {

std::optional<std::vector<QString>> LineBuffer::take(const QByteArray& bytes) {
    pending_ += bytes;
    std::vector<QString> lines;
    qsizetype start = 0;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n', start)) {
        const QByteArray line = pending_.sliced(start, end - start);
        QString text = QString::fromUtf8(line);
        // Invalid sequences decode to replacement characters, which do not encode back to the
        // same bytes.
        if (line.size() > maxPendingBytes || text.toUtf8() != line) {
            pending_.clear();
            return std::nullopt;
        }
        lines.push_back(std::move(text));
        start = end + 1;
    }
    pending_.remove(0, start);
    if (pending_.size() > maxPendingBytes) {
        pending_.clear();
        return std::nullopt;
    }
    // What was read whole is given back, not kept as capacity for the connection's life.
    pending_.squeeze();
    return lines;
}

}  // namespace vantric
