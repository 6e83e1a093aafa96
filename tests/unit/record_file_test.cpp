// The record file's exact bytes, writing it, and finding triggered frames in a byte
// stream that also carries damaged frames and frames of other orders.

#include "link/crc8.h"
#include "link/frame.h"
#include "recorder/record_file.h"
#include "recorder/trigger_scan.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<unsigned char> frame(unsigned char order, const std::vector<unsigned char> &data)
{
    std::vector<unsigned char> f = {0x55, order, 0, 0, static_cast<unsigned char>(data.size()),
                                    static_cast<unsigned char>(data.size() >> 8)};
    f.push_back(data.empty() ? 0xAA : crc8Update(data.data(), 0, static_cast<unsigned>(data.size()), crc8Array));
    f.push_back(crc8Update(f.data(), 0, 7, crc8Array));
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

} // namespace

TEST(RecordFile, HeaderBytesAreExact)
{
    const std::string header = RecordHeaderText("12-07-2026", "16:01:02", 0.1, 100, 81920 / 16384.0);
    const std::string expected = "DATE:\t12-07-2026\r\n"
                                 "TIME:\t16:01:02\r\n"
                                 "TIME-INCREMENT[s]:\t                     0.1\r\n"
                                 "NUMBER OF SAMPLES:\t                     100\r\n"
                                 "SLOPE-VALUE [\xB5m/pixel]:\t                     5.0\r\n"
                                 "TIME\t\tM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n";
    EXPECT_EQ(header, expected);
    // The micro sign is one byte, not a UTF-8 pair.
    EXPECT_EQ(header.find("\xC2\xB5"), std::string::npos);
}

TEST(RecordFile, NumberFieldsAreTwentyFourWideAndReadBackExactly)
{
    for (double v : {0.0, 0.1, 0.25, 3600.0, 6183.0, 4.99993896484375, 1e15, -2.5}) {
        const std::string field = RecordNumberField(v);
        EXPECT_EQ(field.size(), 24u) << v;
        EXPECT_NEAR(std::strtod(field.c_str(), nullptr), v, 1e-9) << field;
        EXPECT_NE(field.find('.'), std::string::npos) << field;
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

TEST(TriggerScan, HeaderVerdicts)
{
    const std::vector<unsigned char> data(12, 7);
    auto good = frame(0x12, data);
    TriggerScan s = ScanTriggeredBytes(good.data(), 7);
    EXPECT_EQ(s.kind, TriggerScan::NeedMore);
    s = ScanTriggeredBytes(good.data(), static_cast<int>(good.size()));
    ASSERT_EQ(s.kind, TriggerScan::Frame);
    EXPECT_EQ(s.header.length, 12);
    EXPECT_EQ(s.header.dataCrc, good[6]);

    auto other = frame(0x08, data);
    s = ScanTriggeredBytes(other.data(), 8);
    EXPECT_EQ(s.kind, TriggerScan::Drop);
    EXPECT_EQ(s.drop, 8);

    auto damaged = good;
    damaged[7] ^= 0xFF;
    damaged[3] = 0x55;
    s = ScanTriggeredBytes(damaged.data(), 8);
    EXPECT_EQ(s.kind, TriggerScan::Drop);
    EXPECT_EQ(s.drop, 3);  // the next possible header start

    // A valid header that announces more than a buffer holds is no frame to wait for.
    std::vector<unsigned char> huge = {0x55, 0x12, 0, 0, 0xFF, 0xFF, 0xAA};
    huge.push_back(crc8Update(huge.data(), 0, 7, crc8Array));
    s = ScanTriggeredBytes(huge.data(), 8);
    EXPECT_EQ(s.kind, TriggerScan::Drop);
    EXPECT_EQ(ScanTriggeredBytes(nullptr, 8).kind, TriggerScan::NeedMore);
}

TEST(TriggerScan, DamagedFramesDoNotCostTheFramesBehindThem)
{
    // Good, bad header CRC, error answer, bad sync, garbage, good, good: consumed as the
    // recorder consumes a TCP buffer.
    std::vector<std::vector<unsigned char>> goods;
    std::vector<unsigned char> stream;
    auto add = [&stream](const std::vector<unsigned char> &f) { stream.insert(stream.end(), f.begin(), f.end()); };
    for (int i = 0; i < 3; ++i)
        goods.push_back(frame(0x12, std::vector<unsigned char>(12, static_cast<unsigned char>(0x30 + i))));
    add(goods[0]);
    auto badCrc = frame(0x12, std::vector<unsigned char>(12, 0x55));
    badCrc[7] ^= 0x01;
    add(badCrc);
    add(frame(0x00, {}));
    auto badSync = frame(0x12, std::vector<unsigned char>(12, 1));
    badSync[0] = 0xAA;
    badSync[7] = crc8Update(badSync.data(), 0, 7, crc8Array);
    add(badSync);
    add({0x55, 0x55, 0x13, 0x00});
    add(goods[1]);
    add(goods[2]);

    std::vector<std::vector<unsigned char>> found;
    size_t at = 0;
    while (at < stream.size()) {
        const TriggerScan s = ScanTriggeredBytes(stream.data() + at, static_cast<int>(stream.size() - at));
        if (s.kind == TriggerScan::NeedMore)
            break;
        if (s.kind == TriggerScan::Drop) {
            ASSERT_GT(s.drop, 0);
            at += static_cast<size_t>(s.drop);
            continue;
        }
        const size_t end = at + kHeaderSize + s.header.length;
        ASSERT_LE(end, stream.size());
        if (crc8Update(stream.data() + at + kHeaderSize, 0, s.header.length, crc8Array) == s.header.dataCrc)
            found.emplace_back(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(end));
        at = end;
    }
    EXPECT_EQ(found, goods);
}
