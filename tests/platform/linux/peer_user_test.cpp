#include "platform/linux/peer_user.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <optional>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "support/event_wait.hpp"
#include "widget_host/host_client.hpp"

namespace vantric {
namespace {

// Exit codes of the children: 0 when they were answered, 1 when they were refused.
constexpr int answered = 0;
constexpr int refused = 1;

bool readable(int descriptor, int timeoutMs) {
    pollfd wait{.fd = descriptor, .events = POLLIN, .revents = 0};
    return poll(&wait, 1, timeoutMs) == 1;
}

// Both ends are checked with a socket whose file anyone may open, so that only the credentials
// the kernel reports can keep another user out.
class PeerUserTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "needs root to act as a second user";
        }
        ASSERT_TRUE(folder_.isValid());
        ASSERT_EQ(chmod(folder_.path().toLocal8Bit().constData(), 0777), 0);
    }

    QString path() const { return folder_.filePath(QStringLiteral("line.socket")); }

    sockaddr_un address() const {
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        const QByteArray bytes = path().toLocal8Bit().left(sizeof address.sun_path - 1);
        std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return address;
    }

    // Runs body in a child process, as the other user (nobody) where the test asks for it, and
    // gives its exit code, serving this process's events while it runs.
    pid_t startChild(const std::function<int()>& body) const {
        const pid_t child = fork();
        if (child == 0) {
            _exit(GetParam() && setresuid(65534, 65534, 65534) != 0 ? 90 : body());
        }
        return child;
    }
    static int finish(pid_t child) {
        int status = 0;
        testing::eventually([&] { return waitpid(child, &status, WNOHANG) == child; }, 10'000);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    QTemporaryDir folder_;
};

TEST_P(PeerUserTest, TheServerAnswersOnlyItsOwnUser) {
    LocalLineServer server([](const QString&) { return QByteArray("ok"); });
    ASSERT_TRUE(server.listen(path()));
    ASSERT_EQ(chmod(path().toLocal8Bit().constData(), 0777), 0);

    const sockaddr_un to = address();
    const int code = finish(startChild([&] {
        const int client = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(client, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 ||
            write(client, "reload\n", 7) != 7) {
            return 91;
        }
        char reply[4] = {};
        const bool got = readable(client, 3000) && read(client, reply, 2) == 2;
        return got && std::memcmp(reply, "ok", 2) == 0 ? answered : refused;
    }));
    EXPECT_EQ(code, GetParam() ? refused : answered);
}

TEST_P(PeerUserTest, TheClientTalksOnlyToItsOwnUsersHost) {
    int ready[2] = {-1, -1};
    ASSERT_EQ(pipe(ready), 0);
    const sockaddr_un at = address();
    const pid_t child = startChild([&] {
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
            listen(listener, 1) != 0 || write(ready[1], "r", 1) != 1) {
            return 91;
        }
        if (!readable(listener, 3000)) {
            return refused;
        }
        const int connection = accept(listener, nullptr, nullptr);
        char request[64] = {};
        const bool heard = readable(connection, 1000) && read(connection, request, 63) > 0;
        return heard && write(connection, "[]\n", 3) == 3 ? answered : refused;
    });
    char listening = 0;
    ASSERT_EQ(read(ready[0], &listening, 1), 1);
    const std::optional<QByteArray> reply = askHost(path(), HostRequest::configurations);
    EXPECT_EQ(finish(child), GetParam() ? refused : answered);
    EXPECT_EQ(reply, GetParam() ? std::nullopt : std::optional(QByteArray("[]")));
    close(ready[0]);
    close(ready[1]);
}

// The parameter: whether the other end runs as another user.
INSTANTIATE_TEST_SUITE_P(Users, PeerUserTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Other" : "Same"; });

}  // namespace
}  // namespace vantric
