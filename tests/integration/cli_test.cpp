// SPDX-License-Identifier: GPL-3.0-or-later
// mq-vista-cli against simulated sensors: every command and exit code, the JSON members,
// what is written to a sensor (and what is not), and sensors that fail among good ones.

#include "harness/broker_process.h"
#include "harness/sim_process.h"
#include "support/files.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <filesystem>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
    std::vector<QJsonObject> lines; // standard output's JSON objects, one a line
};

// The program run is MQ_CLI, or a copy of it elsewhere (beside its own settings file).
CliRun cli(const std::vector<std::string> &arguments, std::string program = "")
{
    if (program.empty())
        program = std::getenv("MQ_CLI");
    QProcess process;
    QStringList args;
    for (const std::string &a : arguments)
        args << QString::fromStdString(a);
    process.start(QString::fromStdString(program), args);
    process.closeWriteChannel(); // standard input without a terminal
    CliRun run;
    if (!process.waitForStarted(5000)) {
        run.err = "mq-vista-cli (MQ_CLI) cannot be started";
        return run;
    }
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = "mq-vista-cli did not end within 60 s";
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    for (const QByteArray &line : QByteArray::fromStdString(run.out).split('\n'))
        if (line.startsWith('{'))
            run.lines.push_back(QJsonDocument::fromJson(line).object());
    return run;
}

std::string text(const QJsonObject &o, const char *key) { return o.value(key).toString().toStdString(); }
std::vector<std::string> keysOf(const QJsonObject &o, const char *member)
{
    std::vector<std::string> keys;
    for (const QJsonValue &d : o.value(member).toArray())
        keys.push_back(d.toObject().value("key").toString().toStdString());
    return keys;
}
bool hasOrder(const std::vector<int> &orders, int order)
{
    return std::find(orders.begin(), orders.end(), order) != orders.end();
}

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "cli_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    // A simulated sensor of its own serial number (and further options), reached over TCP.
    SimProcess &sensor(int serial, std::vector<std::string> options = {})
    {
        auto sim = std::make_unique<SimProcess>();
        options.insert(options.end(), {"--tcp", "0", "--serial", std::to_string(serial), "--eeprom",
                                       dir / (std::to_string(serial) + "-" + std::to_string(sims.size()) + ".eeprom")});
        EXPECT_TRUE(sim->start(options)) << sim->error();
        sims.push_back(std::move(sim));
        return *sims.back();
    }
    static std::string at(const SimProcess &sim) { return "tcp://127.0.0.1:" + std::to_string(sim.tcpPort()); }
    // A parameter file: the backup's .ini with one key's value replaced.
    std::string editedIni(const std::string &from, const std::string &key, const std::string &value)
    {
        std::string ini = ReadBytes(from);
        const auto start = ini.find("\n" + key + " = ");
        EXPECT_NE(start, std::string::npos) << key;
        const auto end = ini.find('\n', start + 1);
        ini.replace(start, end - start, "\n" + key + " = " + value);
        const std::string path = dir / ("edited-" + key + ".ini");
        EXPECT_TRUE(WriteBytes(path, ini));
        return path;
    }

    TempDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
};

