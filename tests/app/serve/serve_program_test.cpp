// `vantric --serve` as a scraper and as misbehaving clients meet it, over loopback TCP.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/http_client.hpp"

namespace vantric {
namespace {

using testing::connectTo;
using testing::Descriptor;
using testing::get;
using testing::roundTrip;

using std::chrono::steady_clock;

// `vantric --serve` with its standard error in a pipe; stopped with SIGTERM.
class ServeProgram {
public:
    explicit ServeProgram(const std::string& address) {
        int pipeEnds[2];
        EXPECT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        const std::string program = VANTRIC_PROGRAM;
        std::vector<char*> arguments{const_cast<char*>(program.c_str()),
                                     const_cast<char*>("--serve"),
                                     const_cast<char*>(address.c_str()), nullptr};
        EXPECT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, arguments.data(), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        messages_ = fdopen(pipeEnds[0], "r");
    }
    ~ServeProgram() {
        stop();
        static_cast<void>(std::fclose(messages_));
    }
    ServeProgram(const ServeProgram&) = delete;
    ServeProgram& operator=(const ServeProgram&) = delete;

    // The next line it writes on standard error; empty at its end.
    std::string line() {
        char text[512];
        return std::fgets(text, sizeof text, messages_) != nullptr ? std::string(text) : "";
    }
    // The port named by "vantric: serving http://127.0.0.1:PORT/metrics"; 0 when not so.
    std::uint16_t servingPort() {
        const std::string said = line();
        const std::string start = "vantric: serving http://127.0.0.1:";
        return said.starts_with(start)
                   ? static_cast<std::uint16_t>(std::stoi(said.substr(start.size())))
                   : 0;
    }
    // The exit status once it ended by itself or by SIGTERM; -1 when a signal ended it.
    int stop(bool terminate = true) {
        if (pid_ > 0) {
            if (terminate) {
                kill(pid_, SIGTERM);
            }
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = 0;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return status_;
    }
    std::uint64_t residentKiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("VmRSS:")) {
                return std::stoull(line.substr(6));
            }
        }
        return 0;
    }

private:
    pid_t pid_ = 0;
    int status_ = -1;
    std::FILE* messages_ = nullptr;
};

