#include "app/serve/metrics_server.hpp"

#include <array>
#include <ctime>
#include <string>
#include <string_view>
#include <thread>

#include <civetweb.h>

#include "app/serve/header_values.hpp"

namespace vantric {

namespace {

// Workers, each serving one connection at a time: enough for several scrapers and a few stalled
// clients, few enough that a flood queues instead of spawning.
constexpr const char* workerCount = "32";
// The whole request head must arrive within this: a scraper sends it in one packet.
constexpr const char* requestTimeoutMs = "2000";
// Civetweb's buffer for a request head; a longer one is refused without growing it.
constexpr const char* requestSizeLimit = "16384";
// How long a connection may wait for its next request. A scraper keeps its connection, as
// Prometheus does: one at a 1 s interval then costs no new connection per scrape. A worker waits
// with an idle connection no longer than with a stalled request.
constexpr const char* keepAliveTimeoutMs = "2000";

// Whether the client may send another request on this connection, by civetweb's own rule: a
// Connection header's "keep-alive" option, else HTTP/1.1's default.
bool keepsConnection(mg_connection* connection) {
    const char* header = mg_get_header(connection, "Connection");
    if (header == nullptr) {
        const char* version = mg_get_request_info(connection)->http_version;
        return version != nullptr && std::string_view(version) == "1.1";
    }
    for (std::string_view options = header; !options.empty();) {
        if (sameLetters(nextItem(options, ','), "keep-alive")) {
            return true;
        }
    }
    return false;
}

}  // namespace

void MetricsServer::respond(mg_connection* connection, int status, std::string_view contentType,
                            std::string_view body, bool withBody, bool keepAlive,
                            const char* allow) {
    if (!keepAlive) {
        mg_disable_keep_alive(connection);
    }
    // Answers other than a scrape close the connection, so that a body the request may have
    // carried is never read as the next request. The head and the body go out in one write.
    // Civetweb's own header functions send each line on its own and, as Debian builds it (without
    // REENTRANT_TIME), date the answer through gmtime's one buffer for the whole process, which
    // workers answering at once would share.
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::array<char, 64> date{};
    const std::size_t dateLength =
        std::strftime(date.data(), date.size(), "%a, %d %b %Y %H:%M:%S GMT", &utc);
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " +
                         mg_get_response_code_text(connection, status) + "\r\nContent-Type: ";
    answer.append(contentType).append("\r\nContent-Length: ").append(std::to_string(body.size()));
    if (allow != nullptr) {
        answer.append("\r\nAllow: ").append(allow);
    }
    answer.append("\r\nDate: ").append(date.data(), dateLength);
    answer.append(keepAlive ? "\r\nConnection: keep-alive\r\n\r\n"
                            : "\r\nConnection: close\r\n\r\n");
    if (withBody) {
        answer.append(body);
    }
    mg_write(connection, answer.data(), answer.size());
}

// A complaint on the thread that starts the server is why it could not start (civetweb's error
// text only says that the ports failed); the workers' are about clients (one that went away, a
// request that timed out) and not worth a line in the program's output.
int MetricsServer::logged(const mg_connection* connection, const char* message) {
    auto* server = static_cast<MetricsServer*>(mg_get_user_data(mg_get_context(connection)));
    if (server != nullptr && std::this_thread::get_id() == server->starter_ &&
        server->startProblem_.empty()) {
        server->startProblem_ = message;
    }
    return 1;
}

std::variant<std::unique_ptr<MetricsServer>, std::string> MetricsServer::listen(
    const ListenAddress& address, Scrape scrape) {
    std::unique_ptr<MetricsServer> server(new MetricsServer(std::move(scrape)));
    const std::string ports = hostAndPort(address, address.port);
    std::array<const char*, 13> options{"listening_ports",
                                        ports.c_str(),
                                        "num_threads",
                                        workerCount,
                                        "request_timeout_ms",
                                        requestTimeoutMs,
                                        "max_request_size",
                                        requestSizeLimit,
                                        "enable_keep_alive",
                                        "yes",
                                        "keep_alive_timeout_ms",
                                        keepAliveTimeoutMs,
                                        nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = &MetricsServer::logged;
    mg_init_data init{.callbacks = &callbacks,
                      .user_data = server.get(),
                      .configuration_options = options.data()};
    std::array<char, 256> problem{};
    unsigned code = 0;
    mg_error_data error{.code = &code, .text = problem.data(), .text_buffer_size = problem.size()};
    mg_init_library(0);
    server->context_ = mg_start2(&init, &error);
    if (server->context_ == nullptr) {
        mg_exit_library();
        if (!server->startProblem_.empty()) {
            return server->startProblem_;
        }
        return "cannot listen on " + ports +
               (problem[0] != '\0' ? ": " + std::string(problem.data()) : "");
    }
    mg_server_port bound{};
    if (mg_get_server_ports(server->context_, 1, &bound) == 1) {
        server->port_ = static_cast<std::uint16_t>(bound.port);
    }
    mg_set_request_handler(server->context_, "/", &MetricsServer::handle, server.get());
    return server;
}

MetricsServer::~MetricsServer() {
    mg_stop(context_);
    mg_exit_library();
}

int MetricsServer::handle(mg_connection* connection, void* data) {
    auto* server = static_cast<MetricsServer*>(data);
    const mg_request_info* request = mg_get_request_info(connection);
    const std::string_view method = request->request_method;
    const bool head = method == "HEAD";
    if (std::string_view(request->local_uri) != "/metrics") {
        server->respond(connection, 404, "text/plain; charset=utf-8",
                        "Not found: the readings are at /metrics\n", !head, false);
        return 404;
    }
    if (method != "GET" && !head) {
        server->respond(connection, 405, "text/plain; charset=utf-8",
                        "Only GET and HEAD are answered here\n", true, false, "GET, HEAD");
        return 405;
    }
    const char* accept = mg_get_header(connection, "Accept");
    const ExpositionFormat format = acceptedFormat(accept != nullptr ? accept : "");
    const std::string body = server->scrape_(format);
    server->respond(connection, 200, contentType(format), body, !head, keepsConnection(connection));
    return 200;
}

}  // namespace vantric
