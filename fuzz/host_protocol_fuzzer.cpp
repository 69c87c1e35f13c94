// The lines the application and the widget host send each other over the host's socket: a request
// read by the host, the reply to "configurations" read by the application. Only the user's own
// processes can connect, but any of them can.

#include <cstdint>

#include <QByteArray>
#include <QString>

#include "fuzz/fuzz_check.hpp"
#include "platform/widget_host/host_protocol.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view bytes = fuzzText(data, size);
    const QByteArray line =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));

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