TEST_F(CliTest, IdentifyReportsEverySensorInOrderAmongSilentAndRefusedOnes)
{
    SimProcess &good = sensor(301);
    SimProcess &silent = sensor(302, {"--fault", "silent"});
    SimProcess &refused = sensor(303, {"--firmware", "K-VOR-NX.V4.06 2016"});
    SimProcess &good2 = sensor(304);
    const CliRun run = cli({"--json", "-j", "4", "identify", at(good), at(silent), at(refused), at(good2)});
    EXPECT_EQ(run.code, 2) << "one silent and one refused sensor fail the run";
    ASSERT_EQ(run.lines.size(), 4u) << run.out << run.err;
    struct Row {
        const char *name;
        std::string address;
        bool ok;
        int serial;
        std::string errorPart;
    };
    // clang-format off
    const Row rows[] = {
        {"served", at(good), true, 301, ""},
        {"silent", at(silent), false, 0, "no answer"},
        {"refused with the program's own text", at(refused), false, 303, "Please use K-VOR-NX-Vista software version!"},
        {"served after the failures", at(good2), true, 304, ""},
    };
    // clang-format on
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].name);
        const QJsonObject &line = run.lines[i];
        EXPECT_EQ(text(line, "address"), rows[i].address) << "results in the order of the addresses";
        EXPECT_EQ(line.value("ok").toBool(), rows[i].ok);
        EXPECT_NE(text(line, "error").find(rows[i].errorPart), std::string::npos) << text(line, "error");
        EXPECT_EQ(line.contains("error"), !rows[i].ok);
        if (rows[i].serial) {
            EXPECT_EQ(line.value("serial").toInt(), rows[i].serial);
        }
    }
    const QJsonObject &served = run.lines[0];
    for (const char *member : {"firmware_no", "hardware_type", "receiver_type", "pixel_count"})
        EXPECT_TRUE(served.value(member).isDouble()) << member << " is a JSON number";
    EXPECT_EQ(served.value("hardware_type").toInt(), 517318);
    EXPECT_EQ(served.value("pixel_count").toInt(), 4096);
    EXPECT_EQ(text(served, "firmware"), "K-VOR-MQ.V4.06 20-CL 2016");
    EXPECT_TRUE(served.value("served").toBool());
    EXPECT_FALSE(run.lines[2].value("served").toBool());

    const CliRun allGood = cli({"identify", at(good), at(good2)});
    EXPECT_EQ(allGood.code, 0) << allGood.err;
    EXPECT_NE(allGood.out.find("301"), std::string::npos) << "the table names the serial numbers";
}

TEST_F(CliTest, BackupThenRestoreGivesTheSetBackByteForByteWithTheSensorsOwnSlope)
{
    SimProcess &sim = sensor(401);
    const std::string backups = dir / "backups";
    const CliRun backup = cli({"--json", "backup", "--dir", backups, at(sim)});
    ASSERT_EQ(backup.code, 0) << backup.err;
    ASSERT_EQ(backup.lines.size(), 1u);
    EXPECT_EQ(backup.lines[0].value("files").toArray().size(), 2);
    const std::string eepromBefore = sim.command("eeprom");

    // The sensor's EEPROM changed, its slope too (as a recalibration would).
    const std::string changed = editedIni(backups + "/401.ini", "Power", "123");
    ASSERT_EQ(cli({"restore", changed, at(sim), "--yes"}).code, 0);
    const std::string slope = editedIni(changed, "um-Slope", "70000");
    ASSERT_EQ(cli({"restore", slope, at(sim), "--yes", "--with-slope"}).code, 0);
    const std::string eepromChanged = sim.command("eeprom");
    ASSERT_NE(eepromChanged, eepromBefore);

    const CliRun restore = cli({"--json", "restore", backups + "/401.json", at(sim), "--yes"});
    EXPECT_EQ(restore.code, 0) << restore.err;
    ASSERT_EQ(restore.lines.size(), 1u);
    EXPECT_EQ(keysOf(restore.lines[0], "differences"), std::vector<std::string>{"Power"})
        << "the slope is the sensor's own, not restored";
    // Byte for byte the backup's set, but bytes 56..59 (um-Slope) the sensor's 70000 = 0x11170.
    std::string wanted = eepromBefore;
    ASSERT_EQ(wanted.size(), 3 + 120u);
    wanted.replace(3 + 112, 8, "70110100");
    EXPECT_EQ(sim.command("eeprom"), wanted);

    // With the slope the backup's set comes back whole.
    EXPECT_EQ(cli({"restore", backups + "/401.json", at(sim), "--yes", "--with-slope"}).code, 0);
    EXPECT_EQ(sim.command("eeprom"), eepromBefore);
}

