// SPDX-License-Identifier: GPL-3.0-or-later
// The plant link against a real mosquitto started by each test: every Run frame once and
// in order, retained identity, parameters and status, a broker restart during a Run, the
// buffer on disk across a close of the program, retained topics given again to a restarted
// broker, a password, TLS with certificates made here, the last will of a killed program,
// and no connection at all while the link is off.

#include "base/text.h"
#include "display/measure.h"
#include "files/settings.h"
#include "harness/broker_process.h"
#include "link/ident.h"
#include "link_ui/ident_page.h"
#include "params_ui/transfer.h"
#include "plant/messages.h"
#include "plant/outbox_file.h"
#include "plant/plant_dialog.h"
#include "plant/plant_link.h"
#include "support/integration_helpers.h"
#include "support/sim_fixture.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "files/change_log.h"
#include "files/change_watch.h"
#include <algorithm>

#include <csignal>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <tuple>

using namespace ui;
using namespace panels;

namespace {

QJsonObject json(const std::string &payload)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

class PlantLinkTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(startSimOverTcp());
        ASSERT_EQ(stop_flag, 1);
    }
    void TearDown() override
    {
        plantSettings = PlantSettings{};
        PlantApplySettings();
        broker.stop();
        SimFixture::TearDown();
    }
    void enable(PlantSettings s)
    {
        s.enabled = true;
        s.broker = "127.0.0.1";
        if (s.port == 1883)
            s.port = broker.port();
        plantSettings = s;
        PlantApplySettings();
    }
    std::string topic(const char *leaf) const { return PlantTopic("k-vor-mq", hwinfo.serialNo, leaf); }
    bool stateIs(const std::string &text, double seconds = 10)
    {
        return WaitWithEvents([&] { return PlantLink().stateText() == text; }, seconds);
    }
    std::vector<MeasurementRecord> framesSent()
    {
        std::vector<MeasurementRecord> frames;
        for (const std::string &hex : MeasurementsSent(sim))
            frames.push_back(FromHex<MeasurementRecord>(hex));
        return frames;
    }
    std::string dir() const { return programDir; }

    BrokerProcess broker;
};

