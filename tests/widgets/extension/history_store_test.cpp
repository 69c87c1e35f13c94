#include "widgets/extension/history_store.hpp"

#include <cmath>

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantric {
namespace {

using History = std::vector<HistoryPoint>;

HistoryPoint at(double date, double cpu = 0.5) {
    return {.date = {date}, .cpu = cpu, .memory = 0.25, .gpu = 0.125};
}

TEST(AppendedHistory, KeepsTheLastHourInOrderAndAtMost240Points) {
    // Exactly an hour old stays; a second more goes; a point dated long after the new one (the
    // clock was set back) goes too, and one a few seconds after it (another process's) stays.
    const History trimmed =
        appendedHistory({at(996), at(1000), at(2000), at(4603), at(9000)}, at(4600));
    EXPECT_EQ(trimmed, (History{at(1000), at(2000), at(4600), at(4603)}));

    History full;
    for (int second = 0; second < 240; ++second) {
        full.push_back(at(second));
    }
    const History capped = appendedHistory(full, at(240));
    ASSERT_EQ(capped.size(), 240U);
    EXPECT_EQ(capped.front().date.secondsSinceReferenceDate, 1);
    EXPECT_EQ(capped.back().date.secondsSinceReferenceDate, 240);
}

struct HistoryStoreTest : ::testing::Test {
    QString storedText() const {
        return QSettings(file, QSettings::IniFormat).value(QStringLiteral("history")).toString();
    }

    QTemporaryDir folder;
    QString file = folder.filePath(QStringLiteral("VantricWidget.ini"));
};

// A new store object, as a later run of the host makes, reads the file afresh. A figure that is
// not a number is stored as 0, so the hour before it survives the next read.
TEST_F(HistoryStoreTest, StartsWithOnePointAndBuildsOnWhatEarlierRunsStored) {
    EXPECT_EQ(HistoryStore(file).append(at(100)), History{at(100)});
    HistoryStore(file).append(at(110, std::nan("")));
    EXPECT_EQ(HistoryStore(file).append(at(120)), (History{at(100), at(110, 0), at(120)}));
}

TEST_F(HistoryStoreTest, ADamagedValueStartsAFreshHistoryWithoutTheGarbage) {
    // The last is what an older writer made of a NaN.
    for (const char* damaged :
         {"", "not json", R"([{"date":1,"cpu":0.5,"memory":0.2,"gpu":null}])"}) {
        {
            QSettings settings(file, QSettings::IniFormat);
            settings.setValue(QStringLiteral("history"), QString::fromUtf8(damaged));
            settings.setValue(QStringLiteral("x%01"), damaged);
        }
        EXPECT_EQ(HistoryStore(file).append(at(50)), (History{at(50)})) << damaged;
        EXPECT_EQ(decodeHistory(storedText().toStdString()).value().size(), 1U) << damaged;
        EXPECT_EQ(QSettings(file, QSettings::IniFormat).allKeys(),
                  QStringList{QStringLiteral("history")});
    }

    // Megabytes of garbage in the file's place are not parsed, nor written back.
    QFile garbage(file);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    const QByteArray line("[x]\nk=\"\\\"\n");
    for (int copy = 0; copy < (2 << 20) / line.size(); ++copy) {
        garbage.write(line);
    }
    garbage.close();
    EXPECT_EQ(HistoryStore(file).append(at(60)), (History{at(60)}));
    EXPECT_LT(QFile(file).size(), 1000);
    EXPECT_EQ(HistoryStore(file).append(at(70)), (History{at(60), at(70)}));
}

TEST_F(HistoryStoreTest, ASaveThatFailsKeepsTheReturnedHistory) {
    // A settings file whose folder is a plain file cannot be written, even by root.
    ASSERT_TRUE(QFile(folder.filePath(QStringLiteral("blocker"))).open(QIODevice::WriteOnly));
    HistoryStore unwritable(folder.filePath(QStringLiteral("blocker/VantricWidget.ini")));
    EXPECT_EQ(unwritable.append(at(1)), (History{at(1)}));
    EXPECT_EQ(unwritable.append(at(2)), (History{at(2)}));
}

// Each writer appends 60 points dated by the clock, so no point is ever older than one stored.
TEST_F(HistoryStoreTest, TwoProcessesAppendingAtOnceKeepEachOthersPoints) {
    QProcess first;
    QProcess second;
    for (QProcess* writer : {&first, &second}) {
        writer->start(QStringLiteral(VANTRIC_HISTORY_WRITER), {file, QStringLiteral("60")});
    }
    for (QProcess* writer : {&first, &second}) {
        ASSERT_TRUE(writer->waitForFinished(60000));
        EXPECT_EQ(writer->exitCode(), 0);
    }
    const auto decoded = decodeHistory(storedText().toStdString());
    ASSERT_TRUE(decoded) << storedText().left(200).toStdString();
    EXPECT_EQ(decoded.value().size(), 120U);
}

}  // namespace
}  // namespace vantric