TEST_F(CliTest, RestoreWritesNothingOnADryRunARefusedHardwareTypeOrWithoutConfirmation)
{
    SimProcess &source = sensor(501);
    const std::string backups = dir / "b";
    ASSERT_EQ(cli({"backup", "--dir", backups, at(source)}).code, 0);
    const std::string changed = editedIni(backups + "/501.ini", "Average", "7");
    SimProcess &other = sensor(502, {"--hardware-type", "517312"});
    struct Row {
        const char *name;
        SimProcess *target;
        std::vector<std::string> arguments;
        int code;
        const char *errorPart;
    };
    // clang-format off
    const Row rows[] = {
        {"dry run with a change", &source, {"restore", changed, at(source), "--dry-run", "--yes"}, 1, ""},
        {"dry run without a change", &source, {"restore", backups + "/501.json", at(source), "--dry-run"}, 0, ""},
        {"another hardware type", &other, {"restore", backups + "/501.json", at(other), "--yes"}, 2, "refused"},
        {"no terminal to confirm on", &source, {"restore", changed, at(source)}, 2, "no terminal"},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.target->command("reset-stats"), "ok");
        const CliRun run = cli(row.arguments);
        EXPECT_EQ(run.code, row.code) << run.err;
        EXPECT_NE(run.err.find(row.errorPart), std::string::npos) << run.err;
        const std::vector<int> orders = row.target->orders();
        EXPECT_TRUE(hasOrder(orders, 4)) << "the target set was read";
        EXPECT_FALSE(hasOrder(orders, 3) || hasOrder(orders, 1)) << "no write order was sent";
    }
    // A sensor that acknowledges the write but keeps its old set: the read-back tells.
    ASSERT_EQ(source.command("set eeprom-worn 1"), "ok");
    const CliRun worn = cli({"--json", "restore", changed, at(source), "--yes"});
    EXPECT_EQ(worn.code, 1) << worn.err;
    ASSERT_EQ(worn.lines.size(), 1u);
    EXPECT_FALSE(worn.lines[0].value("ok").toBool());
    EXPECT_EQ(keysOf(worn.lines[0], "read_back_differences"), std::vector<std::string>{"Average"});
    // --force restores across hardware, and --to ram writes with order 1.
    ASSERT_EQ(other.command("reset-stats"), "ok");
    EXPECT_EQ(cli({"restore", changed, at(other), "--yes", "--to", "ram"}).code, 0);
    EXPECT_TRUE(hasOrder(other.orders(), 1));
    EXPECT_EQ(cli({"restore", backups + "/501.json", at(other), "--yes", "--force"}).code, 0);
}

TEST_F(CliTest, DiffExitCodesAndFields)
{
    SimProcess &sim = sensor(601);
    const std::string backups = dir / "d";
    ASSERT_EQ(cli({"backup", "--dir", backups, at(sim)}).code, 0);
    const std::string changed = editedIni(backups + "/601.ini", "Eval-End", "900");
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        int code;
        std::vector<std::string> keys;
    };
    // clang-format off
    const Row rows[] = {
        {"backup against its own sensor", {"diff", backups + "/601.json", at(sim) + "#eeprom"}, 0, {}},
        {"backup's RAM against the sensor's RAM", {"diff", backups + "/601.json#ram", at(sim) + "#ram"}, 0, {}},
        {"edited file against the backup", {"diff", changed, backups + "/601.json"}, 1, {"Eval-End"}},
        {"a missing file", {"diff", dir / "none.ini", changed}, 2, {}},
        {"one source only", {"diff", changed}, 64, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> arguments{"--json"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.code, row.code) << run.err;
        if (row.code <= 1) {
            ASSERT_EQ(run.lines.size(), 1u);
            EXPECT_EQ(keysOf(run.lines[0], "differences"), row.keys);
        }
    }
    const CliRun all = cli({"--json", "diff", "--all", changed, backups + "/601.json"});
    ASSERT_EQ(all.lines.size(), 1u);
    const QJsonArray fields = all.lines[0].value("differences").toArray();
    ASSERT_EQ(fields.size(), 29) << "every field with --all, um-Slope last";
    EXPECT_EQ(fields.last().toObject().value("key").toString(), "um-Slope");
    EXPECT_TRUE(fields.first().toObject().value("left").isDouble());
}