TEST_F(PlantLinkTest, EveryFrameArrivesOnceInOrderAndIdentityParametersStatusAreRetained)
{
    ASSERT_TRUE(broker.start(dir())) << broker.error();
    MqttSubscriber live;
    ASSERT_TRUE(live.connect(broker.port(), "k-vor-mq/#"));
    enable({});
    ASSERT_EQ(InitDataExchange(), 1);
    ASSERT_TRUE(stateIs("MQTT: connected to 127.0.0.1:" + std::to_string(broker.port())));
    PushSEND(EEPROM);
    // The SEND's change-log rows, each once and not retained, as the log holds them.
    std::vector<ChangeRow> logged;
    std::string error;
    ASSERT_TRUE(ReadChangeRows(ChangeLogFile(), {}, &logged, &error)) << error;
    ASSERT_EQ(logged.size(), 29u) << "an EEPROM never read: every field";
    ASSERT_TRUE(live.waitFor([&](const MqttSubscriber &s) { return s.messagesOn(topic("change")).size() >= 29; }, 10));
    const std::vector<MqttMessage> changes = live.messagesOn(topic("change"));
    ASSERT_EQ(changes.size(), 29u);
    EXPECT_FALSE(changes[0].retain) << "a change row is not retained";
    EXPECT_EQ(changes[0].payload, ChangeRowJson(logged[0]));
    EXPECT_EQ(changes[28].payload, ChangeRowJson(logged[28]));

    // Paced, so that the frames sent stay within the simulator's record of the last 2000.
    ASSERT_EQ(sim.command("set baud 115200"), "ok");
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    const std::uint64_t seqBefore = plantFrameSeq;
    RunLoopFor(MAIN_RUN, 0.6);
    const std::vector<MeasurementRecord> sent = framesSent();
    ASSERT_GT(sent.size(), 5u);
    ASSERT_TRUE(live.waitFor(
        [&](const MqttSubscriber &s) { return s.messagesOn(topic("measurement")).size() >= sent.size(); }, 10));
    const std::vector<MqttMessage> frames = live.messagesOn(topic("measurement"));
    ASSERT_EQ(frames.size(), sent.size()) << "each frame once";
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const QJsonObject m = json(frames[i].payload);
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_EQ(m["seq"].toInteger(), static_cast<qint64>(seqBefore + i + 1)) << "numbered without a gap";
        EXPECT_EQ(m["M-VALUE"].toInt(), int{sent[i].M_VALUE});
        EXPECT_TRUE(m["time"].toString().endsWith('Z')) << "a UTC time: " << m["time"].toString().toStdString();
        EXPECT_FALSE(frames[i].retain) << "measurements are not retained";
    }
    EXPECT_EQ(json(frames.back().payload)["in_tolerance"].toBool(), frameInTolerance);

    // Each sample the recorder writes, numbered, with the file's name.
    CopyText(rec_fname, (dir() + "/REC.DAT").c_str());
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    Record(0, 3, 0.1);
    const std::vector<MeasurementRecord> recorded = framesSent();
    ASSERT_EQ(recorded.size(), 3u);
    ASSERT_TRUE(live.waitFor([&](const MqttSubscriber &s) { return s.messagesOn(topic("record")).size() >= 3; }, 10));
    const std::vector<MqttMessage> samples = live.messagesOn(topic("record"));
    ASSERT_EQ(samples.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject m = json(samples[i].payload);
        EXPECT_EQ(std::tuple(m["sample"].toInt(), m["file"].toString().toStdString(), m["M-VALUE"].toInt()),
                  std::tuple(i + 1, std::string("REC.DAT"), int{recorded[i].M_VALUE}));
    }

    // A subscriber that comes later is given the sensor's state at once.
    MqttSubscriber late;
    ASSERT_TRUE(late.connect(broker.port(), "k-vor-mq/+/+"));
    ASSERT_TRUE(late.waitFor([](const MqttSubscriber &s) { return s.messages().size() >= 3; }, 5));
    std::map<std::string, MqttMessage> retained;
    for (const MqttMessage &m : late.messages())
        retained[m.topic] = m;
    ASSERT_EQ(retained.size(), 3u);
    EXPECT_EQ(std::pair(retained[topic("status")].retain, retained[topic("status")].payload),
              std::pair(true, std::string("online")));
    const QJsonObject identity = json(retained[topic("identity")].payload);
    EXPECT_EQ(identity["serial"].toInt(), hwinfo.serialNo);
    EXPECT_EQ(identity["firmware_no"].toInt(), hwinfo.firmwareNo);
    EXPECT_EQ(identity["pixel_count"].toInt(), PixelCount());
    EXPECT_EQ(identity["firmware"].toString().toStdString(), szFirmwareVersion);
    // The SEND after the GET of the identification.
    const QJsonObject parameters = json(retained[topic("parameters")].payload);
    EXPECT_EQ(std::tuple(parameters["source"].toString().toStdString(), parameters["Eval-End"].toInt(),
                         live.messagesOn(topic("parameters")).size()),
              std::tuple(std::string("EEPROM"), pset.Eval_End, 2u));
}