TEST(ServeProgram, AnswersScrapesInEitherFormatAndRefusesOtherPathsAndMethods) {
    ServeProgram server("0");
    const std::uint16_t port = server.servingPort();
    ASSERT_NE(port, 0);

    const std::string text = get(port);
    EXPECT_TRUE(text.starts_with("HTTP/1.1 200 OK\r\n")) << text.substr(0, 80);
    EXPECT_NE(text.find("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nvantric_cpu_seconds_total{mode=\"idle\"} "), std::string::npos);
    EXPECT_NE(text.find("\nvantric_app_cpu_seconds_total{id=\"other\""), std::string::npos);

    const std::string open =
        get(port, "/metrics", "Accept: application/openmetrics-text;version=1.0.0\r\n");
    EXPECT_NE(open.find("Content-Type: application/openmetrics-text; version=1.0.0"),
              std::string::npos);
    EXPECT_TRUE(open.ends_with("\n# EOF\n"));

    const std::string head = roundTrip(port, "HEAD /metrics HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(head.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(head.ends_with("\r\n\r\n")) << "a body after HEAD";

    // A scraper keeps its connection for the next scrape, as Prometheus does.
    const std::string twice = roundTrip(
        port, "GET /metrics HTTP/1.1\r\n\r\nGET /metrics HTTP/1.1\r\nConnection: close\r\n\r\n");
    const auto second = twice.find("HTTP/1.1 200 OK", 1);
    ASSERT_NE(second, std::string::npos) << "no second answer on the kept connection";
    EXPECT_NE(twice.substr(0, second).find("Connection: keep-alive\r\n"), std::string::npos);
    EXPECT_NE(twice.substr(second).find("Connection: close\r\n"), std::string::npos);

    EXPECT_TRUE(get(port, "/").starts_with("HTTP/1.1 404 "));
    EXPECT_TRUE(get(port, "/metrics/more").starts_with("HTTP/1.1 404 "));
    const std::string post =
        roundTrip(port, "POST /metrics HTTP/1.1\r\nContent-Length: 4\r\n\r\nbody");
    EXPECT_TRUE(post.starts_with("HTTP/1.1 405 ")) << post.substr(0, 80);
    EXPECT_NE(post.find("Allow: GET, HEAD\r\n"), std::string::npos);
    EXPECT_EQ(server.stop(), 0);
}

// Clients that stall, send a request head of a mebibyte or come by the thousand hold no worker
// for long and leave nothing behind: the next scrape is answered, and a second round of the same
// leaves the server no larger than the first did.
TEST(ServeProgram, StaysResponsiveAndLeanUnderStalledOversizedAndFloodingClients) {
    ServeProgram server("0");
    const std::uint16_t port = server.servingPort();
    ASSERT_NE(port, 0);
    ASSERT_TRUE(get(port).starts_with("HTTP/1.1 200"));

    std::vector<std::uint64_t> resident;
    for (int round = 0; round < 2; ++round) {
        // More stalled clients than the server has workers, each sending a byte now and then,
        // as a client that tries to keep its connection forever does.
        std::vector<Descriptor> stalled;
        for (int client = 0; client < 48; ++client) {
            stalled.push_back(connectTo(port));
            send(stalled.back().get(), "GET /met", 8, MSG_NOSIGNAL);
        }
        std::thread dripping([&stalled] {
            for (int drip = 0; drip < 8; ++drip) {
                for (const Descriptor& client : stalled) {
                    send(client.get(), "r", 1, MSG_NOSIGNAL);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(350));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto asked = steady_clock::now();
        const std::string answer = get(port);
        const auto waited = steady_clock::now() - asked;
        dripping.join();
        EXPECT_TRUE(answer.starts_with("HTTP/1.1 200")) << "round " << round;
        // The request deadline is 2 s; the drip goes on for 2.8.
        EXPECT_LT(waited, std::chrono::milliseconds(3500)) << "round " << round;

        const std::string huge =
            roundTrip(port, "GET /" + std::string(1 << 20, 'a') + " HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(huge.empty() || huge.starts_with("HTTP/1.0 4") ||
                    huge.starts_with("HTTP/1.1 4"))
            << huge.substr(0, 40);

        for (int client = 0; client < 1000; ++client) {
            const Descriptor connection = connectTo(port);
            send(connection.get(), "GET /metrics HTTP/1.0\r\n\r\n", 25, MSG_NOSIGNAL);
        }
        EXPECT_TRUE(get(port).starts_with("HTTP/1.1 200")) << "round " << round;
        resident.push_back(server.residentKiB());
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Under a sanitizer, freed memory is held back to catch its use, so the size grows anyway.
    EXPECT_LE(resident[1], resident[0] + 1024) << resident[0] << " KiB, then " << resident[1];
#endif
    EXPECT_EQ(server.stop(), 0);
}

TEST(ServeProgram, SaysInOneLineWhyItCannotListenAndExitsTwo) {
    const Descriptor taken(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(taken.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken.get(), 1), 0);
    ASSERT_EQ(getsockname(taken.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);

    struct Refusal {
        std::string address;
        std::string reason;
    };
    std::vector<Refusal> refusals{
        {std::to_string(ntohs(address.sin_port)), "Address already in use"},
        {"192.0.2.1:9100", "Cannot assign requested address"},  // not this machine's
        {"localhost:9100", "a numeric IPv4 address"},
        {"[::1]:9100", "a numeric IPv4 address"},
    };
    if (geteuid() != 0) {
        refusals.push_back({"1", "Permission denied"});
    }
    for (const Refusal& refusal : refusals) {
        ServeProgram server(refusal.address);
        const std::string said = server.line();
        EXPECT_NE(said.find(refusal.reason), std::string::npos) << said;
        EXPECT_EQ(server.line(), "") << "more than one line for " << refusal.address;
        EXPECT_EQ(server.stop(false), 2) << refusal.address;
    }
}

}  // namespace
}  // namespace vantric
