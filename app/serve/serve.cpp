#include "app/serve/serve.hpp"

#include <csignal>
#include <memory>
#include <string>
#include <variant>

#include <pthread.h>

#include "app/serve/listen_address.hpp"
#include "app/serve/metrics_server.hpp"
#include "app/serve/metrics_source.hpp"

namespace vantric {

int runServe(SystemSampler& system, ProcessSampler& processes, std::string_view address,
             std::FILE* messages) {
    const std::optional<ListenAddress> listenAddress = parseListenAddress(address);
    if (!listenAddress) {
        static_cast<void>(std::fprintf(messages,
                                       "vantric: --serve needs [ADDRESS:]PORT, a numeric IPv4 "
                                       "address and a port from 0 to 65535, not \"%.*s\"\n",
                                       static_cast<int>(address.size()), address.data()));
        return 2;
    }
    // Blocked before the server's threads start, so that they inherit the mask and the signals
    // that stop the server reach sigwait below; a client that hangs up is no signal at all.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    sigset_t blocked = stopping;
    sigaddset(&blocked, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);

    MetricsSource source(system, processes);
    auto listening = MetricsServer::listen(
        *listenAddress, [&source](ExpositionFormat format) { return source.scrape(format); });
    if (const auto* problem = std::get_if<std::string>(&listening)) {
        static_cast<void>(std::fprintf(messages, "vantric: %s\n", problem->c_str()));
        return 2;
    }
    const auto& server = std::get<std::unique_ptr<MetricsServer>>(listening);
    static_cast<void>(std::fprintf(messages, "vantric: serving http://%s/metrics\n",
                                   hostAndPort(*listenAddress, server->port()).c_str()));
    static_cast<void>(std::fflush(messages));
    int signal = 0;
    sigwait(&stopping, &signal);
    return 0;
}

}  // namespace vantric
