#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "app/serve/exposition_format.hpp"
#include "app/serve/listen_address.hpp"

struct mg_connection;
struct mg_context;

namespace vantric {

// An HTTP server (civetweb) that answers GET and HEAD of /metrics with what `scrape` writes in the
// format the request's Accept header asks for, 404 for every other path and 405 with "Allow: GET,
// HEAD" for every other method.
//
// Civetweb's fixed pool of workers serve the connections, so `scrape` is called from several
// threads at once and must guard what it shares. A request whose head does not arrive in whole
// within two seconds, or is larger than civetweb's request buffer, is answered with an error and
// closed, and a kept connection waits no longer for its next request, so slow or oversized
// clients cannot hold a worker for long or grow the server.
class MetricsServer {
public:
    using Scrape = std::function<std::string(ExpositionFormat)>;

    // The server listening, or a sentence saying why it cannot, with the address (it is in use,
    // not this machine's, or may not be bound by this user).
    static std::variant<std::unique_ptr<MetricsServer>, std::string> listen(
        const ListenAddress& address, Scrape scrape);

    // Stops accepting and waits for the requests being served.
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // The port listened on: the one asked for, or the one the system picked for port 0.
    std::uint16_t port() const { return port_; }

private:
    explicit MetricsServer(Scrape scrape) : scrape_(std::move(scrape)) {}
    static int handle(mg_connection* connection, void* data);
    void respond(mg_connection* connection, int status, std::string_view contentType,
                 std::string_view body, bool withBody, bool keepAlive, const char* allow = nullptr);
    static int logged(const mg_connection* connection, const char* message);

    Scrape scrape_;
    mg_context* context_ = nullptr;
    std::uint16_t port_ = 0;
    // The thread that makes the server, which alone writes startProblem_.
    std::thread::id starter_ = std::this_thread::get_id();
    std::string startProblem_;
};

}  // namespace vantric
