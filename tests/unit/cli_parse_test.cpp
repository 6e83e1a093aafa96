// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's readers of outside text: addresses, inventories and backup files.

#include "cli/address.h"
#include "cli/backup_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace cli;

namespace {

TEST(CliAddress, EachFormAndItsRefusals)
{
    struct Row {
        const char *text;
        bool ok;
        SensorAddress::Kind kind;
        std::string where; // host:port, com number or device
        int baudIndex;
    };
    // clang-format off
    const Row rows[] = {
        {"tcp://10.1.2.3", true, SensorAddress::Kind::Tcp, "10.1.2.3:10001", 4},
        {"tcp://press-7:4001", true, SensorAddress::Kind::Tcp, "press-7:4001", 4},
        {"com3", true, SensorAddress::Kind::Com, "3", 4},
        {"com12@9600", true, SensorAddress::Kind::Com, "12", 0},
        {"/dev/ttyUSB0@57600", true, SensorAddress::Kind::Device, "/dev/ttyUSB0", 3},
        {"tcp://", false, {}, "", 0},
        {"tcp://host:0", false, {}, "", 0},
        {"tcp://host:70000", false, {}, "", 0},
        {"com0", false, {}, "", 0},
        {"com257", false, {}, "", 0},
        {"com1@1200", false, {}, "", 0},
        {"/dev/", false, {}, "", 0},
        {"press-7", false, {}, "", 0},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        SensorAddress a;
        std::string error;
        ASSERT_EQ(ParseAddress(row.text, a, error), row.ok) << error;
        if (!row.ok) {
            EXPECT_NE(error.find(row.text), std::string::npos) << "the message names what was given: " << error;
            continue;
        }
        EXPECT_EQ(a.kind, row.kind);
        const std::string where = a.kind == SensorAddress::Kind::Tcp   ? a.host + ":" + std::to_string(a.port)
                                  : a.kind == SensorAddress::Kind::Com ? std::to_string(a.com)
                                                                       : a.device;
        EXPECT_EQ(where, row.where);
        EXPECT_EQ(a.baudIndex, row.baudIndex);
    }
}

TEST(CliInventory, NamesCommentsBlankLinesAndTheBadLine)
{
    std::vector<SensorAddress> read;
    std::string error;
    ASSERT_TRUE(
        ParseInventory("# plant 2\n\ntcp://a:1  line 1 press\r\ncom2 # spare\n  /dev/ttyS4\n", "p.txt", read, error))
        << error;
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].name, "line 1 press") << "the name runs to the line's end, CR and blanks trimmed";
    EXPECT_EQ(read[1].name, "") << "a comment is no name";
    EXPECT_EQ(read[2].device, "/dev/ttyS4");

    read.clear();
    EXPECT_FALSE(ParseInventory("tcp://a:1\n\nnot-an-address x\n", "p.txt", read, error));
    EXPECT_EQ(error.rfind("p.txt:3: ", 0), 0u) << error;
}

Backup sample()
{
    Backup b;
    b.programVersion = "4.0.6";
    b.time = "2026-12-08T10:00:00Z";
    b.address = "tcp://a:1";
    b.identity = {4711, "K-VOR-MQ.V4.06 20-CL 2016", 406, 517318, 736214, 4096, true};
    b.eeprom.Power = 500;
    b.eeprom.Free_Para = 65535;
    b.eeprom.um_Slope = 4294967295u;
    b.ram.Average = 3;
    b.calibration.HW_TYPE = -5;
    b.calibration.UM_SLOPE = 81920;
    b.calibration.UM_RANGE = 20000;
    return b;
}

TEST(CliBackupFile, RoundTripKeepsEveryValue)
{
    const Backup b = sample();
    Backup read;
    std::string error;
    ASSERT_TRUE(BackupFromJson(BackupToJson(b), read, error)) << error;
    EXPECT_EQ(read.identity.serial, 4711u);
    EXPECT_EQ(read.identity.hardwareType, 517318u);
    EXPECT_EQ(read.eeprom.Free_Para, 65535);
    EXPECT_EQ(read.eeprom.um_Slope, 4294967295u) << "32-bit slope kept whole";
    EXPECT_EQ(read.ram.Average, 3);
    EXPECT_EQ(read.calibration.HW_TYPE, -5) << "signed header fields keep their sign";
    EXPECT_EQ(BackupToJson(read), BackupToJson(b));
}

TEST(CliBackupFile, DamagedFilesAreRefusedWithTheReason)
{
    const std::string whole = BackupToJson(sample());
    const auto replaced = [&whole](const std::string &from, const std::string &to) {
        std::string text = whole;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    struct Row {
        const char *name;
        std::string text;
        const char *errorPart;
    };
    // clang-format off
    const Row rows[] = {
        {"not JSON", whole.substr(0, whole.size() / 2), "not JSON"},
        {"an array", "[1,2]", "not an object"},
        {"a key missing", replaced("\"Power\"", "\"Pover\""), "eeprom.Power"},
        {"a value too large", replaced("\"Free-Para\": 65535", "\"Free-Para\": 65536"), "Free-Para"},
        {"a fraction", replaced("\"Power\": 500", "\"Power\": 500.5"), "Power"},
        {"a text for a number", replaced("\"UM_RANGE\": 20000", "\"UM_RANGE\": \"20000\""), "UM_RANGE"},
        {"no calibration", replaced("\"calibration\"", "\"calibrations\""), "calibration"},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Backup read = sample();
        read.eeprom.Power = 1;
        std::string error;
        EXPECT_FALSE(BackupFromJson(row.text, read, error));
        EXPECT_NE(error.find(row.errorPart), std::string::npos) << error;
        EXPECT_EQ(read.eeprom.Power, 1) << "a refused file changes nothing";
    }
}

} // namespace
