// The lines the application and the widget host send each other over the host's socket: the
// bytes cut into lines as they arrive, a request read by the host, the reply to "configurations"
// read by the application. Only the user's own processes can connect, but any of them can.

#include <algorithm>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "fuzz/fuzz_check.hpp"
#include "platform/linux/line_buffer.hpp"
#include "widget_host/host_protocol.hpp"

namespace vantric {
namespace {

// The bytes in pieces as a socket might hand them over, each piece's length taken from the
// byte before it. Until the client sends garbage, the lines given back, each with its newline,
// are the bytes up to the last newline, and no more than maxPendingBytes wait after it.
void fuzzLineBuffer(const QByteArray& bytes) {
    LineBuffer buffer;
    QByteArray joined;
    qsizetype fed = 0;
    while (fed < bytes.size()) {
        const qsizetype piece = std::min<qsizetype>(1 + static_cast<unsigned char>(bytes[fed]) * 97,
                                                    bytes.size() - fed);
        const auto lines = buffer.take(bytes.sliced(fed, piece));
        fed += piece;
        if (!lines) {
            return;
        }
        for (const QString& line : *lines) {
            fuzzCheck(!line.contains(QLatin1Char('\n')), "a line holds no newline");
            joined += line.toUtf8() + '\n';
        }
        fuzzCheck(fed - joined.size() <= LineBuffer::maxPendingBytes,
                  "what waits for its newline is bounded");
    }
    fuzzCheck(bytes.startsWith(joined) && !bytes.sliced(joined.size()).contains('\n'),
              "the lines are the bytes up to the last newline");
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view bytes = fuzzText(data, size);
    const QByteArray line =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));

    fuzzLineBuffer(line);

    // The host's server decodes each line from UTF-8 before it asks what the request is.
    const QString text = QString::fromUtf8(line);
    if (const auto request = parseHostRequest(text)) {
        fuzzCheck(QString::fromLatin1(requestLine(*request)) == text,
                  "a request is its own line and no other");
    }
    if (const auto identifiers = parseConfigurationsReply(line)) {
        fuzzCheck(parseConfigurationsReply(configurationsReply(*identifiers)) == identifiers,
                  "a reply reads back as the identifiers it was made of");
    }
    return 0;
}
