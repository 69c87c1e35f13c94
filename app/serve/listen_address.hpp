#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// Where the metrics server listens.
struct ListenAddress {
    std::string host{};      // a numeric IPv4 address
    std::uint16_t port = 0;  // 0: one the system picks

    bool operator==(const ListenAddress&) const = default;
};

// "[ADDRESS:]PORT" -> the address: PORT alone is on 127.0.0.1, so that nothing is offered beyond
// this machine unless asked for. Absent for anything else. Host names are refused, as a name can
// stand for several addresses and the one a server binds should be the one the user wrote; IPv6
// addresses too, which Debian's civetweb is built without.
std::optional<ListenAddress> parseListenAddress(std::string_view text);

// As the address is written in a URL and in civetweb's listening_ports: "127.0.0.1:9100".
std::string hostAndPort(const ListenAddress& address, std::uint16_t port);

}  // namespace vantric
