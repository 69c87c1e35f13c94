#include "app/serve/listen_address.hpp"

#include <arpa/inet.h>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

std::optional<std::uint16_t> portNumber(std::string_view text) {
    const std::optional<std::uint64_t> number = parseUnsigned(text);
    if (!number || *number > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*number);
}

}  // namespace

std::optional<ListenAddress> parseListenAddress(std::string_view text) {
    const auto colon = text.find(':');
    const auto port = portNumber(colon == std::string_view::npos ? text : text.substr(colon + 1));
    if (!port) {
        return std::nullopt;
    }
    if (colon == std::string_view::npos) {
        return ListenAddress{.host = "127.0.0.1", .port = *port};
    }
    const std::string host(text.substr(0, colon));
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1) {
        return std::nullopt;
    }
    return ListenAddress{.host = host, .port = *port};
}

std::string hostAndPort(const ListenAddress& address, std::uint16_t port) {
    return address.host + ":" + std::to_string(port);
}

}  // namespace vantric
