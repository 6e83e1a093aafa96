// The plant link without a broker: the outbox's order, resend and overflow rules, the
// back-off, the payloads' members and section "MQTT" of the settings file.

#include "plant/messages.h"
#include "plant/outbox.h"
#include "plant/plant_settings.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <tuple>
#include <vector>

namespace {

PlantMessage message(int n) { return {"t", std::to_string(n), 1, false}; }

// Hands out everything the window allows; returns the payloads, mids from *nextMid on.
std::vector<std::string> sendAll(PlantOutbox &box, int *nextMid)
{
    std::vector<std::string> sent;
    while (const PlantMessage *m = box.nextToSend()) {
        sent.push_back(m->payload);
        box.markSent((*nextMid)++);
    }
    return sent;
}

using Payloads = std::vector<std::string>;

TEST(PlantOutbox, OrderWindowAcknowledgementAndResend)
{
    PlantOutbox box(100, 3);
    for (int i = 1; i <= 5; ++i)
        box.push(message(i));
    int mid = 1;
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"1", "2", "3"})) << "the window holds three";
    // A late acknowledgement of the second does not let it leave before the first.
    box.acknowledged(2);
    EXPECT_EQ(box.waiting(), 5u);
    EXPECT_EQ(sendAll(box, &mid), Payloads{});
    box.acknowledged(1);
    EXPECT_EQ(box.waiting(), 3u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"4", "5"}));
    box.acknowledged(99);  // unknown ids change nothing
    EXPECT_EQ(box.waiting(), 3u);
    // The connection goes: the unacknowledged go out again, oldest first.
    box.connectionLost();
    EXPECT_EQ(box.inFlight(), 0u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"3", "4", "5"}));
    for (int m = mid - 3; m < mid; ++m)
        box.acknowledged(m);
    EXPECT_EQ(std::tuple(box.waiting(), box.dropped()), std::tuple(0u, 0u));
}

TEST(PlantOutbox, FullBoxDropsTheOldestAndCountsThem)
{
    PlantOutbox box(3, 2);
    for (int i = 1; i <= 3; ++i)
        box.push(message(i));
    int mid = 1;
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"1", "2"}));
    box.push(message(4));  // drops "1", which was with the broker
    box.push(message(5));  // drops "2"
    EXPECT_EQ(std::tuple(box.dropped(), box.waiting()), std::tuple(2u, 3u));
    box.acknowledged(1);  // the acknowledgement of a dropped message finds nothing
    EXPECT_EQ(box.waiting(), 3u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"3", "4"}));
    box.setCapacity(1);  // both with the broker go
    EXPECT_EQ(box.dropped(), 4u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"5"}));
}

TEST(ReconnectBackoff, DoublesFromOneSecondToThirtyAndStartsAgainWhenConnected)
{
    ReconnectBackoff b;
    std::vector<double> delays;
    for (int i = 0; i < 7; ++i)
        delays.push_back(b.next());
    EXPECT_EQ(delays, (std::vector<double>{1, 2, 4, 8, 16, 30, 30}));
    b.reset();
    EXPECT_EQ(b.next(), 1.0);
}

QJsonObject parsed(const std::string &payload)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

