#include "app/store/single_instance.hpp"

#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/event_wait.hpp"

namespace vantric {
namespace {

using testing::eventually;

// The real program as a second launch, pointed at this test's runtime folder.
int launchSecond(const QTemporaryDir& runtime, const QStringList& arguments) {
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(environment);
    second.start(VANTRIC_PROGRAM, arguments);
    // The running instance answers from this thread's event loop while the second one waits.
    while (!second.waitForFinished(20)) {
        QCoreApplication::processEvents();
        if (second.state() == QProcess::NotRunning) {
            break;
        }
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

// The first instance takes over a stale socket file left without a lock.
TEST(SingleInstance, ASecondLaunchHandsItsUrlsToTheRunningOneAndExitsZero) {
    QTemporaryDir runtime;
    ASSERT_TRUE(QFile(runtime.filePath("vantric.socket")).open(QIODevice::WriteOnly));
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.claim({}), SingleInstance::Role::running);
    QSignalSpy urls(&running, &SingleInstance::urlReceived);
    QSignalSpy raises(&running, &SingleInstance::raiseRequested);

    EXPECT_EQ(launchSecond(runtime, {"vantric://memory"}), 0);
    EXPECT_TRUE(eventually([&] { return urls.count() == 1; }));
    EXPECT_EQ(urls.at(0).at(0).toString(), "vantric://memory");

    EXPECT_EQ(launchSecond(runtime, {}), 0);
    EXPECT_TRUE(eventually([&] { return raises.count() == 1; }));
}

TEST(SingleInstance, DropsGarbageAndOversizedMessagesAndKeepsServing) {
    QTemporaryDir runtime;
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.claim({}), SingleInstance::Role::running);
    QSignalSpy urls(&running, &SingleInstance::urlReceived);

    for (const QByteArray& bad :
         {QByteArray("rm -rf /\n"), QByteArray(SingleInstance::maxMessageBytes + 10, 'a')}) {
        QLocalSocket client;
        client.connectToServer(running.socketPath());
        ASSERT_TRUE(client.waitForConnected(1000));
        client.write(bad);
        client.flush();
        EXPECT_TRUE(eventually([&] { return client.state() == QLocalSocket::UnconnectedState; }));
    }
    EXPECT_EQ(urls.count(), 0);

    SingleInstance second(runtime.path());
    EXPECT_EQ(second.claim({"vantric://cpu"}), SingleInstance::Role::forwarded);
    EXPECT_TRUE(eventually([&] { return urls.count() == 1; }));
}

}  // namespace
}  // namespace vantric
