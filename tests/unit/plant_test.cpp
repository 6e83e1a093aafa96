// SPDX-License-Identifier: GPL-3.0-or-later
// The plant link without a broker: the outbox's order, resend and overflow rules, its file
// on disk (read back after a close, a torn end cut off, kept small), the back-off, the
// payloads' members and section "MQTT" of the settings file.

#include "plant/messages.h"
#include "plant/outbox.h"
#include "plant/outbox_file.h"
#include "plant/plant_settings.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
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
    box.acknowledged(99); // unknown ids change nothing
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
    box.push(message(4)); // drops "1", which was with the broker
    box.push(message(5)); // drops "2"
    EXPECT_EQ(std::tuple(box.dropped(), box.waiting()), std::tuple(2u, 3u));
    box.acknowledged(1); // the acknowledgement of a dropped message finds nothing
    EXPECT_EQ(box.waiting(), 3u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"3", "4"}));
    box.setCapacity(1); // both with the broker go
    EXPECT_EQ(box.dropped(), 4u);
    EXPECT_EQ(sendAll(box, &mid), (Payloads{"5"}));
}

TEST(PlantOutbox, WhatTheFileHeldGoesFirstUnderItsIdsAndNewIdsGoOnAboveIt)
{
    PlantOutbox box(100, 10);
    box.push(message(9)); // taken while the file could not be read
    std::vector<PlantMessage> stored = {message(1), message(2)};
    stored[0].id = 41;
    stored[1].id = 42;
    box.restore(stored, 45); // 43 to 45 were acknowledged before the close
    box.push(message(10));
    std::vector<std::uint64_t> ids;
    Payloads payloads;
    for (const PlantMessage &m : box.messagesAfter(0)) {
        ids.push_back(m.id);
        payloads.push_back(m.payload);
    }
    EXPECT_EQ(payloads, (Payloads{"1", "2", "9", "10"}));
    EXPECT_EQ(ids, (std::vector<std::uint64_t>{41, 42, 46, 47}));
    EXPECT_EQ(box.lastGone(), 40u);
}

struct FileState {
    Payloads payloads;
    std::vector<std::uint64_t> ids;
    bool damaged;
};
void PrintTo(const FileState &f, std::ostream *os)
{
    *os << "payloads " << ::testing::PrintToString(f.payloads) << " ids " << ::testing::PrintToString(f.ids)
        << (f.damaged ? " damaged" : "");
}
bool operator==(const FileState &a, const FileState &b)
{
    return a.payloads == b.payloads && a.ids == b.ids && a.damaged == b.damaged;
}

FileState stateOf(const PlantOutboxContents &c)
{
    FileState f{{}, {}, c.damaged};
    for (const PlantMessage &m : c.messages) {
        f.payloads.push_back(m.payload);
        f.ids.push_back(m.id);
    }
    return f;
}

std::vector<PlantMessage> numbered(int from, int to, std::size_t payloadSize = 0)
{
    std::vector<PlantMessage> out;
    for (int i = from; i <= to; ++i) {
        PlantMessage m{"k-vor-mq/40000/measurement", std::to_string(i), i % 2, i == 2, static_cast<std::uint64_t>(i)};
        m.payload.resize(std::max(m.payload.size(), payloadSize), ' ');
        out.push_back(m);
    }
    return out;
}

TEST(PlantOutboxFile, WhatWaitsAtACloseIsReadBackInOrderOnceAndLocked)
{
    const TempDir tmp;
    const std::string path = tmp / kPlantOutboxFileName;
    PlantOutboxContents c;
    std::string problem;
    {
        PlantOutboxFile file;
        ASSERT_TRUE(file.open(path, &c, &problem)) << problem;
        EXPECT_EQ(stateOf(c), (FileState{{}, {}, false}));
        ASSERT_TRUE(file.append(numbered(1, 5)));
        ASSERT_TRUE(file.done(2));
        // A second program in the same directory would send these twice.
        PlantOutboxFile other;
        EXPECT_FALSE(other.open(path, &c, &problem));
        EXPECT_EQ(problem, "outbox file in use by another program: " + path);
    }
    PlantOutboxFile file;
    ASSERT_TRUE(file.open(path, &c, &problem)) << problem;
    EXPECT_EQ(problem, "");
    EXPECT_EQ(stateOf(c), (FileState{{"3", "4", "5"}, {3, 4, 5}, false}));
    EXPECT_EQ(std::tuple(c.messages[0].topic, c.messages[0].qos, c.messages[0].retain),
              std::tuple(std::string("k-vor-mq/40000/measurement"), 1, false));
    ASSERT_TRUE(file.append(numbered(6, 6)));
    ASSERT_TRUE(file.done(6));
    file.close();
    ASSERT_TRUE(file.open(path, &c, &problem));
    EXPECT_EQ(stateOf(c), (FileState{{}, {}, false}));
    EXPECT_EQ(c.lastId, 6u) << "new ids go on above the acknowledged ones";
}