// A TCP relay for one connection: frozen (SIGSTOP), it holds what the link sends, unanswered.
void startRelay(QProcess &relay, int port, int to)
{
    relay.start("socat",
                {QString("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port), QString("TCP:127.0.0.1:%1").arg(to)});
    ASSERT_TRUE(relay.waitForStarted(5000));
}
// Only a running relay: a process id of 0 would signal the whole process group.
void signalRelay(QProcess &relay, int sig)
{
    EXPECT_EQ(relay.state(), QProcess::Running) << "the relay ended early";
    if (relay.state() == QProcess::Running && relay.processId() > 0)
        ::kill(static_cast<pid_t>(relay.processId()), sig);
}

TEST_F(PlantLinkTest, BrokerGoneForThreeSecondsDuringTheRunLosesNothing)
{
    // Persistent, the broker keeps for the subscriber what it took before it stopped. The
    // link reaches it through a relay that freezes when the broker stops: what the link
    // sends then is never acknowledged, and is lost with the relay.
    ASSERT_TRUE(broker.start(dir(), "persistence true\npersistence_location " + dir() + "/\nmax_queued_messages 0\n"))
        << broker.error();
    MqttSubscriber live;
    ASSERT_TRUE(live.connect(broker.port(), "k-vor-mq/+/measurement", "plant-test-sub"));
    const int relayPort = FreeLocalPort();
    QProcess relay, relayAgain;
    ASSERT_NO_FATAL_FAILURE(startRelay(relay, relayPort, broker.port()));
    // Identified first: the relay carries one connection, and a new serial reconnects.
    ASSERT_EQ(InitDataExchange(), 1);
    PlantSettings s;
    s.port = relayPort;
    enable(s);
    ASSERT_TRUE(stateIs("MQTT: connected to 127.0.0.1:" + std::to_string(relayPort)));

    const std::uint64_t first = plantFrameSeq + 1;
    unsigned long long shownAtStop = 0, shownWhileAway = 0;
    QTimer::singleShot(500, [&] {
        signalRelay(relay, SIGSTOP);
        broker.stop();
        shownAtStop = framesShown;
    });
    QTimer::singleShot(3500, [&] {
        shownWhileAway = framesShown - shownAtStop;
        EXPECT_TRUE(broker.restart()) << broker.error();
        signalRelay(relay, SIGKILL);
        relay.waitForFinished(2000);
        startRelay(relayAgain, relayPort, broker.port());
    });
    RunLoopFor(MAIN_RUN, 5.0);
    const std::uint64_t last = plantFrameSeq;
    EXPECT_GT(shownWhileAway, 5u) << "the program measures on";
    const auto seqOf = [](const MqttMessage &m) {
        return static_cast<std::uint64_t>(json(m.payload)["seq"].toInteger());
    };
    ASSERT_TRUE(live.waitFor(
        [&](const MqttSubscriber &s) {
            const auto m = s.messages();
            return !m.empty() && seqOf(m.back()) == last;
        },
        40))
        << PlantLink().stateText() << ", last " << last << ", received " << live.messages().size();
    // Repeats of unacknowledged messages are allowed; a gap or a step back is not.
    std::uint64_t expected = first;
    for (const MqttMessage &m : live.messages()) {
        ASSERT_LE(seqOf(m), expected) << "gap before " << seqOf(m);
        if (seqOf(m) == expected)
            ++expected;
    }
    EXPECT_EQ(expected, last + 1);
    EXPECT_EQ(PlantLink().dropped(), 0u);
    const auto lines = LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string &l) { return l.rfind("MQTT: broker unreachable, ", 0) == 0; }));
    relayAgain.kill();
    relayAgain.waitForFinished(2000);
}

TEST_F(PlantLinkTest, PasswordAndTlsAreCheckedAndAFailureIsSaidInWords)
{
    ASSERT_TRUE(MakeTlsFiles(dir()));
    ASSERT_TRUE(MakePasswordFile(dir() + "/passwd", "sensor7", "right one"));
    const int plainPort = FreeLocalPort();
    // The link's listener asks for a client certificate and a password; the test's
    // subscriber uses a plain one.
    ASSERT_TRUE(broker.start(dir(),
                             "cafile " + dir() + "/ca.crt\ncertfile " + dir() + "/server.crt\nkeyfile " + dir() +
                                 "/server.key\nrequire_certificate true\nlistener " + std::to_string(plainPort) +
                                 " 127.0.0.1\nallow_anonymous false\npassword_file " + dir() + "/passwd\n",
                             plainPort))
        << broker.error();
    WriteBytes(dir() + "/right", "right one\n");
    WriteBytes(dir() + "/wrong", "wrong one\n");
    ASSERT_EQ(InitDataExchange(), 1);
    const std::string connected = "MQTT: connected to 127.0.0.1:" + std::to_string(broker.port());
    struct Case {
        const char *name;
        const char *passwordFile;
        const char *ca;
        const char *cert;
        std::string state;
    };
    // clang-format off
    const Case cases[] = {
        {"right password and CA", "right", "ca.crt", "client", connected},
        {"wrong password", "wrong", "ca.crt", "client", "MQTT: refused: not authorised"},
        {"broker not signed by our CA", "right", "other-ca.crt", "client",
         "MQTT: TLS refused: certificate verify failed"},
        {"password file missing", "missing", "ca.crt", "client",
         "MQTT: password file not readable: " + dir() + "/missing"},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);

        PlantSettings s;
        s.username = "sensor7";
        s.passwordFile = dir() + "/" + c.passwordFile;
        s.tls = true;
        s.caFile = dir() + "/" + c.ca;
        s.certFile = dir() + "/" + c.cert + ".crt";
        s.keyFile = dir() + "/" + c.cert + ".key";
        enable(s);
        PlantPublishIdentity();
        EXPECT_TRUE(stateIs(c.state)) << c.state << " / " << PlantLink().stateText();
        // Said in the connection page's status box too.
        EXPECT_TRUE(WaitWithEvents([&] { return LogCount(c.state) > 0; }, 2)) << c.state;
    }
    // Nothing else changed: the sensor answers as before.
    EXPECT_EQ(err_flag, 0);
    PushGET(RAM);
    EXPECT_EQ(MainStatus(), "Parameter-frame received! - Line Ok!");
}