TEST_F(CliTest, VerifyGivesEachSensorsVerdict)
{
    SimProcess &ok = sensor(701);
    SimProcess &unsaved = sensor(702);
    SimProcess &drifted = sensor(703);
    SimProcess &noGolden = sensor(704);
    const std::string golden = dir / "golden";
    ASSERT_EQ(cli({"backup", "--dir", golden, at(ok), at(unsaved), at(drifted)}).code, 0);
    ASSERT_EQ(
        cli({"restore", editedIni(golden + "/702.ini", "Power", "300"), at(unsaved), "--to", "ram", "--yes"}).code, 0);
    ASSERT_EQ(cli({"restore", editedIni(golden + "/703.ini", "Power", "301"), at(drifted), "--yes"}).code, 0);
    // A golden parameter file serves as well as a backup.
    std::remove((golden + "/701.json").c_str());

    const CliRun run = cli({"--json", "verify", "--golden", golden, at(ok), at(unsaved), at(drifted), at(noGolden)});
    EXPECT_EQ(run.code, 1) << run.err;
    ASSERT_EQ(run.lines.size(), 4u) << run.out;
    const char *verdicts[] = {"ok", "unsaved", "drifted", "no-golden"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(verdicts[i]);
        EXPECT_EQ(text(run.lines[i], "verdict"), verdicts[i]);
        EXPECT_TRUE(run.lines[i].value("ok").toBool());
    }
    EXPECT_EQ(cli({"verify", "--golden", golden, at(ok)}).code, 0);
    SimProcess &silent = sensor(705, {"--fault", "silent"});
    EXPECT_EQ(cli({"verify", "--golden", golden, at(ok), at(silent)}).code, 2);
}

TEST_F(CliTest, VerifyPublishesEachVerdictRetainedThroughThePlantLinksBroker)
{
    BrokerProcess broker;
    ASSERT_TRUE(broker.start(dir.path)) << broker.error();
    // A copy of the program beside a settings file that names the broker and a prefix.
    const std::string program = dir / "mq-vista-cli";
    std::filesystem::copy_file(std::getenv("MQ_CLI"), program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    ASSERT_TRUE(
        WriteBytes(dir / "MQ-Vista.ini", "[MQTT]\r\nBROKER = \"127.0.0.1\"\r\nPORT = " + std::to_string(broker.port()) +
                                             "\r\nTOPIC PREFIX = \"hall-2\"\r\n"));
    SimProcess &ok = sensor(1101);
    SimProcess &drifted = sensor(1102);
    const std::string golden = dir / "golden";
    ASSERT_EQ(cli({"backup", "--dir", golden, at(ok), at(drifted)}).code, 0);
    ASSERT_EQ(cli({"restore", editedIni(golden + "/1102.ini", "Power", "301"), at(drifted), "--yes"}).code, 0);

    const CliRun run = cli({"verify", "--publish", "--golden", golden, at(ok), at(drifted)}, program);
    EXPECT_EQ(run.code, 1) << run.err;
    MqttSubscriber subscriber; // retained: they are there for a subscriber that comes later
    ASSERT_TRUE(subscriber.connect(broker.port(), "hall-2/+/verify"));
    ASSERT_TRUE(subscriber.waitFor([](const MqttSubscriber &s) { return s.messages().size() >= 2; }, 10));
    for (const auto &[serial, verdict] : {std::pair{"1101", "ok"}, std::pair{"1102", "drifted"}}) {
        SCOPED_TRACE(serial);
        const auto messages = subscriber.messagesOn("hall-2/" + std::string(serial) + "/verify");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].retain);
        EXPECT_EQ(text(QJsonDocument::fromJson(QByteArray::fromStdString(messages[0].payload)).object(), "verdict"),
                  verdict);
    }
    broker.stop();
    const CliRun unreachable = cli({"verify", "--publish", "--golden", golden, at(ok)}, program);
    EXPECT_EQ(unreachable.code, 2) << "a verdict that could not be published fails the run";
    EXPECT_NE(unreachable.err.find("not published"), std::string::npos) << unreachable.err;
}

