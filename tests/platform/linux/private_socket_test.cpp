// The per-user socket of the application and the widget host: the folder it lives in, and its
// server under a flood of clients.
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "platform/linux/runtime_folder.hpp"
#include "support/event_wait.hpp"

namespace vantric {
namespace {

using testing::eventually;

constexpr uid_t otherUser = 65534;

mode_t modeOf(const QString& path) {
    struct stat status {};
    return lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

// Clients that each leave a partial line of 10 KiB, and never finish it, take no client's place
// for long: the newest evicts the one longest without a line, and all go once idle too long.
// A client that sends a line that is not UTF-8 goes at once.
TEST(LocalLineServer, AFloodOfIdleClientsNeitherLocksOutANewOneNorStays) {
    QTemporaryDir folder;
    LocalLineServer server([](const QString&) { return QByteArray("ok"); });
    ASSERT_TRUE(server.listen(folder.filePath(QStringLiteral("line.socket"))));

    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int client = 0; client < 100; ++client) {
        flood.push_back(std::make_unique<QLocalSocket>());
        flood.back()->connectToServer(folder.filePath(QStringLiteral("line.socket")));
        flood.back()->write(QByteArray(qsizetype{10} * 1024, 'x'));
    }
    EXPECT_TRUE(eventually([&] {
        return server.connectionCount() == LocalLineServer::maxConnections &&
               flood.back()->bytesToWrite() == 0;
    }));

    QLocalSocket fresh;
    fresh.connectToServer(folder.filePath(QStringLiteral("line.socket")));
    fresh.write("hello\n");
    EXPECT_TRUE(eventually([&] { return fresh.canReadLine(); }));
    EXPECT_EQ(fresh.readLine(), QByteArray("ok\n"));

    // A line that is not UTF-8 reaches no handler: its client is dropped unanswered.
    QLocalSocket garbled;
    garbled.connectToServer(folder.filePath(QStringLiteral("line.socket")));
    garbled.write("caf\xE9\n");
    EXPECT_TRUE(eventually([&] { return garbled.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_FALSE(garbled.canReadLine());

    // The answered client is idle now as well.
    EXPECT_TRUE(eventually([&] { return server.connectionCount() == 0; }, 6000));
}

// A fixed name in a shared folder could be taken first by another user; only a folder that is
// this user's alone will do, or none.
TEST(RuntimeFolder, IsThisUsersAloneOrNone) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    QTemporaryDir shared;
    const auto at = [&](const char* name) { return shared.filePath(QString::fromUtf8(name)); };
    const auto file = [&](const char* name) { return QFile::encodeName(at(name)); };
    EXPECT_TRUE(isPrivateFolder(at("made")));
    EXPECT_EQ(modeOf(at("made")), 0700U);
    ASSERT_TRUE(QDir().mkpath(at("opened")) && chmod(file("opened").constData(), 0755) == 0);
    EXPECT_TRUE(isPrivateFolder(at("opened")));
    EXPECT_EQ(modeOf(at("opened")), 0700U);
    ASSERT_TRUE(QFile::link(at("made"), at("link")));
    EXPECT_FALSE(isPrivateFolder(at("link")));
    ASSERT_TRUE(QDir().mkpath(at("theirs")) &&
                chown(file("theirs").constData(), otherUser, otherUser) == 0);
    EXPECT_FALSE(isPrivateFolder(at("theirs")));

    // Without XDG_RUNTIME_DIR, and with Qt's own fallback taken by another user.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray temporary = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(shared.path()));
    // Qt's own, named after the user: this test runs only as root.
    ASSERT_TRUE(QDir().mkpath(at("runtime-root")) &&
                chown(file("runtime-root").constData(), otherUser, otherUser) == 0);
    EXPECT_EQ(privateRuntimeFolder(), at("vantric-0"));
    ASSERT_EQ(chown(file("vantric-0").constData(), otherUser, otherUser), 0);
    EXPECT_EQ(privateRuntimeFolder(), std::nullopt);
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("TMPDIR", temporary);
}

}  // namespace
}  // namespace vantric