TEST(PlantMessages, TopicsAndPayloadsHoldExactlyTheirMembers)
{
    EXPECT_EQ(PlantTopic("k-vor-mq", 40000, "status"), "k-vor-mq/40000/status");
    const std::int64_t t = 1796699045006;  // 2026-12-08 03:04:05.006 UTC
    MeasurementRecord r{};
    r.M_VALUE = 512;
    r.E_LEFT = 400;
    r.E_RIGHT = 624;
    r.EDGES = 2;
    r.M_VAL_um = static_cast<std::uint32_t>(-1250);  // signed on the wire
    r.SETPOINT = 9;                                  // not published
    const QJsonObject frame = parsed(R"({"seq": 7, "time": "2026-12-08T03:04:05.006Z", "M-VALUE": 512, "E-LEFT": 400,
        "E-RIGHT": 624, "EDGES": 2, "M-VAL[um]": -1250, "in_tolerance": true})");
    EXPECT_EQ(parsed(MeasurementPayload(7, t, r, true)), frame);
    QJsonObject sample = frame;
    sample["in_tolerance"] = false;
    sample["sample"] = 12;
    sample["file"] = "RECORD.DAT";
    EXPECT_EQ(parsed(RecordPayload(7, t, r, false, 12, "RECORD.DAT")), sample);

    ParameterSet p{};
    p.Power = 80;
    p.Ext_Trigger_Mode = 3;
    p.Free_Para = 65535;
    p.um_Slope = 3000000000u;
    const QJsonObject par = parsed(ParametersPayload(p, "EEPROM"));
    EXPECT_EQ(par.size(), 30) << "28 words, um-Slope and source";
    for (const auto &[key, value] : std::vector<std::pair<const char *, qint64>>{
             {"Power", 80}, {"Ext-Trigger-Mode", 3}, {"Free-Para", 65535}, {"Polarity", 0}, {"um-Slope", 3000000000LL}})
        EXPECT_EQ(par[key].toInteger(-1), value) << key;
    EXPECT_EQ(par["source"].toString(), "EEPROM");

    PlantIdentity id{"K-VOR-MQ.V4.06 \xB5", {}, 1024, 5.25, "4.0.6"};
    id.hardware.firmwareNo = 406;
    id.hardware.hardwareType = 517311;
    id.hardware.receiverType = 736214;
    id.hardware.serialNo = 40000;
    // The firmware text is Latin-1: the micro sign is one character.
    const QJsonObject identity = parsed(R"({"firmware": "K-VOR-MQ.V4.06 \u00b5", "firmware_no": 406,
        "hardware_type": 517311, "receiver_type": 736214, "pixel_count": 1024, "serial": 40000,
        "slope_um_per_pixel": 5.25, "program_version": "4.0.6"})");
    EXPECT_EQ(parsed(IdentityPayload(id)), identity);
}

PlantSettings readFrom(const char *text)
{
    IniText ini = Ini_New(0);
    Ini_ReadFromText(ini, text, std::strlen(text));
    PlantSettings s;
    s.broker = "left over";
    ReadPlantSettings(ini, &s);
    Ini_Dispose(ini);
    return s;
}

TEST(PlantSettings, KeysInRangeAreTakenOthersKeepTheirDefaults)
{
    const PlantSettings defaults;
    EXPECT_EQ(readFrom(""), defaults);
    struct Case {
        const char *text;
        PlantSettings expected;
    };
    const PlantSettings all{.enabled = true, .broker = "plant-broker.local", .port = 8883, .topicPrefix = "line4",
                            .qos = 0, .username = "sensor7", .passwordFile = "/etc/mq/pw", .tls = true,
                            .caFile = "ca.pem", .certFile = "c.pem", .keyFile = "k.pem", .buffer = 1000000};
    const Case cases[] = {
        {"[MQTT]\nENABLED = 1\nBROKER = \"plant-broker.local\"\nPORT = 8883\nTOPIC PREFIX = \"line4\"\nQOS = 0\n"
         "USERNAME = \"sensor7\"\nPASSWORD FILE = \"/etc/mq/pw\"\nTLS = 1\nCA FILE = \"ca.pem\"\n"
         "CERT FILE = \"c.pem\"\nKEY FILE = \"k.pem\"\nBUFFER = 1000000\n",
         all},
        // Out of range or not 1: ignored, as for the other keys.
        {"[MQTT]\nENABLED = 2\nPORT = 0\nQOS = 2\nTLS = yes\nBUFFER = 0\n", defaults},
        {"[MQTT]\nPORT = 65536\nQOS = -1\nBUFFER = 1000001\n", defaults},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readFrom(c.text), c.expected) << c.text;

    IniText ini = Ini_New(0);
    WritePlantSettings(ini, all);
    std::string text;
    Ini_WriteToText(ini, &text);
    Ini_Dispose(ini);
    EXPECT_EQ(readFrom(text.c_str()), all) << text;
}

TEST(PlantSettings, PasswordIsTheFirstLineOfItsFile)
{
    const TempDir tmp;
    ASSERT_TRUE(WriteBytes(tmp / "pw", "s3cret word\r\nsecond line\n"));
    std::string pw;
    EXPECT_TRUE(ReadPasswordFile(tmp / "pw", &pw));
    EXPECT_EQ(pw, "s3cret word");
    EXPECT_FALSE(ReadPasswordFile(tmp / "missing", &pw));
}

} // namespace