TEST_F(CliTest, BackupKeepsFilesAndRefusesASecondSensorWithOneSerial)
{
    SimProcess &a = sensor(801);
    SimProcess &twin = sensor(801);
    const std::string backups = dir / "k";
    const CliRun first = cli({"--json", "backup", "--dir", backups, at(a), at(twin)});
    EXPECT_EQ(first.code, 2);
    ASSERT_EQ(first.lines.size(), 2u);
    EXPECT_TRUE(first.lines[0].value("ok").toBool());
    EXPECT_NE(text(first.lines[1], "error").find("serial number 801"), std::string::npos) << first.err;
    const std::string written = ReadBytes(backups + "/801.json");
    EXPECT_NE(written.find("\"address\": \"" + at(a) + "\""), std::string::npos) << "the first one's backup stands";

    const CliRun again = cli({"backup", "--dir", backups, at(a)});
    EXPECT_EQ(again.code, 2);
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
    EXPECT_EQ(ReadBytes(backups + "/801.json"), written) << "an existing backup is kept";
    EXPECT_EQ(cli({"backup", "--dir", backups, "--force", at(a)}).code, 0);
}

TEST_F(CliTest, UsageErrorsAndAnInventoryWithABadLine)
{
    SimProcess &sim = sensor(901);
    const std::string inventory = dir / "plant.txt";
    ASSERT_TRUE(WriteBytes(inventory, "# line 3\n\n" + at(sim) + "   press 1\ncom0 broken\n"));
    struct Row {
        const char *name;
        std::vector<std::string> arguments;
        const char *errorPart;
    };
    // clang-format off
    const Row rows[] = {
        {"inventory with a bad line", {"identify", "@" + inventory}, "plant.txt:4:"},
        {"no command", {"--json"}, "no command"},
        {"unknown command", {"erase", at(sim)}, "unknown command"},
        {"backup without --dir", {"backup", at(sim)}, "--dir"},
        {"a baud rate not offered", {"identify", "com1@1200"}, "9600"},
        {"restore --to flash", {"restore", "x.ini", at(sim), "--to", "flash"}, "--to"},
        {"record interval below 0.1 s", {"record", "--samples", "1", "--interval", "0.05", at(sim)}, "0.1"},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = cli(row.arguments);
        EXPECT_EQ(run.code, 64);
        EXPECT_NE(run.err.find(row.errorPart), std::string::npos) << run.err;
    }
    const CliRun help = cli({"restore", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--with-slope"), std::string::npos);
}

TEST_F(CliTest, ASecondClientOfANetworkServerIsReportedBusy)
{
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(sim->start({"--pty", dir / "pty", "--eeprom", dir / "s.eeprom"})) << sim->error();
    const int port = FreeLocalPort();
    QProcess ser2net;
    ser2net.start("ser2net",
                  {"-n", "-u", "-P", QString::fromStdString(dir / "ser2net.pid"), "-Y", "connection: &sensor", "-Y",
                   QString::fromStdString("  accepter: tcp,127.0.0.1," + std::to_string(port)), "-Y",
                   QString::fromStdString("  connector: serialdev," + sim->ptyPath() + ",115200n81,local")});
    ASSERT_TRUE(ser2net.waitForStarted(5000));
    ASSERT_TRUE(WaitWithEvents([port] { return PortAnswers(port); }, 10)) << "ser2net did not listen";
    const std::string address = "tcp://127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(cli({"identify", address}).code, 0) << "served while nobody else holds it";

    QTcpSocket first;
    first.connectToHost("127.0.0.1", static_cast<quint16>(port));
    ASSERT_TRUE(first.waitForConnected(5000));
    const CliRun run = cli({"--json", "identify", address});
    EXPECT_EQ(run.code, 2);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_EQ(text(run.lines[0], "error").rfind("busy:", 0), 0u) << text(run.lines[0], "error");
    first.close();
    ser2net.terminate();
    ser2net.waitForFinished(5000);
}

TEST_F(CliTest, ASerialPortHeldByAnotherProgramIsReportedBusy)
{
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(sim->start({"--pty", dir / "pty", "--eeprom", dir / "s.eeprom"})) << sim->error();
    const std::string device = sim->ptyPath() + "@115200";
    const CliRun free = cli({"--json", "identify", device});
    EXPECT_EQ(free.code, 0) << free.err;

    QSerialPort other;
    other.setPortName(QString::fromStdString(sim->ptyPath()));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    const CliRun held = cli({"--json", "identify", device});
    EXPECT_EQ(held.code, 2);
    ASSERT_EQ(held.lines.size(), 1u);
    EXPECT_EQ(text(held.lines[0], "error").rfind("busy:", 0), 0u) << text(held.lines[0], "error");
}

// A server whose queue of connections is full never completes a connection: --timeout ends
// the wait for that sensor alone.
TEST_F(CliTest, AConnectionThatNeverCompletesEndsAtTheTimeOutWithoutHoldingUpOthers)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr *>(&local), sizeof local), 0);
    ASSERT_EQ(::listen(server, 0), 0);
    ASSERT_EQ(::getsockname(server, reinterpret_cast<sockaddr *>(&local), &length), 0);
    std::vector<int> queued;
    for (int i = 0; i < 3; ++i) {
        queued.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
        ::connect(queued.back(), reinterpret_cast<sockaddr *>(&local), sizeof local);
    }
    SimProcess &good = sensor(1201);
    const std::string stuck = "tcp://127.0.0.1:" + std::to_string(ntohs(local.sin_port));
    const CliRun run = cli({"--json", "--timeout", "0.5", "identify", stuck, at(good)});
    EXPECT_EQ(run.code, 2);
    ASSERT_EQ(run.lines.size(), 2u) << run.err;
    EXPECT_NE(text(run.lines[0], "error").find("time-out"), std::string::npos) << text(run.lines[0], "error");
    EXPECT_TRUE(run.lines[1].value("ok").toBool()) << "the good sensor is answered all the same";
    for (int fd : queued)
        ::close(fd);
    ::close(server);
}

