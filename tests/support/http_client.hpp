#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace vantric::testing {

// HTTP/1.1 over loopback TCP, as plainly as a scraper speaks it: one request per connection,
// the answer read until the server closes.

// A file descriptor closed with its owner.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&&) = delete;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    int get() const { return fd_; }

private:
    int fd_;
};

inline Descriptor connectTo(std::uint16_t port) {
    Descriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return Descriptor();
    }
    return socket;
}

// Sends the request and reads the answer until the server closes, for at most `patience`.
// Empty when no answer came.
inline std::string roundTrip(std::uint16_t port, const std::string& request,
                             std::chrono::seconds patience = std::chrono::seconds(20)) {
    const Descriptor socket = connectTo(port);
    if (socket.get() < 0) {
        return {};
    }
    const timeval timeout{.tv_sec = patience.count(), .tv_usec = 0};
    setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL) < 0) {
        return {};
    }
    std::string answer;
    char buffer[65536];
    for (ssize_t got = 0; (got = recv(socket.get(), buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<std::size_t>(got));
    }
    return answer;
}

inline std::string get(std::uint16_t port, const std::string& path = "/metrics",
                       const std::string& headers = "") {
    return roundTrip(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                               headers + "\r\n");
}

}  // namespace vantric::testing