TEST_F(PlantLinkTest, OnlyEnabledOneContactsTheBroker)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const std::string ini = dir() + "/MQ-Vista.ini";
    WriteBytes(dir() + "/pw", "secret\n");
    const struct {
        const char *enabled;
        bool contacts;
    } cases[] = {{"0", false}, {"yes", false}, {"1", true}};
    for (const auto &c : cases) {
        WriteBytes(ini, std::string("[MQTT]\nENABLED = ") + c.enabled +
                            "\nPORT = " + std::to_string(server.serverPort()) +
                            "\nUSERNAME = \"sensor7\"\nPASSWORD FILE = \"" + dir() + "/pw\"\n");
        ReadIniFile(ini.c_str());
        ASSERT_EQ(InitDataExchange(), 1);
        RunLoopFor(MAIN_RUN, 0.3);
        EXPECT_EQ(WaitWithEvents([&] { return server.hasPendingConnections(); }, c.contacts ? 5 : 1.5), c.contacts)
            << c.enabled;
        EXPECT_EQ(PlantLink().running(), c.contacts) << c.enabled;
        while (QTcpSocket *s = server.nextPendingConnection())
            delete s;
    }
}

TEST_F(PlantLinkTest, PlantLinkDialogWritesTheSettingsFileForItsOwnerOnlyAndReconnects)
{
    ASSERT_TRUE(broker.start(dir())) << broker.error();
    ASSERT_EQ(InitDataExchange(), 1);
    const std::string ini = dir() + "/MQ-Vista.ini";
    CopyText(appini_pathname, ini.c_str());
    press(pConn, CONN_PLANT_LINK);
    ASSERT_NE(pPlant, 0);
    EXPECT_TRUE(IsPanelVisible(pPlant));
    EXPECT_EQ(intOf(pPlant, PLANT_ENABLED), 0) << "off until the operator switches it on";
    EXPECT_EQ(GetCtrlString(pPlant, PLANT_BROKER), "127.0.0.1");
    EXPECT_EQ(intOf(pPlant, PLANT_PORT), 1883);
    EXPECT_EQ(GetCtrlString(pPlant, PLANT_STATE), "MQTT: off");

    SetCtrlVal(pPlant, PLANT_ENABLED, 1);
    SetCtrlVal(pPlant, PLANT_PORT, broker.port());
    SetCtrlVal(pPlant, PLANT_PREFIX, "line4");
    SetCtrlVal(pPlant, PLANT_USERNAME, "sensor7");
    press(pPlant, PLANT_ACCEPT);
    EXPECT_FALSE(IsPanelVisible(pPlant));
    const std::string connected = "MQTT: connected to 127.0.0.1:" + std::to_string(broker.port());
    EXPECT_TRUE(stateIs(connected));
    EXPECT_TRUE(WaitWithEvents([&] { return GetCtrlString(pPlant, PLANT_STATE) == connected; }, 2));

    struct stat st {};
    ASSERT_EQ(stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a user name is set";
    const PlantSettings accepted = plantSettings;
    plantSettings = PlantSettings{};
    ReadIniFile(ini.c_str());
    EXPECT_EQ(plantSettings, accepted);
    EXPECT_EQ(plantSettings.topicPrefix, "line4");
}

// The real program in the directory, with its settings file there: the simulator over TCP,
// the plant link on.
void startProgram(QProcess &app, const std::string &directory, int simPort, int brokerPort)
{
    const char *program = std::getenv("MQ_VISTA");
    ASSERT_TRUE(program && *program);
    std::filesystem::create_directories(directory);
    std::filesystem::copy_file(program, directory + "/mq-vista");
    WriteBytes(directory + "/MQ-Vista.ini",
               "[CONNECTION]\nCOMM TYPE = 1\nIP ADDRESS = \"127.0.0.1\"\nPORT NUMBER = \"" + std::to_string(simPort) +
                   "\"\n[MQTT]\nENABLED = 1\nPORT = " + std::to_string(brokerPort) + "\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    app.setProcessEnvironment(env);
    app.start(QString::fromStdString(directory + "/mq-vista"), {});
    ASSERT_TRUE(app.waitForStarted(5000));
}

void killProgram(QProcess &app)
{
    ASSERT_GT(app.processId(), 0) << "the program ended early"; // 0 would kill the process group
    ::kill(static_cast<pid_t>(app.processId()), SIGKILL);
    app.waitForFinished(5000);
}

TEST_F(PlantLinkTest, FramesWaitingAtACloseGoOutAtTheNextStartOnceInOrderWithTheirSeqAndTime)
{
    // The broker's port is taken; the broker stays down until the program has closed.
    ASSERT_TRUE(broker.start(dir())) << broker.error();
    broker.stop();
    ASSERT_EQ(InitDataExchange(), 1);
    enable({});
    ASSERT_TRUE(WaitWithEvents([] { return PlantLink().stateText().rfind("MQTT: broker unreachable", 0) == 0; }, 10))
        << PlantLink().stateText();
    ASSERT_EQ(sim.command("set baud 115200"), "ok");
    ASSERT_EQ(sim.command("reset-stats"), "ok");
    const std::uint64_t first = plantFrameSeq + 1;
    const qint64 runStarted = QDateTime::currentMSecsSinceEpoch();
    RunLoopFor(MAIN_RUN, 0.6);
    const std::vector<MeasurementRecord> sent = framesSent();
    ASSERT_GT(sent.size(), 5u);
    ASSERT_EQ(plantFrameSeq - first + 1, sent.size());
    // Written as they arrive: a crash now would lose none of them.
    const std::string file = dir() + "/" + kPlantOutboxFileName;
    const auto inFile = [&] {
        const std::string bytes = ReadBytes(file);
        return ReadPlantOutbox(bytes.data(), bytes.size()).messages.size();
    };
    EXPECT_TRUE(WaitWithEvents([&] { return inFile() >= sent.size(); }, 2)) << inFile();
    PlantStop(); // the program closes with every frame waiting

    ASSERT_TRUE(broker.restart()) << broker.error();
    MqttSubscriber live;
    ASSERT_TRUE(live.connect(broker.port(), "k-vor-mq/+/measurement"));
    QProcess app;
    ASSERT_NO_FATAL_FAILURE(startProgram(app, dir(), sim.tcpPort(), broker.port()));
    EXPECT_TRUE(live.waitFor([&](const MqttSubscriber &s) { return s.messages().size() >= sent.size(); }, 30))
        << live.messages().size() << " of " << sent.size() << "; " << app.readAllStandardError().toStdString();
    // Acknowledged, they leave the file: a further start sends none of them again.
    EXPECT_TRUE(WaitWithEvents([&] { return inFile() == 0; }, 5)) << inFile();
    ASSERT_NO_FATAL_FAILURE(killProgram(app));
    const std::vector<MqttMessage> frames = live.messages();
    ASSERT_EQ(frames.size(), sent.size()) << "each frame once";
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(i);
        const QJsonObject m = json(frames[i].payload);
        EXPECT_EQ(m["seq"].toInteger(), static_cast<qint64>(first + i));
        EXPECT_EQ(m["M-VALUE"].toInt(), int{sent[i].M_VALUE});
        // The time the frame was shown, not the time it was sent.
        const qint64 shown = QDateTime::fromString(m["time"].toString(), Qt::ISODateWithMs).toMSecsSinceEpoch();
        EXPECT_GE(shown, runStarted - 1);
        EXPECT_LE(shown, runStarted + 2000);
    }
}

TEST_F(PlantLinkTest, OutboxFileCutShortByAPowerCutIsSaidInTheStatusBoxAndItsWholeMessagesWait)
{
    std::string bytes = PlantOutboxHeader();
    for (std::uint64_t i = 1; i <= 3; ++i)
        bytes += PlantOutboxMessageRecord({topic("measurement"), "{\"seq\":" + std::to_string(i) + "}", 1, false, i});
    ASSERT_TRUE(WriteBytes(dir() + "/" + kPlantOutboxFileName, bytes.substr(0, bytes.size() - 5)));
    PlantSettings s;
    s.port = FreeLocalPort(); // nobody answers
    enable(s);
    const auto said = [] {
        const auto lines = LogLines();
        return std::any_of(lines.begin(), lines.end(), [](const std::string &l) {
            return l.rfind("MQTT: outbox file damaged after ", 0) == 0 &&
                   l.find("2 messages kept") != std::string::npos;
        });
    };
    EXPECT_TRUE(WaitWithEvents(said, 2));
    // The torn end is cut off; the two whole ones wait at the front (an identity may follow).
    const std::string kept = ReadBytes(dir() + "/" + kPlantOutboxFileName);
    std::vector<std::string> payloads;
    for (const PlantMessage &m : ReadPlantOutbox(kept.data(), kept.size()).messages)
        payloads.push_back(m.payload);
    ASSERT_GE(payloads.size(), 2u);
    EXPECT_EQ(std::vector(payloads.begin(), payloads.begin() + 2),
              (std::vector<std::string>{"{\"seq\":1}", "{\"seq\":2}"}));
    EXPECT_EQ(std::count(payloads.begin(), payloads.end(), "{\"seq\":3}"), 0);
}

TEST_F(PlantLinkTest, BrokerRestartedWithoutPersistenceIsGivenStatusIdentityAndLastParametersAgain)
{
    ASSERT_TRUE(broker.start(dir())) << broker.error();
    enable({});
    ASSERT_EQ(InitDataExchange(), 1);
    const std::string connected = "MQTT: connected to 127.0.0.1:" + std::to_string(broker.port());
    ASSERT_TRUE(stateIs(connected));
    PushSEND(EEPROM); // after the identification's GET from RAM
    ASSERT_TRUE(WaitWithEvents([] { return PlantLink().waiting() == 0; }, 10));
    broker.stop();
    ASSERT_TRUE(WaitWithEvents([&] { return PlantLink().stateText() != connected; }, 10));
    ASSERT_TRUE(broker.restart()) << broker.error();
    ASSERT_TRUE(stateIs(connected, 15)) << PlantLink().stateText();

    MqttSubscriber late;
    ASSERT_TRUE(late.connect(broker.port(), "k-vor-mq/+/+"));
    EXPECT_TRUE(late.waitFor([](const MqttSubscriber &s) { return s.messages().size() >= 3; }, 5));
    std::map<std::string, MqttMessage> retained;
    for (const MqttMessage &m : late.messages())
        retained[m.topic] = m;
    EXPECT_EQ(retained.size(), 3u);
    for (const char *leaf : {"status", "identity", "parameters"})
        EXPECT_TRUE(retained[topic(leaf)].retain) << leaf << " is not retained on the restarted broker";
    EXPECT_EQ(retained[topic("status")].payload, "online");
    EXPECT_EQ(json(retained[topic("identity")].payload)["serial"].toInt(), hwinfo.serialNo);
    EXPECT_EQ(json(retained[topic("parameters")].payload)["source"].toString(), "EEPROM") << "the last ones";
}

// The real program, killed: the broker says "offline" for it.
TEST_F(PlantLinkTest, KilledProgramLeavesItsLastWill)
{
    ASSERT_TRUE(broker.start(dir())) << broker.error();
    MqttSubscriber live;
    ASSERT_TRUE(live.connect(broker.port(), "k-vor-mq/+/status"));
    QProcess app;
    ASSERT_NO_FATAL_FAILURE(startProgram(app, dir() + "/app", sim.tcpPort(), broker.port()));
    const auto lastStatus = [](const MqttSubscriber &s) {
        const auto m = s.messages();
        return m.empty() ? std::string() : m.back().payload;
    };
    EXPECT_TRUE(live.waitFor([&](const MqttSubscriber &s) { return lastStatus(s) == "online"; }, 30))
        << app.readAllStandardError().toStdString();
    ASSERT_NO_FATAL_FAILURE(killProgram(app));
    EXPECT_TRUE(live.waitFor([&](const MqttSubscriber &s) { return lastStatus(s) == "offline"; }, 10));
}

} // namespace