TEST_F(CliTest, RecordWritesEachSensorsRecordFile)
{
    SimProcess &a = sensor(1001);
    SimProcess &b = sensor(1002);
    const std::string records = dir / "rec";
    const CliRun run = cli({"--json", "record", "--samples", "3", "--interval", "0.1", "--dir", records, at(a), at(b)});
    EXPECT_EQ(run.code, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 2u);
    for (const char *serial : {"1001", "1002"}) {
        SCOPED_TRACE(serial);
        const std::string file = ReadBytes(records + "/" + serial + "-RECORD.DAT");
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 6 + 3) << "six header lines and three samples";
        EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 6 + 3) << "every line ends in CR LF";
    }
    EXPECT_NE(run.err.find("3/3"), std::string::npos) << "progress on standard error";

    // Ctrl+C (SIGINT to the program alone): the sample under way is finished, the file whole.
    QProcess process;
    process.start(QString::fromLocal8Bit(std::getenv("MQ_CLI")),
                  {"--json", "record", "--samples", "100000", "--interval", "0.1", "--dir",
                   QString::fromStdString(records + "/stopped"), QString::fromStdString(at(a))});
    ASSERT_TRUE(process.waitForStarted(5000));
    ASSERT_TRUE(WaitWithEvents([&] { return process.readAllStandardError().contains("/100000"); }, 10));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000)) << "a stop ends the recording at once";
    EXPECT_EQ(process.exitCode(), 0);
    const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    const int samples = result.value("samples").toInt();
    EXPECT_GT(samples, 0);
    EXPECT_LT(samples, 100000);
    const std::string file = ReadBytes(records + "/stopped/1001-RECORD.DAT");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 6 + samples) << "every sample taken is in the file";
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n") << "the last line whole";
}

