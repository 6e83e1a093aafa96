// SPDX-License-Identifier: GPL-3.0-or-later
// The record file's fields, writing it, and the verdicts on triggered frames in a byte stream.
// The header's exact lines are checked in the recorder tests; that a damaged or foreign frame
// costs none behind it, in the loop fault matrix against the simulator.

#include "link/crc8.h"
#include "recorder/record_file.h"
#include "recorder/trigger_scan.h"
#include "support/files.h"
#include "support/reference_frames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

TEST(RecordFile, NumberFieldsAreTwentyFourWideAndReadBackExactly)
{
    for (double v : {0.0, 0.1, 0.25, 3600.0, 6183.0, 4.99993896484375, 1e15, -2.5}) {
        const std::string field = RecordNumberField(v);
        EXPECT_EQ(std::tuple(field.size(), field.find('.') != std::string::npos), std::tuple(24u, true)) << field;
        EXPECT_NEAR(std::strtod(field.c_str(), nullptr), v, 1e-9) << field;
    }
    EXPECT_EQ(RecordNumberField(0.0), std::string(21, ' ') + "0.0");
    EXPECT_EQ(RecordNumberField(0.25), std::string(20, ' ') + "0.25");
    // Not a number is no number in the file.
    EXPECT_EQ(RecordNumberField(std::nan("")), std::string(21, ' ') + "0.0");
}

TEST(RecordFile, SampleLineOrderAndSignedMicrometres)
{
    MeasurementRecord r{};
    r.E_LEFT = 100;
    r.E_RIGHT = 300;
    r.M_VALUE = 200;
    r.EDGES = 2;
    r.M_VAL_um = 1000;
    EXPECT_EQ(RecordSampleLine("08:09:10", r), "08:09:10\t200\t100\t300\t2\t1000\r\n");
    r.M_VAL_um = 0xFFFFFFFFu;
    r.E_RIGHT = 65535;
    EXPECT_EQ(RecordSampleLine("08:09:10", r), "08:09:10\t200\t100\t65535\t2\t-1\r\n");
}

TEST(RecordFile, AppendingKeepsEarlierBytesAndReportsFailures)
{
    const TempDir tmp;
    const std::string path = tmp / "R.DAT";
    EXPECT_TRUE(AppendToRecordFile(path.c_str(), "ab\r\n"));
    EXPECT_TRUE(AppendToRecordFile(path.c_str(), std::string("c\0d", 3)));
    EXPECT_EQ(ReadBytes(path), std::string("ab\r\nc\0d", 7));

    EXPECT_FALSE(AppendToRecordFile((tmp / "missing/R.DAT").c_str(), "x"));
    // A full disk: the file opens, the bytes do not get there.
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(AppendToRecordFile("/dev/full", std::string(8192, 'x')));
    }
}

TEST(TriggerScan, HeaderDecidesFrameDropOrWaitForMore)
{
    const std::vector<unsigned char> data(12, 7);
    auto good = ReferenceFrame(0x12, 0, data);
    TriggerScan s = ScanTriggeredBytes(good.data(), 7);
    EXPECT_EQ(s.kind, TriggerScan::NeedMore);
    s = ScanTriggeredBytes(good.data(), static_cast<int>(good.size()));
    EXPECT_EQ(std::tuple(s.kind, s.header.length, s.header.dataCrc), std::tuple(TriggerScan::Frame, 12, good[6]));

    auto other = ReferenceFrame(0x08, 0, data);
    s = ScanTriggeredBytes(other.data(), 8);
    EXPECT_EQ(std::tuple(s.kind, s.drop), std::tuple(TriggerScan::Drop, 8));

    auto damaged = good;
    damaged[7] ^= 0xFF;
    damaged[3] = 0x55;
    s = ScanTriggeredBytes(damaged.data(), 8);
    EXPECT_EQ(std::tuple(s.kind, s.drop), std::tuple(TriggerScan::Drop, 3)) << "the next possible header start";

    // A valid header that announces more than a buffer holds is no frame to wait for.
    std::vector<unsigned char> huge = {0x55, 0x12, 0, 0, 0xFF, 0xFF, 0xAA};
    huge.push_back(crc8Update(huge.data(), 0, 7, crc8Array));
    s = ScanTriggeredBytes(huge.data(), 8);
    EXPECT_EQ(s.kind, TriggerScan::Drop);
    EXPECT_EQ(ScanTriggeredBytes(nullptr, 8).kind, TriggerScan::NeedMore);
}