TEST(PlantOutboxFile, DamagedEndIsCutOffAtTheLastWholeMessageAndSaid)
{
    const TempDir tmp;
    const std::string path = tmp / kPlantOutboxFileName;
    std::string whole = PlantOutboxHeader();
    for (const PlantMessage &m : numbered(1, 3))
        whole += PlantOutboxMessageRecord(m);
    const std::size_t lastRecord = whole.size() - PlantOutboxMessageRecord(numbered(3, 3)[0]).size();
    std::string flipped = whole;
    flipped[whole.size() - 1] ^= 0x20;
    std::string bigLength = whole.substr(0, lastRecord) + "\xff\xff\xff\x7f" + whole.substr(lastRecord + 4);
    struct Case {
        const char *name;
        std::string bytes;
        FileState kept;
    };
    // clang-format off
    const Case cases[] = {
        {"power cut inside the last record", whole.substr(0, whole.size() - 3), {{"1", "2"}, {1, 2}, true}},
        {"power cut inside a record's length", whole.substr(0, lastRecord + 2), {{"1", "2"}, {1, 2}, true}},
        {"a changed byte in the last payload", flipped, {{"1", "2"}, {1, 2}, true}},
        {"a length beyond the file", bigLength, {{"1", "2"}, {1, 2}, true}},
        {"garbage after the last record", whole + "garbage", {{"1", "2", "3"}, {1, 2, 3}, true}},
        {"not an outbox file", "[MQTT]\nENABLED = 1\n", {{}, {}, true}},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        PlantOutboxContents read;
        std::string problem;
        {
            PlantOutboxFile file;
            ASSERT_TRUE(file.open(path, &read, &problem));
            EXPECT_EQ(stateOf(read), c.kept);
            EXPECT_EQ(problem.rfind("outbox file damaged after ", 0), 0u) << problem;
            EXPECT_NE(problem.find(std::to_string(c.kept.ids.size()) + " messages kept"), std::string::npos) << problem;
            // Cut off, so that what comes after it can be read at the next start.
            ASSERT_TRUE(file.append(numbered(7, 7)));
        }
        PlantOutboxFile file;
        ASSERT_TRUE(file.open(path, &read, &problem));
        FileState after = c.kept;
        after.payloads.push_back("7");
        after.ids.push_back(7);
        after.damaged = false;
        EXPECT_EQ(stateOf(read), after);
    }
}

TEST(PlantOutboxFile, StaysAboutAsLargeAsWhatWaits)
{
    const TempDir tmp;
    const std::string path = tmp / kPlantOutboxFileName;
    PlantOutboxContents c;
    std::string problem;
    PlantOutboxFile file;
    ASSERT_TRUE(file.open(path, &c, &problem));
    // 4 MB through a buffer that keeps 50 kB waiting, as a steady link does.
    for (int i = 1; i <= 4000; ++i) {
        ASSERT_TRUE(file.append(numbered(i, i, 1000)));
        ASSERT_TRUE(file.done(i > 50 ? i - 50 : 0));
    }
    EXPECT_LT(std::filesystem::file_size(path), 1'300'000u) << "what was acknowledged is rewritten away";
    EXPECT_EQ(std::filesystem::file_size(path), file.bytes());
    file.close();
    ASSERT_TRUE(file.open(path, &c, &problem));
    const FileState state = stateOf(c);
    ASSERT_EQ(state.ids.size(), 50u);
    EXPECT_EQ(std::tuple(state.ids.front(), state.ids.back(), state.damaged), std::tuple(3951u, 4000u, false));
    EXPECT_EQ(c.messages.back().payload.substr(0, 4), "4000");
    ASSERT_TRUE(file.done(4000));
    file.close();
    ASSERT_TRUE(file.open(path, &c, &problem));
    EXPECT_EQ(stateOf(c), (FileState{{}, {}, false}));
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
    const std::int64_t t = 1796699045006; // 2026-12-08 03:04:05.006 UTC
    MeasurementRecord r{};
    r.M_VALUE = 512;
    r.E_LEFT = 400;
    r.E_RIGHT = 624;
    r.EDGES = 2;
    r.M_VAL_um = static_cast<std::uint32_t>(-1250); // signed on the wire
    r.SETPOINT = 9;                                 // not published
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
    const PlantSettings all{.enabled = true,
                            .broker = "plant-broker.local",
                            .port = 8883,
                            .topicPrefix = "line4",
                            .qos = 0,
                            .username = "sensor7",
                            .passwordFile = "/etc/mq/pw",
                            .tls = true,
                            .caFile = "ca.pem",
                            .certFile = "c.pem",
                            .keyFile = "k.pem",
                            .buffer = 1000000};
    // clang-format off
    const Case cases[] = {
        {"[MQTT]\nENABLED = 1\nBROKER = \"plant-broker.local\"\nPORT = 8883\nTOPIC PREFIX = \"line4\"\nQOS = 0\n"
         "USERNAME = \"sensor7\"\nPASSWORD FILE = \"/etc/mq/pw\"\nTLS = 1\nCA FILE = \"ca.pem\"\n"
         "CERT FILE = \"c.pem\"\nKEY FILE = \"k.pem\"\nBUFFER = 1000000\n",
         all},
        // Out of range or not 1: ignored, as for the other keys.
        {"[MQTT]\nENABLED = 2\nPORT = 0\nQOS = 2\nTLS = yes\nBUFFER = 0\n", defaults},
        {"[MQTT]\nPORT = 65536\nQOS = -1\nBUFFER = 1000001\n", defaults},
    };
    // clang-format on
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