TEST_F(CliTest, RestoreLogsEachFieldItWritesAndLogPrintsFiltersAndVerifiesTheChain)
{
    SimProcess &sim = sensor(601);
    const std::string backups = dir / "backups", log = dir / "changes.sqlite";
    ASSERT_EQ(cli({"backup", "--dir", backups, at(sim)}).code, 0);
    ASSERT_EQ(cli({"restore", editedIni(backups + "/601.ini", "Power", "123"), at(sim), "--yes", "--log", log}).code,
              0);
    ASSERT_EQ(sim.command("fault error-1 order 3"), "ok");
    EXPECT_EQ(cli({"restore", editedIni(backups + "/601.ini", "Power", "124"), at(sim), "--yes", "--log", log}).code,
              2);

    const CliRun json = cli({"--json", "log", "--log", log});
    ASSERT_EQ(json.code, 0) << json.err;
    ASSERT_EQ(json.lines.size(), 2u) << json.out;
    EXPECT_EQ(json.lines[0].keys().join(' ').toStdString(),
              "action address firmware hardware_type hash host key new old program result serial target time user");
    struct Row {
        const char *name;
        long long old, value;
        const char *result;
    };
    const Row rows[] = {{"written, old from the set read first (the simulator's 500)", 500, 123, "written"},
                        {"refused by the sensor", 123, 124, "failed"}};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(rows[i].name);
        const QJsonObject &r = json.lines[i];
        EXPECT_EQ(text(r, "action") + " " + text(r, "target") + " " + text(r, "key") + " " + text(r, "serial"),
                  "RESTORE EEPROM Power 601");
        EXPECT_EQ(r.value("old").toInteger(), rows[i].old);
        EXPECT_EQ(r.value("new").toInteger(), rows[i].value);
        EXPECT_EQ(text(r, "result"), rows[i].result);
        EXPECT_EQ(text(r, "program").rfind("mq-vista-cli ", 0), 0u);
    }
    struct Listing {
        std::vector<std::string> args;
        int code;
        std::size_t lines;
    };
    const Listing listings[] = {{{"log", "--log", log, "--sensor", "601"}, 0, 2},
                                {{"log", "--log", log, "--sensor", "602"}, 0, 0},
                                {{"log", "--log", log, "--since", "2999-01-01"}, 0, 0},
                                {{"log", "--log", log, "--since", "today"}, 64, 0},
                                {{"log", "--log", dir / "none.sqlite"}, 2, 0}};
    for (const Listing &l : listings) {
        SCOPED_TRACE(l.args.back());
        const CliRun run = cli(l.args);
        EXPECT_EQ(run.code, l.code) << run.err;
        EXPECT_EQ(static_cast<std::size_t>(std::count(run.out.begin(), run.out.end(), '\n')), l.lines) << run.out;
    }

    const CliRun whole = cli({"log", "--verify", "--log", log});
    EXPECT_EQ(whole.code, 0) << whole.out << whole.err;
    EXPECT_NE(whole.out.find(text(json.lines[1], "hash")), std::string::npos) << "the latest hash: " << whole.out;
    QProcess sqlite;
    sqlite.start("sqlite3", {QString::fromStdString(log), "UPDATE changes SET new = 125 WHERE id = 2"});
    ASSERT_TRUE(sqlite.waitForFinished(10000));
    const CliRun broken = cli({"log", "--verify", "--log", log});
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.out.find("row 2 breaks the chain"), std::string::npos) << broken.out;
}

} // namespace
