// SPDX-License-Identifier: GPL-3.0-or-later

// The change log file on its own: two programs appending at once, rows edited behind its
// back, and the JSON form of a row.

#include "files/change_log.h"
#include "support/files.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

ChangeRow row(const std::string &key, std::optional<long long> old, long long value)
{
    ChangeRow r;
    r.time = "2026-12-08T10:00:00.000Z";
    r.serial = "4711";
    r.action = "SEND";
    r.target = "EEPROM";
    r.key = key;
    r.oldValue = old;
    r.newValue = value;
    r.written = true;
    return r;
}

TEST(ChangeLogFile, TwoProgramsAppendingAtOnceLoseNothingAndKeepOneChain)
{
    TempDir dir;
    const std::string path = dir.path + "/" + kChangeLogFileName;
    constexpr int kRows = 150;
    QProcess a, b;
    for (auto [process, label] : {std::pair{&a, "A"}, {&b, "B"}})
        process->start(QStringLiteral(MQ_CHANGE_LOG_WRITER),
                       {QString::fromStdString(path), QString::fromUtf8(label), QString::number(kRows)});
    for (QProcess *p : {&a, &b}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    std::vector<ChangeRow> rows;
    std::string error;
    ASSERT_TRUE(ReadChangeRows(path, {}, &rows, &error)) << error;
    std::set<std::string> keys;
    for (const ChangeRow &r : rows)
        keys.insert(r.key);
    EXPECT_EQ(rows.size(), 2u * kRows);
    EXPECT_EQ(keys.size(), 2u * kRows) << "every row of both, each once";
    const ChainCheck check = VerifyChangeChain(path);
    EXPECT_EQ(check.firstBroken, 0) << "the two writers' rows form one chain";
    EXPECT_EQ(check.lastHash, rows.back().hash);
}

TEST(ChangeLogFile, ARowChangedBehindTheLogsBackBreaksTheChainThere)
{
    struct Case {
        const char *name;
        const char *sql;
        long long firstBroken;
    };
    const Case cases[] = {
        {"new value edited", "UPDATE changes SET new = 7 WHERE id = 3", 3},
        {"not read turned into a value", "UPDATE changes SET old = 0 WHERE id = 2", 2},
        {"a written row made failed", "UPDATE changes SET result = 'failed' WHERE id = 4", 4},
        {"a row taken out", "DELETE FROM changes WHERE id = 2", 3},
        {"untouched", "SELECT 1", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.path + "/" + kChangeLogFileName;
        std::vector<ChangeRow> rows{row("Power", 500, 321), row("Teach-Value", std::nullopt, 2048),
                                    row("Average", 1, 3), row("Free-Para", 0, 9), row("Polarity", 0, 1)};
        ASSERT_TRUE(AppendChangeRows(path, rows).ok);
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"), {QString::fromStdString(path), QString::fromUtf8(c.sql)});
        ASSERT_TRUE(sqlite.waitForFinished(10000));
        ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
        const ChainCheck check = VerifyChangeChain(path);
        ASSERT_TRUE(check.readable) << check.error;
        EXPECT_EQ(check.firstBroken, c.firstBroken);
    }
}

TEST(ChangeLogFile, JsonCarriesExactlyTheMembersAndNullForNotRead)
{
    ChangeRow r = row("Teach-Value", std::nullopt, 2048);
    r.written = false;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(ChangeRowJson(r))).object();
    EXPECT_EQ(o.keys().join(QLatin1Char(' ')).toStdString(),
              "action address firmware hardware_type hash host key new old program result serial target time user");
    EXPECT_TRUE(o.value(QStringLiteral("old")).isNull()) << "not read";
    EXPECT_EQ(o.value(QStringLiteral("new")).toInteger(), 2048);
    EXPECT_EQ(o.value(QStringLiteral("result")).toString().toStdString(), "failed");
}

} // namespace
