#include "platform/linux/peer_user.hpp"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "platform/widget_host/host_client.hpp"
#include "support/event_wait.hpp"

namespace vantric {
namespace {

using testing::eventually;

constexpr uid_t otherUser = 65534;

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

    bool asOtherUser() const { return GetParam(); }
    QString path() const { return folder_.filePath(QStringLiteral("line.socket")); }

    sockaddr_un address() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray bytes = path().toLocal8Bit();
        std::memcpy(address.sun_path, bytes.constData(),
                    std::min(sizeof address.sun_path - 1, static_cast<size_t>(bytes.size())));
        return address;
    }

    // Starts body in a child process, as the other user where the test asks for it.
    pid_t startChild(const std::function<int()>& body) const {
        const pid_t child = fork();
        if (child == 0) {
            if (asOtherUser() && setresuid(otherUser, otherUser, otherUser) != 0) {
                _exit(90);
            }
            _exit(body());
        }
        return child;
    }

    // The child's exit code, serving this process's events while it runs.
    static int finish(pid_t child) {
        int status = 0;
        eventually([&] { return waitpid(child, &status, WNOHANG) == child; }, 10'000);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    QTemporaryDir folder_;
};

// Exit codes of the children: 0 when they were answered, 1 when they were refused.
constexpr int answered = 0;
constexpr int refused = 1;

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
        pollfd wait{.fd = client, .events = POLLIN, .revents = 0};
        char reply[4] = {};
        const bool got = poll(&wait, 1, 3000) == 1 && read(client, reply, 2) == 2;
        return got && std::memcmp(reply, "ok", 2) == 0 ? answered : refused;
    }));
    EXPECT_EQ(code, asOtherUser() ? refused : answered);
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
        pollfd wait{.fd = listener, .events = POLLIN, .revents = 0};
        if (poll(&wait, 1, 3000) != 1) {
            return refused;
        }
        const int connection = accept(listener, nullptr, nullptr);
        wait = {.fd = connection, .events = POLLIN, .revents = 0};
        char request[64] = {};
        const bool heard = poll(&wait, 1, 1000) == 1 && read(connection, request, 63) > 0;
        return heard && write(connection, "[]\n", 3) == 3 ? answered : refused;
    });
    char listening = 0;
    ASSERT_EQ(read(ready[0], &listening, 1), 1);
    const std::optional<QByteArray> reply = askHost(path(), HostRequest::configurations);
    EXPECT_EQ(finish(child), asOtherUser() ? refused : answered);
    EXPECT_EQ(reply, asOtherUser() ? std::nullopt : std::optional(QByteArray("[]")));
    close(ready[0]);
    close(ready[1]);
}

INSTANTIATE_TEST_SUITE_P(Users, PeerUserTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Other" : "Same"; });

}  // namespace
}  // namespace vantric
